#pragma once
// The twelve legacy tables the main window owns: component name, file name in the legacy
// folder, and the name of the data source that shows it in the upper grid.
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "legacy/LegacyTable.h"

namespace mig {

struct LegacyTableInfo {
    std::string_view component;   // "FormaFarma"
    std::string_view fileName;    // "QTR05", "qtr17A": as the program stores it
    std::string_view dataSource;  // "DS_FormaFarma"
};

// In the order of the main window's table: FormaFarma, Forneced, Familias, Clientes, Medicos,
// Componen, Capsulas, Veiculos, Embalagens, Fabric, Bairros, Posologias.
std::span<const LegacyTableInfo> legacyTableList();

// The entry of that component name (compared exactly); nullptr when there is none.
const LegacyTableInfo* findLegacyTable(std::string_view component);

// One closed table per entry of the list, over the legacy folder, in the list's order.
std::vector<std::unique_ptr<LegacyTable>> makeLegacyTables();

}  // namespace mig
