#include "migrations/EmptyTable.h"

#include <array>

#include "target/dataset/ClientDataSet.h"
#include "target/dataset/SQLQuery.h"
#include "target/db/SQLConnection.h"

namespace mig {

namespace {

constexpr std::array<EmptyCase, 12> kCases = {{
    {"Formas Farmacêuticas", "FormaFar", "delete from FORMAFAR",
     "select count(*) from FORMAFAR"},
    {"Fornecedores", "Fornecedor", "delete from FORNECED",
     "select count(*) from FORNECED"},
    {"Famílias", "Familias", "delete from FAMILIAS",
     "select count(*) from FAMILIAS"},
    {"Clientes", "CLIENTES", "delete from CLIENTES",
     "select count(*) from CLIENTES"},
    {"Médicos", "MEDICOS", "delete from MEDICOS",
     "select count(*) from MEDICOS"},
    {"Componentes", "COMPONEN", "delete from COMPONEN where GRUPO = 'MP'",
     "select count(*) from COMPONEN where GRUPO = 'MP'"},
    {"Bairros", "TaxaBar", "delete from TAXABAIRRO",
     "select count(*) from TAXABAIRRO"},
    {"Posologias", "TabPoso", "delete from TABPOSO",
     "select count(*) from TABPOSO"},
    {"Cápsulas", "Capsulas", "delete from COMPONEN where GRUPO = 'CAP'",
     "select count(*) from COMPONEN where GRUPO = 'CAP'"},
    // Every table the operator can migrate can be emptied, so that its migration can run again.
    {"Fabricantes", "Fabric", "delete from FABRIC",
     "select count(*) from FABRIC"},
    {"Veículos", "Veiculos", "delete from COMPONEN where GRUPO = 'VEI'",
     "select count(*) from COMPONEN where GRUPO = 'VEI'"},
    {"Embalagens", "Embalagens", "delete from COMPONEN where GRUPO = 'EMB'",
     "select count(*) from COMPONEN where GRUPO = 'EMB'"},
}};

}  // namespace

std::span<const EmptyCase> emptyCases() { return kCases; }

const EmptyCase* findEmptyCase(std::string_view caption) {
    for (const EmptyCase& c : kCases) {
        if (c.caption == caption) return &c;
    }
    return nullptr;
}

std::int64_t storedRows(const EmptyCase& emptyCase, SQLQuery& query) {
    query.Close();
    query.setSQL(std::string(emptyCase.count));
    query.Open();
    std::int64_t rows = 0;
    try {
        rows = query.Fields(0).asInteger();
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
    return rows;
}

void emptyTable(const EmptyCase& emptyCase, ClientDataSet& dataSet, db::SQLConnection& connection) {
    dataSet.Close();
    connection.ExecuteDirect(emptyCase.statement);
    dataSet.Open();
}

}  // namespace mig
