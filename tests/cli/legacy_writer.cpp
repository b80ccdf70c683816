// legacy_writer: the legacy tables the tests of the real executable need, written into a folder.
//
//   legacy_writer <folder> <districts> <forms>
//
// Every one of the twelve tables with one record (so that each preview opens), then the
// districts (QTR42A, migrated row by row) and the pharmaceutical forms (QTR05, the batch form)
// with the numbers of records given: "BAIRRO 1000000", "BAIRRO 1000001", ... and "FORMA 1000000",
// ... (no record that the target refuses or cannot convert).
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "legacy/LegacyTables.h"
#include "tools/dbf/DbfWriter.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: " << argv[0] << " <folder> <districts> <forms>\n";
        return 2;
    }
    const std::string folder = argv[1];
    const int districts = std::atoi(argv[2]);
    const int forms = std::atoi(argv[3]);
    try {
        std::filesystem::create_directories(folder);
        for (const mig::LegacyTableInfo& info : mig::legacyTableList()) {
            mig::dbf::DbfWriter(0x03, {{"DESCRICAO", 'C', 30}}).add({"REGISTRO 1"}).writeFiles(folder + "/" + std::string(info.fileName) + ".DBF");
        }
        mig::dbf::DbfWriter bairros(0x03, {{"REGBAIRRO", 'C', 40}});
        for (int i = 0; i < districts; ++i) bairros.add({"BAIRRO " + std::to_string(1000000 + i)});
        bairros.writeFiles(folder + "/QTR42A.DBF");
        mig::dbf::DbfWriter formas(0x03, {{"GRPDESCRI", 'C', 15}, {"GRPVALTEX", 'C', 15}});
        for (int i = 0; i < forms; ++i) formas.add({"FORMA " + std::to_string(1000000 + i), "30 DIAS"});
        formas.writeFiles(folder + "/QTR05.DBF");
    } catch (const std::exception& e) {
        std::cerr << "legacy_writer: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
