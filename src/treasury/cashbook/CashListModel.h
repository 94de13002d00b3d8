#pragma once
// A list of the cash book as shown: rows of cell texts under fixed captions, amounts right-aligned in
// the amounts' font, numbers and modes centred. Filled at once from one read of the day.
#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

namespace kv::cashbook {

class CashListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CashListModel(QStringList captions, QSet<int> amountColumns, QSet<int> centredColumns, QObject* parent = nullptr);

    void setRows(QList<QStringList> rows);
    const QList<QStringList>& rows() const { return rows_; }
    /// Rows shown in bold (the summary's totals).
    void setBoldRows(QSet<int> rows) { bold_ = std::move(rows); }
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList captions_;
    QSet<int> amounts_;
    QSet<int> centred_;
    QSet<int> bold_;
    QList<QStringList> rows_;
};

} // namespace kv::cashbook
