// A value the client side keeps but the server's column cannot hold: the manufacturers' NOME
// holds 60 characters in the dataset and 40 on the server. Each such row is refused against the
// size the server describes for the column, the operator is told which records and why, and the
// rows the server accepted are stored.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestServer.h"
#include "tests/support/WindowFixture.h"

namespace mig::test {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

dbf::DbfWriter manufacturers() {
    return dbf::DbfWriter(0x03, {{"FABCODIGO", 'N', 4},  {"FABRAZAOS", 'C', 80}, {"FABENDERE", 'C', 40},
                                 {"FABBAIRRO", 'C', 30}, {"FABNUMCEP", 'C', 9},  {"FABCIDADE", 'C', 30},
                                 {"FABESTADO", 'C', 2},  {"FABTELEF1", 'C', 14}, {"FABTELEF2", 'C', 14},
                                 {"FABNUMFAX", 'C', 14}, {"FABE_MAIL", 'C', 40}, {"FABHOMEPG", 'C', 40},
                                 {"FABCGCCPF", 'C', 18}, {"FABINSCRG", 'C', 18}});
}

TEST(ServerRefusal, ManufacturerNamesOfMoreThanFortyCharactersAreRefusedWithTheReason) {
    MIG_REQUIRE_SERVER();
    emptyServerTables();
    WindowFixture bench;
    bench.configureServer("127.0.0.1");

    // Name lengths: the column's size, one more, the dataset's size, and more than the dataset
    // holds (cut to 60 on the client without a message, then refused by the server).
    const int lengths[] = {40, 41, 60, 75};
    dbf::DbfWriter legacy = manufacturers();
    for (int i = 0; i < 4; ++i) {
        legacy.add({std::to_string(i + 1), std::string(static_cast<std::size_t>(lengths[i]), static_cast<char>('A' + i)),
                    "RUA UM", "CENTRO", "01001-000", "SAO PAULO", "SP", "1111-1111", "", "", "", "", "", ""});
    }
    bench.writeLegacy("Fabric", legacy);
    bench.press("BitBtn8");
    ASSERT_EQ(bench.takeBoxes().size(), 0u);
    bench.press("BitBtn18");

    const std::vector<TextBox> boxes = bench.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Box::Error) << boxes[0];
    EXPECT_EQ(boxes[0].text, "Fabric: Must apply updates before refreshing data");
    const struct {
        int record;
        int length;
    } refused[] = {{2, 41}, {3, 60}, {4, 60}};
    for (const auto& r : refused) {
        const std::string line = "Registro " + std::to_string(r.record) + " (" + std::to_string(r.record) + "): ";
        const std::size_t at = boxes[0].details.find(line);
        ASSERT_NE(at, std::string::npos) << boxes[0];
        const std::string reason = boxes[0].details.substr(at, boxes[0].details.find("Registro ", at + 1) - at);
        EXPECT_TRUE(contains(reason, "string right truncation")) << reason;
        EXPECT_TRUE(contains(reason, "the text has " + std::to_string(r.length) + " characters, the parameter takes at most 40"))
            << reason;
    }
    EXPECT_FALSE(contains(boxes[0].details, "Registro 1 ")) << boxes[0];
    EXPECT_EQ(serverColumn("select cast(CODIGO as varchar(4)) || ':' || NOME from FABRIC"),
              std::vector<std::string>{"1:" + std::string(40, 'A')});
}

}  // namespace
}  // namespace mig::test
