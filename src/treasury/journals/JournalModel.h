#pragma once
// The list of one journal of the activity report: rows already formatted (journals::cells), amounts
// right-aligned in the amount font, dates, numbers and modes centred.
#include "Journals.h"

#include <QAbstractTableModel>

namespace kv::journals {

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit JournalModel(Journal journal, QObject* parent = nullptr);

    Journal journal() const { return journal_; }
    void setRows(QList<QStringList> rows);
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    Journal journal_;
    QStringList captions_;
    QList<int> right_, centred_;
    QList<QStringList> rows_;
};

} // namespace kv::journals
