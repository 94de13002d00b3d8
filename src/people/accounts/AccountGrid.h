#pragma once
// The grids of the account screens: a table model of text cells that always shows at least ten rows
// (blank rows below the last line, which cannot be selected), and the view set up as every list of the
// program (the screen kit's grid: captions in its header, columns fitted to their content, the free
// text taking the spare width), where a click on a blank row selects the last line.
#include <QAbstractTableModel>
#include <functional>
#include <QList>
#include <QStringList>
#include <QTableView>

namespace kv::accounts {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Rows always shown, blank ones included.
    static constexpr int kShownRows = 10;

    GridModel(QList<Qt::Alignment> alignments, QObject* parent = nullptr);

    /// The column captions shown in the grid's header.
    void setCaptions(QStringList captions) { captions_ = std::move(captions); }
    /// A column of amounts, shown in the amounts' font.
    void setAmountColumn(int column) { amountColumn_ = column; }

    /// Replaces the lines (each a list of cell texts, one per column).
    void setLines(QList<QStringList> lines);
    /// Replaces the lines by `count` lines whose cells `cellsOf(line)` gives when the line is shown: a
    /// long account is formatted a screenful at a time.
    void setLines(int count, std::function<QStringList(int)> cellsOf);
    int lineCount() const { return count_; }
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Qt::Alignment> alignments_;
    QStringList captions_;
    int amountColumn_ = -1;
    int count_ = 0;
    std::function<QStringList(int)> cellsOf_;
    mutable QList<QStringList> shown_;   ///< the lines formatted so far
    mutable QList<bool> formatted_;
};

/// A grid view over a GridModel; `stretchColumn` is the free text that takes the spare width.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridModel* model, int stretchColumn, QWidget* parent = nullptr);

    GridModel* grid() const { return model_; }
    /// The selected line (0-based), or -1 when the grid has no line.
    int selectedLine() const;
    /// Selects a line; a row below the last line selects the last line.
    void selectLine(int row);

private:
    GridModel* model_;
};

} // namespace kv::accounts
