#pragma once
// The list of one journal of the activity report: the lines of a report, each formatted when the list
// asks for it (journals::rowCells), or rows already formatted; amounts right-aligned in the amount font,
// dates, numbers and modes centred.
#include "Journals.h"

#include <QAbstractTableModel>

namespace kv::journals {

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit JournalModel(Journal journal, QObject* parent = nullptr);

    Journal journal() const { return journal_; }
    void setRows(QList<QStringList> rows);
    /// Shows the journal's lines of `report`, which must outlive the model or be replaced first.
    void setReport(const Report* report);
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
    const Report* report_ = nullptr;
    mutable qsizetype cachedRow_ = -1; ///< the line last formatted, asked for once per column
    mutable QStringList cached_;
};

} // namespace kv::journals
