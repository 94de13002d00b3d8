#include "CashListModel.h"

#include "core/kit/ScreenKit.h"

namespace kv::cashbook {

namespace {
QList<kit::GridColumn> columnsOf(const QStringList& captions, const QSet<int>& amounts, const QSet<int>& centred)
{
    QList<kit::GridColumn> columns;
    for (int c = 0; c < captions.size(); ++c) {
        kit::GridColumn column{captions[c], amounts.contains(c) ? kit::CellKind::Amount : kit::CellKind::Text};
        column.align = amounts.contains(c) ? Qt::AlignRight : centred.contains(c) ? Qt::AlignHCenter : Qt::AlignLeft;
        columns << column;
    }
    return columns;
}
} // namespace

CashListModel::CashListModel(const QStringList& captions, const QSet<int>& amountColumns, const QSet<int>& centredColumns,
                             QObject* parent)
    : kit::GridModel(columnsOf(captions, amountColumns, centredColumns), parent), amounts_(amountColumns)
{
}

QList<QStringList> CashListModel::rows() const
{
    QList<QStringList> rows;
    rows.reserve(lineCount());
    for (int r = 0; r < lineCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c)
            cells << cell(r, c);
        rows << cells;
    }
    return rows;
}

QVariant CashListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::FontRole: {
        if (!bold_.contains(index.row()))
            return kit::GridModel::data(index, role);
        QFont f = amounts_.contains(index.column()) ? kit::amountFont() : QFont();
        f.setBold(true);
        return f;
    }
    case Qt::ToolTipRole: {
        // A cut text shows whole under the pointer; an empty cell has none.
        const QString text = cell(index.row(), index.column()).trimmed();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default: return kit::GridModel::data(index, role);
    }
}

QVariant CashListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && amounts_.contains(section))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return kit::GridModel::headerData(section, orientation, role);
}

} // namespace kv::cashbook
