#pragma once
// The twelve kinds of master data the program migrates, in the order of the main window's rows.
// A migration, its window row and whatever else belongs to one kind are found by this key.
#include <array>
#include <cstdint>
#include <string_view>

namespace mig {

enum class MasterData : std::uint8_t {
    PharmaceuticalForms,
    Suppliers,
    Families,
    Customers,
    Physicians,
    RawMaterials,
    Capsules,
    Vehicles,
    Packaging,
    Manufacturers,
    Districts,
    DosageInstructions,
};

inline constexpr std::array<MasterData, 12> kMasterData = {
    MasterData::PharmaceuticalForms, MasterData::Suppliers,    MasterData::Families,
    MasterData::Customers,           MasterData::Physicians,   MasterData::RawMaterials,
    MasterData::Capsules,            MasterData::Vehicles,     MasterData::Packaging,
    MasterData::Manufacturers,       MasterData::Districts,    MasterData::DosageInstructions,
};

// How the program speaks of the kind in English: "pharmaceutical forms", "product families", ...
constexpr std::string_view masterDataName(MasterData kind) {
    switch (kind) {
        case MasterData::PharmaceuticalForms: return "pharmaceutical forms";
        case MasterData::Suppliers: return "suppliers";
        case MasterData::Families: return "product families";
        case MasterData::Customers: return "customers";
        case MasterData::Physicians: return "physicians";
        case MasterData::RawMaterials: return "raw materials";
        case MasterData::Capsules: return "capsules";
        case MasterData::Vehicles: return "vehicles";
        case MasterData::Packaging: return "packaging";
        case MasterData::Manufacturers: return "manufacturers";
        case MasterData::Districts: return "delivery districts";
        case MasterData::DosageInstructions: return "dosage instructions";
    }
    return "?";
}

}  // namespace mig
