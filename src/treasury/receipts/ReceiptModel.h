#pragma once
// The list of the miscellaneous receipts: one row per line, "N°" (its position), "Date", "P. versante",
// "Montant", "Mode", "Obsevation". Filled at once from one read of the ledger.
#include "Receipts.h"

#include <QAbstractTableModel>

namespace kv::receipts {

class ReceiptModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColPosition, ColDate, ColPayer, ColAmount, ColMode, ColObservation, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setReceipts(QList<Receipt> lines);
    const QList<Receipt>& receipts() const { return lines_; }
    /// The text of a cell, as shown.
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Receipt> lines_;
};

} // namespace kv::receipts
