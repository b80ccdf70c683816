// A legacy file changed by another program while its table is open. The legacy product may
// cut, pack, replace or delete its files at any time: the table never crashes on that, the
// grid shows what it can, and a walk that starts on a changed file fails with a clear message
// instead of migrating a mix of old and new records.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "legacy/LegacyTable.h"
#include "target/field/Errors.h"
#include "tests/support/TempFolder.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 3000;  // the file is larger than one read of the table

dbf::DbfWriter dosages(int records, const std::string& prefix = "POSOLOGIA ") {
    dbf::DbfWriter w(0x03, {{"POSCODIGO", 'C', 200}, {"POSDESCRI", 'M'}, {"POSNUMERO", 'N', 19}});
    for (int i = 1; i <= records; ++i)
        w.add({std::to_string(i), prefix + std::to_string(i) + std::string(600, '.'), std::to_string(i * 7)});
    return w;
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
        return "(no error)";
    } catch (const DataError& e) {
        return e.what();
    }
}

class LegacyFileChanges : public ::testing::Test {
public:
    void SetUp() override {
        dosages(kRecords).writeFiles(dbfPath());
        table.Open();
    }
    std::string dbfPath() const { return folder.path() + "/QTR49.DBF"; }
    std::string memoPath() const { return folder.path() + "/QTR49.DBT"; }
    // Where record `n` (from 0) starts.
    static std::uintmax_t recordAt(int n) {
        const dbf::DbfWriter layout = dosages(0);
        return layout.headerLength() + static_cast<std::uintmax_t>(n) * layout.recordLength();
    }
    // Reads every field of every record the way the migration's walk does, from where the
    // table stands to its end.
    void walkOn() {
        for (; !table.Eof(); table.Next()) {
            for (int f = 0; f < table.fieldCount(); ++f) (void)table.field(f).asText();
        }
    }

    TempFolder folder;
    LegacyTable table{"Posologias", "QTR49", folder.path()};
};

// The cut while the table is open: every read of a record the file no longer holds fails with
// the file's name; the grid shows such cells empty and never raises.
TEST_F(LegacyFileChanges, RecordsCutAwayAfterOpeningFailToReadAndTheGridShowsThemEmpty) {
    const struct {
        const char* name;
        std::string path;
        std::uintmax_t keep;
        const char* cell;  // where the grid still shows something
    } cases[] = {
        {"table cut to its header", dbfPath(), recordAt(0), nullptr},
        {"table cut in the middle", dbfPath(), recordAt(1000) + 17, "1000"},
        {"memo file cut to its header", memoPath(), 512, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table.Close();
        dosages(kRecords).writeFiles(dbfPath());
        table.Open();
        EXPECT_EQ(table.displayText(kRecords - 1, 1).substr(0, 15), "POSOLOGIA 3000.");

        table.First();  // the walk has begun when the file is cut
        fs::resize_file(c.path, c.keep);
        const std::string error = errorOf([&] { walkOn(); });
        EXPECT_NE(error.find("was cut short"), std::string::npos) << error;
        EXPECT_NE(error.find(fs::path(c.path).filename().string()), std::string::npos) << error;
        EXPECT_EQ(table.displayText(kRecords - 1, 1), "");
        EXPECT_EQ(table.displayText(kRecords - 1, 0), c.path == memoPath() ? "3000" : "");
        if (c.cell) {
            EXPECT_EQ(table.displayText(999, 0), c.cell);
        }
    }
}

// The walk of a migration begins with First: a file that is no longer the one opened stops it
// there, before a single record is read; the table opened again reads the file as it is now.
TEST_F(LegacyFileChanges, FirstFailsWhenTheFileIsNoLongerTheOneOpened) {
    const struct {
        const char* name;
        std::function<void(const LegacyFileChanges&)> change;
        const char* error;
    } cases[] = {
        {"deleted", [](const LegacyFileChanges& t) { fs::remove(t.dbfPath()); }, "was deleted"},
        {"replaced by another file",
         [](const LegacyFileChanges& t) {
             dosages(5, "OUTRA ").writeFiles(t.folder.path() + "/novo.dbf");
             fs::rename(t.folder.path() + "/novo.dbf", t.dbfPath());
         },
         "was replaced"},
        {"cut short", [](const LegacyFileChanges& t) { fs::resize_file(t.dbfPath(), recordAt(10)); },
         "was changed"},
        {"written in place with another size",
         [](const LegacyFileChanges& t) {
             std::ofstream out(t.dbfPath(), std::ios::binary | std::ios::in | std::ios::out | std::ios::ate);
             out << "extra";
         },
         "was changed"},
        {"memo file replaced",
         [](const LegacyFileChanges& t) {
             dosages(5, "OUTRA ").writeFiles(t.folder.path() + "/novo.dbf");
             fs::rename(t.folder.path() + "/novo.dbt", t.memoPath());
         },
         "was replaced"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table.Close();
        dosages(kRecords).writeFiles(dbfPath());
        table.Open();
        c.change(*this);
        const std::string error = errorOf([&] { table.First(); });
        EXPECT_NE(error.find("Posologias: "), std::string::npos) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_NE(error.find("open the table again"), std::string::npos) << error;
        table.Close();
        if (fs::exists(dbfPath())) {
            EXPECT_EQ(errorOf([&] { table.Open(); }), "(no error)");
            EXPECT_EQ(errorOf([&] {
                          table.First();
                          walkOn();
                      }),
                      "(no error)");
        } else {
            EXPECT_NE(errorOf([&] { table.Open(); }).find("Table file not found"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace mig::test
