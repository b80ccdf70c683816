#pragma once
// One chain of the data module built from its definition: SQL dataset, provider, client
// dataset and data source, wired together over the connection, all closed.
//
// Lifetimes: the connection must outlive the chain.
#include "target/dataset/ChainDef.h"
#include "target/dataset/ClientDataSet.h"
#include "target/dataset/DataSetProvider.h"
#include "target/dataset/DataSource.h"
#include "target/dataset/SQLDataSet.h"

namespace mig {

class DataSetChain {
public:
    DataSetChain(const ChainDef& def, db::SQLConnection& connection)
        : def_(def),
          sqlDataSet(std::string(def.sqlDataSet), connection, std::string(def.select), def.sqlFields),
          provider(std::string(def.provider), sqlDataSet),
          dataSet(std::string(def.clientDataSet), def.clientFields, &provider),
          dataSource(std::string(def.dataSource), &dataSet) {}
    DataSetChain(const DataSetChain&) = delete;
    DataSetChain& operator=(const DataSetChain&) = delete;

    const ChainDef& def() const { return def_; }

private:
    const ChainDef& def_;

public:
    SQLDataSet sqlDataSet;
    DataSetProvider provider;
    ClientDataSet dataSet;
    DataSource dataSource;
};

}  // namespace mig
