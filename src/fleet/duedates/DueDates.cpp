#include "DueDates.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"
#include "platform/db/Dates.h"
#include "core/ledger/LedgerClasses.h"

#include <algorithm>

namespace kv::duedates {

namespace {

// One branch per kind, each reading its table once: the latest record of each vehicle (the first in
// number order among records of the same date) with its own number and details.
QString selection()
{
    return QStringLiteral(R"(
WITH veh AS (
    SELECT v.num, v.matricule, trim(coalesce(trim(ma.denom), '') || ' ' || coalesce(trim(mo.denom), '')) AS nom,
           v.Date_vidange, v.Km_Vidange
    FROM Vehicules v
    LEFT JOIN Marques ma ON ma.num = v.num_marque
    LEFT JOIN Modeles mo ON mo.num = v.num_Modele
    WHERE v.flag_Arch IS NOT 1
),
ass AS (SELECT num, num_vehicule, agence, fin FROM (
            SELECT num, num_vehicule, agence, au AS fin,
                   ROW_NUMBER() OVER (PARTITION BY num_vehicule ORDER BY au DESC, num) AS rang
            FROM Assurances WHERE au > '') AS t WHERE rang = 1),
ctl AS (SELECT num, num_vehicule, Date1, fin FROM (
            SELECT num, num_vehicule, Date1, Date2 AS fin,
                   ROW_NUMBER() OVER (PARTITION BY num_vehicule ORDER BY Date2 DESC, num) AS rang
            FROM Controles WHERE Date2 > '') AS t WHERE rang = 1),
vig AS (SELECT num, num_vehicule, achat, fin FROM (
            SELECT num, num_vehicule, Date AS achat, date(Date, '+1 year') AS fin,
                   ROW_NUMBER() OVER (PARTITION BY num_vehicule ORDER BY date(Date, '+1 year') DESC NULLS LAST, num) AS rang
            FROM Vignettes WHERE Date > '') AS t WHERE rang = 1),
kms AS (SELECT veh.num AS num_vehicule,
               (SELECT MAX(d.Km) FROM Depenses d WHERE d.num_vehicule = veh.num AND d.Km > 0 AND %1) AS km
        FROM veh),
oil AS (
    SELECT veh.num, veh.matricule, veh.nom, veh.Date_vidange, veh.Km_Vidange,
           CASE WHEN :jours > 0 AND veh.Date_vidange > '' THEN date(veh.Date_vidange, '+' || :jours || ' days') END AS fin,
           CASE WHEN veh.Km_Vidange > 0 AND k.km >= veh.Km_Vidange THEN k.km - veh.Km_Vidange END AS depuis
    FROM veh LEFT JOIN kms k ON k.num_vehicule = veh.num
)
SELECT 0 AS genre, a.num AS record, veh.num AS vehicule, veh.matricule, veh.nom, a.fin, a.agence AS detail,
       CAST(NULL AS REAL) AS depuis, CAST(NULL AS REAL) AS km_vidange, 0 AS par_km
FROM ass a JOIN veh ON veh.num = a.num_vehicule WHERE a.fin <= :limite
UNION ALL
SELECT 1, c.num, veh.num, veh.matricule, veh.nom, c.fin, c.Date1, NULL, NULL, 0
FROM ctl c JOIN veh ON veh.num = c.num_vehicule WHERE c.fin <= :limite
UNION ALL
SELECT 2, g.num, veh.num, veh.matricule, veh.nom, g.fin, g.achat, NULL, NULL, 0
FROM vig g JOIN veh ON veh.num = g.num_vehicule WHERE g.fin <= :limite
UNION ALL
SELECT 3, o.num, o.num, o.matricule, o.nom, o.fin, o.Date_vidange, o.depuis, o.Km_Vidange,
       CASE WHEN :km > 0 AND o.depuis >= :km THEN 1 ELSE 0 END
FROM oil o WHERE o.fin <= :limite OR (:km > 0 AND o.depuis >= :km)
)")
        .arg(ledger::expenseCondition(ledger::ExpenseClass::Vehicle, QStringLiteral("d")));
}

// No-break spaces: a mileage never splits over two lines of the printed list.
QString kmText(double km)
{
    QString text = formatNumber(km, u"# ### ##0") + QStringLiteral(" km");
    return text.replace(u' ', QChar(0x00A0));
}

QString detailOf(Kind kind, const db::Row& r)
{
    const double kmVidange = r.number(QStringLiteral("km_vidange"));
    const QString date = db::toShownDate(r.value(QStringLiteral("detail")));
    switch (kind) {
    case Kind::Assurance: return r.text(QStringLiteral("detail")).trimmed();
    case Kind::Controle: return date.isEmpty() ? QString() : QStringLiteral("Visite du ") + date;
    case Kind::Vignette: return QStringLiteral("Achetée le ") + date;
    case Kind::Vidange: {
        QString text = QStringLiteral("Dernière vidange");
        if (!date.isEmpty())
            text += QStringLiteral(" le ") + date;
        if (kmVidange > 0)
            text += QStringLiteral(" à ") + kmText(kmVidange);
        // No line booked at or above the oil change's mileage: the distance run since is not known.
        if (!r.isNull(QStringLiteral("depuis")))
            text += QStringLiteral(", ") + kmText(r.number(QStringLiteral("depuis"))) + QStringLiteral(" depuis");
        else if (kmVidange > 0)
            text += QStringLiteral(", kilométrage actuel inconnu");
        return text;
    }
    }
    return {};
}

/// The days that order the list: an oil change due by kilometres counts as due today at the latest.
int urgencyDays(const Item& i) { return i.dueByKm && (i.due.isNull() || i.daysLeft > 0) ? 0 : i.daysLeft; }

} // namespace

QString Item::key() const
{
    static const QString letters = QStringLiteral("ACVH");
    return letters[int(kind)] + QString::number(record);
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Assurance: return QStringLiteral("Assurance");
    case Kind::Controle: return QStringLiteral("Contrôle technique");
    case Kind::Vignette: return QStringLiteral("Vignette");
    case Kind::Vidange: return QStringLiteral("Vidange");
    }
    return {};
}

QString urgencyText(const Item& item)
{
    const bool byDate = !item.due.isNull() && item.daysLeft < 0;
    if (byDate)
        return QStringLiteral("Dépassée de %1 j").arg(-item.daysLeft) + (item.dueByKm ? QStringLiteral(", km atteint") : QString());
    if (item.dueByKm)
        return QStringLiteral("Kilométrage atteint");
    if (item.daysLeft == 0)
        return QStringLiteral("Aujourd'hui");
    return QStringLiteral("Dans %1 j").arg(item.daysLeft);
}

OilIntervals readIntervals(const db::Database& db)
{
    const db::Rows rows = db.query(QStringLiteral("SELECT Vidange_Jours, Vidange_Km FROM Permn LIMIT 1"));
    if (rows.isEmpty())
        return {};
    return {int(rows.first().integer(QStringLiteral("Vidange_Jours"))), rows.first().number(QStringLiteral("Vidange_Km"))};
}

void writeIntervals(db::Database& db, const OilIntervals& intervals)
{
    db::Transaction t(db);
    const db::Fields fields{{QStringLiteral("Vidange_Jours"), intervals.days}, {QStringLiteral("Vidange_Km"), intervals.km}};
    if (db::updateRows(db, schema::Permn, fields) == 0)
        db::insertRow(db, schema::Permn, fields);
    t.commit();
}

QList<Item> dueItems(const db::Database& db, const QDate& today, int horizon)
{
    const OilIntervals oil = readIntervals(db);
    QVariantMap params;
    params.insert(QStringLiteral("limite"), today.addDays(std::max(horizon, 0)).toString(Qt::ISODate));
    params.insert(QStringLiteral("jours"), std::max(oil.days, 0));
    params.insert(QStringLiteral("km"), std::max(oil.km, 0.0));
    QList<Item> items;
    const db::Rows rows = db.query(selection(), params);
    for (const db::Row& r : rows) {
        Item i;
        i.kind = Kind(r.integer(QStringLiteral("genre")));
        i.record = r.integer(QStringLiteral("record"));
        i.vehicle = r.integer(QStringLiteral("vehicule"));
        i.matricule = r.text(QStringLiteral("matricule")).trimmed();
        i.vehicleName = r.text(QStringLiteral("nom")).trimmed();
        i.due = QDate::fromString(r.text(QStringLiteral("fin")).left(10), Qt::ISODate);
        i.dueByKm = r.flag(QStringLiteral("par_km"));
        i.kmSince = r.number(QStringLiteral("depuis"));
        // An oil change listed for its kilometres alone keeps its date only when that is due too.
        if (i.dueByKm && !i.due.isNull() && i.due > today.addDays(std::max(horizon, 0)))
            i.due = QDate();
        i.daysLeft = i.due.isNull() ? 0 : int(today.daysTo(i.due));
        i.overdue = (!i.due.isNull() && i.daysLeft < 0) || i.dueByKm;
        i.detail = detailOf(i.kind, r);
        items << i;
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        const int da = urgencyDays(a), dbb = urgencyDays(b);
        if (da != dbb)
            return da < dbb;
        if (a.overdue != b.overdue)
            return a.overdue;
        if (a.matricule != b.matricule)
            return a.matricule < b.matricule;
        return int(a.kind) < int(b.kind);
    });
    return items;
}

int overdueCount(const db::Database& db, const QDate& today)
{
    const QList<Item> items = dueItems(db, today, 0);
    return int(std::count_if(items.begin(), items.end(), [](const Item& i) { return i.overdue; }));
}

QString noticeText(const db::Database& db, const QDate& today)
{
    const QList<Item> items = dueItems(db, today, kDefaultHorizon);
    const int overdue = int(std::count_if(items.begin(), items.end(), [](const Item& i) { return i.overdue; }));
    const int soon = int(items.size()) - overdue;
    QStringList parts;
    if (overdue > 0)
        parts << QStringLiteral("%1 dépassée%2").arg(overdue).arg(overdue > 1 ? QStringLiteral("s") : QString());
    if (soon > 0)
        parts << QStringLiteral("%1 dans les %2 jours").arg(soon).arg(kDefaultHorizon);
    if (parts.isEmpty())
        return {};
    return QStringLiteral("Échéances : ") + parts.join(QStringLiteral(", "));
}

} // namespace kv::duedates
