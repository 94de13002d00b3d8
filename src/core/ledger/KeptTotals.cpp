#include "KeptTotals.h"

#include "LedgerClasses.h"
#include "platform/db/Database.h"

#include <QStringList>

#include <QVariantList>

#include <algorithm>
#include <cmath>

namespace kv::ledger {

QString centsOf(const QString& column)
{
    return QStringLiteral("CAST(CASE WHEN abs(coalesce(%1, 0) * 100 - round(coalesce(%1, 0) * 100)) < 1e-6 "
                          "THEN round(coalesce(%1, 0) * 100) ELSE round(round(coalesce(%1, 0), 2) * 100) END AS INTEGER)")
        .arg(column);
}

std::optional<qint64> typedCents(double amount)
{
    // The first case of centsOf, computed the same way.
    const double scaled = amount * 100;
    const double whole = std::round(scaled);
    if (!(std::abs(scaled - whole) < 1e-6) || std::abs(whole) > 9e15)
        return std::nullopt;
    return qint64(whole);
}

QList<qint64> centsOfAmounts(const db::Database& db, const QList<double>& amounts)
{
    // The amounts bound as they are, a few hundred to a statement.
    constexpr qsizetype kChunk = 400;
    QList<qint64> cents;
    cents.reserve(amounts.size());
    for (qsizetype first = 0; first < amounts.size(); first += kChunk) {
        const qsizetype n = std::min(kChunk, amounts.size() - first);
        QStringList rows;
        QVariantList values;
        for (qsizetype i = 0; i < n; ++i) {
            rows << QStringLiteral("(%1, CAST(? AS REAL))").arg(i); // a number on the server too, never a text
            values << amounts[first + i];
        }
        db.scan(QStringLiteral("SELECT %1 FROM (VALUES %2) ORDER BY column1").arg(centsOf(QStringLiteral("column2")), rows.join(u',')),
                values, [&](const db::Cursor& r) { cents << r.integer(0); });
    }
    return cents;
}

namespace {

/// The column of a line's heading in `Couts_Mois`: its `Type_Dep` when one of the six vehicle headings,
/// else "Divers", so that its amount still counts.
QString headingOf(const QString& p)
{
    return QStringLiteral("(CASE WHEN %1Type_Dep >= 0 AND %1Type_Dep < 6 THEN CAST(%1Type_Dep AS INTEGER) ELSE 5 END)").arg(p);
}

/// The statements that add (sign 1) or take away (sign -1) the line `row` ("NEW" or "OLD") of a book
/// to the kept totals.
QStringList cashDayStatements(const QString& table, const QString& row, int sign)
{
    const QString s = sign > 0 ? QString() : QStringLiteral("-");
    const QString p = row + u'.';
    if (table == QLatin1String("Recettes"))
        return {QStringLiteral("INSERT INTO Caisse_Jours (date, recettes) SELECT %1date, %2%3 WHERE %1date IS NOT NULL "
                               "ON CONFLICT (date) DO UPDATE SET recettes = Caisse_Jours.recettes + excluded.recettes")
                    .arg(p, s, centsOf(p + QStringLiteral("Montant")))};
    if (table == QLatin1String("Salaires"))
        return {QStringLiteral("INSERT INTO Caisse_Jours (date, salaires) SELECT %1date, %2%3 WHERE %4 "
                               "ON CONFLICT (date) DO UPDATE SET salaires = Caisse_Jours.salaires + excluded.salaires")
                    .arg(p, s, centsOf(p + QStringLiteral("Net")), paidPayCondition(row))};
    const QString c = centsOf(p + QStringLiteral("Montant"));
    return {QStringLiteral("INSERT INTO Caisse_Jours (date, vehicules, salaires, autres) SELECT %1date, "
                           "CASE WHEN %3 THEN %2%6 ELSE 0 END, CASE WHEN %4 THEN %2%6 ELSE 0 END, CASE WHEN %5 THEN %2%6 ELSE 0 END "
                           "WHERE %1date IS NOT NULL ON CONFLICT (date) DO UPDATE SET vehicules = Caisse_Jours.vehicules + excluded.vehicules, "
                           "salaires = Caisse_Jours.salaires + excluded.salaires, autres = Caisse_Jours.autres + excluded.autres")
                .arg(p, s, expenseCondition(ExpenseClass::Vehicle, row), expenseCondition(ExpenseClass::SalaryAdvance, row),
                     expenseCondition(ExpenseClass::Other, row), c)};
}

QStringList vehicleMonthStatements(const QString& table, const QString& row, int sign)
{
    const QString p = row + u'.';
    const QString key = QStringLiteral("coalesce(%1num_vehicule, 0), substr(%1date, 1, 7)").arg(p);
    if (table == QLatin1String("Recettes"))
        return {QStringLiteral("INSERT INTO Couts_Mois (num_vehicule, mois, rubrique, montant) SELECT %1, %2, %3%4 "
                               "WHERE %5date IS NOT NULL AND %5num_vehicule > 0 "
                               "ON CONFLICT (mois, num_vehicule, rubrique) DO UPDATE SET montant = Couts_Mois.montant + excluded.montant")
                    .arg(key, QString::number(kReceiptsHeading), sign > 0 ? QString() : QStringLiteral("-"),
                         centsOf(p + QStringLiteral("Montant")), p)};
    if (table != QLatin1String("Depenses"))
        return {};
    const QString vehicle = expenseCondition(ExpenseClass::Vehicle, row);
    const QString heading = headingOf(p);
    if (sign > 0)
        return {QStringLiteral("INSERT INTO Couts_Mois (num_vehicule, mois, rubrique, montant, km_min, km_max) "
                               "SELECT %1, %2, %3, CASE WHEN %4Km > 0 THEN %4Km END, CASE WHEN %4Km > 0 THEN %4Km END "
                               "WHERE %4date IS NOT NULL AND %5 ON CONFLICT (mois, num_vehicule, rubrique) DO UPDATE SET montant = Couts_Mois.montant + excluded.montant, "
                               "km_min = CASE WHEN Couts_Mois.km_min IS NULL OR excluded.km_min < Couts_Mois.km_min THEN coalesce(excluded.km_min, Couts_Mois.km_min) ELSE Couts_Mois.km_min END, "
                               "km_max = CASE WHEN Couts_Mois.km_max IS NULL OR excluded.km_max > Couts_Mois.km_max THEN coalesce(excluded.km_max, Couts_Mois.km_max) ELSE Couts_Mois.km_max END")
                    .arg(key, heading, centsOf(p + QStringLiteral("Montant")), p, vehicle)};
    // Taken away: the amount comes off; the mileages of its group are read again from the ledger's
    // index by vehicle (a month of one vehicle) when the line had one.
    const QString group = QStringLiteral("num_vehicule = coalesce(%1num_vehicule, 0) AND mois = substr(%1date, 1, 7) AND rubrique = %2")
                              .arg(p, heading);
    const QString lines = QStringLiteral("FROM Depenses WHERE (num_vehicule = coalesce(%1num_vehicule, 0) OR "
                                         "(coalesce(%1num_vehicule, 0) = 0 AND num_vehicule IS NULL)) "
                                         "AND date >= substr(%1date, 1, 7) || '-01' AND date <= substr(%1date, 1, 7) || '-31' "
                                         "AND Km > 0 AND %2 AND %3 = %4")
                              .arg(p, expenseCondition(ExpenseClass::Vehicle), headingOf(QString()), heading);
    return {QStringLiteral("UPDATE Couts_Mois SET montant = montant - %1 WHERE %2 AND %3date IS NOT NULL AND %4")
                .arg(centsOf(p + QStringLiteral("Montant")), group, p, vehicle),
            QStringLiteral("UPDATE Couts_Mois SET km_min = (SELECT min(Km) %1), km_max = (SELECT max(Km) %1) "
                           "WHERE %2 AND %3date IS NOT NULL AND %3Km > 0 AND %4")
                .arg(lines, group, p, vehicle)};
}

QStringList statements(const QString& table, const QString& row, int sign)
{
    return cashDayStatements(table, row, sign) + vehicleMonthStatements(table, row, sign);
}

QString trigger(const QString& name, const QString& event, const QString& table, const QStringList& body)
{
    return QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN %4; END").arg(name, event, table, body.join(QStringLiteral("; ")));
}

struct Book {
    QString table;
    QString watched; ///< the columns whose change moves a total
};

const QList<Book>& books()
{
    static const QList<Book> all = {{QStringLiteral("Recettes"), QStringLiteral("date, Montant, num_vehicule")},
                                    {QStringLiteral("Depenses"), QStringLiteral("date, Montant, contrepartie, Type_Dep, num_vehicule, Km")},
                                    {QStringLiteral("Salaires"), QStringLiteral("date, Net")}};
    return all;
}

/// The ledger's rows of `Couts_Mois` for the lines dated from ?1 to ?2 (ISO, both included).
QString vehicleMonthsFromLedger()
{
    return QStringLiteral("SELECT coalesce(num_vehicule, 0) AS v, substr(date, 1, 7) AS mois, %1 AS h, sum(%2) AS montant, "
                          "min(CASE WHEN Km > 0 THEN Km END) AS km_min, max(CASE WHEN Km > 0 THEN Km END) AS km_max "
                          "FROM Depenses WHERE %3 AND date >= ?1 AND date <= ?2 GROUP BY 1, 2, 3 "
                          "UNION ALL SELECT num_vehicule, substr(date, 1, 7), %4, sum(%2), NULL, NULL "
                          "FROM Recettes WHERE num_vehicule > 0 AND date >= ?1 AND date <= ?2 GROUP BY 1, 2")
        .arg(headingOf(QString()), centsOf(QStringLiteral("Montant")), expenseCondition(ExpenseClass::Vehicle),
             QString::number(kReceiptsHeading));
}

} // namespace

QString vehicleMonthsSql() { return vehicleMonthsFromLedger(); }

void createKeptTotals(db::Database& db)
{
    db.executeScript(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS Caisse_Jours (date TEXT PRIMARY KEY, recettes INTEGER NOT NULL DEFAULT 0, "
        "vehicules INTEGER NOT NULL DEFAULT 0, salaires INTEGER NOT NULL DEFAULT 0, autres INTEGER NOT NULL DEFAULT 0, "
        "report INTEGER NOT NULL DEFAULT 0);"
        "CREATE TABLE IF NOT EXISTS Couts_Mois (num_vehicule INTEGER NOT NULL, mois TEXT NOT NULL, rubrique INTEGER NOT NULL, "
        "montant INTEGER NOT NULL DEFAULT 0, km_min REAL, km_max REAL, PRIMARY KEY (mois, num_vehicule, rubrique));"));
    for (const Book& b : books()) {
        const QString t = b.table;
        for (const QString& suffix : {QStringLiteral("_ajout"), QStringLiteral("_retrait"), QStringLiteral("_change")})
            db.execute(QStringLiteral("DROP TRIGGER IF EXISTS ") + t + QStringLiteral("_totaux") + suffix);
        db.execute(trigger(t + QStringLiteral("_totaux_ajout"), QStringLiteral("INSERT"), t, statements(t, QStringLiteral("NEW"), 1)));
        db.execute(trigger(t + QStringLiteral("_totaux_retrait"), QStringLiteral("DELETE"), t, statements(t, QStringLiteral("OLD"), -1)));
        db.execute(trigger(t + QStringLiteral("_totaux_change"), QStringLiteral("UPDATE OF ") + b.watched, t,
                           statements(t, QStringLiteral("OLD"), -1) + statements(t, QStringLiteral("NEW"), 1)));
    }
    rebuildKeptTotals(db);
}

void rebuildKeptTotals(db::Database& db)
{
    db::Transaction t(db);
    db.execute(QStringLiteral("DELETE FROM Couts_Mois"));
    db.execute(QStringLiteral("INSERT INTO Couts_Mois (num_vehicule, mois, rubrique, montant, km_min, km_max) ") + vehicleMonthsFromLedger(),
               {QStringLiteral("0000"), QStringLiteral("9999")});
    db.execute(QStringLiteral("DELETE FROM Caisse_Jours WHERE report = 0"));
    db.execute(QStringLiteral("UPDATE Caisse_Jours SET recettes = 0, vehicules = 0, salaires = 0, autres = 0"));
    const QString m = centsOf(QStringLiteral("Montant"));
    db.execute(QStringLiteral("INSERT INTO Caisse_Jours (date, recettes) SELECT date, sum(%1) FROM Recettes WHERE date IS NOT NULL "
                              "GROUP BY date ON CONFLICT (date) DO UPDATE SET recettes = excluded.recettes")
                   .arg(m));
    db.execute(QStringLiteral("INSERT INTO Caisse_Jours (date, vehicules, salaires, autres) SELECT date, "
                              "sum(CASE WHEN %2 THEN %1 ELSE 0 END), sum(CASE WHEN %3 THEN %1 ELSE 0 END), sum(CASE WHEN %4 THEN %1 ELSE 0 END) "
                              "FROM Depenses WHERE date IS NOT NULL GROUP BY date ON CONFLICT (date) DO UPDATE SET "
                              "vehicules = excluded.vehicules, salaires = excluded.salaires, autres = excluded.autres")
                   .arg(m, expenseCondition(ExpenseClass::Vehicle), expenseCondition(ExpenseClass::SalaryAdvance),
                        expenseCondition(ExpenseClass::Other)));
    db.execute(QStringLiteral("INSERT INTO Caisse_Jours (date, salaires) SELECT date, sum(%1) FROM Salaires WHERE %2 "
                              "GROUP BY date ON CONFLICT (date) DO UPDATE SET salaires = Caisse_Jours.salaires + excluded.salaires")
                   .arg(centsOf(QStringLiteral("Net")), paidPayCondition()));
    t.commit();
}

qint64 cashBalanceBefore(const db::Database& db, const QDate& day)
{
    return db.scalar(QStringLiteral("SELECT coalesce(sum(recettes - vehicules - salaires - autres + report), 0) FROM Caisse_Jours "
                                    "WHERE date < ?"),
                     {day.toString(Qt::ISODate)})
        .toLongLong();
}

void carryCashBalance(db::Database& db, int year, qint64 balance)
{
    const qint64 difference = balance - cashBalanceBefore(db, QDate(year, 1, 1));
    if (difference == 0)
        return;
    db.execute(QStringLiteral("INSERT INTO Caisse_Jours (date, report) VALUES (?1, ?2) "
                              "ON CONFLICT (date) DO UPDATE SET report = Caisse_Jours.report + excluded.report"),
               {QDate(year - 1, 12, 31).toString(Qt::ISODate), difference});
}

} // namespace kv::ledger
