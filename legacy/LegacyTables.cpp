#include "legacy/LegacyTables.h"

#include <array>
#include <string>

namespace mig {
namespace {

constexpr std::array<LegacyTableInfo, 12> kTables = {{
    {"FormaFarma", "QTR05", "DS_FormaFarma"},
    {"Forneced", "QTR02", "DS_Forneced"},
    {"Familias", "qtr17A", "DS_Familias"},
    {"Clientes", "QTR13", "DS_Clientes"},
    {"Medicos", "QTR19", "DS_Medicos"},
    {"Componen", "QTR23", "DS_Componen"},
    {"Capsulas", "QTR28", "DS_Capsulas"},
    {"Veiculos", "QTR24", "DS_Veiculos"},
    {"Embalagens", "QTR26", "DS_Embalagens"},
    {"Fabric", "QTR03", "DS_Fabric"},
    {"Bairros", "QTR42A", "DS_Bairros"},
    {"Posologias", "QTR49", "DS_Posologias"},
}};

}  // namespace

std::span<const LegacyTableInfo> legacyTableList() { return kTables; }

const LegacyTableInfo* findLegacyTable(std::string_view component) {
    for (const LegacyTableInfo& t : kTables) {
        if (t.component == component) return &t;
    }
    return nullptr;
}

std::vector<std::unique_ptr<LegacyTable>> makeLegacyTables() {
    std::vector<std::unique_ptr<LegacyTable>> tables;
    for (const LegacyTableInfo& t : kTables) {
        tables.push_back(std::make_unique<LegacyTable>(std::string(t.component), std::string(t.fileName)));
    }
    return tables;
}

}  // namespace mig
