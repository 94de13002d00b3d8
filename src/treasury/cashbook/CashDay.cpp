#include "CashDay.h"

#include "core/ledger/KeptTotals.h"
#include "core/ledger/LedgerClasses.h"
#include "core/formats/Names.h"
#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"

namespace kv::cashbook {

using ledger::ExpenseClass;
using ledger::expenseCondition;
using ledger::paidPayCondition;

namespace {

QString cents(const QString& column) { return ledger::centsOf(column); }

QString iso(const QDate& day) { return day.toString(Qt::ISODate); }

/// " " + surname + " " + first name, or `missing` when the person was not found.
QString personText(const db::Row& r, int found, int nom, int prenom, const QString& missing)
{
    if (r.value(found).isNull())
        return missing;
    const QString name = (r.value(nom).toString().trimmed() + u' ' + r.value(prenom).toString().trimmed()).trimmed();
    return u' ' + name;
}

QList<MoneyLine> moneyLines(const db::Rows& rows, const QString& missing)
{
    // Columns: num, person found (a.num), nom, Prenom, cents, mode, ref.
    QList<MoneyLine> lines;
    lines.reserve(rows.size());
    for (const db::Row& r : rows)
        lines.append({r.value(0).toLongLong(), personText(r, 1, 2, 3, missing), r.value(4).toLongLong(), r.value(5).toInt(),
                      r.value(6)});
    return lines;
}

QString wholeUnits(double value, QStringView pattern)
{
    // Whole units, halves away from zero; nothing for what shows as 0.
    const QString text = formatNumber(value, pattern);
    return readNumber(text) == 0 ? QString() : text;
}

Cents sum(const auto& lines)
{
    Cents total = 0;
    for (const auto& l : lines)
        total += l.amount;
    return total;
}

} // namespace

Sums CashDay::totals() const
{
    Sums s;
    s.receipts = sum(receipts);
    s.vehicles = sum(vehicles);
    s.salaries = sum(salaries);
    s.others = sum(others);
    return s;
}

// ---- reading ------------------------------------------------------------------------------------------

namespace {

/// The sums of the days from `from` (included; null: from the start) to `until` (excluded), from the
/// totals the ledger keeps by day.
Sums sumsOf(const db::Database& db, const QVariant& from, const QString& until)
{
    const db::Rows rows = db.query(QStringLiteral("SELECT coalesce(sum(recettes), 0), coalesce(sum(vehicules), 0), "
                                                  "coalesce(sum(salaires), 0), coalesce(sum(autres), 0) FROM Caisse_Jours "
                                                  "WHERE (:from IS NULL OR date >= :from) AND date < :until"),
                                   QVariantMap{{QStringLiteral("from"), from}, {QStringLiteral("until"), until}});
    Sums s;
    if (rows.isEmpty())
        return s;
    const db::Row& r = rows.first();
    s.receipts = r.value(0).toLongLong();
    s.vehicles = r.value(1).toLongLong();
    s.salaries = r.value(2).toLongLong();
    s.others = r.value(3).toLongLong();
    return s;
}

} // namespace

Sums sumsBetween(const db::Database& db, const QDate& from, const QDate& to)
{
    const QVariant start = from.isValid() ? QVariant(iso(from)) : QVariant(QMetaType::fromType<QString>());
    return sumsOf(db, start, iso(to.addDays(1)));
}

Cents openingBalance(const db::Database& db, const QDate& day)
{
    // The totals kept by day (a few hundred rows whatever the size of the year), with the balance a
    // closing carried over from the year before.
    return ledger::cashBalanceBefore(db, day);
}

CashDay readCashDay(const db::Database& db, const QDate& day, int exerciseYear)
{
    CashDay c;
    c.day = day;
    const QVariantList at{iso(day)};

    // Vehicle expenses: the vehicle's model and registration.
    for (const db::Row& r :
         db.query(QStringLiteral("SELECT d.num, v.num, v.matricule, m.denom, d.ref, %1 FROM Depenses d "
                                 "LEFT JOIN Vehicules v ON v.num = d.num_vehicule "
                                 "LEFT JOIN Modeles m ON m.num = v.num_Modele "
                                 "WHERE %2 AND d.date = ? ORDER BY d.num")
                      .arg(cents(QStringLiteral("d.Montant")), expenseCondition(ExpenseClass::Vehicle, QStringLiteral("d"), ledger::IndexUse::KeptOut)),
                  at)) {
        VehicleLine l;
        l.num = r.value(0).toLongLong();
        if (!r.value(1).isNull()) {
            const QString model = r.value(3).toString().trimmed();
            l.vehicle = u' ' + (model.isEmpty() ? QString() : model + u' ') + r.value(2).toString().trimmed();
        }
        l.object = u' ' + r.value(4).toString().trimmed();
        l.amount = r.value(5).toLongLong();
        c.vehicles << l;
    }

    // Salaries: the advances of the day, then the pays closed that day.
    for (const db::Row& r :
         db.query(QStringLiteral("SELECT d.num, a.nom, a.Prenom, a.Fonction, %1 FROM Depenses d "
                                 "LEFT JOIN Agents a ON a.num = d.Num_Agent "
                                 "WHERE %2 AND d.date = ? ORDER BY d.num")
                      .arg(cents(QStringLiteral("d.Montant")), expenseCondition(ExpenseClass::SalaryAdvance, QStringLiteral("d"), ledger::IndexUse::KeptOut)),
                  at))
        c.salaries.append({SalaryLine::Kind::Advance, r.value(0).toLongLong(), r.value(1).toString().trimmed(),
                           r.value(2).toString().trimmed(), r.value(3).toString().trimmed(), r.value(4).toLongLong(),
                           kAdvanceObject});
    const auto& months = dayMonthNames().frenchMonths;
    for (const db::Row& r :
         db.query(QStringLiteral("SELECT s.num, a.nom, a.Prenom, a.Fonction, %1, s.MM FROM Salaires s "
                                 "LEFT JOIN Agents a ON a.num = s.num_agent "
                                 "WHERE %2 AND s.date = ? ORDER BY s.num")
                      .arg(cents(QStringLiteral("s.Net")), paidPayCondition(QStringLiteral("s"))),
                  at)) {
        const int mm = r.value(5).toInt();
        const QString month = mm >= 1 && mm <= 12 ? months[mm - 1].trimmed() : QString();
        c.salaries.append({SalaryLine::Kind::Pay, r.value(0).toLongLong(), r.value(1).toString().trimmed(),
                           r.value(2).toString().trimmed(), r.value(3).toString().trimmed(), r.value(4).toLongLong(),
                           QStringLiteral(" Salaire ") + month + u' ' + QString::number(exerciseYear)});
    }

    // Other expenses and receipts: the person of the line.
    c.others = moneyLines(db.query(QStringLiteral("SELECT d.num, a.num, a.nom, a.Prenom, %1, d.mode, d.ref FROM Depenses d "
                                                  "LEFT JOIN Agents a ON a.num = d.Num_Agent "
                                                  "WHERE %2 AND d.date = ? ORDER BY d.num")
                                       .arg(cents(QStringLiteral("d.Montant")),
                                            expenseCondition(ExpenseClass::Other, QStringLiteral("d"), ledger::IndexUse::KeptOut)),
                                   at),
                          kMiscBeneficiary);
    c.receipts = moneyLines(db.query(QStringLiteral("SELECT r.num, a.num, a.nom, a.Prenom, %1, r.mode, r.ref FROM Recettes r "
                                                    "LEFT JOIN Agents a ON a.num = r.Num_Agent "
                                                    "WHERE r.date = ? ORDER BY r.num")
                                         .arg(cents(QStringLiteral("r.Montant"))),
                                     at),
                            kMiscPayer);

    c.opening = openingBalance(db, day);
    return c;
}

// ---- what is shown ------------------------------------------------------------------------------------

QString title(const QDate& day) { return QStringLiteral("Mouvements de trésorerie du ") + day.toString(db::kShownDateFormat); }

QString lineAmount(Cents amount)
{
    const QString text = wholeUnits(toAmount(amount), u"### ###");
    return text.isEmpty() ? text : text + u' ';
}

QString moneyAmount(Cents amount)
{
    const QString text = wholeUnits(toAmount(amount), u"# ### ###");
    return text.isEmpty() ? text : text + u' ';
}

QString listTotal(Cents amount) { return moneyAmount(amount); }

QString modeText(int mode) { return schema::mode::twoModeCaption(mode); }

QString objectText(const QVariant& ref) { return ref.isNull() ? QString() : u' ' + ref.toString().trimmed(); }

const QStringList& summaryCaptions()
{
    static const QStringList captions = {QStringLiteral("Report de la veille"), QStringLiteral("Recettes"),
                                         QStringLiteral("Dép. Véhicules"),      QStringLiteral("Salaires"),
                                         QStringLiteral("Autres Dépenses"),     QStringLiteral("Totaux de la journée"),
                                         QStringLiteral("Solde de fin de journée")};
    return captions;
}

QList<QStringList> summaryCells(const CashDay& day)
{
    const Sums t = day.totals();
    // In cents, as the lists' amounts are counted: every row adds up as shown, and the end of a day is
    // the next day's "Report de la veille" to the cent.
    const auto text = [](Cents c, QStringView pattern) { return c == 0 ? QString() : formatNumber(toAmount(c), pattern); };
    const auto total = [&](Cents c) { return text(c, u"# ### ##0.00"); };
    const auto big = [&](Cents c) { return text(c, u"### ### ##0.00"); };
    QList<QStringList> rows;
    for (int r = 0; r < SummaryRows; ++r)
        rows << QStringList{summaryCaptions()[r], QString(), QString(), QString()};
    rows[RowOpening][ColBalance] = big(day.opening);
    rows[RowReceipts][ColReceipts] = total(t.receipts);
    rows[RowReceipts][ColBalance] = total(t.receipts);
    const std::array<std::pair<int, Cents>, 3> expenses{{{RowVehicles, t.vehicles}, {RowSalaries, t.salaries}, {RowOthers, t.others}}};
    for (const auto& [row, amount] : expenses) {
        rows[row][ColExpenses] = total(amount);
        rows[row][ColBalance] = total(-amount);
    }
    rows[RowDayTotals][ColReceipts] = big(t.receipts);
    rows[RowDayTotals][ColExpenses] = big(t.expenses());
    rows[RowDayTotals][ColBalance] = big(t.balance());
    rows[RowClosing][ColBalance] = big(day.closing());
    return rows;
}

QList<QStringList> vehicleCells(const CashDay& day)
{
    QList<QStringList> rows;
    for (const VehicleLine& l : day.vehicles)
        rows << QStringList{QString::number(rows.size() + 1), l.vehicle, l.object, lineAmount(l.amount)};
    return rows;
}

QList<QStringList> salaryCells(const CashDay& day)
{
    QList<QStringList> rows;
    for (const SalaryLine& l : day.salaries)
        rows << QStringList{QString::number(rows.size() + 1), l.nom, l.prenom, l.fonction, lineAmount(l.amount), l.object};
    return rows;
}

namespace {
QList<QStringList> moneyCells(const QList<MoneyLine>& lines)
{
    QList<QStringList> rows;
    for (const MoneyLine& l : lines)
        rows << QStringList{QString::number(rows.size() + 1), l.person, moneyAmount(l.amount), modeText(l.mode), objectText(l.ref)};
    return rows;
}
} // namespace

QList<QStringList> otherCells(const CashDay& day) { return moneyCells(day.others); }
QList<QStringList> receiptCells(const CashDay& day) { return moneyCells(day.receipts); }

} // namespace kv::cashbook
