// The legacy product (or a person) deletes, cuts or replaces a legacy file after its preview and
// before the migrate button is pressed. The migration stops before its first record with a
// clear error naming the file, nothing of it reaches the server in either form, and the
// operator can preview the pair again and go on.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/TestServer.h"
#include "tests/support/WindowFixture.h"

namespace mig::test {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

constexpr int kRecords = 20;

dbf::DbfWriter forms(int records, const std::string& prefix) {
    dbf::DbfWriter w(0x03, {{"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}});
    for (int i = 1; i <= records; ++i) w.add({prefix + std::to_string(i), "30 DIAS"});
    return w;
}

dbf::DbfWriter dosages(int records, const std::string& prefix) {
    dbf::DbfWriter w(0x03, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'M'}});
    for (int i = 1; i <= records; ++i) w.add({prefix + std::to_string(i), "UMA VEZ AO DIA"});
    return w;
}

struct Pair {
    const char* component;
    const char* preview;
    const char* migrate;
    const char* table;
    const char* file;
    std::function<dbf::DbfWriter(int, const std::string&)> legacy;
};

const Pair kPairsTried[] = {
    {"FormaFarma", "BitBtn1", "BitBtn11", "FORMAFAR", "QTR05.DBF", forms},   // batch
    {"Posologias", "BitBtn9", "BitBtn19", "TABPOSO", "QTR49.DBF", dosages},  // row by row
};

struct Change {
    const char* name;
    std::function<void(const WindowFixture&, const Pair&)> apply;
    const char* error;  // what the error box says happened to the file
    int recordsAfter;   // records the file holds afterwards; -1 when it is gone
    bool damaged;       // what is left of the file has a record cut in two
};

const Change kChanges[] = {
    {"deleted", [](const WindowFixture& b, const Pair& p) { fs::remove(b.legacyFile(p.component)); }, "was deleted", -1, false},
    {"cut short",
     [](const WindowFixture& b, const Pair& p) {
         const dbf::DbfWriter layout = p.legacy(0, "");
         fs::resize_file(b.legacyFile(p.component), layout.headerLength() + 5 * layout.recordLength() + 3);
     },
     "was changed by another program", 5, true},
    {"replaced",
     [](const WindowFixture& b, const Pair& p) {
         const std::string other = b.legacyFolder() + "/novo.dbf";
         p.legacy(7, "N").writeFiles(other);
         fs::rename(other, b.legacyFile(p.component));
         if (fs::exists(b.legacyFolder() + "/novo.dbt")) fs::rename(b.legacyFolder() + "/novo.dbt", b.legacyFolder() + "/QTR49.DBT");
     },
     "was replaced by another file", 7, false},
};

class LegacyFileBetweenPreviewAndMigrate : public ::testing::Test {
protected:
    void SetUp() override {
        MIG_REQUIRE_SERVER();
        bench.configureServer("127.0.0.1");
    }
    WindowFixture bench;
};

TEST_F(LegacyFileBetweenPreviewAndMigrate, TheMigrationStopsWithAClearErrorAndStoresNothing) {
    for (const Pair& pair : kPairsTried) {
        for (const Change& change : kChanges) {
            SCOPED_TRACE(std::string(pair.component) + ", file " + change.name);
            emptyServerTables();
            bench.writeLegacy(pair.component, pair.legacy(kRecords, "P"));
            bench.press(pair.preview);
            ASSERT_EQ(bench.takeBoxes().size(), 0u);

            change.apply(bench, pair);
            bench.press(pair.migrate);
            const std::vector<TextBox> boxes = bench.takeBoxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].kind, Box::Error) << boxes[0];
            EXPECT_TRUE(boxes[0].text.starts_with(std::string(pair.component) + ": the file C:\\Quiltor\\" + pair.file))
                << boxes[0];
            EXPECT_TRUE(contains(boxes[0].text, std::string(change.error) + " after the table was opened; open the table again"))
                << boxes[0];
            EXPECT_EQ(serverCount(pair.table), 0);

            // The pair opened again reads the file as it is now.
            bench.press(pair.preview);
            std::vector<TextBox> again = bench.takeBoxes();
            if (change.recordsAfter < 0) {
                ASSERT_EQ(again.size(), 1u);
                EXPECT_TRUE(again[0].text.starts_with("Table file not found: C:\\Quiltor\\")) << again[0];
                continue;
            }
            ASSERT_EQ(again.size(), 0u);
            bench.press(pair.migrate);
            again = bench.takeBoxes();
            ASSERT_EQ(again.size(), 1u);
            EXPECT_EQ(again[0].kind, Box::Information) << again[0];
            EXPECT_TRUE(again[0].text.starts_with("Procedimento concluído.")) << again[0];
            // The record cut in two is reported, never passed over in silence.
            EXPECT_EQ(contains(again[0].text, "problema(s) de leitura"), change.damaged) << again[0];
            EXPECT_EQ(serverCount(pair.table), change.recordsAfter);
        }
    }
}

}  // namespace
}  // namespace mig::test
