#pragma once
// A list of the cash book as shown, on the kit's list model: fixed captions, amounts right-aligned in the
// amounts' font, numbers and modes centred, a line's cells made only when a view shows it (a busy day's
// thousands of lines cost their read, not thousands of formatted rows), and bold rows for the summary's
// totals.
#include "core/kit/GridModel.h"

#include <QSet>

namespace kv::cashbook {

class CashListModel : public kit::GridModel {
    Q_OBJECT
public:
    /// Text columns under `captions`; `amountColumns` in the amounts' font, right-aligned;
    /// `centredColumns` centred.
    CashListModel(const QStringList& captions, const QSet<int>& amountColumns, const QSet<int>& centredColumns,
                  QObject* parent = nullptr);

    /// The cells of every line, in order (each made if no view has shown it yet).
    QList<QStringList> rows() const;
    /// Rows shown in bold (the summary's totals).
    void setBoldRows(QSet<int> rows) { bold_ = std::move(rows); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QSet<int> amounts_;
    QSet<int> bold_;
};

} // namespace kv::cashbook
