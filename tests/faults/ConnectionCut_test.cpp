// The server going away in the middle of a migration. The program reaches the loopback server
// through a relay of the test's own, configured as "127.0.0.1/PORT" in KORVELAN.INI, and the
// relay cuts every connection at a chosen request and stops answering, as a server that goes
// away does.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestServer.h"
#include "tests/support/WindowFixture.h"
#include "tests/support/Relay.h"

namespace mig::test {
namespace {

dbf::DbfWriter forms(int records) {
    dbf::DbfWriter w(0x03, {{"GRPCODIGO", 'N', 4}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}});
    for (int i = 1; i <= records; ++i) w.add({std::to_string(i), "FORMA " + std::to_string(i), "30 DIAS"});
    return w;
}

dbf::DbfWriter dosages(int records) {
    dbf::DbfWriter w(0x03, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'C', 60}});
    for (int i = 1; i <= records; ++i) w.add({std::to_string(i), "TOMAR " + std::to_string(i) + " VEZES AO DIA"});
    return w;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ConnectionCut : public ::testing::Test {
protected:
    void SetUp() override {
        MIG_REQUIRE_SERVER();
        emptyServerTables();
        bench.configureServer(relay.serverAddress());
    }

    Relay relay;
    WindowFixture bench;
};

// The batch form sends every row in one transaction: a cut in the middle of it leaves nothing of
// that apply on the server and one error box with the client's text. The window stays usable:
// once the server answers again the next preview shows the empty target and the migration
// stores every row.
TEST_F(ConnectionCut, DuringABatchApplyNothingOfItIsStoredAndTheNextPreviewWorks) {
    constexpr int kRecords = 400;
    bench.writeLegacy("FormaFarma", forms(kRecords));
    bench.press("BitBtn1");
    ASSERT_EQ(bench.takeBoxes().size(), 0u);
    ASSERT_TRUE(bench.enabled("BitBtn11"));

    const int before = relay.requestsPassed();
    // The apply starts its transaction and prepares its insert in a few requests, then sends
    // one request per row: the cut falls among the rows.
    relay.cutAtRequest(kRecords / 2);
    bench.press("BitBtn11");
    ASSERT_TRUE(relay.cutHappened());
    EXPECT_GE(relay.requestsPassed() - before, kRecords / 2 - 1);

    const std::vector<TextBox> boxes = bench.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Box::Error) << boxes[0];
    // The client's own text for a connection that went away.
    EXPECT_TRUE(contains(boxes[0].text, "connection") || contains(boxes[0].text, "network")) << boxes[0];
    EXPECT_EQ(serverCount("FORMAFAR"), 0) << "a part of the apply was stored";

    // The window is still usable while the server is away: the preview reports the failure.
    bench.press("BitBtn1");
    const std::vector<TextBox> away = bench.takeBoxes();
    ASSERT_EQ(away.size(), 1u);
    EXPECT_EQ(away[0].kind, Box::Error) << away[0];

    relay.start();
    bench.press("BitBtn1");
    EXPECT_EQ(bench.takeBoxes().size(), 0u);
    ASSERT_TRUE(bench.enabled("BitBtn11"));
    EXPECT_EQ(bench.targetRows(), 0);
    bench.press("BitBtn11");
    const std::vector<TextBox> done = bench.takeBoxes();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].kind, Box::Information) << done[0];
    EXPECT_EQ(done[0].text, "Procedimento concluído.");
    EXPECT_EQ(serverCount("FORMAFAR"), kRecords);
}

// The row-by-row form stores each row in its own transaction: a cut in the middle of the walk
// keeps the rows stored before it, and every later record fails at once (the server does not
// answer any more) instead of hanging; the final box counts the records not migrated and the
// details name each of them.
TEST_F(ConnectionCut, DuringARowByRowWalkTheRowsStoredBeforeStayAndTheRestAreReported) {
    constexpr int kRecords = 40;
    bench.writeLegacy("Posologias", dosages(kRecords));
    bench.press("BitBtn9");
    ASSERT_EQ(bench.takeBoxes().size(), 0u);

    // Each record takes several requests (transaction, insert, commit, re-read): the cut falls
    // among the first half of the records.
    relay.cutAtRequest(kRecords);
    bench.press("BitBtn19");
    ASSERT_TRUE(relay.cutHappened());

    const int stored = serverCount("TABPOSO");
    EXPECT_GT(stored, 0);
    EXPECT_LT(stored, kRecords / 2);
    // The rows stored are the first records, in order.
    const std::vector<std::string> codes = serverColumn("select CODIGO from TABPOSO order by cast(CODIGO as integer)");
    for (int i = 0; i < static_cast<int>(codes.size()); ++i) EXPECT_EQ(codes[static_cast<std::size_t>(i)], std::to_string(i + 1));

    const std::vector<TextBox> boxes = bench.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Box::Information) << boxes[0];
    EXPECT_TRUE(boxes[0].text.starts_with("Procedimento concluído.")) << boxes[0];
    EXPECT_TRUE(contains(boxes[0].text, "Registros migrados: " + std::to_string(stored) + ";")) << boxes[0];
    EXPECT_TRUE(contains(boxes[0].text, "não migrados: " + std::to_string(kRecords - stored) + ".")) << boxes[0];
    // Every record not migrated is named in the details with the client's reason.
    for (int record = stored + 1; record <= kRecords; ++record) {
        EXPECT_TRUE(contains(boxes[0].details, "Registro " + std::to_string(record) + " (" + std::to_string(record) + "): "))
            << "record " << record << " missing from " << boxes[0].details;
    }

    // Back again: the pair previews, its target shows the rows stored, and the migration says so.
    relay.start();
    bench.press("BitBtn9");
    EXPECT_EQ(bench.takeBoxes().size(), 0u);
    EXPECT_EQ(bench.targetRows(), stored);
    bench.press("BitBtn19");
    const std::vector<TextBox> again = bench.takeBoxes();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].text, "A tabela de Posologias já está carregada.");
}

}  // namespace
}  // namespace mig::test
