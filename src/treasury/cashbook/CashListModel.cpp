#include "CashListModel.h"

#include "core/kit/ScreenKit.h"

namespace kv::cashbook {

CashListModel::CashListModel(QStringList captions, QSet<int> amountColumns, QSet<int> centredColumns, QObject* parent)
    : QAbstractTableModel(parent), captions_(std::move(captions)), amounts_(std::move(amountColumns)),
      centred_(std::move(centredColumns))
{
}

void CashListModel::setRows(QList<QStringList> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

QString CashListModel::cell(int row, int column) const
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= rows_[row].size())
        return {};
    return rows_[row][column];
}

int CashListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int CashListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(captions_.size()); }

QVariant CashListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return cell(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = Qt::AlignLeft;
        if (amounts_.contains(index.column()))
            a = Qt::AlignRight;
        else if (centred_.contains(index.column()))
            a = Qt::AlignHCenter;
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    case Qt::FontRole: {
        if (!amounts_.contains(index.column()) && !bold_.contains(index.row()))
            return {};
        QFont f = amounts_.contains(index.column()) ? kit::amountFont() : QFont();
        if (bold_.contains(index.row()))
            f.setBold(true);
        return f;
    }
    case Qt::ToolTipRole: {
        const QString text = cell(index.row(), index.column()).trimmed();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default: return {};
    }
}

QVariant CashListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < captions_.size()) {
        if (role == Qt::DisplayRole)
            return captions_[section];
        if (role == Qt::TextAlignmentRole && amounts_.contains(section))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kv::cashbook
