#pragma once
// Totals of the ledger kept in the exercise file as the ledger changes, so that the screens that sum a
// year read a few hundred rows instead of every line:
//
//   - `Caisse_Jours`: per day, in cents, the receipts and the three kinds of expenses (LedgerClasses.h),
//     the closed pays counted with the advances under `salaires`; and `report`, a balance carried into
//     the file by a closing (the old year's end, on the old year's last day). The cash book's "Report de
//     la veille" of a day is the sum of the rows before it.
//   - `Couts_Mois`: per vehicle (0 for lines on no vehicle), month ("yyyy-mm") and heading (0 to 5; a
//     heading outside them under 5, "Divers"), the vehicle expenses in cents and the lowest and highest
//     mileage of those lines; heading 6 holds the receipts booked on a vehicle.
//
// Triggers on `Recettes`, `Depenses` and `Salaires` keep both right on every insertion, change and
// deletion, whoever writes (the screens, the demo, a closing); rebuildKeptTotals() counts them again
// from the ledger (a file brought up from an earlier version). Every amount is counted as the cash
// book counts it: rounded to the cent line by line (centsOf), so sums in any order agree to the cent.
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace kv::db { class Database; }

namespace kv::ledger {

inline const QString kCashDays = QStringLiteral("Caisse_Jours");
inline const QString kVehicleMonths = QStringLiteral("Couts_Mois");
/// `Couts_Mois`.`rubrique` of the receipts booked on a vehicle.
inline constexpr int kReceiptsHeading = 6;

/// The SQL expression of an amount column in whole cents: rounded to two decimals (halves away from
/// zero on its decimal value), as the ledger shows it. An amount typed in cents is a whole number of
/// cents to within a millionth once multiplied by 100, and rounding that product gives the same cents
/// as the two roundings, which are kept for the others.
QString centsOf(const QString& column);

/// An amount read from the ledger in whole cents, as centsOf counts it, when it was typed in cents (a
/// whole number of cents to within a millionth once multiplied by 100: every amount the screens book);
/// nothing for the others, which centsOfAmounts counts.
std::optional<qint64> typedCents(double amount);
/// Amounts in whole cents as centsOf counts them, in order, by the engine in one read: the amounts
/// typedCents leaves. Throws db::Error.
QList<qint64> centsOfAmounts(const db::Database& db, const QList<double>& amounts);

/// The ledger's rows of `Couts_Mois` (columns v, mois, h, montant, km_min, km_max) for the lines dated
/// from ?1 to ?2 (ISO texts, both included): what the table holds for whole months, and what a period
/// that starts or ends inside a month reads for its odd days.
QString vehicleMonthsSql();

/// Creates the two tables and their triggers where they are missing (the triggers are made again), then
/// counts the totals from the ledger. Throws db::Error.
void createKeptTotals(db::Database& db);
/// Counts both tables again from the ledger; a carried `report` stays. Throws db::Error.
void rebuildKeptTotals(db::Database& db);

/// The cash balance of every day before `day`, carried balances included, in cents. Throws db::Error.
qint64 cashBalanceBefore(const db::Database& db, const QDate& day);
/// Makes the balance before the 1st of January of `year` equal `balance` (cents) by carrying the
/// difference on the 31st of December before it: a closing calls it on the new year with the old year's
/// end. Throws db::Error.
void carryCashBalance(db::Database& db, int year, qint64 balance);

} // namespace kv::ledger
