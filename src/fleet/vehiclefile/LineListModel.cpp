#include "LineListModel.h"

#include "core/kit/ScreenKit.h"

namespace kv::vehiclefile {

LineListModel::LineListModel(QList<Column> columns, QObject* parent) : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void LineListModel::setRows(ListRows rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    shown_ = QList<QStringList>(rows_.size());
    formatted_ = QList<bool>(rows_.size(), false);
    endResetModel();
}

QString LineListModel::cell(int row, int column) const
{
    if (row < 0 || row >= rows_.size())
        return {};
    if (!formatted_[row]) {
        shown_[row] = rows_.cellsAt(row);
        formatted_[row] = true;
    }
    return shown_[row].value(column);
}

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMax(1, rows_.size());
}

int LineListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= columns_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[index.column()].align);
    case Qt::FontRole:
        return columns_[index.column()].amount ? QVariant(kit::amountFont()) : QVariant();
    default:
        return {};
    }
}

QVariant LineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

} // namespace kv::vehiclefile
