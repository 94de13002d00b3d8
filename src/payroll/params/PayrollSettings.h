#pragma once
// The payroll settings kept in the single Permn row: the firm's identification, the payroll
// parameters, the month-closed flags, the employer charges of the closed months, and the deletion of
// a month's pays. Plain functions over the exercise database; engine errors are thrown (db::Error),
// and every write runs in one transaction, so a refused write leaves the row as it was.
#include <QString>
#include <array>

namespace kv::db { class Database; }

namespace kv::payroll {

// ---- identification ------------------------------------------------------------------------------------

/// The eight texts of the identification, in their order on the screen and in the row:
/// "R.C.", "Id. Fiscale", "Article", "Téléphone", "Fax", "Compte Bancaire", " R.I.B.", "Agence".
using Identification = std::array<QString, 8>;
/// Their Permn columns, in the same order.
extern const std::array<QString, 8> kIdentificationFields;
/// Their captions on the screen.
extern const std::array<QString, 8> kIdentificationCaptions;

/// Creates the Permn row when the table is empty: the first six texts " ", rib "", Taux_CNAS 9,
/// Taux_PP 25.5. True when it created it.
bool ensurePermn(db::Database& db);
/// The eight texts, trimmed; a null reads as empty.
Identification readIdentification(db::Database& db);
/// Writes the eight texts trimmed.
void writeIdentification(db::Database& db, const Identification& texts);

// ---- payroll parameters ------------------------------------------------------------------------------

/// Pay unit (`Taux_VF`): by the day or by the hour.
enum class PayUnit { Jour = 0, Heure = 1 };

struct PayrollParameters {
    QString nCnas;            ///< "N° CNAS Employeur"
    double tauxPP = 25.5;     ///< "Part Patronale CNAS", percent
    double tauxCnas = 9;      ///< "Part ouvrière CNAS", percent
    double nbJours = 26;      ///< "Jours mois" (26 when not set)
    double nbHeures = 182;    ///< "Heures mois" (182 when not set)
    PayUnit unit = PayUnit::Jour; ///< "Paye calculée à ..."
};
PayrollParameters readParameters(db::Database& db);
void writeParameters(db::Database& db, const PayrollParameters& p);

// ---- months ---------------------------------------------------------------------------------------------

/// The month-closed flags M1..M12 (index 0 is January).
std::array<bool, 12> closedMonths(db::Database& db);
/// True when the pays of at least one month are closed.
bool anyClosedMonth(const db::Database& db);

// ---- employer charges ------------------------------------------------------------------------------------

struct MonthCharges {
    bool closed = false;
    double brut = 0;      ///< sum of the month's gross pays
    double patronale = 0; ///< employer's CNAS amount (PPTR)
    double ouvriere = 0;  ///< workers' CNAS amount (VF)
};
using ChargesTable = std::array<MonthCharges, 12>;

/// The months as the employer charges screen loads them: for a closed month its gross total (one
/// query for the twelve months), PPTR and VF; an open month stays empty.
ChargesTable readCharges(db::Database& db);
/// Writes PPTR and VF of every closed month of the table; open months are not touched.
void writeCharges(db::Database& db, const ChargesTable& table);

struct ChargesTotals {
    std::array<double, 12> rowTotal{}; ///< gross + employer + workers, closed months only
    double brut = 0, patronale = 0, ouvriere = 0;
    double total = 0; ///< total gross + total employer + total workers
};
/// Totals over the closed months only.
ChargesTotals chargesTotals(const ChargesTable& table);

// ---- deletion of a month's pays ---------------------------------------------------------------------------

/// Deletes every pay of `month` (1 to 12), opens the month again (M = False) and clears its employer
/// and workers' amounts (PPTR, VF), all in one transaction. The advance rows of Depenses stay: they
/// are money paid, and the next pays of the month count them again. Returns the pays deleted.
int deleteMonthPays(db::Database& db, int month);

} // namespace kv::payroll
