#pragma once
// A fresh embedded target database with a connection pointed at it, the chains of the data
// module built over that connection on demand, a free query over it as the data module's
// `SQLQuery1`, and a second attachment that sees only what was committed.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "target/dataset/DataSetChain.h"
#include "target/dataset/SQLQuery.h"
#include "target/db/SQLConnection.h"
#include "tests/support/TestDatabase.h"

namespace mig::test {

class TargetDb {
public:
    TargetDb() { connection.Params().setValue("Database", db.path()); }

    // The chain of that client dataset ("FormaFar").
    DataSetChain& chain(std::string_view clientDataSet) {
        auto& slot = chains_[std::string(clientDataSet)];
        if (!slot) slot = std::make_unique<DataSetChain>(*findChain(clientDataSet), connection);
        return *slot;
    }
    ClientDataSet& dataSet(std::string_view clientDataSet) { return chain(clientDataSet).dataSet; }

    // Runs one statement in a transaction of its own.
    void exec(std::string_view sql) { connection.ExecuteDirect(sql); }

    // The first column of every row, as committed (valueText); the rows of a table.
    std::vector<std::string> column(std::string_view sql) const { return db.column(sql); }
    int count(std::string_view table) const { return db.count(table); }

    TestDatabase db;
    db::SQLConnection connection;
    SQLQuery query{"SQLQuery1", connection};

private:
    std::map<std::string, std::unique_ptr<DataSetChain>> chains_;
};

}  // namespace mig::test
