#pragma once
// The due dates of the fleet, without widgets: every insurance, technical inspection and tax sticker
// whose cover ends within a number of days or has ended, and every oil change due by date or by the
// kilometres run since the last one. Archived vehicles are left out.
//
// Only the latest record of each kind counts for a vehicle: an insurance that ended but was followed by
// a later one (a later end date) is replaced, not due. The end of a record:
//   - an insurance: its `au`;
//   - an inspection: its next visit `Date2`;
//   - a tax sticker: one year after its `Date` (a sticker is bought for one year);
//   - an oil change: `Date_vidange` + the interval in days; by kilometres, due once the highest mileage
//     of the vehicle's expense lines has run the interval in kilometres past `Km_Vidange`.
// The intervals are the parameters `Vidange_Jours` and `Vidange_Km` of `Permn`; 0 leaves that criterion
// out. A vehicle with no oil change recorded has nothing to compare and is not listed.
//
// Driving licences: a person's record holds the licence's number, place and date of issue, not an end
// of validity, so the list has no licence line.
//
// The whole list is read with one query (one branch per kind, each grouped by vehicle).
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::db { class Database; }

namespace kv::duedates {

/// What falls due.
enum class Kind { Assurance, Controle, Vignette, Vidange };

/// The number of days the list looks ahead when the screen opens.
inline constexpr int kDefaultHorizon = 30;

/// The oil-change intervals kept in the parameters row.
struct OilIntervals {
    int days = 180;      ///< 0: not watched by date
    double km = 10000;   ///< 0: not watched by kilometres
    bool operator==(const OilIntervals&) const = default;
};

/// One line of the list.
struct Item {
    Kind kind = Kind::Assurance;
    qint64 record = 0;       ///< `num` of the insurance, inspection or sticker; the vehicle's for an oil change
    qint64 vehicle = 0;
    QString matricule;
    QString vehicleName;     ///< make and model, trimmed
    QDate due;               ///< the end date; null for an oil change due by kilometres only
    int daysLeft = 0;        ///< from today to `due`; negative once passed; 0 for kilometres only
    bool overdue = false;    ///< the date has passed, or the kilometres are run
    QString detail;          ///< the insurer, the last visit, the sticker's date, the kilometres
    double kmSince = 0;      ///< oil change: kilometres run since it (0 when unknown)
    bool dueByKm = false;    ///< oil change: the kilometre interval is run
    bool operator==(const Item&) const = default;

    /// The key of the line in the print buffer: "A", "C", "V" or "H" followed by `record`.
    QString key() const;
};

/// The words of a kind as the list shows them: "Assurance", "Contrôle technique", "Vignette", "Vidange".
QString kindText(Kind kind);
/// The urgency as the list shows it: "Dépassée de 12 j", "Aujourd'hui", "Dans 10 j", "Km atteint".
QString urgencyText(const Item& item);

/// The intervals of the parameters row; the defaults when the row is missing.
OilIntervals readIntervals(const db::Database& db);
/// Writes the intervals into the parameters row (adding the row when there is none). Throws db::Error.
void writeIntervals(db::Database& db, const OilIntervals& intervals);

/// Everything due within `horizon` days of `today` or overdue, most urgent first: overdue lines by how
/// long ago they ended (an oil change due by kilometres only counts as due today), then the others by
/// their end date; ties by registration number. Throws db::Error.
QList<Item> dueItems(const db::Database& db, const QDate& today, int horizon = kDefaultHorizon);

/// How many lines are overdue today.
int overdueCount(const db::Database& db, const QDate& today = QDate::currentDate());
/// The short notice of the main window: how many lines are overdue and how many fall due within the
/// default horizon, e.g. "Échéances : 2 dépassées, 1 dans les 30 jours". Empty when nothing is due.
/// Throws db::Error.
QString noticeText(const db::Database& db, const QDate& today = QDate::currentDate());

} // namespace kv::duedates
