#pragma once
// The grid model of a legacy table (its data source): every field of the file, in file order, with the field
// names as column titles and numbers to the right.
#include "app/GridModel.h"
#include "legacy/LegacyTable.h"

namespace mig {

class LegacyGridModel : public GridModel {
    Q_OBJECT
public:
    LegacyGridModel(QString name, LegacyTable& table, QObject* parent)
        : GridModel(std::move(name), parent), table_(table) {}
    LegacyTable& table() const { return table_; }

protected:
    bool active() const override { return table_.Active(); }
    qint64 rows() const override { return table_.recordCount(); }
    int columns() const override { return table_.fieldCount(); }
    std::string columnTitle(int column) const override { return table_.columnName(column); }
    std::string text(qint64 row, int column) const override { return table_.displayText(row, column); }
    Qt::Alignment alignment(int column) const override {
        return column < table_.fieldCount() ? alignmentOf(table_.field(column).kind()) : GridModel::alignment(column);
    }

private:
    LegacyTable& table_;
};

}  // namespace mig
