#pragma once
// The miscellaneous receipts, without their widgets: the money taken from passing clients, booked as
// `Recettes` lines with `contrepartie` 3 and `Num_Agent` -1 through the fund movement dialog. What the
// list shows (the lines of a period, their cells and total), what it prints, and the deletion of a
// line. Each function reads or writes with one statement.
#include "people/accounts/FundMovement.h"

#include <QList>
#include <QString>
#include <optional>
#include <QStringList>
#include <QVariant>

namespace kv::db { class Database; }

namespace kv::receipts {

/// The booking codes of a miscellaneous receipt: `Recettes`, `Num_Agent` -1, `contrepartie` 3.
fund::Codes codes();

/// A period of the list: the first and the last day, as typed ("dd/mm/yyyy"); a blank bound leaves
/// that side open, and two blank bounds are no period at all (every receipt).
struct Period {
    QString from;
    QString to;
    bool isSet() const { return !from.trimmed().isEmpty() || !to.trimmed().isEmpty(); }
    bool operator==(const Period&) const = default;
};

/// Whether both bounds are given and the last day comes before the first.
bool isInverted(const Period& period);

/// The period as the printed list states it: "du 01/03/2021 au 31/03/2021", "à partir du 01/03/2021",
/// "jusqu'au 31/03/2021"; empty when there is no period.
QString periodText(const Period& period);

/// One miscellaneous receipt as the list shows it.
struct Receipt {
    qint64 num = 0;
    QString date;     ///< dd/mm/yyyy
    double montant = 0;
    int mode = 0;
    QVariant ref;     ///< the observation; null when never written
};

/// The miscellaneous receipts of the period (every one when no period is set), by date then number.
QList<Receipt> read(const db::Database& db, const Period& period = {});

/// The sum of the amounts as the list shows them (each rounded to two decimals), rounded.
double total(const QList<Receipt>& lines);

// The cells of a row.
/// "P. versante": always the passing client.
inline const QString kPassingClient = QStringLiteral(" Client passager");
/// "Montant": "### ###.00" and one blank; empty for 0.
QString amountCell(double montant);
/// "Mode": " Espèces" for 0, " Chèque" for any other mode.
QString modeCell(int mode);
/// "Obsevation": one blank and the observation; empty when it was never written.
QString observationCell(const QVariant& ref);
/// The total as shown: "### ### ###.00", empty when 0.
QString totalText(double value);
/// An amount as the printed list shows it: "# ### ##0.00".
QString printedAmount(double value);

/// Whether line `num` is still a miscellaneous receipt of the ledger.
bool isListed(const db::Database& db, qint64 num);

/// Deletes line `num` when it is a miscellaneous receipt (a line of another kind is never touched);
/// false when there was no such line. One transaction.
bool remove(db::Database& db, qint64 num, std::optional<double> shownAmount = std::nullopt);

} // namespace kv::receipts
