#include "app/GridModel.h"

#include <limits>

#include "target/field/Win1252.h"

namespace mig {

namespace {
QString fromWin1252(const std::string& text) { return QString::fromStdString(win1252ToUtf8(text)); }
}  // namespace

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active()) return 0;
    const qint64 n = rows();
    // A view addresses rows with int; a larger table shows its first 2^31-1 records.
    return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(n);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active()) return 0;
    return columns();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !active()) return {};
    if (role == Qt::DisplayRole) return fromWin1252(text(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignment(index.column()));
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (!active() || section < 0 || section >= columns()) return {};
        return fromWin1252(columnTitle(section));
    }
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

Qt::Alignment GridModel::alignment(int) const { return Qt::AlignLeft | Qt::AlignVCenter; }

Qt::Alignment GridModel::alignmentOf(FieldKind kind) {
    switch (kind) {
        case FieldKind::SmallInt:
        case FieldKind::Word:
        case FieldKind::Integer:
        case FieldKind::Float:
        case FieldKind::Currency:
        case FieldKind::Decimal:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void GridModel::refresh() {
    refreshPending_ = false;
    beginResetModel();
    endResetModel();
}

void GridModel::refreshLater() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, [this] { if (refreshPending_) refresh(); }, Qt::QueuedConnection);
}

}  // namespace mig
