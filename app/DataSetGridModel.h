#pragma once
// The grid model of a target dataset (through its data source): the declared fields in order,
// numbers in their display formats, reset whenever the dataset opens, closes or changes rows.
#include "app/GridModel.h"
#include "target/dataset/ClientDataSet.h"
#include "target/dataset/DataSource.h"

namespace mig {

class DataSetGridModel : public GridModel {
    Q_OBJECT
public:
    DataSetGridModel(DataSource& source, QObject* parent);
    ~DataSetGridModel() override;
    DataSource& source() const { return source_; }

protected:
    bool active() const override;
    qint64 rows() const override;
    int columns() const override;
    std::string columnTitle(int column) const override;
    std::string text(qint64 row, int column) const override;
    Qt::Alignment alignment(int column) const override;

private:
    ClientDataSet* dataSet() const { return source_.DataSet(); }
    DataSource& source_;
    int subscription_ = -1;
};

}  // namespace mig
