#pragma once
// Legacy tables as the legacy product lays them out, for the tests of more than one migration.
#include <string>
#include <vector>

#include "tools/dbf/DbfWriter.h"

namespace mig::test {

// The raw materials (QTR23): code, name, unit, correction factor, density, minimum stock,
// scientific name.
inline dbf::DbfWriter rawMaterialsTable() {
    return dbf::DbfWriter(0x03, {{"MATCODIGO", 'N', 7},
                                 {"MATNOMECO", 'C', 80},
                                 {"MATUNICOM", 'C', 6},
                                 {"MATFATCOR", 'N', 12, 5},
                                 {"MATDENSID", 'N', 12, 5},
                                 {"MATESTMIN", 'N', 10, 2},
                                 {"MATNOMECI", 'C', 50}});
}

// The capsules (QTR28): code, name and minimum stock, of type `minimumType` ('N' or 'C').
inline dbf::DbfWriter capsulesTable(char minimumType = 'N') {
    return dbf::DbfWriter(0x03, {{"EMBCODIGO", 'N', 5},
                                 {"EMBNOMECO", 'C', 80},
                                 {"EMBESTMIN", minimumType, 10, minimumType == 'N' ? 2 : 0}});
}

// The physicians (QTR19).
inline dbf::DbfWriter physiciansTable() {
    return dbf::DbfWriter(0x03, {{"MEDCODIGO", 'N', 5},
                                 {"MEDCRNUME", 'C', 12},
                                 {"MEDNOMECO", 'C', 50},
                                 {"MEDENDERE", 'C', 60},
                                 {"MEDBAIRRO", 'C', 40},
                                 {"MEDCIDADE", 'C', 30},
                                 {"MEDESTADO", 'C', 2},
                                 {"MEDNUMCEP", 'C', 10},
                                 {"MEDNUMTEL", 'C', 30}});
}

// A physician with that registration number and name; the other texts are fixed.
inline std::vector<dbf::Cell> physician(const std::string& crm, const std::string& name,
                                        const std::string& district = "CENTRO") {
    return {"1", crm, name, "AV " + name, district, "RECIFE", "PE", "50000-000", "81 3333-0000"};
}

}  // namespace mig::test
