#pragma once
// Helpers of the legacy tests: tables built in memory with the dBase writer, a scratch drive C:
// holding the legacy folder, and readable values in failure output.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "legacy/LegacyTable.h"
#include "legacy/dbf/DbfReader.h"
#include "target/field/Calendar.h"
#include "target/field/Value.h"
#include "target/platform/SystemPath.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tools/dbf/DbfWriter.h"

namespace mig {

namespace legacytest {

// A value as readable text for failure messages.
inline std::string show(const Value& v) {
    std::ostringstream os;
    struct P {
        std::ostringstream& os;
        void operator()(std::monostate) const { os << "(empty)"; }
        void operator()(const std::string& s) const { os << "\"" << dbf::printableBytes(s) << "\""; }
        void operator()(std::int32_t i) const { os << "int " << i; }
        void operator()(double d) const { os.precision(17); os << "double " << d; }
        void operator()(const Decimal& d) const { os << "Decimal " << d.unscaled << "e-" << int(d.scale); }
        void operator()(Date d) const {
            const CivilDate c = civilDate(d);
            os << "Date " << c.year << '-' << c.month << '-' << c.day;
        }
        void operator()(Time t) const { os << "Time " << t.ms << "ms"; }
        void operator()(DateTime d) const { os.precision(17); os << "DateTime " << d.value; }
        void operator()(const Timestamp& t) const { os << "Timestamp " << t.year << '-' << int(t.month); }
        void operator()(bool b) const { os << (b ? "true" : "false"); }
    };
    std::visit(P{os}, v);
    return os.str();
}

}  // namespace legacytest

namespace dbf {
inline void PrintTo(const Anomaly& a, std::ostream* os) { *os << describe(a); }
}  // namespace dbf

namespace legacytest {

// A table read from the bytes a writer made; the bytes live as long as the table.
struct InMemoryTable {
    std::string dbf;
    std::string memo;
    std::unique_ptr<dbf::DbfReader> reader;

    explicit InMemoryTable(const dbf::DbfWriter& w, dbf::ReadOptions options = {}, std::string name = "T.DBF")
        : InMemoryTable(w.dbfBytes(), w.memoBytes(), w.memoExtension() == ".FPT", options, std::move(name)) {}

    InMemoryTable(std::string dbfBytes, std::string memoBytes, bool fpt, dbf::ReadOptions options = {},
                  std::string name = "T.DBF")
        : dbf(std::move(dbfBytes)), memo(std::move(memoBytes)) {
        const dbf::Header h = dbf::parseHeader(dbf, name);
        const dbf::MemoFormat format = memo.empty() ? dbf::MemoFormat::None : h.memoFormat(fpt);
        reader = std::make_unique<dbf::DbfReader>(dbf, memo, format, name, options);
    }
    const dbf::DbfReader& operator*() const { return *reader; }
    const dbf::DbfReader* operator->() const { return reader.get(); }
};

// A folder removed with its contents at the end of the test, and an environment variable set
// (or removed) for one scope.
using ScratchFolder = test::TempFolder;
using ScopedEnv = test::ScopedEnv;

// The legacy folder of a test, "quiltor" in a scratch folder. Elsewhere than on Windows the
// scratch folder is drive C: (KORVELAN_DRIVE_C) and the tables are given the program's own
// "C:\\Quiltor"; on Windows, where drive C: is the machine's, they are given the folder itself.
class LegacyDrive {
public:
    LegacyDrive() : env_("KORVELAN_DRIVE_C", drive_.path()) {
        std::filesystem::create_directories(systemPath(folder()));
    }
    // The folder as this system names it.
    std::string folder() const { return file("quiltor", drive_.path()); }
    std::string drive() const { return drive_.path(); }
    // The folder the tables are given.
#ifdef _WIN32
    std::string legacyFolder() const { return folder(); }
#else
    std::string legacyFolder() const { return std::string(kLegacyFolder); }
#endif
    // The path of a file of the folder.
    std::string file(const std::string& name) const { return file(name, folder()); }
    // Writes the table as `fileName` (its exact spelling, extension included) in the folder.
    std::string write(const dbf::DbfWriter& w, const std::string& fileName) const {
        const std::string path = file(fileName);
        w.writeFiles(path);
        return path;
    }

private:
    static std::string file(const std::string& name, const std::string& in) {
#ifdef _WIN32
        return in + "\\" + name;
#else
        return in + "/" + name;
#endif
    }
    ScratchFolder drive_;
    ScopedEnv env_;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::int32_t days(int y, int m, int d) { return makeDate(y, m, d)->days; }

// A case's description as a test name: every character but letters and digits becomes '_'.
inline std::string caseName(std::string_view description) {
    std::string n;
    for (const char ch : description) n.push_back(std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
    return n;
}

}  // namespace legacytest
}  // namespace mig
