#pragma once
// The model of one list of the vehicle file: rows already formatted, with the `num` of each row.
// An empty list shows a single blank row that stands for no line.
#include "VehicleFile.h"

#include <QAbstractTableModel>

namespace kv::vehiclefile {

class LineListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LineListModel(QList<Column> columns, QObject* parent = nullptr);

    void setRows(ListRows rows);
    /// The number of lines (0 when the list shows its blank row).
    int lineCount() const { return int(rows_.nums.size()); }
    /// The `num` of a row, 0 for the blank row.
    qint64 numAt(int row) const { return row >= 0 && row < rows_.nums.size() ? rows_.nums[row] : 0; }
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Column> columns_;
    ListRows rows_;
    /// Rows formatted so far: the view asks for each cell, and fitting the columns for a thousand rows.
    mutable QList<QStringList> shown_;
    mutable QList<bool> formatted_;
};

} // namespace kv::vehiclefile
