#include "AccountGrid.h"

#include "core/kit/ScreenKit.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace kv::accounts {

GridModel::GridModel(QList<Qt::Alignment> alignments, QObject* parent)
    : QAbstractTableModel(parent), alignments_(std::move(alignments))
{
}

void GridModel::setLines(QList<QStringList> lines)
{
    const int count = static_cast<int>(lines.size());
    setLines(count, [lines = std::move(lines)](int row) { return lines[row]; });
}

void GridModel::setLines(int count, std::function<QStringList(int)> cellsOf)
{
    beginResetModel();
    count_ = count;
    cellsOf_ = std::move(cellsOf);
    shown_ = QList<QStringList>(count);
    formatted_ = QList<bool>(count, false);
    endResetModel();
}

QString GridModel::cell(int row, int column) const
{
    if (row < 0 || row >= count_ || column < 0 || !cellsOf_)
        return {};
    if (!formatted_[row]) {
        shown_[row] = cellsOf_(row);
        formatted_[row] = true;
    }
    return shown_[row].value(column);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max<int>(kShownRows, count_);
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(alignments_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignments_.value(index.column(), Qt::AlignLeft) | Qt::AlignVCenter);
    if (role == Qt::FontRole && index.column() == amountColumn_)
        return kit::amountFont();
    if (role == Qt::ToolTipRole && index.row() < count_)
        return cell(index.row(), index.column()).trimmed();
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < captions_.size())
        return captions_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() >= count_)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

GridView::GridView(GridModel* model, int stretchColumn, QWidget* parent) : QTableView(parent), model_(model)
{
    setModel(model);
    kit::setupGrid(this);
    kit::fitColumns(this, stretchColumn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Room for the ten rows an account always shows, when the screen has it.
    setMinimumHeight(std::min(GridModel::kShownRows, 6) * verticalHeader()->defaultSectionSize() +
                     horizontalHeader()->sizeHint().height() + 2 * frameWidth());
    // A click on a blank row below the lines selects the last line.
    connect(this, &QTableView::pressed, this, [this](const QModelIndex& index) {
        if (index.isValid() && index.row() >= model_->lineCount())
            selectLine(index.row());
    });
}

int GridView::selectedLine() const
{
    if (model_->lineCount() == 0)
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    int row = !rows.isEmpty() ? rows.first().row() : (currentIndex().isValid() ? currentIndex().row() : 0);
    return std::clamp(row, 0, model_->lineCount() - 1);
}

void GridView::selectLine(int row)
{
    if (model_->lineCount() == 0) {
        clearSelection();
        return;
    }
    row = std::clamp(row, 0, model_->lineCount() - 1);
    selectRow(row);
    setCurrentIndex(model_->index(row, 0));
}

} // namespace kv::accounts
