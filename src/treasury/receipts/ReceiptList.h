#pragma once
// The list of the miscellaneous receipts on the kit's grid model: one row per line, "N°" (its position),
// "Date", "P. versante", "Montant", "Mode", "Obsevation". Filled at once from one read of the ledger.
#include "Receipts.h"
#include "core/kit/GridModel.h"

namespace kv::receipts {

struct ReceiptList {
    enum Column { ColPosition, ColDate, ColPayer, ColAmount, ColMode, ColObservation, ColumnCount };
    /// A list of these columns, without lines.
    static kit::GridModel* create(QObject* parent = nullptr);
    /// Shows `lines` in their order.
    static void show(kit::GridModel& list, const QList<Receipt>& lines);
};

} // namespace kv::receipts
