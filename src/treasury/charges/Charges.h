#pragma once
// The firm's monthly running charges kept in the Permn row (`Charge1` to `Charge9`): seven typed charges,
// their monthly total and the cost per day (the total over 30 days). Nothing else computes with them.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>

namespace kv::db { class Database; }

namespace kv::charges {

/// `Charge1` to `Charge7` typed, `Charge8` the monthly total, `Charge9` the total per day.
inline constexpr int kTyped = 7;
inline constexpr int kFields = 9;
/// The captions of the nine fields, top to bottom.
inline const QStringList kCaptions = {QStringLiteral(" Salaires"),      QStringLiteral(" Loyer"),
                                      QStringLiteral(" Amortissement"), QStringLiteral(" Gaz / Electricité"),
                                      QStringLiteral(" Eau"),           QStringLiteral(" Téléphone"),
                                      QStringLiteral(" Autres Charges"), QStringLiteral(" Total mensuel"),
                                      QStringLiteral(" Total par Jour")};
/// The column of field `i` (0-based): "Charge1" ...
QString fieldName(int i);

/// The nine stored values; a null stays null (never written).
using Stored = std::array<QVariant, kFields>;
Stored read(const db::Database& db);
/// Writes the nine values into the Permn row (created when the table has none). One transaction.
void write(db::Database& db, const std::array<double, kFields>& values);

/// A stored value as its field shows it: "########.00", empty when null.
QString shown(const QVariant& stored);
/// The monthly total of the seven charges typed, read as numbers: "### ### ###.00" when above 0, else empty.
QString monthlyTotalText(const QStringList& typed);
/// The cost per day of a monthly total as shown: the total read as a number, over 30, "#########.00".
QString perDayText(const QString& monthlyTotal);

} // namespace kv::charges
