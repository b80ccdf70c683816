#pragma once
// A grid model: the Qt model through which a grid shows a record set. It only adapts the
// record set (rows, columns, display texts) and reads rows on demand, so a large table shows
// at once. Read-only: the grids never edit the legacy files or the target datasets.
#include <QAbstractTableModel>
#include <QString>

#include "target/field/FieldKind.h"

namespace mig {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(QString name, QObject* parent) : QAbstractTableModel(parent) { setObjectName(name); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The record set's rows, columns or values changed (opened, closed, re-read, appended).
    void refresh();
    // The same, once, when the event loop next runs.
    void refreshLater();

protected:
    virtual bool active() const = 0;
    virtual qint64 rows() const = 0;
    virtual int columns() const = 0;
    virtual std::string columnTitle(int column) const = 0;  // WIN1252
    virtual std::string text(qint64 row, int column) const = 0;  // WIN1252
    virtual Qt::Alignment alignment(int column) const;
    // Numbers to the right, everything else to the left.
    static Qt::Alignment alignmentOf(FieldKind kind);

private:
    bool refreshPending_ = false;
};

}  // namespace mig
