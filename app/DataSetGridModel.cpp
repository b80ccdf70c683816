#include "app/DataSetGridModel.h"

namespace mig {

DataSetGridModel::DataSetGridModel(DataSource& source, QObject* parent)
    : GridModel(QString::fromStdString(source.name()), parent), source_(source) {
    if (ClientDataSet* ds = dataSet()) {
        subscription_ = ds->subscribe([this](DataSetEvent event) {
            // Opening and closing show at once; row changes (a migration appends thousands)
            // are gathered into one reset when the event loop runs again.
            if (event == DataSetEvent::Opened || event == DataSetEvent::Closed ||
                event == DataSetEvent::Refreshed) {
                refresh();
            } else {
                refreshLater();
            }
        });
    }
}

DataSetGridModel::~DataSetGridModel() {
    if (ClientDataSet* ds = dataSet(); ds && subscription_ >= 0) ds->unsubscribe(subscription_);
}

bool DataSetGridModel::active() const {
    const ClientDataSet* ds = dataSet();
    return ds && source_.Enabled() && ds->Active();
}

qint64 DataSetGridModel::rows() const { return dataSet()->displayRowCount(); }

int DataSetGridModel::columns() const { return dataSet()->FieldCount(); }

std::string DataSetGridModel::columnTitle(int column) const { return dataSet()->Fields(column).displayName(); }

std::string DataSetGridModel::text(qint64 row, int column) const {
    if (row >= rows() || column >= columns()) return {};  // rows changed, reset still pending
    return dataSet()->displayText(static_cast<int>(row), column);
}

Qt::Alignment DataSetGridModel::alignment(int column) const { return alignmentOf(dataSet()->Fields(column).kind()); }

}  // namespace mig
