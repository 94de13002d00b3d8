#pragma once
// The list model of the screen kit: captions, columns of a kind (text, amount, date, whole number),
// rows held as they were read and formatted only when a view asks for them (a list of twenty thousand
// lines costs its read, not twenty thousand formatted rows), optional blank rows below the lines, and
// the totals of the amount columns; the lines' keys (a register's row numbers) held beside them, never
// shown; a line changed, added or removed in place; cells that stand out by their row's values (a colour,
// bold, italic, a tooltip), and the exact value behind a rounded cell for an export. GridView is the view
// of the account and pay grids over it.
#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <functional>
#include <optional>

namespace kv::kit {

/// What a column holds, which gives its default alignment, font and formatting.
enum class CellKind {
    Text,   ///< shown as read, left-aligned
    Amount, ///< a number shown "# ### ##0.00" and a blank, right-aligned in kit::amountFont()
    Date,   ///< a stored date (ISO text) shown dd/mm/yyyy, centred
    Whole,  ///< a whole number, empty when null, centred
    Position, ///< the line's position in the list from 1 ("N°"), centred; holds no value
};

/// How a cell stands out from its column's plain look.
struct CellLook {
    QString colour;      ///< its text's colour (one of kit::colours); empty: the view's
    bool bold = false;
    bool italic = false;
};

struct GridColumn {
    QString caption;
    CellKind kind = CellKind::Text;
    /// The cell's alignment; none gives the kind's (text left, amount right, date and whole centred).
    Qt::Alignment align = {};
    /// The cell's trimmed text as its tooltip (a long object or observation cut by the column).
    bool tooltip = false;
    /// The text of a value, when the kind's is not the list's (another number pattern, a code's caption).
    std::function<QString(const QVariant&)> format = {};
    /// The cells' font, when not the kind's (a registration number in a fixed-width font keeps its blanks).
    std::optional<QFont> font = std::nullopt;
    /// The cell's look from the values of its row (a row may carry values after its columns': a flag
    /// the look reads); none: the column's plain look.
    std::function<CellLook(const QVariantList& row)> look = {};
    /// The cell's tooltip from the values of its row (a file's path behind its date), in place of its text.
    std::function<QString(const QVariantList& row)> tip = {};
    /// An export writes the cell's value (Qt::UserRole), not its text: an amount shown in whole units.
    bool exact = false;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Rows a GridView always shows, blank ones included.
    static constexpr int kShownRows = 10;

    explicit GridModel(QList<GridColumn> columns, QObject* parent = nullptr);
    /// Text columns of these alignments, every cell with its text as tooltip (the captions come later).
    explicit GridModel(QList<Qt::Alignment> alignments, QObject* parent = nullptr);

    /// The column captions shown in the grid's header.
    void setCaptions(const QStringList& captions);
    /// A column of amounts, shown in the amounts' font.
    void setAmountColumn(int column);
    /// Blank rows below the last line up to `rows` rows in all (they cannot be selected); 0: none.
    void setMinimumRows(int rows);
    int minimumRows() const { return minimumRows_; }

    /// Replaces the lines by rows of values as read, one per column, each formatted by its column when shown.
    void setRows(QList<QVariantList> rows);
    /// The same, with the key of each line (a row number of the table), in the lines' order.
    void setRows(QList<QVariantList> rows, QList<qint64> keys);
    /// Reads the values of the lines of `keys`, in that order (a key the file no longer holds gives an
    /// empty row). Throws db::Error on an engine failure.
    using PageReader = std::function<QList<QVariantList>(const QList<qint64>& keys)>;
    /// Replaces the lines by the lines of `keys` (in the list's order), read a page at a time by
    /// `readPage` when a view asks for them: a list of a whole year opens at the cost of its keys.
    void setPagedRows(QList<qint64> keys, PageReader readPage);
    /// The key of a line (setPagedRows), 0 beyond the last line.
    qint64 keyAt(int row) const { return row >= 0 && row < keys_.size() ? keys_[row] : 0; }
    /// The keys of the lines in their order (setRows with keys, or setPagedRows); empty otherwise.
    const QList<qint64>& keys() const { return keys_; }

    // A line of setRows changed in place: the view keeps its selection and scroll position.
    /// Replaces the values of a line (row within the lines).
    void setRow(int row, QVariantList values);
    /// Replaces one value of a line.
    void setValue(int row, int column, const QVariant& value);
    /// Adds a line after the last one, with its key.
    void appendRow(QVariantList values, qint64 key = 0);
    /// Removes a line; the lines below move up.
    void removeLine(int row);

    /// Replaces the lines (each a list of cell texts, one per column).
    void setLines(QList<QStringList> lines);
    /// Replaces the lines by `count` lines whose cells `cellsOf(line)` gives when the line is shown, and
    /// whose values (value(), what an exact column exports) `valueOf(line, column)` gives. Both may throw
    /// db::Error: the line stays blank, the reason goes to the log, and the next paint asks again.
    void setLines(int count, std::function<QStringList(int)> cellsOf, std::function<QVariant(int, int)> valueOf = {});

    int lineCount() const { return count_; }
    /// The text of a cell as shown; empty for a blank row.
    QString cell(int row, int column) const;
    /// The value of a cell as given to setRows, read by the page reader or given by the lines' valueOf
    /// (null for lines given as texts alone).
    QVariant value(int row, int column) const;
    /// Sum of a column's values (setRows, or the pages read so far).
    double total(int column) const;

    /// The text of a value in a column, as a cell shows it.
    QString format(int column, const QVariant& value) const;

    /// The values of the widest cells of some columns (formatted as their cells are; of lines given as
    /// texts, their texts), by column: a
    /// GridView fits such a column to their texts instead of measuring its first lines, so a list of a
    /// year's lines measures none and its widest cell shows whole wherever it stands. Forgotten when the
    /// lines are replaced.
    void setWidestValues(const QHash<int, QVariantList>& values);
    /// The texts a view fits a column to (setWidestValues); empty: the view measures the lines.
    QStringList widestTexts(int column) const { return widest_.value(column); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// Lines a page reader is asked for at once.
    static constexpr int kPageRows = 128;
    /// Formatted lines of values kept at most: a view asks again and again for the lines in sight, an
    /// export for every line once, and a year's list must not keep a million formatted lines. (Lines
    /// of a function keep only the last one asked for.)
    static constexpr int kKeptLines = 4096;

private:
    void replace(int count, std::function<QStringList(int)> cellsOf, QList<QVariantList> values, QList<qint64> keys = {},
                 PageReader readPage = {}, std::function<QVariant(int, int)> valueOf = {});
    /// The formatted cells of a line, formatted now when they are not kept; null when it cannot be read.
    const QStringList* shownLine(int row) const;
    /// The values of a line (setRows, setPagedRows); empty for lines given as texts.
    QVariantList rowValues(int row) const;
    /// Reads the page of a row when it is not read yet; false when the engine refused it.
    bool ensureRead(int row) const;
    /// Forgets the formatted cells of a line changed in place.
    void forget(int row);
    /// Whether the lines are values held in the model (setRows), the only ones changed in place.
    bool holdsValues() const { return !cellsOf_ && !readPage_; }
    /// Tells the views that rows first..last (of rowCount) show something else.
    void changed(int first, int last);

    QList<GridColumn> columns_;
    int minimumRows_ = 0;
    int count_ = 0;
    std::function<QStringList(int)> cellsOf_;
    std::function<QVariant(int, int)> valueOf_;
    QList<qint64> keys_;
    PageReader readPage_;
    mutable QList<QVariantList> values_;
    mutable QList<bool> pageRead_;
    mutable QHash<int, QStringList> shown_; ///< lines formatted lately (at most kKeptLines)
    mutable int lastRow_ = -1; ///< the line last asked for, and its cells
    mutable QStringList lastCells_;
    QHash<int, QStringList> widest_; ///< by column (setWidestValues)
};

/// Gives the view a cell delegate that keeps the size of each cell once measured, until the model
/// changes: a list whose columns fit their content measures its first rows once, not at every layout
/// (the view's model must be set).
void cacheCellSizes(QTableView* view);

/// A grid view over a GridModel that always shows kShownRows rows; `stretchColumn` is the free text
/// that takes the spare width. A click on a blank row selects the last line.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridModel* model, int stretchColumn, QWidget* parent = nullptr);

    GridModel* grid() const { return model_; }
    /// The selected line (0-based), or -1 when the grid has no line.
    int selectedLine() const;
    /// Selects a line; a row below the last line selects the last line.
    void selectLine(int row);

    /// A column given its widest texts (GridModel::setWidestValues) is as wide as the widest of them in
    /// the look of its first line; any other is measured over its first lines.
    int sizeHintForColumn(int column) const override;

private:
    GridModel* model_;
};

} // namespace kv::kit
