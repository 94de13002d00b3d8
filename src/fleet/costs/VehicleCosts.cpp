#include "VehicleCosts.h"

#include "core/formats/Numbers.h"
#include "platform/db/Database.h"
#include "core/ledger/LedgerClasses.h"

#include <QHash>
#include <QMap>
#include <QSet>

namespace kv::costs {

std::optional<double> Figures::costPerKm() const
{
    if (km <= 0)
        return std::nullopt;
    return expenses / km;
}

const std::array<QString, kHeadings>& headingCaptions()
{
    static const std::array<QString, kHeadings> captions = {QStringLiteral("Carburant"), QStringLiteral("Huile"),
                                                            QStringLiteral("Pièces"),    QStringLiteral("Entretien"),
                                                            QStringLiteral("Pneus"),     QStringLiteral("Divers")};
    return captions;
}

QString monthCaption(int year, int month)
{
    static const QStringList names = {QStringLiteral("janv."), QStringLiteral("févr."), QStringLiteral("mars"),
                                      QStringLiteral("avr."),  QStringLiteral("mai"),   QStringLiteral("juin"),
                                      QStringLiteral("juil."), QStringLiteral("août"),  QStringLiteral("sept."),
                                      QStringLiteral("oct."),  QStringLiteral("nov."),  QStringLiteral("déc.")};
    return names.value(month - 1) + u' ' + QString::number(year);
}

QString money(double value) { return formatNumber(value, u"# ### ##0.00"); }
QString kilometres(double value) { return formatNumber(value, u"# ### ##0"); }

namespace {
/// The column of a heading; a heading outside the six (never written by the screens) goes under "Divers"
/// so that its amount still counts.
int headingIndex(qint64 h) { return h >= 0 && h < kHeadings ? int(h) : kHeadings - 1; }
} // namespace

CostReport compute(const db::Database& db, const QDate& from, const QDate& to)
{
    CostReport report;
    report.from = from;
    report.to = to;
    const QVariantMap period = {{QStringLiteral("du"), from.toString(Qt::ISODate)}, {QStringLiteral("au"), to.toString(Qt::ISODate)}};
    const QString vehicleExpense = ledger::expenseCondition(ledger::ExpenseClass::Vehicle);

    // Lines booked on no vehicle number are kept under 0, so that the totals hold every vehicle expense.
    QMap<qint64, Figures> figures;
    for (const db::Row& r : db.query(QStringLiteral("SELECT coalesce(num_vehicule, 0) AS v, Type_Dep AS h, sum(Montant) AS s "
                                                    "FROM Depenses WHERE %1 AND date >= :du AND date <= :au "
                                                    "GROUP BY coalesce(num_vehicule, 0), Type_Dep")
                                         .arg(vehicleExpense),
                                     period)) {
        Figures& f = figures[r.integer(QStringLiteral("v"))];
        const int h = headingIndex(r.integer(QStringLiteral("h")));
        f.byHeading[h] += r.number(QStringLiteral("s"));
        f.expenses += r.number(QStringLiteral("s"));
    }
    for (const db::Row& r : db.query(QStringLiteral("SELECT coalesce(num_vehicule, 0) AS v, max(Km) - min(Km) AS km "
                                                    "FROM Depenses WHERE %1 AND Km > 0 AND date >= :du AND date <= :au "
                                                    "GROUP BY coalesce(num_vehicule, 0)")
                                         .arg(vehicleExpense),
                                     period))
        if (r.integer(QStringLiteral("v")) != 0)
            figures[r.integer(QStringLiteral("v"))].km = r.number(QStringLiteral("km"));
    for (const db::Row& r : db.query(QStringLiteral("SELECT num_vehicule AS v, sum(Montant) AS s FROM Recettes "
                                                    "WHERE num_vehicule > 0 AND date >= :du AND date <= :au GROUP BY num_vehicule"),
                                     period))
        figures[r.integer(QStringLiteral("v"))].receipts = r.number(QStringLiteral("s"));

    // The register in its order; archived vehicles only when they have figures.
    QSet<qint64> listed;
    for (const db::Row& r : db.query(QStringLiteral(
             "SELECT v.num, v.matricule, trim(coalesce(trim(ma.denom), '') || ' ' || coalesce(trim(mo.denom), '')) AS nom, "
             "v.flag_Arch FROM Vehicules v LEFT JOIN Marques ma ON ma.num = v.num_marque "
             "LEFT JOIN Modeles mo ON mo.num = v.num_Modele ORDER BY v.ordre, v.num"))) {
        const qint64 num = r.integer(QStringLiteral("num"));
        const bool archived = r.integer(QStringLiteral("flag_Arch")) == 1;
        if (archived && !figures.contains(num))
            continue;
        VehicleCost c;
        c.vehicle = num;
        c.matricule = r.text(QStringLiteral("matricule")).trimmed();
        c.name = r.text(QStringLiteral("nom")).trimmed();
        c.archived = archived;
        c.figures = figures.value(num);
        report.vehicles << c;
        listed.insert(num);
    }
    for (auto it = figures.constBegin(); it != figures.constEnd(); ++it) {
        if (listed.contains(it.key()))
            continue;
        VehicleCost c;
        c.vehicle = it.key();
        c.name = it.key() == 0 ? QStringLiteral("Sans véhicule")
                               : QStringLiteral("Véhicule supprimé (N° %1)").arg(it.key());
        c.figures = it.value();
        report.vehicles << c;
    }
    for (const VehicleCost& c : report.vehicles) {
        for (int h = 0; h < kHeadings; ++h)
            report.fleet.byHeading[h] += c.figures.byHeading[h];
        report.fleet.expenses += c.figures.expenses;
        report.fleet.receipts += c.figures.receipts;
        report.fleet.km += c.figures.km;
    }

    // Every month of the period, then the fleet's expenses of each.
    for (QDate m(from.year(), from.month(), 1); from.isValid() && to.isValid() && m <= to; m = m.addMonths(1))
        report.months << MonthExpenses{m.year(), m.month(), {}};
    QHash<QString, int> monthIndex;
    for (int i = 0; i < report.months.size(); ++i)
        monthIndex.insert(QStringLiteral("%1-%2").arg(report.months[i].year).arg(report.months[i].month, 2, 10, QChar(u'0')), i);
    for (const db::Row& r : db.query(QStringLiteral("SELECT substr(date, 1, 7) AS mois, Type_Dep AS h, sum(Montant) AS s "
                                                    "FROM Depenses WHERE %1 AND date >= :du AND date <= :au "
                                                    "GROUP BY substr(date, 1, 7), Type_Dep")
                                         .arg(vehicleExpense),
                                     period)) {
        const int i = monthIndex.value(r.text(QStringLiteral("mois")), -1);
        if (i >= 0)
            report.months[i].byHeading[headingIndex(r.integer(QStringLiteral("h")))] += r.number(QStringLiteral("s"));
    }
    return report;
}

} // namespace kv::costs
