#pragma once
// The cash position of one day, without its widgets: the balance carried over from every earlier day
// ("Report de la veille"), the day's lines in four lists - vehicle expenses, salaries (advances on
// salary and the pays closed that day), other expenses, receipts - and the summary down to the balance
// at the end of the day.
//
// Which expense line goes to which list is the rule of LedgerClasses.h, and the opening balance is made
// of the same kinds over the earlier days, so every line counts once: for every day, the end-of-day
// balance is the next day's opening balance. Amounts are counted in cents (each line rounded to two
// decimals, halves away from zero, as the ledger shows it), so that the two figures are equal to the
// cent, whatever order the sums are made in.
//
// The day's lines are read in one pass over the index by date per book (the expenses, each sorted into
// its list as it is read; the closed pays; the receipts), the day bound as a parameter (ISO text), each
// person's and vehicle's names made once; the opening balance from the totals the ledger keeps by day
// (KeptTotals.h), so any day of any year costs the same. Nothing is formatted here: a list formats a
// line when it is shown (the *Row functions).
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv::db { class Database; }

namespace kv::cashbook {

/// An amount in cents.
using Cents = qint64;

/// Cents as a number of the currency.
inline double toAmount(Cents cents) { return static_cast<double>(cents) / 100.0; }

/// A line of "Dép. Véhicules".
struct VehicleLine {
    qint64 num = 0;      ///< `Depenses`.`num`
    QString vehicle;     ///< " " + model + " " + registration; " " + registration without a model; empty without a vehicle
    QString ref;         ///< the object as written (shown " " + trimmed)
    Cents amount = 0;
};

/// A line of "Salaires": an advance on salary or a pay closed that day.
struct SalaryLine {
    enum class Kind { Advance, Pay };
    Kind kind = Kind::Advance;
    qint64 num = 0;      ///< `Depenses`.`num` of an advance, `Salaires`.`num` of a pay
    QString nom, prenom, fonction; ///< of the person; empty when not found
    Cents amount = 0;    ///< the advance's `Montant`, the pay's `Net`
    QString object;      ///< " Avance sur salaire ", or " Salaire " + month name + " " + exercise year
};

/// A line of "Autres Dépenses" or "Recettes".
struct MoneyLine {
    qint64 num = 0;      ///< `Depenses`.`num` or `Recettes`.`num`
    QString person;      ///< " " + surname + " " + first name, or " Divers Bénéficiaire" / " Client Divers"
    Cents amount = 0;
    int mode = 0;
    QVariant ref;        ///< the object; null when never written
};

/// The four kinds of expenses and the receipts of a span of days.
struct Sums {
    Cents receipts = 0;
    Cents vehicles = 0;
    Cents salaries = 0;  ///< advances on salary and closed pays
    Cents others = 0;
    Cents expenses() const { return vehicles + salaries + others; }
    Cents balance() const { return receipts - expenses(); }
    bool operator==(const Sums&) const = default;
};

/// The cash book of one day.
struct CashDay {
    QDate day;
    Cents opening = 0;   ///< "Report de la veille": the balance of every earlier day
    QList<VehicleLine> vehicles;
    QList<SalaryLine> salaries; ///< the advances (by number), then the pays (by number)
    QList<MoneyLine> others;
    QList<MoneyLine> receipts;

    /// The day's totals, the sums of the lists.
    Sums totals() const;
    /// "Solde de fin de journée": the opening balance and the day's balance.
    Cents closing() const { return opening + totals().balance(); }
};

inline const QString kMiscBeneficiary = QStringLiteral(" Divers Bénéficiaire");
inline const QString kMiscPayer = QStringLiteral(" Client Divers");
inline const QString kAdvanceObject = QStringLiteral(" Avance sur salaire ");

/// The cash book of `day`; `exerciseYear` names the pays' year in their object. Throws db::Error.
CashDay readCashDay(const db::Database& db, const QDate& day, int exerciseYear);

/// The receipts and the expenses of each kind dated from `from` to `to` (both included; an invalid
/// `from` leaves the start open). Throws db::Error.
Sums sumsBetween(const db::Database& db, const QDate& from, const QDate& to);

/// "Report de la veille" of `day`: the balance of every day before it. Throws db::Error.
Cents openingBalance(const db::Database& db, const QDate& day);

// ---- what the screen and the prints show -------------------------------------------------------------

/// The title of the screen and of the prints: "Mouvements de trésorerie du " + dd/mm/yyyy.
QString title(const QDate& day);

/// An amount of a list, "### ###" and a blank; empty for 0 (a negative correction shows: it counts).
QString lineAmount(Cents amount);
/// An amount of "Autres Dépenses" and "Recettes", "# ### ###" and a blank; empty for 0.
QString moneyAmount(Cents amount);
/// A list's total under it, "# ### ###" and a blank; empty for 0.
QString listTotal(Cents amount);
/// "Espèces" for mode 0, "Chèque" for any other.
QString modeText(int mode);
/// " " + `ref` trimmed; empty when never written.
QString objectText(const QVariant& ref);

/// The rows of the summary ("Récapitulatif Général"), in order.
enum SummaryRow { RowOpening, RowReceipts, RowVehicles, RowSalaries, RowOthers, RowDayTotals, RowClosing, SummaryRows };
/// The columns of the summary: the row's caption, then "Recettes", "Dépenses", "Solde".
enum SummaryColumn { ColCaption, ColReceipts, ColExpenses, ColBalance, SummaryColumns };
/// The captions of the summary's rows.
const QStringList& summaryCaptions();
/// The summary's cells as shown, [row][column]. Every figure is in cents, exact (so every row adds up as
/// shown, and the end of one day shows what the next day's "Report de la veille" shows); empty for 0.
QList<QStringList> summaryCells(const CashDay& day);

/// The cells of one line of a list at `position` (from 0; "N°" shows it from 1).
QStringList vehicleRow(const VehicleLine& line, int position); ///< N°, vehicle, object, amount
QStringList salaryRow(const SalaryLine& line, int position);   ///< N°, "Nom", "Prénom", "Fonction", amount, object
QStringList moneyRow(const MoneyLine& line, int position);     ///< N°, person, "Montant", "Mode", "Objet"

/// The cells of each list, one QStringList per line in list order, starting with "N°" (from 1).
QList<QStringList> vehicleCells(const CashDay& day);  ///< N°, vehicle, object, amount
QList<QStringList> salaryCells(const CashDay& day);   ///< N°, "Nom", "Prénom", "Fonction", amount, object
QList<QStringList> otherCells(const CashDay& day);    ///< N°, "Bénéficiaire", "Montant", "Mode", "Objet"
QList<QStringList> receiptCells(const CashDay& day);  ///< N°, "Partie versante", "Montant", "Mode", "Objet"

} // namespace kv::cashbook
