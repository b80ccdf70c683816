// A target database set read-only on the server (gfix -mode read_only): the previews read it,
// every insert of a migration is refused and reported, and nothing crashes. The database is one
// of the test's own, made through the server in a folder the server may write to, so that the
// alias the other tests use stays writable.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/TestServer.h"
#include "tests/support/WindowFixture.h"
#include "tests/support/SqlScript.h"

namespace mig::test {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// gfix on the server's database; its exit status.
int gfix(const std::string& arguments, const std::string& database) {
    const std::string command = "gfix " + arguments + " -user SYSDBA -password " + std::string(kTestPassword) + " '" +
                                database + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ReadOnlyDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        MIG_REQUIRE_SERVER();
        // The server's own user creates the file: the folder is open to it.
        ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
        db::AttachParams p = serverParams();
        p.database = database;
        createTargetDatabase(p);
        ASSERT_EQ(gfix("-mode read_only", database), 0) << "gfix could not set " << database << " read-only";
        bench.configureServer("127.0.0.1");
        bench.dm.SQLConnection1.Params().setValue("DataBase", database);
    }

    int rows(const std::string& table) {
        db::AttachParams p = serverParams();
        p.database = database;
        return queryCount(*db::Attachment::attach(p), table);
    }

    TempFolder folder;
    const std::string database = "127.0.0.1:" + folder.path() + "/somente-leitura.fdb";
    WindowFixture bench;
};

TEST_F(ReadOnlyDatabase, EveryInsertIsRefusedAndReportedInBothForms) {
    constexpr int kRecords = 3;
    dbf::DbfWriter forms(0x03, {{"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}});
    dbf::DbfWriter dosages(0x03, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'C', 60}});
    for (int i = 1; i <= kRecords; ++i) {
        forms.add({"FORMA " + std::to_string(i), "30 DIAS"});
        dosages.add({std::to_string(i), "UMA VEZ AO DIA"});
    }
    bench.writeLegacy("FormaFarma", forms);
    bench.writeLegacy("Posologias", dosages);

    const struct {
        const char* preview;
        const char* migrate;
        const char* table;
        Box::Kind box;  // batch: the re-read fails with the rows still cached; row by row: the final box
        const char* text;
    } cases[] = {
        {"BitBtn1", "BitBtn11", "FORMAFAR", Box::Error, "FormaFar: Must apply updates before refreshing data"},
        {"BitBtn9", "BitBtn19", "TABPOSO", Box::Information,
         "Procedimento concluído.\nRegistros migrados: 0; deixados de fora pelo filtro: 0; não migrados: 3."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        bench.press(c.preview);
        ASSERT_EQ(bench.takeBoxes().size(), 0u) << "the preview reads a read-only database";
        bench.press(c.migrate);
        const std::vector<TextBox> boxes = bench.takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, c.box) << boxes[0];
        EXPECT_EQ(boxes[0].text, c.text);
        // Each record is named with the server's reason.
        for (int record = 1; record <= kRecords; ++record) {
            EXPECT_TRUE(contains(boxes[0].details, "Registro " + std::to_string(record) + " ")) << boxes[0];
        }
        EXPECT_TRUE(contains(boxes[0].details, "read-only")) << boxes[0];
        EXPECT_EQ(rows(c.table), 0);
    }
}

}  // namespace
}  // namespace mig::test
