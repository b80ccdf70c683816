#include "app/UDM.h"

#include <stdexcept>
#include <string>

#include "app/Config.h"

namespace mig {

TDM* DM = nullptr;

namespace {

std::vector<std::unique_ptr<DataSetChain>> buildChains(db::SQLConnection& connection) {
    std::vector<std::unique_ptr<DataSetChain>> chains;
    for (const ChainDef& def : chainDefs()) chains.push_back(std::make_unique<DataSetChain>(def, connection));
    return chains;
}

DataSetChain& find(const std::vector<std::unique_ptr<DataSetChain>>& chains, std::string_view name) {
    for (const auto& c : chains) {
        if (c->def().clientDataSet == name) return *c;
    }
    throw std::logic_error("no dataset chain " + std::string(name));
}

}  // namespace

TDM::TDM()
    : chains_(buildChains(SQLConnection1)),
      FormaFar(find(chains_, "FormaFar").dataSet),
      Fornecedor(find(chains_, "Fornecedor").dataSet),
      Familias(find(chains_, "Familias").dataSet),
      CLIENTES(find(chains_, "CLIENTES").dataSet),
      MEDICOS(find(chains_, "MEDICOS").dataSet),
      Fabric(find(chains_, "Fabric").dataSet),
      TaxaBar(find(chains_, "TaxaBar").dataSet),
      TabPoso(find(chains_, "TabPoso").dataSet),
      COMPONEN(find(chains_, "COMPONEN").dataSet),
      Capsulas(find(chains_, "Capsulas").dataSet),
      Veiculos(find(chains_, "Veiculos").dataSet),
      Embalagens(find(chains_, "Embalagens").dataSet),
      DS_FormaFar(find(chains_, "FormaFar").dataSource),
      DS_Forneced(find(chains_, "Fornecedor").dataSource),
      DS_Familias(find(chains_, "Familias").dataSource),
      DS_CLIENTES(find(chains_, "CLIENTES").dataSource),
      DS_MEDICOS(find(chains_, "MEDICOS").dataSource),
      DS_Fabric(find(chains_, "Fabric").dataSource),
      DS_TaxaBar(find(chains_, "TaxaBar").dataSource),
      DS_TabPoso(find(chains_, "TabPoso").dataSource),
      DS_COMPONEN(find(chains_, "COMPONEN").dataSource),
      DS_Cap(find(chains_, "Capsulas").dataSource),
      DS_Vei(find(chains_, "Veiculos").dataSource),
      DS_Emb(find(chains_, "Embalagens").dataSource),
      SQLQuery1("SQLQuery1", SQLConnection1) {}

TDM::~TDM() {
    for (auto& c : chains_) c->dataSet.Close();
    SQLQuery1.Close();
    SQLConnection1.Close();
}

DataSetChain* TDM::chain(std::string_view clientDataSet) const {
    for (const auto& c : chains_) {
        if (c->def().clientDataSet == clientDataSet) return c.get();
    }
    return nullptr;
}

void TDM::DataModuleCreate() {
    ReadServerAddress();
    SQLConnection1.Close();
    SQLConnection1.Params().setValue("DataBase", ServerAddress + std::string(kDatabasePath));
}

}  // namespace mig
