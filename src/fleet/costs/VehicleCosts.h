#pragma once
// What each vehicle costs over a period, without widgets: its expenses by heading, its receipts, the
// margin (receipts - expenses), the kilometres driven (the highest mileage of its expense lines in the
// period minus the lowest) and the cost per kilometre, with the totals of the fleet; and the expenses of
// the fleet by heading and month.
//
// A vehicle expense is an expense line of `contrepartie` 0 with one of the six vehicle headings - the
// rule the cash book and the activity report use, so the totals here are theirs. A vehicle receipt is a
// receipt line booked on a vehicle (`num_vehicule` set). Listed: every vehicle of the register that is
// not archived, and every vehicle, archived or no longer in the register, that has a line in the period
// (a line whose vehicle is gone still counts in the totals, as in the journals).
//
// The whole months of the period are read from the totals the ledger keeps by vehicle, month and heading
// (KeptTotals.h): a few rows per vehicle and month whatever the number of lines; only the days of a month
// the period cuts are read from the ledger. Amounts are counted in cents, line by line, as the cash book
// counts them, so that the two agree.
#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace kv::db { class Database; }

namespace kv::costs {

inline constexpr int kHeadings = 6;

/// The figures of one vehicle, or of the fleet.
struct Figures {
    std::array<double, kHeadings> byHeading{};
    double expenses = 0;
    double receipts = 0;
    double km = 0;           ///< kilometres driven in the period; 0 when fewer than two readings differ
    double margin() const { return receipts - expenses; }
    /// Expenses per kilometre driven; none when no kilometre was driven.
    std::optional<double> costPerKm() const;
};

struct VehicleCost {
    qint64 vehicle = 0;       ///< 0 for lines booked on no vehicle number
    QString matricule;        ///< empty when the vehicle is no longer in the register
    QString name;             ///< make and model, or "Véhicule supprimé (N° 12)"
    bool archived = false;
    Figures figures;
};

/// Expenses of the fleet in one month of the period, by heading.
struct MonthExpenses {
    int year = 0;
    int month = 0;            ///< 1 to 12
    std::array<double, kHeadings> byHeading{};
};

struct CostReport {
    QDate from, to;
    QList<VehicleCost> vehicles;   ///< in the register's order, then by number
    Figures fleet;                 ///< the totals: the sums of the vehicles' figures (km summed too)
    QList<MonthExpenses> months;   ///< every month of the period, in order, empty ones included
};

/// Reads the figures of the period [from, to] (both days included). Throws db::Error.
CostReport compute(const db::Database& db, const QDate& from, const QDate& to);

/// The heading captions of the cost screens: "Carburant", "Huile", "Pièces", "Entretien", "Pneus", "Divers".
const std::array<QString, kHeadings>& headingCaptions();
/// "janv. 2021": the short French name of a month and its year.
QString monthCaption(int year, int month);

/// An amount as the cost screens show it: "# ### ##0.00".
QString money(double value);
/// Kilometres: "# ### ##0".
QString kilometres(double value);

} // namespace kv::costs
