#include "CashDay.h"

#include "core/ledger/KeptTotals.h"
#include "core/ledger/LedgerClasses.h"
#include "core/formats/Names.h"
#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/TextScan.h"

#include <QHash>

namespace kv::cashbook {

using ledger::ExpenseClass;
using ledger::paidPayCondition;

namespace {

QString iso(const QDate& day) { return day.toString(Qt::ISODate); }

QString inCents(Cents amount, QStringView pattern)
{
    // Cents, as the summary and the prints show them, so that a list's total is the summary's figure;
    // nothing for 0.
    return amount == 0 ? QString() : formatNumber(toAmount(amount), pattern) + u' ';
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

namespace {

/// The names a list shows of the persons and vehicles a day's lines name, each made once: a busy day
/// names the same few hundred many times.
class Names {
public:
    struct Person {
        QString nom, prenom, fonction; ///< trimmed
        QString name;                  ///< " " + surname + " " + first name
    };

    /// The person of the columns `num`, `nom`, `Prenom`, `Fonction` from `first`; null when not found.
    const Person* person(const db::TextCursor& r, int first)
    {
        if (r.isNull(first))
            return nullptr;
        const qint64 num = r.integer(first);
        auto it = persons_.constFind(num);
        if (it == persons_.constEnd()) {
            Person p{r.text(first + 1).trimmed(), r.text(first + 2).trimmed(), r.text(first + 3).trimmed(), {}};
            p.name = u' ' + (p.nom + u' ' + p.prenom).trimmed();
            it = persons_.insert(num, std::move(p));
        }
        return &*it;
    }

    /// " " + model + " " + registration of the columns `num`, `matricule`, `denom` from `first`; empty
    /// without a vehicle.
    QString vehicle(const db::TextCursor& r, int first)
    {
        if (r.isNull(first))
            return {};
        const qint64 num = r.integer(first);
        auto it = vehicles_.constFind(num);
        if (it == vehicles_.constEnd()) {
            const QString model = r.text(first + 2).trimmed();
            it = vehicles_.insert(num, u' ' + (model.isEmpty() ? QString() : model + u' ') + r.text(first + 1).trimmed());
        }
        return *it;
    }

private:
    QHash<qint64, Person> persons_;
    QHash<qint64, QString> vehicles_;
};

} // namespace

CashDay readCashDay(const db::Database& db, const QDate& day, int exerciseYear)
{
    CashDay c;
    c.day = day;
    const QVariantList at{iso(day)};
    Names names;

    // Each amount in cents as the kept totals count it: one typed in cents (every amount the screens
    // book) as it is read, any other by the engine's rule once the lines are read.
    enum List { Vehicles, Salaries, Others, Receipts };
    struct Pending {
        List list;
        qsizetype index;
        double amount;
    };
    QList<Pending> pending;
    const auto cents = [&](const db::TextCursor& r, int column, List list, qsizetype index) -> Cents {
        const double amount = r.number(column);
        if (const std::optional<qint64> typed = ledger::typedCents(amount))
            return *typed;
        pending.append({list, index, amount});
        return 0;
    };

    // The day's expenses in one pass over the index by date, in number order, each line sorted into its
    // list by the ledger's rule.
    db::scanTexts(db,
                  QStringLiteral("SELECT d.num, %1, d.Montant, d.ref, d.mode, v.num, v.matricule, m.denom, a.num, a.nom, a.Prenom, "
                                 "a.Fonction FROM Depenses d LEFT JOIN Vehicules v ON v.num = d.num_vehicule "
                                 "LEFT JOIN Modeles m ON m.num = v.num_Modele LEFT JOIN Agents a ON a.num = d.Num_Agent "
                                 "WHERE d.date = ? ORDER BY d.num")
                      .arg(ledger::expenseClassOf(QStringLiteral("d"))),
                  at, [&](const db::TextCursor& r) {
                      const qint64 num = r.integer(0);
                      switch (ExpenseClass(r.integer(1))) {
                      case ExpenseClass::Vehicle:
                          c.vehicles.append({num, names.vehicle(r, 5), r.text(3), cents(r, 2, Vehicles, c.vehicles.size())});
                          break;
                      case ExpenseClass::SalaryAdvance: {
                          const Names::Person* p = names.person(r, 8);
                          c.salaries.append({SalaryLine::Kind::Advance, num, p ? p->nom : QString(), p ? p->prenom : QString(),
                                             p ? p->fonction : QString(), cents(r, 2, Salaries, c.salaries.size()), kAdvanceObject});
                          break;
                      }
                      case ExpenseClass::Other: {
                          const Names::Person* p = names.person(r, 8);
                          c.others.append({num, p ? p->name : kMiscBeneficiary, cents(r, 2, Others, c.others.size()), r.value(4).toInt(),
                                           r.value(3)});
                          break;
                      }
                      }
                  });

    // The pays closed that day, after the advances.
    const auto& months = dayMonthNames().frenchMonths;
    QHash<int, QString> payObjects;
    db::scanTexts(db,
                  QStringLiteral("SELECT s.num, s.Net, s.MM, a.num, a.nom, a.Prenom, a.Fonction FROM Salaires s "
                                 "LEFT JOIN Agents a ON a.num = s.num_agent WHERE %1 AND s.date = ? ORDER BY s.num")
                      .arg(paidPayCondition(QStringLiteral("s"))),
                  at, [&](const db::TextCursor& r) {
                      const int mm = int(r.integer(2));
                      auto object = payObjects.constFind(mm);
                      if (object == payObjects.constEnd())
                          object = payObjects.insert(mm, QStringLiteral(" Salaire ") +
                                                             (mm >= 1 && mm <= 12 ? months[mm - 1].trimmed() : QString()) + u' ' +
                                                             QString::number(exerciseYear));
                      const Names::Person* p = names.person(r, 3);
                      c.salaries.append({SalaryLine::Kind::Pay, r.integer(0), p ? p->nom : QString(), p ? p->prenom : QString(),
                                         p ? p->fonction : QString(), cents(r, 1, Salaries, c.salaries.size()), *object});
                  });

    // The receipts.
    db::scanTexts(db,
                  QStringLiteral("SELECT r.num, r.Montant, r.mode, r.ref, a.num, a.nom, a.Prenom, a.Fonction FROM Recettes r "
                                 "LEFT JOIN Agents a ON a.num = r.Num_Agent WHERE r.date = ? ORDER BY r.num"),
                  at, [&](const db::TextCursor& r) {
                      const Names::Person* p = names.person(r, 4);
                      c.receipts.append(
                          {r.integer(0), p ? p->name : kMiscPayer, cents(r, 1, Receipts, c.receipts.size()), r.value(2).toInt(), r.value(3)});
                  });

    if (!pending.isEmpty()) {
        QList<double> amounts;
        for (const Pending& p : pending)
            amounts << p.amount;
        const QList<qint64> counted = ledger::centsOfAmounts(db, amounts);
        for (qsizetype i = 0; i < pending.size(); ++i) {
            const Pending& p = pending[i];
            switch (p.list) {
            case Vehicles: c.vehicles[p.index].amount = counted.value(i); break;
            case Salaries: c.salaries[p.index].amount = counted.value(i); break;
            case Others: c.others[p.index].amount = counted.value(i); break;
            case Receipts: c.receipts[p.index].amount = counted.value(i); break;
            }
        }
    }

    c.opening = openingBalance(db, day);
    return c;
}

// ---- what is shown ------------------------------------------------------------------------------------

QString title(const QDate& day) { return QStringLiteral("Mouvements de trésorerie du ") + day.toString(db::kShownDateFormat); }

QString lineAmount(Cents amount) { return inCents(amount, u"### ##0.00"); }

QString moneyAmount(Cents amount) { return inCents(amount, u"# ### ##0.00"); }

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

QStringList vehicleRow(const VehicleLine& l, int position)
{
    return {QString::number(position + 1), l.vehicle, u' ' + l.ref.trimmed(), lineAmount(l.amount)};
}

QStringList salaryRow(const SalaryLine& l, int position)
{
    return {QString::number(position + 1), l.nom, l.prenom, l.fonction, lineAmount(l.amount), l.object};
}

QStringList moneyRow(const MoneyLine& l, int position)
{
    return {QString::number(position + 1), l.person, moneyAmount(l.amount), modeText(l.mode), objectText(l.ref)};
}

namespace {
template <typename Line> QList<QStringList> cellsOf(const QList<Line>& lines, QStringList (*row)(const Line&, int))
{
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (const Line& l : lines)
        rows << row(l, int(rows.size()));
    return rows;
}
} // namespace

QList<QStringList> vehicleCells(const CashDay& day) { return cellsOf(day.vehicles, vehicleRow); }
QList<QStringList> salaryCells(const CashDay& day) { return cellsOf(day.salaries, salaryRow); }
QList<QStringList> otherCells(const CashDay& day) { return cellsOf(day.others, moneyRow); }
QList<QStringList> receiptCells(const CashDay& day) { return cellsOf(day.receipts, moneyRow); }

} // namespace kv::cashbook
