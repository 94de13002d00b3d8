#include "ReceiptModel.h"

#include "core/kit/ScreenKit.h"

namespace kv::receipts {

namespace {
const QStringList kCaptions = {QStringLiteral("N°"),      QStringLiteral("Date"), QStringLiteral("P. versante"),
                               QStringLiteral("Montant"), QStringLiteral("Mode"), QStringLiteral("Obsevation")};
} // namespace

void ReceiptModel::setReceipts(QList<Receipt> lines)
{
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

QString ReceiptModel::cell(int row, int column) const
{
    if (row < 0 || row >= lines_.size())
        return {};
    const Receipt& r = lines_[row];
    switch (column) {
    case ColPosition: return QString::number(row + 1);
    case ColDate: return r.date;
    case ColPayer: return kPassingClient;
    case ColAmount: return amountCell(r.montant);
    case ColMode: return modeCell(r.mode);
    case ColObservation: return observationCell(r.ref);
    default: return {};
    }
}

int ReceiptModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(lines_.size()); }

int ReceiptModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ReceiptModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return cell(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = Qt::AlignLeft;
        if (index.column() == ColPosition || index.column() == ColDate)
            a = Qt::AlignHCenter;
        else if (index.column() == ColAmount)
            a = Qt::AlignRight;
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    case Qt::FontRole:
        if (index.column() == ColAmount)
            return kit::amountFont();
        return {};
    case Qt::ToolTipRole:
        if (index.column() == ColObservation)
            return cell(index.row(), index.column()).trimmed();
        return {};
    default: return {};
    }
}

QVariant ReceiptModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kCaptions.size())
        return kCaptions[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kv::receipts
