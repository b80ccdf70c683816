// The legacy folder is read, never written: after every preview (with the grids painted), every
// migration, the emptying of every table that can be emptied and every migration again, each
// file of C:\Quiltor holds the same bytes and the same modification time as before, and no file
// came or went.
#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/Pairs.h"
#include "legacy/LegacyTables.h"
#include "tests/support/TestServer.h"
#include "tests/support/WindowFixture.h"

namespace mig::test {
namespace {

namespace fs = std::filesystem;

using F = dbf::FieldSpec;

// Every field each migration reads, in tables of the legacy product's kinds.
const std::map<std::string, std::vector<F>>& legacyLayouts() {
    static const std::map<std::string, std::vector<F>> layouts = {
        {"FormaFarma", {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}}},
        {"Forneced", {{"FORCODIGO", 'C', 4},  {"FORRAZAOS", 'C', 50}, {"FORENDERE", 'C', 40}, {"FORBAIRRO", 'C', 30},
                      {"FORNUMCEP", 'C', 9},  {"FORCIDADE", 'C', 30}, {"FORESTADO", 'C', 2},  {"FORTELEF1", 'C', 14},
                      {"FORTELEF2", 'C', 14}, {"FORNUMFAX", 'C', 14}, {"FORE_MAIL", 'C', 40}, {"FORHOMEPG", 'C', 40},
                      {"FORCGCCPF", 'C', 18}, {"FORINSCRG", 'C', 18}}},
        {"Familias", {{"ACTCODIGO", 'N', 4}, {"ACTDESCRI", 'C', 30}}},
        {"Clientes", {{"CLICODIGO", 'N', 6},  {"CLINOMECO", 'C', 50}, {"CLIENDERE", 'C', 50}, {"CLIBAIRRO", 'C', 30},
                      {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},  {"CLINUMCEP", 'C', 9},  {"CLINUMTEL", 'C', 20},
                      {"CLINUMCPF", 'C', 14}, {"CLIDOCUME", 'C', 15}, {"CLIDTNASC", 'D'},     {"CLIE_MAIL", 'C', 40},
                      {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'M'},     {"CLISEXOCL", 'C', 1},  {"CLITPDOCU", 'C', 5},
                      {"CLIORGEXP", 'C', 6},  {"CLIESTEXP", 'C', 2}}},
        {"Medicos", {{"MEDCRNUME", 'C', 10}, {"MEDNOMECO", 'C', 50}, {"MEDENDERE", 'C', 50}, {"MEDBAIRRO", 'C', 30},
                     {"MEDCIDADE", 'C', 30}, {"MEDESTADO", 'C', 2},  {"MEDNUMCEP", 'C', 9},  {"MEDNUMTEL", 'C', 20}}},
        {"Componen", {{"MATCODIGO", 'N', 7}, {"MATNOMECO", 'C', 40}, {"MATUNICOM", 'C', 4}, {"MATFATCOR", 'N', 8, 3},
                      {"MATDENSID", 'N', 8, 3}, {"MATESTMIN", 'N', 8, 2}, {"MATNOMECI", 'C', 40}}},
        {"Capsulas", {{"EMBNOMECO", 'C', 40}, {"EMBESTMIN", 'N', 10}}},
        {"Veiculos", {{"BASDESCRI", 'C', 40}, {"BASUNIDAD", 'C', 6}}},
        {"Embalagens", {{"EMBNOMECO", 'C', 40}}},
        {"Fabric", {{"FABCODIGO", 'N', 4},  {"FABRAZAOS", 'C', 50}, {"FABENDERE", 'C', 40}, {"FABBAIRRO", 'C', 30},
                    {"FABNUMCEP", 'C', 9},  {"FABCIDADE", 'C', 30}, {"FABESTADO", 'C', 2},  {"FABTELEF1", 'C', 14},
                    {"FABTELEF2", 'C', 14}, {"FABNUMFAX", 'C', 14}, {"FABE_MAIL", 'C', 40}, {"FABHOMEPG", 'C', 40},
                    {"FABCGCCPF", 'C', 18}, {"FABINSCRG", 'C', 18}}},
        {"Bairros", {{"REGBAIRRO", 'C', 40}}},
        {"Posologias", {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'M'}}},
    };
    return layouts;
}

// A plausible value of record `n` for a field.
std::string valueOf(const F& field, int n) {
    switch (field.type) {
        case 'N': return field.decimals ? std::to_string(n) + ".5" : std::to_string(n);
        case 'D': return "1980011" + std::to_string(n % 10);
        case 'M': return "OBSERVACAO " + std::to_string(n) + " DO REGISTRO";
        default: {
            if (field.length <= 2) return std::string("SP").substr(0, static_cast<std::size_t>(field.length));
            if (field.name.ends_with("CODIGO")) return std::to_string(n);
            std::string text = std::string(field.name).substr(3) + " " + std::to_string(n);
            return text.substr(0, static_cast<std::size_t>(field.length));
        }
    }
}

dbf::DbfWriter table(const std::vector<F>& fields, std::uint8_t version) {
    dbf::DbfWriter w(version, fields);
    for (int n = 1; n <= 4; ++n) {
        std::vector<dbf::Cell> cells;
        for (const F& f : fields) cells.emplace_back(valueOf(f, n));
        if (n == 3) w.addDeleted(cells);
        else w.add(cells);
    }
    return w;
}

struct FileState {
    std::string bytes;
    fs::file_time_type modified;
    fs::perms permissions;
    bool operator==(const FileState&) const = default;
};

std::map<std::string, FileState> folderState(const std::string& folder) {
    std::map<std::string, FileState> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::ifstream in(e.path(), std::ios::binary);
        out[e.path().filename().string()] = {std::string(std::istreambuf_iterator<char>(in), {}),
                                              fs::last_write_time(e.path()), e.status().permissions()};
    }
    return out;
}

TEST(LegacyFolderNeverWritten, EveryPreviewMigrationAndEmptyingLeavesEveryFileAsItWas) {
    MIG_REQUIRE_SERVER();
    emptyServerTables();
    WindowFixture bench;
    bench.configureServer("127.0.0.1");
    for (const LegacyTableInfo& info : legacyTableList()) {
        // dBase IV files for the tables with memos, dBase III for the others.
        const auto& fields = legacyLayouts().at(std::string(info.component));
        const bool memo = std::any_of(fields.begin(), fields.end(), [](const F& f) { return f.type == 'M'; });
        bench.writeLegacy(info.component, table(fields, memo ? 0x8B : 0x03));
    }
    std::ofstream(bench.legacyFolder() + "/LEIAME.TXT") << "arquivos do Quiltor\r\n";
    // A time long past: any write would move it to now.
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10) + std::chrono::nanoseconds(123456789);
    for (const auto& e : fs::directory_iterator(bench.legacyFolder())) fs::last_write_time(e.path(), past);
    const std::map<std::string, FileState> before = folderState(bench.legacyFolder());
    ASSERT_EQ(before.size(), 12u + 2u + 1u) << "twelve tables, two memo files and a text";

    bench.form->show();
    const auto previewAndPaint = [&](const PairDef& pair) {
        bench.press(pair.previewButton);
        QApplication::processEvents();  // the grids read and paint their rows
    };
    for (const PairDef& pair : kPairs) {
        SCOPED_TRACE(pair.legacyTable);
        previewAndPaint(pair);
        bench.press(pair.migrateButton);
        const std::vector<TextBox> boxes = bench.takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, Box::Information) << boxes[0];
        EXPECT_TRUE(boxes[0].text.starts_with("Procedimento concluído.")) << boxes[0];
        QApplication::processEvents();
    }
    bench.press("BitBtn21");  // Fechar Tudo
    // Empty what can be emptied (the question answered Sim) and migrate again.
    bench.boxes.answer = true;
    for (const PairDef& pair : kPairs) {
        SCOPED_TRACE(pair.legacyTable);
        previewAndPaint(pair);
        bench.chooseEmptyTable();
        bench.press(pair.migrateButton);
        for (const TextBox& box : bench.takeBoxes()) EXPECT_NE(box.kind, Box::Error) << box;
        QApplication::processEvents();
    }
    bench.form->close();

    const std::map<std::string, FileState> after = folderState(bench.legacyFolder());
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, state] : before) {
        SCOPED_TRACE(name);
        ASSERT_EQ(after.count(name), 1u);
        EXPECT_EQ(after.at(name).bytes, state.bytes);
        EXPECT_EQ(after.at(name).modified, state.modified);
        EXPECT_EQ(after.at(name).permissions, state.permissions);
    }
}

}  // namespace
}  // namespace mig::test
