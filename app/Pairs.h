#pragma once
// The twelve migration pairs of the main window, top to bottom: the kind of master data of each
// row, its preview and migrate buttons, the legacy table and target dataset it shows, and the
// captions it writes.
#include <array>
#include <string_view>

#include "migrations/MasterData.h"

namespace mig {

struct PairDef {
    MasterData kind;
    int rowTop;
    std::string_view previewButton;   // object name, e.g. "BitBtn1"
    std::string_view previewCaption;  // UTF-8
    std::string_view migrateButton;   // e.g. "BitBtn11"
    std::string_view legacyTable;     // component name of the legacy table, and the pair's key
    std::string_view legacySource;    // its data source
    std::string_view targetDataSet;   // component name of the target dataset
    std::string_view targetSource;    // its data source
    std::string_view label1;          // the legacy file code shown above the upper grid
    std::string_view label2;          // the target table's name in Portuguese (UTF-8)
    bool paintsCaptionsFirst;         // customers and physicians: captions painted before opening
};

inline constexpr std::array<PairDef, 12> kPairs = {{
    {MasterData::PharmaceuticalForms, 16, "BitBtn1", "Formas Farmacêuticas - QTR05", "BitBtn11",
     "FormaFarma", "DS_FormaFarma", "FormaFar", "DS_FormaFar", "QTR05", "Formas Farmacêuticas", false},
    {MasterData::Suppliers, 56, "BitBtn2", "Fornecedores - QTR02", "BitBtn12",
     "Forneced", "DS_Forneced", "Fornecedor", "DS_Forneced", "QTR02", "Fornecedores", false},
    {MasterData::Families, 96, "BitBtn5", "Famílias - QTR17A", "BitBtn15",
     "Familias", "DS_Familias", "Familias", "DS_Familias", "QTR17A", "Famílias", false},
    {MasterData::Customers, 136, "BitBtn3", "Clientes - QTR13", "BitBtn13",
     "Clientes", "DS_Clientes", "CLIENTES", "DS_CLIENTES", "QTR13", "Clientes", true},
    {MasterData::Physicians, 176, "BitBtn4", "Médicos - QTR19", "BitBtn14",
     "Medicos", "DS_Medicos", "MEDICOS", "DS_MEDICOS", "QTR19", "Médicos", true},
    {MasterData::RawMaterials, 216, "BitBtn10", "Componen - QTR23", "BitBtn20",
     "Componen", "DS_Componen", "COMPONEN", "DS_COMPONEN", "QTR23", "Componentes", false},
    {MasterData::Capsules, 256, "BitBtn7", "Cápulas - QTR28", "BitBtn17",
     "Capsulas", "DS_Capsulas", "Capsulas", "DS_Cap", "QTR28", "Cápsulas", false},
    {MasterData::Vehicles, 296, "BitBtn22", "Veículos - QTR24", "BitBtn23",
     "Veiculos", "DS_Veiculos", "Veiculos", "DS_Vei", "QTR24", "Veículos", false},
    {MasterData::Packaging, 336, "BitBtn24", "Embalagens - QTR26", "BitBtn25",
     "Embalagens", "DS_Embalagens", "Embalagens", "DS_Emb", "QTR26", "Embalagens", false},
    {MasterData::Manufacturers, 376, "BitBtn8", "Fabricantes - QTR03", "BitBtn18",
     "Fabric", "DS_Fabric", "Fabric", "DS_Fabric", "QTR03", "Fabricantes", false},
    {MasterData::Districts, 416, "BitBtn6", "Bairros - QTR42A", "BitBtn16",
     "Bairros", "DS_Bairros", "TaxaBar", "DS_TaxaBar", "QTR42A", "Bairros", false},
    {MasterData::DosageInstructions, 456, "BitBtn9", "Posologias - QTR49", "BitBtn19",
     "Posologias", "DS_Posologias", "TabPoso", "DS_TabPoso", "QTR49", "Posologias", false},
}};

// The pair of that kind of master data.
constexpr const PairDef& pairOf(MasterData kind) { return kPairs[static_cast<std::size_t>(kind)]; }
// The table stands in the order of the kinds, so that a kind finds its pair by its place.
static_assert([] {
    for (std::size_t i = 0; i < kMasterData.size(); ++i) {
        if (kPairs[i].kind != kMasterData[i]) return false;
    }
    return true;
}());

// Keyboard focus order of the window's controls, by object name.
inline constexpr std::array<std::string_view, 27> kFocusOrder = {
    "BitBtn1",  "BitBtn2",  "BitBtn5",  "BitBtn3",  "BitBtn4",  "BitBtn10", "BitBtn8",
    "BitBtn6",  "BitBtn9",  "BitBtn11", "BitBtn12", "BitBtn15", "BitBtn13", "BitBtn14",
    "BitBtn20", "BitBtn18", "BitBtn16", "BitBtn19", "DBGrid1",  "BitBtn21", "DBGrid2",
    "BitBtn7",  "BitBtn17", "BitBtn22", "BitBtn23", "BitBtn24", "BitBtn25"};

}  // namespace mig
