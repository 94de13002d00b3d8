#include "VehicleCosts.h"

#include "core/formats/Numbers.h"
#include "platform/db/Database.h"
#include "core/ledger/KeptTotals.h"

#include <QHash>
#include <algorithm>
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

namespace {

/// Whole months of the period read from the totals kept by vehicle, month and heading; the odd days at
/// either end from the ledger, grouped the same way. Amounts in cents, as the table keeps them.
struct Accumulated {
    struct Vehicle {
        std::array<qint64, kHeadings> byHeading{};
        qint64 receipts = 0;
        std::optional<double> kmMin, kmMax;
    };
    QMap<qint64, Vehicle> vehicles;
    QHash<int, std::array<qint64, kHeadings>> months; ///< by year * 100 + month

    void add(const db::Cursor& c)
    {
        const qint64 v = c.integer(0);
        const int month = int(c.integer(1));
        const int h = int(c.integer(2));
        const qint64 amount = c.integer(3);
        Vehicle& f = vehicles[v];
        if (h == ledger::kReceiptsHeading) {
            f.receipts += amount;
            return;
        }
        const int i = headingIndex(h);
        f.byHeading[i] += amount;
        months[month][i] += amount;
        if (!c.isNull(4) && (!f.kmMin || c.number(4) < *f.kmMin))
            f.kmMin = c.number(4);
        if (!c.isNull(5) && (!f.kmMax || c.number(5) > *f.kmMax))
            f.kmMax = c.number(5);
    }
};

QString isoDay(const QDate& d) { return d.toString(Qt::ISODate); }

} // namespace

CostReport compute(const db::Database& db, const QDate& from, const QDate& to)
{
    CostReport report;
    report.from = from;
    report.to = to;

    // The whole months of the period come from `Couts_Mois` (a few rows per vehicle and month); the days
    // before the first whole month and after the last from the ledger itself.
    Accumulated acc;
    const QString monthNumber = QStringLiteral("CAST(substr(mois, 1, 4) AS INTEGER) * 100 + CAST(substr(mois, 6, 2) AS INTEGER)");
    const auto fromLedger = [&](const QDate& a, const QDate& b) {
        if (a.isValid() && b.isValid() && a <= b)
            db.scan(QStringLiteral("SELECT v, %1, h, montant, km_min, km_max FROM (%2)").arg(monthNumber, ledger::vehicleMonthsSql()),
                    {isoDay(a), isoDay(b)}, [&](const db::Cursor& c) { acc.add(c); });
    };
    if (from.isValid() && to.isValid() && from <= to) {
        const QDate firstWhole = from.day() == 1 ? from : QDate(from.year(), from.month(), 1).addMonths(1);
        const QDate afterLastWhole = to.addDays(1).day() == 1 ? to.addDays(1) : QDate(to.year(), to.month(), 1);
        if (firstWhole < afterLastWhole) {
            fromLedger(from, firstWhole.addDays(-1));
            db.scan(QStringLiteral("SELECT num_vehicule, %1, rubrique, montant, km_min, km_max FROM Couts_Mois "
                                   "WHERE mois >= ? AND mois < ?")
                        .arg(monthNumber),
                    {isoDay(firstWhole).left(7), isoDay(afterLastWhole).left(7)}, [&](const db::Cursor& c) { acc.add(c); });
            fromLedger(afterLastWhole, to);
        } else {
            fromLedger(from, to);
        }
    }
    QMap<qint64, Figures> figures;
    for (auto it = acc.vehicles.constBegin(); it != acc.vehicles.constEnd(); ++it) {
        // A group whose lines were all deleted stays in the kept totals at zero: it shows nothing.
        if (it->receipts == 0 && !it->kmMin && std::all_of(it->byHeading.begin(), it->byHeading.end(), [](qint64 a) { return a == 0; }))
            continue;
        Figures& f = figures[it.key()];
        qint64 expenses = 0;
        for (int h = 0; h < kHeadings; ++h) {
            f.byHeading[h] = it->byHeading[h] / 100.0;
            expenses += it->byHeading[h];
        }
        f.expenses = expenses / 100.0;
        f.receipts = it->receipts / 100.0;
        // The kilometres of the lines booked on no vehicle number mean nothing.
        if (it.key() != 0 && it->kmMin && it->kmMax)
            f.km = *it->kmMax - *it->kmMin;
    }

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
    for (MonthExpenses& m : report.months) {
        const auto it = acc.months.constFind(m.year * 100 + m.month);
        if (it != acc.months.constEnd())
            for (int h = 0; h < kHeadings; ++h)
                m.byHeading[h] = (*it)[h] / 100.0;
    }
    return report;
}

} // namespace kv::costs
