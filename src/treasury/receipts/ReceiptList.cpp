#include "ReceiptList.h"

#include "core/kit/GridModel.h"

namespace kv::receipts {

kit::GridModel* ReceiptList::create(QObject* parent)
{
    using kit::CellKind;
    QList<kit::GridColumn> columns = {
        {QStringLiteral("N°"), CellKind::Position},
        {QStringLiteral("Date"), CellKind::Text, Qt::AlignHCenter},
        {QStringLiteral("P. versante"), CellKind::Text, {}, false, [](const QVariant&) { return kPassingClient; }},
        {QStringLiteral("Montant"), CellKind::Amount, {}, false, [](const QVariant& v) { return amountCell(v.toDouble()); }},
        {QStringLiteral("Mode"), CellKind::Text, {}, false, [](const QVariant& v) { return modeCell(v.toInt()); }},
        {QStringLiteral("Obsevation"), CellKind::Text, {}, true, [](const QVariant& v) { return observationCell(v); }},
    };
    return new kit::GridModel(std::move(columns), parent);
}

void ReceiptList::show(kit::GridModel& list, const QList<Receipt>& lines)
{
    QList<QVariantList> rows;
    rows.reserve(lines.size());
    for (const Receipt& r : lines)
        rows.append({QVariant(), r.date, QVariant(), r.montant, r.mode, r.ref});
    list.setRows(std::move(rows));
}

} // namespace kv::receipts
