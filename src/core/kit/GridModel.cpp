#include "GridModel.h"

#include "core/formats/Numbers.h"
#include "core/kit/ScreenKit.h"
#include "platform/db/Dates.h"
#include "platform/db/Error.h"
#include "platform/ui/ErrorLog.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QApplication>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kv::kit {

namespace {

Qt::Alignment defaultAlignment(CellKind kind)
{
    switch (kind) {
    case CellKind::Amount: return Qt::AlignRight;
    case CellKind::Date:
    case CellKind::Whole:
    case CellKind::Position: return Qt::AlignHCenter;
    case CellKind::Text: break;
    }
    return Qt::AlignLeft;
}

QList<GridColumn> textColumns(const QList<Qt::Alignment>& alignments)
{
    QList<GridColumn> columns;
    columns.reserve(alignments.size());
    for (Qt::Alignment a : alignments)
        columns.append(GridColumn{QString(), CellKind::Text, a, true});
    return columns;
}

} // namespace

GridModel::GridModel(QList<GridColumn> columns, QObject* parent) : QAbstractTableModel(parent), columns_(std::move(columns))
{
    for (GridColumn& c : columns_)
        if (!(c.align & Qt::AlignHorizontal_Mask))
            c.align |= defaultAlignment(c.kind);
}

GridModel::GridModel(QList<Qt::Alignment> alignments, QObject* parent) : GridModel(textColumns(alignments), parent)
{
    minimumRows_ = kShownRows;
}

void GridModel::setCaptions(const QStringList& captions)
{
    for (int c = 0; c < columns_.size(); ++c)
        columns_[c].caption = captions.value(c);
    emit headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
}

void GridModel::setAmountColumn(int column)
{
    if (column >= 0 && column < columns_.size())
        columns_[column].kind = CellKind::Amount;
}

void GridModel::setMinimumRows(int rows)
{
    if (rows == minimumRows_)
        return;
    beginResetModel();
    minimumRows_ = std::max(0, rows);
    endResetModel();
}

void GridModel::setRows(QList<QVariantList> rows)
{
    const int count = int(rows.size());
    replace(count, {}, std::move(rows));
}

void GridModel::setRows(QList<QVariantList> rows, QList<qint64> keys)
{
    const int count = int(rows.size());
    keys.resize(count);
    replace(count, {}, std::move(rows), std::move(keys));
}

void GridModel::changed(int first, int last)
{
    if (first <= last)
        emit dataChanged(index(first, 0), index(last, int(columns_.size()) - 1));
}

void GridModel::forget(int row)
{
    shown_.remove(row);
    if (row == lastRow_)
        lastRow_ = -1;
}

void GridModel::setRow(int row, QVariantList values)
{
    if (!holdsValues() || row < 0 || row >= count_)
        return;
    values_[row] = std::move(values);
    forget(row);
    changed(row, row);
}

void GridModel::setValue(int row, int column, const QVariant& value)
{
    if (!holdsValues() || row < 0 || row >= count_ || column < 0 || column >= columns_.size())
        return;
    QVariantList& values = values_[row];
    if (values.size() <= column)
        values.resize(column + 1);
    values[column] = value;
    forget(row);
    changed(row, row);
}

void GridModel::appendRow(QVariantList values, qint64 key)
{
    if (!holdsValues())
        return;
    const int row = count_;
    // Below the lines the row may already stand as a blank one: it only changes.
    const bool blankTaken = row < minimumRows_;
    if (!blankTaken)
        beginInsertRows({}, row, row);
    ++count_;
    values_.append(std::move(values));
    keys_.resize(row);
    keys_.append(key);
    if (blankTaken)
        changed(row, row);
    else
        endInsertRows();
}

void GridModel::removeLine(int row)
{
    if (!holdsValues() || row < 0 || row >= count_)
        return;
    const bool blankLeft = count_ <= minimumRows_;
    if (!blankLeft)
        beginRemoveRows({}, row, row);
    --count_;
    values_.removeAt(row);
    if (row < keys_.size())
        keys_.removeAt(row);
    // The lines below move up, a position shown below it is one less now: formatted again.
    shown_.clear();
    lastRow_ = -1;
    if (blankLeft)
        changed(row, minimumRows_ - 1); // the lines below moved up, a blank row took the last place
    else {
        endRemoveRows();
        changed(row, count_ - 1);
    }
}

void GridModel::setPagedRows(QList<qint64> keys, PageReader readPage)
{
    const int count = int(keys.size());
    replace(count, {}, QList<QVariantList>(count), std::move(keys), std::move(readPage));
}

bool GridModel::ensureRead(int row) const
{
    if (!readPage_)
        return true;
    const int page = row / kPageRows;
    if (pageRead_[page])
        return true;
    const int first = page * kPageRows;
    const QList<qint64> keys = keys_.mid(first, kPageRows);
    try {
        const QList<QVariantList> rows = readPage_(keys);
        for (int i = 0; i < keys.size(); ++i)
            values_[first + i] = rows.value(i);
    } catch (const db::Error& e) {
        // A list asks while it paints, where no message can be shown: the lines stay blank, the
        // reason goes to the log, and the next paint tries again.
        ui::errorLog().write(e.message());
        return false;
    }
    pageRead_[page] = true;
    return true;
}

void GridModel::setLines(QList<QStringList> lines)
{
    const int count = int(lines.size());
    replace(count, [lines = std::move(lines)](int row) { return lines[row]; }, {});
}

void GridModel::setLines(int count, std::function<QStringList(int)> cellsOf, std::function<QVariant(int, int)> valueOf)
{
    replace(count, std::move(cellsOf), {}, {}, {}, std::move(valueOf));
}

void GridModel::replace(int count, std::function<QStringList(int)> cellsOf, QList<QVariantList> values, QList<qint64> keys,
                        PageReader readPage, std::function<QVariant(int, int)> valueOf)
{
    beginResetModel();
    count_ = std::max(0, count);
    cellsOf_ = std::move(cellsOf);
    valueOf_ = std::move(valueOf);
    values_ = std::move(values);
    keys_ = std::move(keys);
    readPage_ = std::move(readPage);
    pageRead_ = QList<bool>(readPage_ ? (count_ + kPageRows - 1) / kPageRows : 0, false);
    shown_.clear();
    lastRow_ = -1;
    lastCells_.clear();
    widest_.clear();
    endResetModel();
}

void GridModel::setWidestValues(const QHash<int, QVariantList>& values)
{
    int first = int(columns_.size()), last = -1;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int column = it.key();
        if (column < 0 || column >= columns_.size())
            continue;
        QStringList texts;
        texts.reserve(it->size());
        for (const QVariant& v : *it)
            texts.append(cellsOf_ ? v.toString() : format(column, v));
        widest_.insert(column, texts);
        first = std::min(first, column);
        last = std::max(last, column);
    }
    // The header fits its sections again, all of them given at once.
    if (first <= last)
        emit headerDataChanged(Qt::Horizontal, first, last);
}

QString GridModel::format(int column, const QVariant& value) const
{
    if (column < 0 || column >= columns_.size())
        return {};
    const GridColumn& c = columns_[column];
    if (c.format)
        return c.format(value);
    if (value.isNull())
        return {};
    switch (c.kind) {
    case CellKind::Amount: return formatNumber(value.toDouble(), u"# ### ##0.00") + u' ';
    case CellKind::Date: return db::toShownDate(value);
    case CellKind::Whole: return QString::number(value.toLongLong());
    case CellKind::Position:
    case CellKind::Text: break;
    }
    return value.toString();
}

const QStringList* GridModel::shownLine(int row) const
{
    // A view asks for the cells of a line one column after the other: the line last asked for first.
    if (row == lastRow_)
        return &lastCells_;
    if (const auto it = shown_.constFind(row); it != shown_.constEnd()) {
        lastRow_ = row;
        lastCells_ = *it;
        return &lastCells_;
    }
    QStringList cells;
    if (cellsOf_) {
        try {
            cells = cellsOf_(row);
        } catch (const db::Error& e) {
            // Asked while the list paints, where no message can be shown (as a refused page).
            ui::errorLog().write(e.message());
            return nullptr;
        }
    } else {
        if (!ensureRead(row))
            return nullptr;
        const QVariantList& values = values_[row];
        cells.reserve(columns_.size());
        for (int c = 0; c < columns_.size(); ++c)
            cells.append(columns_[c].kind == CellKind::Position ? QString::number(row + 1) : format(c, values.value(c)));
    }
    // Lines of a function are its own to keep (a report keeps its pages): only the last one is kept.
    if (!cellsOf_) {
        if (shown_.size() >= kKeptLines)
            shown_.clear();
        shown_.insert(row, cells);
    }
    lastRow_ = row;
    lastCells_ = std::move(cells);
    return &lastCells_;
}

QString GridModel::cell(int row, int column) const
{
    if (row < 0 || row >= count_ || column < 0 || column >= columns_.size())
        return {};
    const QStringList* cells = shownLine(row);
    return cells ? cells->value(column) : QString();
}

QVariantList GridModel::rowValues(int row) const
{
    if (row < 0 || row >= values_.size() || !ensureRead(row))
        return {};
    return values_[row];
}

QVariant GridModel::value(int row, int column) const
{
    if (valueOf_) {
        if (row < 0 || row >= count_)
            return {};
        try {
            return valueOf_(row, column);
        } catch (const db::Error& e) {
            ui::errorLog().write(e.message());
            return {};
        }
    }
    return rowValues(row).value(column);
}

double GridModel::total(int column) const
{
    double sum = 0;
    for (const QVariantList& row : values_)
        sum += row.value(column).toDouble();
    return sum;
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : std::max(minimumRows_, count_); }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const GridColumn& c = columns_[index.column()];
    const bool line = index.row() < count_;
    switch (role) {
    case Qt::DisplayRole: return cell(index.row(), index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(c.align | Qt::AlignVCenter);
    case Qt::FontRole: {
        const CellLook look = line && c.look ? c.look(rowValues(index.row())) : CellLook{};
        const bool amount = c.kind == CellKind::Amount;
        if (!c.font && !amount && !look.bold && !look.italic)
            return {};
        // A font with only what the cell changes set: the view's font gives the rest.
        QFont font = c.font ? *c.font : amount ? amountFont() : QFont();
        if (look.bold)
            font.setBold(true);
        if (look.italic)
            font.setItalic(true);
        return font;
    }
    case Qt::ForegroundRole: {
        const CellLook look = line && c.look ? c.look(rowValues(index.row())) : CellLook{};
        return look.colour.isEmpty() ? QVariant() : QVariant(QColor(look.colour));
    }
    case Qt::ToolTipRole:
        if (!line)
            return {};
        if (c.tip)
            return c.tip(rowValues(index.row()));
        if (c.tooltip)
            return cell(index.row(), index.column()).trimmed();
        return {};
    case Qt::UserRole:
        // The value behind the text, for an export of the list.
        if (c.exact && line)
            return value(index.row(), index.column());
        return {};
    default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].caption;
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

// ---- the view -------------------------------------------------------------------------------------------

namespace {

/// The styled delegate, whose size of a cell is measured once: the columns that fit their content ask
/// for the same cells at every layout of the view.
class SizeKeepingDelegate : public QStyledItemDelegate {
public:
    SizeKeepingDelegate(QAbstractItemModel* model, QObject* parent) : QStyledItemDelegate(parent)
    {
        const auto forget = [this] { sizes_.clear(); };
        connect(model, &QAbstractItemModel::modelReset, this, forget);
        connect(model, &QAbstractItemModel::layoutChanged, this, forget);
        connect(model, &QAbstractItemModel::dataChanged, this, forget);
        connect(model, &QAbstractItemModel::rowsInserted, this, forget);
        connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
        connect(model, &QAbstractItemModel::rowsMoved, this, forget);
        connect(model, &QAbstractItemModel::columnsInserted, this, forget);
        connect(model, &QAbstractItemModel::columnsRemoved, this, forget);
        connect(model, &QAbstractItemModel::columnsMoved, this, forget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const quint64 key = (quint64(quint32(index.row())) << 32) | quint32(index.column());
        const auto it = sizes_.constFind(key);
        if (it != sizes_.constEnd())
            return *it;
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        sizes_.insert(key, size);
        return size;
    }

    /// The width of a cell of `index`'s look (its font, alignment) showing `text`.
    int widthOf(QStyleOptionViewItem option, const QModelIndex& index, const QString& text) const
    {
        initStyleOption(&option, index);
        option.text = text;
        option.features |= QStyleOptionViewItem::HasDisplay;
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), widget).width();
    }

private:
    mutable QHash<quint64, QSize> sizes_;
};

} // namespace

void cacheCellSizes(QTableView* view)
{
    if (view->model())
        view->setItemDelegate(new SizeKeepingDelegate(view->model(), view));
}

GridView::GridView(GridModel* model, int stretchColumn, QWidget* parent) : QTableView(parent), model_(model)
{
    model->setMinimumRows(GridModel::kShownRows);
    setModel(model);
    cacheCellSizes(this);
    setupGrid(this);
    fitColumns(this, stretchColumn);
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

int GridView::sizeHintForColumn(int column) const
{
    const QStringList widest = model_->widestTexts(column);
    const auto* delegate = dynamic_cast<const SizeKeepingDelegate*>(itemDelegateForIndex(model_->index(0, column)));
    if (widest.isEmpty() || model_->lineCount() == 0 || !delegate)
        return QTableView::sizeHintForColumn(column);
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex first = model_->index(0, column);
    int hint = 0;
    for (const QString& text : widest)
        hint = std::max(hint, delegate->widthOf(option, first, text));
    // The blank rows below the lines are narrower than any text; the grid's line, as the view counts it.
    return showGrid() ? hint + 1 : hint;
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

} // namespace kv::kit
