#pragma once
// A data source of the data module (`DS_FormaFar`): what binds a grid to a client dataset.
#include <string>

namespace mig {

class ClientDataSet;

class DataSource {
public:
    DataSource(std::string name, ClientDataSet* dataSet) : name_(std::move(name)), dataSet_(dataSet) {}

    const std::string& name() const { return name_; }
    ClientDataSet* DataSet() const { return dataSet_; }
    void setDataSet(ClientDataSet* dataSet) { dataSet_ = dataSet; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

private:
    std::string name_;
    ClientDataSet* dataSet_;
    bool enabled_ = true;
};

}  // namespace mig
