#include "Journals.h"

#include "core/formats/Dates.h"
#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/KeyList.h"
#include "platform/db/Dates.h"
#include "core/ledger/LedgerClasses.h"

#include <QDate>
#include <QHash>
#include <QSet>

namespace kv::journals {

using ledger::ExpenseClass;
using ledger::expenseCondition;

namespace {

QDate asDate(const QString& shown) { return QDate::fromString(shown.trimmed(), db::kShownDateFormat); }

/// The bounds of the selection as stored (ISO text), for "date >= ? AND date <= ?".
QVariantList bounds(const Selection& s) { return {db::toStoredDate(s.from), db::toStoredDate(s.to)}; }


} // namespace

// ---- the period ------------------------------------------------------------------------------------------

QString faultMessage(DateFault fault)
{
    switch (fault) {
    case DateFault::Incorrect: return QStringLiteral("Date incorrecte");
    case DateFault::Inverted: return QStringLiteral("Dates inversées");
    case DateFault::None: break;
    }
    return {};
}

std::optional<Selection> day(const QString& date, DateFault* fault)
{
    const QString d = date.trimmed();
    if (!isValidDate(d)) {
        if (fault)
            *fault = DateFault::Incorrect;
        return std::nullopt;
    }
    if (fault)
        *fault = DateFault::None;
    return Selection{d, d, 1, QStringLiteral("Journée du  ") + d};
}

std::optional<Selection> period(const QString& from, const QString& to, DateFault* fault)
{
    const QString f = from.trimmed(), t = to.trimmed();
    DateFault found = DateFault::None;
    if (!isValidDate(f) || !isValidDate(t))
        found = DateFault::Incorrect;
    else if (asDate(t) < asDate(f))
        found = DateFault::Inverted;
    if (fault)
        *fault = found;
    if (found != DateFault::None)
        return std::nullopt;
    const int days = int(asDate(f).daysTo(asDate(t))) + 1;
    return Selection{f, t, days, QStringLiteral("Période du  ") + f + QStringLiteral(" au ") + t};
}

// ---- the journals ----------------------------------------------------------------------------------------

namespace {

/// One copy of each text that the lines repeat (dates, registrations, objects, names): the lines of a
/// year share a few thousand texts instead of holding a copy each.
class SharedTexts {
public:
    QString text(const QVariant& value)
    {
        const QString t = value.toString();
        const auto it = texts_.constFind(t);
        if (it != texts_.cend())
            return *it;
        texts_.insert(t);
        return t;
    }
    /// The object of a line: null stays null.
    QVariant ref(const QVariant& value) { return value.isNull() ? value : QVariant(text(value)); }
    /// A stored date as shown, converted once per day.
    QString date(const QVariant& stored)
    {
        const QString key = stored.toString();
        const auto it = dates_.constFind(key);
        if (it != dates_.cend())
            return *it;
        const QString shown = db::toShownDate(stored);
        dates_.insert(key, shown);
        return shown;
    }

private:
    QSet<QString> texts_;
    QHash<QString, QString> dates_;
};

/// Columns: num, date, Montant, mode, ref, agent, nom, Prenom.
MoneyLine moneyLine(const db::Row& r, SharedTexts& texts)
{
    MoneyLine m;
    m.num = r.value(0).toLongLong();
    m.date = texts.date(r.value(1));
    m.montant = r.value(2).toDouble();
    m.mode = r.value(3).toInt();
    m.ref = texts.ref(r.value(4));
    m.found = !r.value(5).isNull();
    m.nom = texts.text(r.value(6));
    m.prenom = texts.text(r.value(7));
    return m;
}

} // namespace

namespace {

/// From this many days, a period's vehicle journal is read in the order of the vehicle index.
constexpr int kLongPeriodDays = 60;

/// The vehicle expenses of these numbers.
QList<VehicleLine> vehicleLines(const db::Database& db, const QList<qint64>& nums)
{
    QList<VehicleLine> lines;
    lines.reserve(nums.size());
    SharedTexts texts;
    db.forEach(QStringLiteral("SELECT d.num, d.date, d.num_vehicule, v.matricule, d.ref, d.Type_Dep, d.Montant "
                              "FROM Depenses d LEFT JOIN Vehicules v ON v.num = d.num_vehicule WHERE d.num IN (%1)")
                   .arg(db::placeholders(nums.size())),
               db::keyValues(nums), [&](const db::Row& r) {
                   VehicleLine l;
                   l.num = r.value(0).toLongLong();
                   l.date = texts.date(r.value(1));
                   l.vehicle = r.value(2).toLongLong();
                   l.matricule = texts.text(r.value(3));
                   l.ref = texts.ref(r.value(4));
                   // The vehicle condition keeps headings below 6; a heading below 0 was never written by a screen.
                   l.heading = std::clamp(int(r.value(5).toLongLong()), 0, kHeadings - 1);
                   l.montant = r.value(6).toDouble();
                   lines << l;
               });
    return lines;
}

/// The expenses or receipts (`table`) of these numbers.
QList<MoneyLine> moneyLines(const db::Database& db, const QString& table, const QList<qint64>& nums)
{
    QList<MoneyLine> lines;
    lines.reserve(nums.size());
    SharedTexts texts;
    db.forEach(QStringLiteral("SELECT x.num, x.date, x.Montant, x.mode, x.ref, a.num AS agent, a.nom, a.Prenom "
                              "FROM %1 x LEFT JOIN Agents a ON a.num = x.Num_Agent WHERE x.num IN (%2)")
                   .arg(table, db::placeholders(nums.size())),
               db::keyValues(nums), [&](const db::Row& r) { lines << moneyLine(r, texts); });
    return lines;
}

} // namespace

Report read(const db::Database& db, const Selection& selection)
{
    Report report;
    report.selection = selection;
    const QVariantList period = bounds(selection);
    const db::Database* source = &db;

    // "Dép. véhicules": by vehicle, then date. One pass over the index gives the numbers in order and
    // the totals by heading; the lines are read when they are shown.
    // A long period is read from the index by vehicle, which holds the lines in this order already; a
    // short one from the index by date, its few lines then sorted (the engine, knowing nothing of the
    // rows, would otherwise take the index of the line's kind and sort the whole ledger, even for a day).
    QList<qint64> keys;
    const bool longPeriod = selection.days > kLongPeriodDays;
    db.scan(QStringLiteral("SELECT d.num, d.Type_Dep, d.Montant FROM Depenses d %1"
                           "WHERE %2 AND d.date >= ? AND d.date <= ? ORDER BY d.num_vehicule, d.date, d.num")
                .arg(longPeriod ? QStringLiteral("INDEXED BY Depenses_vehicule ") : QString(),
                     expenseCondition(ExpenseClass::Vehicle, QStringLiteral("d"), ledger::IndexUse::KeptOut)),
            period, [&](const db::Cursor& c) {
                keys << c.integer(0);
                const int heading = std::clamp(int(c.integer(1)), 0, kHeadings - 1);
                const double amount = c.number(2);
                report.headingTotals[heading] += amount;
                report.vehicleTotal += amount;
            });
    report.vehicleLines = Lines<VehicleLine>(std::move(keys), [source](const QList<qint64>& nums) {
        return vehicleLines(*source, nums);
    });

    // "Salaires": the advances on salary paid in the period, then the pays closed in it.
    report.advances = db.scalar(QStringLiteral("SELECT sum(Montant) FROM Depenses WHERE %1 AND date >= ? AND date <= ?")
                                    .arg(expenseCondition(ExpenseClass::SalaryAdvance)),
                                period);
    report.payTotal = report.advances.toDouble();
    const db::Rows pays = db.query(
        QStringLiteral("SELECT s.num, s.date, s.MM, s.Taux_Jour, s.nbre_jours, s.BRUT, s.avances, s.Remb_prets, "
                       "s.Autres_Retenues, s.Net, a.nom, a.Prenom, a.Fonction "
                       "FROM Salaires s LEFT JOIN Agents a ON a.num = s.num_agent "
                       "WHERE %1 AND s.date >= ? AND s.date <= ? ORDER BY s.date, s.num")
            .arg(ledger::paidPayCondition(QStringLiteral("s"))),
        period);
    report.pays.reserve(pays.size());
    for (const db::Row& r : pays) {
        PayLine p;
        p.num = r.integer(QStringLiteral("num"));
        p.date = db::toShownDate(r.value(QStringLiteral("date")));
        p.nom = r.text(QStringLiteral("nom"));
        p.prenom = r.text(QStringLiteral("Prenom"));
        p.fonction = r.text(QStringLiteral("Fonction"));
        p.mois = int(r.integer(QStringLiteral("MM")));
        p.taux = r.number(QStringLiteral("Taux_Jour"));
        p.jours = r.number(QStringLiteral("nbre_jours"));
        p.brut = r.number(QStringLiteral("BRUT"));
        p.deductions = r.number(QStringLiteral("avances")) + r.number(QStringLiteral("Remb_prets")) +
                       r.number(QStringLiteral("Autres_Retenues"));
        p.net = r.number(QStringLiteral("Net"));
        report.payTotal += p.net;
        report.pays << p;
    }

    // "Autres dépenses" and "Recettes": by date, then number.
    const auto money = [&](const QString& table, const QString& condition, double& total) {
        QList<qint64> nums;
        db.scan(QStringLiteral("SELECT x.num, x.Montant FROM %1 x WHERE %2 AND x.date >= ? AND x.date <= ? "
                               "ORDER BY x.date, x.num")
                    .arg(table, condition),
                period, [&](const db::Cursor& c) {
                    nums << c.integer(0);
                    total += c.number(1);
                });
        return Lines<MoneyLine>(std::move(nums), [source, table](const QList<qint64>& page) {
            return moneyLines(*source, table, page);
        });
    };
    report.otherExpenses = money(schema::Depenses, expenseCondition(ExpenseClass::Other, QStringLiteral("x")), report.otherTotal);
    report.receipts = money(schema::Recettes, QStringLiteral("1 = 1"), report.receiptTotal);
    return report;
}

QList<VehicleTotals> totalsByVehicle(const db::Database& db, const Selection& selection)
{
    const db::Rows rows = db.query(
        QStringLiteral("SELECT d.num_vehicule, max(v.matricule) AS matricule, d.Type_Dep, sum(d.Montant) AS total "
                       "FROM Depenses d LEFT JOIN Vehicules v ON v.num = d.num_vehicule "
                       "WHERE %1 AND d.date >= ? AND d.date <= ? "
                       "GROUP BY d.num_vehicule, d.Type_Dep ORDER BY d.num_vehicule, d.Type_Dep")
            .arg(expenseCondition(ExpenseClass::Vehicle, QStringLiteral("d"))),
        bounds(selection));
    QList<VehicleTotals> totals;
    for (const db::Row& r : rows) {
        const qint64 vehicle = r.integer(QStringLiteral("num_vehicule"));
        if (totals.isEmpty() || totals.last().vehicle != vehicle) {
            totals.append(VehicleTotals{});
            totals.last().vehicle = vehicle;
            totals.last().matricule = r.text(QStringLiteral("matricule"));
        }
        const int heading = std::clamp(int(r.integer(QStringLiteral("Type_Dep"))), 0, kHeadings - 1);
        const double amount = r.number(QStringLiteral("total"));
        totals.last().byHeading[heading] += amount;
        totals.last().total += amount;
    }
    return totals;
}

void writeAverages(db::Database& db, const Selection& selection)
{
    const QVariantList period = bounds(selection);
    db::Transaction t(db);
    // Every vehicle at once: its expenses of the period, whatever they are booked against, per day.
    db.execute(QStringLiteral("UPDATE Vehicules SET moyenne = coalesce((SELECT sum(d.Montant) FROM Depenses d "
                              "WHERE d.num_vehicule = Vehicules.num AND d.date >= ? AND d.date <= ?), 0) / ?"),
               {period[0], period[1], double(std::max(selection.days, 1))});
    t.commit();
}

Report compute(db::Database& db, const Selection& selection)
{
    writeAverages(db, selection);
    return read(db, selection);
}

// ---- cells -----------------------------------------------------------------------------------------------

QString textCell(const QVariant& value)
{
    const QString text = value.isNull() ? QString() : value.toString();
    return text.isEmpty() ? QString() : u' ' + text;
}

QString numberCell(double value)
{
    // The number with the place of its sign: " 3", "-3"; then the blank of a number cell.
    const QString n = QString::number(value, 'g', 15);
    return (value < 0 ? n : u' ' + n) + u' ';
}

QString amountCell(double value, const QString& pattern, bool shown)
{
    return shown ? formatNumber(value, pattern) + u' ' : QString();
}

QString modeCell(int mode) { return schema::mode::twoModeCaption(mode); }

QString personCell(const MoneyLine& line, const QString& unknown)
{
    if (!line.found)
        return unknown;
    QString person = line.nom.trimmed();
    if (!line.prenom.trimmed().isEmpty())
        person += u' ' + line.prenom.trimmed();
    return u' ' + person;
}

QString vehicleTotalText(double total) { return total != 0 ? formatNumber(total, u"# ### ###") : QString(); }
QString payTotalText(double total) { return total != 0 ? formatNumber(total, u"# ### ###") : QString(); }
QString advancesText(const QVariant& advances)
{
    return advances.isNull() ? QString() : formatNumber(advances.toDouble(), u"### ###");
}
QString otherTotalText(double total) { return total > 0 ? formatNumber(total, u"# ### ###") : QString(); }
QString receiptTotalText(double total) { return total != 0 ? formatNumber(total, u"# ### ###") : QString(); }

// ---- the four journals as the screen shows them ----------------------------------------------------------

QString tabCaption(Journal journal)
{
    static const QStringList tabs = {QStringLiteral("Dép. véhicules"), QStringLiteral("Salaires"),
                                     QStringLiteral("Autres dépenses"), QStringLiteral("Recettes")};
    return tabs.value(int(journal));
}

QStringList captions(Journal journal)
{
    switch (journal) {
    case Journal::Vehicles:
        return QStringList{QStringLiteral("Date"), QStringLiteral("Véhicule"), QStringLiteral("Objet")} + kHeadingCaptions +
               QStringList{QStringLiteral("Total")};
    case Journal::Pays:
        return {QStringLiteral("N°"),   QStringLiteral("Date"),  QStringLiteral("Nom"),     QStringLiteral("Prénom"),
                QStringLiteral("Fonction"), QStringLiteral("Mois"), QStringLiteral("Taux "), QStringLiteral("N.J."),
                QStringLiteral("BRUT"), QStringLiteral("Avances"), QStringLiteral("Net")};
    case Journal::Others:
        return {QStringLiteral("N°"),      QStringLiteral("Date"), QStringLiteral("Bénéficiaire"),
                QStringLiteral("Montant"), QStringLiteral("Mode"), QStringLiteral("Objet")};
    case Journal::Receipts:
        return {QStringLiteral("N°"),      QStringLiteral("Date"), QStringLiteral("Partie versante"),
                QStringLiteral("Montant"), QStringLiteral("Mode"), QStringLiteral("Objet")};
    }
    return {};
}

QList<int> rightColumns(Journal journal)
{
    switch (journal) {
    case Journal::Vehicles: return {3, 4, 5, 6, 7, 8, 9};
    case Journal::Pays: return {6, 8, 9, 10};
    case Journal::Others:
    case Journal::Receipts: return {3};
    }
    return {};
}

QList<int> centredColumns(Journal journal)
{
    switch (journal) {
    case Journal::Vehicles: return {0};
    case Journal::Pays: return {0, 1, 5, 7};
    case Journal::Others:
    case Journal::Receipts: return {0, 1, 4};
    }
    return {};
}

int textColumn(Journal journal)
{
    switch (journal) {
    case Journal::Vehicles: return 2; // "Objet"
    case Journal::Pays: return 2;     // "Nom"
    case Journal::Others:
    case Journal::Receipts: return 5; // "Objet"
    }
    return -1;
}

QStringList rowCells(const Report& report, Journal journal, qsizetype i)
{
    const auto position = [](qsizetype i) { return u' ' + QString::number(i + 1); };
    switch (journal) {
    case Journal::Vehicles: {
        const VehicleLine& l = report.vehicleLines[i];
        QStringList row{l.date, l.matricule, textCell(l.ref)};
        const QString amount = amountCell(l.montant, QStringLiteral("### ###"), l.montant != 0);
        for (int h = 0; h < kHeadings; ++h)
            row << (h == l.heading ? amount : QString());
        row << amount;
        return row;
    }
    case Journal::Pays: {
        const PayLine& p = report.pays[i];
        const auto positive = [](double v) { return v > 0 ? numberCell(v) : QString(); };
        return QStringList{position(i),
                           p.date,
                           textCell(p.nom),
                           textCell(p.prenom),
                           textCell(p.fonction),
                           positive(p.mois),
                           positive(p.taux),
                           positive(p.jours),
                           amountCell(p.brut, QStringLiteral("### ###"), p.brut > 0),
                           amountCell(p.deductions, QStringLiteral("### ###"), p.deductions > 0),
                           amountCell(p.net, QStringLiteral("### ###"), p.net > 0)};
    }
    case Journal::Others:
    case Journal::Receipts: {
        const bool others = journal == Journal::Others;
        const MoneyLine& m = (others ? report.otherExpenses : report.receipts)[i];
        return QStringList{position(i),
                           m.date,
                           personCell(m, others ? kUnknownBeneficiary : kUnknownPayer),
                           amountCell(m.montant, QStringLiteral("# ### ###"), m.montant > 0),
                           modeCell(m.mode),
                           m.ref.isNull() ? QString() : textCell(m.ref.toString().trimmed())};
    }
    }
    return {};
}

QVariant rowValue(const Report& report, Journal journal, qsizetype i, int column)
{
    // The same cells as rowCells shows an amount in.
    switch (journal) {
    case Journal::Vehicles: {
        const VehicleLine& l = report.vehicleLines[i];
        const bool amountColumn = column == 3 + l.heading || column == 3 + kHeadings;
        return amountColumn && l.montant != 0 ? QVariant(l.montant) : QVariant();
    }
    case Journal::Pays: {
        const PayLine& p = report.pays[i];
        const double v = column == 8 ? p.brut : column == 9 ? p.deductions : column == 10 ? p.net : 0;
        return v > 0 ? QVariant(v) : QVariant();
    }
    case Journal::Others:
    case Journal::Receipts: {
        const MoneyLine& m = (journal == Journal::Others ? report.otherExpenses : report.receipts)[i];
        return column == 3 && m.montant > 0 ? QVariant(m.montant) : QVariant();
    }
    }
    return {};
}

QList<QStringList> cells(const Report& report, Journal journal)
{
    QList<QStringList> rows;
    const int n = lineCount(report, journal);
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows << rowCells(report, journal, i);
    return rows;
}

// ---- printing --------------------------------------------------------------------------------------------

QString templateName(Journal journal) { return QStringLiteral("JRNAL_%1.RPT").arg(int(journal) + 1); }

QStringList keys(const Report& report, Journal journal)
{
    QStringList k;
    const auto add = [&k](const auto& lines) {
        for (const auto& l : lines)
            k << QString::number(l.num);
    };
    const auto numbers = [&k](const QList<qint64>& nums) {
        k.reserve(nums.size());
        for (const qint64 n : nums)
            k << QString::number(n);
    };
    switch (journal) {
    case Journal::Vehicles: numbers(report.vehicleLines.keys()); break;
    case Journal::Pays: add(report.pays); break;
    case Journal::Others: numbers(report.otherExpenses.keys()); break;
    case Journal::Receipts: numbers(report.receipts.keys()); break;
    }
    return k;
}

int lineCount(const Report& report, Journal journal)
{
    switch (journal) {
    case Journal::Vehicles: return int(report.vehicleLines.size());
    case Journal::Pays: return int(report.pays.size());
    case Journal::Others: return int(report.otherExpenses.size());
    case Journal::Receipts: return int(report.receipts.size());
    }
    return 0;
}

QMap<QString, QString> printTexts(const Report& report, Journal journal)
{
    QMap<QString, QString> texts{{QStringLiteral("ch4"), report.selection.heading}};
    if (journal == Journal::Pays) {
        // Each amount as its label shows it, read back as a number, with the blank of its sign.
        const auto amount = [](const QString& shown) {
            const double v = readNumber(shown);
            return v < 0 ? QString::number(v, 'g', 15) : u' ' + QString::number(v, 'g', 15);
        };
        const QString advances = advancesText(report.advances);
        const QString total = payTotalText(report.payTotal);
        texts.insert(QStringLiteral("ch5"), advances.isEmpty() ? QString() : QStringLiteral("Avances sur salaires --> ") + amount(advances));
        texts.insert(QStringLiteral("ch6"), total.isEmpty() ? QString() : QStringLiteral("Total Général --> ") + amount(total));
    }
    return texts;
}

} // namespace kv::journals
