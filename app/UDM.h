#pragma once
// The data module `TDM` (instance `DM`): the connection `SQLConnection1`, the twelve dataset
// chains (SQL dataset, provider, client dataset, data source) and the free query `SQLQuery1`.
// It lives for the whole run and is released when the program ends.
#include <memory>
#include <string_view>
#include <vector>

#include "target/dataset/DataSetChain.h"
#include "target/dataset/SQLQuery.h"
#include "target/db/SQLConnection.h"

namespace mig {

class TDM {
public:
    // Builds the components from their stored settings: the connection closed (it opens when
    // the first dataset needs it), every dataset closed.
    TDM();
    ~TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    // The creation handler: reads "KORVELAN.INI" (ReadServerAddress, which raises ConfigMissing
    // when the file does not exist), closes the connection and points its "DataBase" parameter at
    // ServerAddress followed by ":C:\korvelan\dados\korvelan.bd".
    void DataModuleCreate();

    db::SQLConnection SQLConnection1;

private:
    std::vector<std::unique_ptr<DataSetChain>> chains_;

public:
    // The chain whose client dataset has that name; nullptr when none.
    DataSetChain* chain(std::string_view clientDataSet) const;
    const std::vector<std::unique_ptr<DataSetChain>>& chains() const { return chains_; }

    ClientDataSet& FormaFar;
    ClientDataSet& Fornecedor;
    ClientDataSet& Familias;
    ClientDataSet& CLIENTES;
    ClientDataSet& MEDICOS;
    ClientDataSet& Fabric;
    ClientDataSet& TaxaBar;
    ClientDataSet& TabPoso;
    ClientDataSet& COMPONEN;
    ClientDataSet& Capsulas;
    ClientDataSet& Veiculos;
    ClientDataSet& Embalagens;

    DataSource& DS_FormaFar;
    DataSource& DS_Forneced;
    DataSource& DS_Familias;
    DataSource& DS_CLIENTES;
    DataSource& DS_MEDICOS;
    DataSource& DS_Fabric;
    DataSource& DS_TaxaBar;
    DataSource& DS_TabPoso;
    DataSource& DS_COMPONEN;
    DataSource& DS_Cap;
    DataSource& DS_Vei;
    DataSource& DS_Emb;

    SQLQuery SQLQuery1;
};

// The data module of the running program; null before start-up creates it.
extern TDM* DM;

}  // namespace mig
