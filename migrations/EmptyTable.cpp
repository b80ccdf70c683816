#include "migrations/EmptyTable.h"

#include <array>

#include "target/dataset/ClientDataSet.h"
#include "target/db/SQLConnection.h"

namespace mig {

namespace {

constexpr std::array<EmptyCase, 12> kCases = {{
    {"Formas Farmacêuticas", "FormaFar", "delete from FORMAFAR"},
    {"Fornecedores", "Fornecedor", "delete from FORNECED"},
    {"Famílias", "Familias", "delete from FAMILIAS"},
    {"Clientes", "CLIENTES", "delete from CLIENTES"},
    {"Médicos", "MEDICOS", "delete from MEDICOS"},
    {"Componentes", "COMPONEN", "delete from COMPONEN where GRUPO = 'MP'"},
    {"Bairros", "TaxaBar", "delete from TAXABAIRRO"},
    {"Posologias", "TabPoso", "delete from TABPOSO"},
    {"Cápsulas", "Capsulas", "delete from COMPONEN where GRUPO = 'CAP'"},
    // Every table the operator can migrate can be emptied, so that its migration can run again.
    {"Fabricantes", "Fabric", "delete from FABRIC"},
    {"Veículos", "Veiculos", "delete from COMPONEN where GRUPO = 'VEI'"},
    {"Embalagens", "Embalagens", "delete from COMPONEN where GRUPO = 'EMB'"},
}};

}  // namespace

std::span<const EmptyCase> emptyCases() { return kCases; }

const EmptyCase* findEmptyCase(std::string_view caption) {
    for (const EmptyCase& c : kCases) {
        if (c.caption == caption) return &c;
    }
    return nullptr;
}

void emptyTable(const EmptyCase& emptyCase, ClientDataSet& dataSet, db::SQLConnection& connection) {
    dataSet.Close();
    connection.ExecuteDirect(emptyCase.statement);
    dataSet.Open();
}

}  // namespace mig
