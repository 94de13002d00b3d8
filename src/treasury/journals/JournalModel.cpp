#include "JournalModel.h"

#include "core/kit/ScreenKit.h"
#include "platform/db/Error.h"
#include "platform/ui/ErrorLog.h"

namespace kv::journals {

JournalModel::JournalModel(Journal journal, QObject* parent)
    : QAbstractTableModel(parent), journal_(journal), captions_(captions(journal)), right_(rightColumns(journal)),
      centred_(centredColumns(journal))
{
}

void JournalModel::setRows(QList<QStringList> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    report_ = nullptr;
    cachedRow_ = -1;
    endResetModel();
}

void JournalModel::setReport(const Report* report)
{
    beginResetModel();
    rows_.clear();
    report_ = report;
    cachedRow_ = -1;
    endResetModel();
}

QString JournalModel::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (!report_)
        return rows_[row].value(column);
    if (cachedRow_ != row) {
        try {
            cached_ = rowCells(*report_, journal_, row);
        } catch (const db::Error& e) {
            // A list asks while it paints, where no message can be shown: the line stays blank, the
            // reason goes to the log, and the next paint tries again.
            ui::errorLog().write(e.message());
            return {};
        }
        cachedRow_ = row;
    }
    return cached_.value(column);
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return report_ ? lineCount(*report_, journal_) : int(rows_.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(captions_.size()); }

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole: return cell(index.row(), c);
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = Qt::AlignLeft;
        if (right_.contains(c))
            a = Qt::AlignRight;
        else if (centred_.contains(c))
            a = Qt::AlignHCenter;
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    case Qt::FontRole:
        if (right_.contains(c))
            return kit::amountFont();
        return {};
    case Qt::ToolTipRole:
        if (c == textColumn(journal_))
            return cell(index.row(), c).trimmed();
        return {};
    case Qt::UserRole:
        // The exact amount behind a cell shown in whole units, for the list's export.
        if (!report_ || !right_.contains(c))
            return {};
        try {
            return rowValue(*report_, journal_, index.row(), c);
        } catch (const db::Error& e) {
            ui::errorLog().write(e.message());
            return {};
        }
    default: return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < captions_.size())
        return captions_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kv::journals
