#include "CashPrints.h"

#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"

namespace kv::cashbook {

QString templateName(Tab tab) { return QStringLiteral("JCSSE_%1.RPT").arg(int(tab)); }

bool printable(const CashDay& day, Tab tab)
{
    switch (tab) {
    case TabSummary: return true;
    case TabVehicles: return !day.vehicles.isEmpty();
    case TabSalaries: return !day.salaries.isEmpty();
    case TabOthers: return !day.others.isEmpty();
    case TabReceipts: return !day.receipts.isEmpty();
    case TabCount: break;
    }
    return false;
}

QMap<QString, QString> summaryTexts(const CashDay& day)
{
    const QList<QStringList> cells = summaryCells(day);
    QMap<QString, QString> texts{{QStringLiteral("ch4"), title(day.day)},
                                 {QStringLiteral("ch10"), cells[RowOpening][ColBalance]}};
    const auto ch = [](int n) { return QStringLiteral("ch%1").arg(n); };
    for (int row = RowReceipts; row <= RowDayTotals; ++row) {
        texts.insert(ch(10 + row), cells[row][ColReceipts]);
        texts.insert(ch(15 + row), cells[row][ColExpenses]);
    }
    for (int row = RowReceipts; row <= RowClosing; ++row)
        texts.insert(ch(20 + row), cells[row][ColBalance]);
    return texts;
}

namespace {
template <typename Line> QStringList keys(const QList<Line>& lines)
{
    QStringList k;
    for (const Line& l : lines)
        k << QString::number(l.num);
    return k;
}
} // namespace

bool printTab(Session& session, const CashDay& day, Tab tab)
{
    if (!printable(day, tab))
        return false;
    ReportRequest request;
    request.templateName = templateName(tab);
    request.texts = {{QStringLiteral("ch4"), title(day.day)}};
    switch (tab) {
    case TabSummary: request.texts = summaryTexts(day); break;
    case TabVehicles: request.buffer = keys(day.vehicles); break;
    case TabOthers: request.buffer = keys(day.others); break;
    case TabReceipts: request.buffer = keys(day.receipts); break;
    case TabSalaries: {
        // The buffer's rows carry the cells; written with the routine's own writes in one transaction.
        db::Database& db = session.db();
        db::Transaction t(db);
        QList<db::Fields> rows;
        for (const SalaryLine& l : day.salaries)
            rows.append({{QStringLiteral("num"), QString::number(rows.size() + 1)},
                         {QStringLiteral("qualite"), l.nom},
                         {QStringLiteral("ville"), l.prenom},
                         {QStringLiteral("tel"), l.fonction},
                         {QStringLiteral("depense"), toAmount(l.amount)},
                         {QStringLiteral("objet"), l.object.trimmed()}});
        fillPrintBuffer(db, rows);
        if (!printReport(session, request))
            return false; // the buffer goes back as it was
        t.commit();
        return true;
    }
    case TabCount: return false;
    }
    return printReport(session, request);
}

} // namespace kv::cashbook
