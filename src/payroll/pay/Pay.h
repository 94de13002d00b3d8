#pragma once
// The monthly pay of the salaried agents, without widgets: the computation of one pay from its entries
// (CNAS, IRG and the totals, as the pay screen and the pay slip show them), the pay rows of a month in
// `Salaires`, the advances on salary of the month, the saving of a pay, and the closing and reopening
// of a month (`Permn`.M1..M12, PPTR1..PPTR12, `Salaires`.regle and date).
//
// The pay screen `Salaires` and the pay slip screen `FPaye` compute a pay through computePay; the pay
// slip stores nothing:
//
//   payroll::PayTexts texts{tauxJour->text(), nbreJours->text(), hSuppl->text(), indS->text(),
//                           panier->text(), autreInd->text(), avances->text(), rembPrets->text(),
//                           autresRetenues->text()};
//   const payroll::PayFigures f = payroll::computePay(
//       payroll::readEntries(texts, cnasBox->isChecked(), irgBox->isChecked(),
//                            payroll::situationOf(celibataire->isChecked(), enfants->value())),
//       payroll::readPayParams(session.db()).tauxCnas);
//   cnas->setText(f.cnas); irg->setText(f.irg); brut->setText(f.brut); net->setText(f.net); ...
//
// Every function that touches the database throws db::Error on an engine error; the writes of one
// operation are made in one transaction, so that a refused write leaves the data as it was. Screens
// call them through kit::guarded.
#include "payroll/tax/IRG.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <optional>

namespace kv::db { class Database; class Row; }

namespace kv::payroll {

// ---- display patterns ------------------------------------------------------------------------------------

/// CNAS, IRG and the five totals as computed: "### ###.00" followed by a blank.
inline const QString kTotalPattern = QStringLiteral("### ###.00");
/// The amount entries of a loaded pay (rate, overtime, allowances, CNAS, IRG, advances, loan repayment,
/// other deductions): thousands apart, as every amount of the program is shown.
inline const QString kEntryPattern = QStringLiteral("## ###.00");

/// A computed amount as shown: the pattern followed by a blank; empty when the amount shown is 0.
QString shownAmount(double value, const QString& pattern = kTotalPattern);
/// A stored amount as an entry shows it when a pay is loaded: the pattern followed by a blank, empty
/// when the amount is not above 0.
QString entryText(double value, const QString& pattern);

// ---- the computation -------------------------------------------------------------------------------------

/// The texts of the nine entries that the computation reads.
struct PayTexts {
    QString tauxJour, nbreJours, hSuppl, indS, panier, autreInd, avances, rembPrets, autresRetenues;
};

/// The values of a pay's entries (a blank entry is 0; the blanks of a shown amount are ignored), the two
/// boxes "CNAS" and "IRG", and the family situation that chooses the income tax's situation code. The
/// rate and the amounts are read to the cent, as their entries show them once loaded (the rate and the
/// amounts of a loaded pay show two decimals); the number of units as typed.
struct PayEntries {
    double tauxJour = 0, nbreJours = 0, hSuppl = 0, indS = 0, panier = 0, autreInd = 0;
    double avances = 0, rembPrets = 0, autresRetenues = 0;
    bool cnasDue = false;
    bool irgDue = false;
    qint16 situation = irg::Celibataire;
};

PayEntries readEntries(const PayTexts& texts, bool cnasDue, bool irgDue, qint16 situation = irg::Celibataire);

/// The situation of the income tax: 1 for "Célibataire", else 2, and 3 when the children count shown
/// is above 0. The three give the same tax.
qint16 situationOf(bool celibataire, int enfants);

/// A computed pay: each figure as its field shows it (empty or "1 234.50 ") and its value read back
/// from that text (so an empty field is 0 and every value has two decimals at most).
struct PayFigures {
    QString cnas, irg, salaireBase, salairePoste, brut, retenues, net;
    double cnasValue = 0, irgValue = 0, baseValue = 0, posteValue = 0, brutValue = 0, retenuesValue = 0,
           netValue = 0;
};

/// Computes CNAS, IRG and the totals from the entries, with the workers' CNAS rate `tauxCnas` (percent):
///   base = rate × units; poste = base + overtime + subject allowances;
///   CNAS (box ticked) = round2(tauxCnas × poste) × 0.01, shown when above 0;
///   IRG (box ticked) = the income tax of (poste − the CNAS shown), shown when above 0;
///   gross = poste + meal + other allowances; deductions = IRG + CNAS + advances + loan repayment + other
///   deductions; net = gross − deductions. Sums left to right in that order.
/// One rounding rule for every figure: each one is computed from the figures shown before it and is
/// itself rounded to the cent as it is shown, so the net shown is the gross shown less the deductions
/// shown, to the cent, and what a pay stores is what it shows.
PayFigures computePay(const PayEntries& entries, double tauxCnas);

// ---- parameters ------------------------------------------------------------------------------------------

/// What the pay reads from the `Permn` row.
struct PayParams {
    double tauxCnas = 0;   ///< `Taux_CNAS`, workers' rate, percent
    double tauxPP = 0;     ///< `Taux_PP`, employer's rate, percent
    bool byHour = false;   ///< `Taux_VF` = 1
    int unitsPerMonth = 26; ///< `Nb_Heures` (182 when null) by the hour, else `Nb_Jours` (26 when null)
    std::array<bool, 12> closed{};   ///< M1..M12
    std::array<std::optional<double>, 12> pptr{}; ///< PPTR1..PPTR12
};
PayParams readPayParams(const db::Database& db);
PayParams payParams(const db::Row& permn);

/// Month number 1..12 checked; throws std::out_of_range otherwise.
int checkedMonth(int month);

// ---- pay rows --------------------------------------------------------------------------------------------

/// One row of `Salaires`.
struct PayRow {
    qint64 num = 0;
    qint64 agent = 0;
    int month = 0;
    double tauxJour = 0, nbreJours = 0, hSuppl = 0, indS = 0, panier = 0, autreInd = 0;
    double brut = 0, cnas = 0, irg = 0, avances = 0, rembPrets = 0, autresRetenues = 0, net = 0;
    bool brutNull = true;
    bool regle = false;
    QString date;   ///< closing date, dd/mm/yyyy, empty when none

    /// CNAS + IRG + advances + loan repayment + other deductions, as stored.
    double retenues() const;
};
PayRow payRow(const db::Row& row);

/// A salaried agent as the pay screen shows him.
struct PayAgent {
    qint64 num = 0;
    QString nom, prenom, fonction, tel, photo, obs;
    double tauxJour = 0;
    bool cnasDue = false;   ///< `flag_cnas` = 1 (null: not subject)
    bool irgDue = false;    ///< `flag_irg` = 1
};
PayAgent payAgent(const db::Row& row);
/// The agent `num` as the pay screen shows him (people::readPersonRow); nullopt when he no longer exists.
std::optional<PayAgent> readPayAgent(const db::Database& db, qint64 num);

/// A line of the month list: the agent and his pay.
struct MonthLine {
    PayAgent agent;
    PayRow pay;
    /// The list's cells: N°, "NOM", "Prénom", "Fonction", "Taux J", "Nbre", "BRUT", "Retenues", "Net à P.".
    QStringList cells(int position) const;
};

/// The month list's captions.
QStringList monthListCaptions();

/// The salaried agents not archived, by name and first name.
QList<PayAgent> salariedAgents(const db::Database& db);

/// A new pay for an agent: the agent's rate to the cent as the rate entry shows it (0 when none), units
/// per month, gross and net = rate × units, every other amount 0, CNAS and IRG left empty, not settled.
PayRow newPay(qint64 agent, int month, double agentRate, int unitsPerMonth);

/// Makes sure every salaried agent not archived has a pay row for `month` (rows missing are created in
/// one transaction), then reads the month's list in the agents' order. Empty when the month has no such
/// agent. `created`, when given, receives the number of rows created.
QList<MonthLine> buildMonth(db::Database& db, int month, int unitsPerMonth, int* created = nullptr);

/// The pay row of an agent and month (the first one when there are several), or nothing.
std::optional<PayRow> readPay(const db::Database& db, qint64 agent, int month);

/// The texts the entries of an open month show when a pay is loaded: each stored value above 0 with
/// its entry's pattern and a blank, "Remb Avances" the total `advances` of the month's advance lines.
PayTexts payTexts(const PayRow& pay, double advances);

/// What saving a pay writes: the entries' values, the gross shown, the net shown (= gross shown −
/// deductions shown), and, when either box was clicked since the agent was shown, the agent's two flags.
struct PaySave {
    PayEntries entries;
    PayFigures figures;
    bool flagsClicked = false;
};

/// The pay an open month shows for a stored row: its entries as loaded (payTexts), the agent's two
/// boxes, the advances of the month, computed with the workers' rate `tauxCnas`. The pay screen shows
/// this when it loads a pay of an open month, and closing a month stores it for every pay.
PaySave payOf(const PayRow& pay, bool cnasDue, bool irgDue, double advances, double tauxCnas);

/// A closed month's pay as stored, each figure as the pay screen shows it: CNAS, IRG, gross and net as
/// stored, the deductions as the sum of the stored ones, base and poste from the stored rate, units and
/// subject amounts. Nothing is recomputed with today's rates or the agent's boxes of today.
PayFigures storedFigures(const PayRow& pay);

enum class SaveResult { Written, Locked, Missing };

/// Saves the pay of an agent for a month. Nothing is written when the month is closed (`M` flag of
/// `Permn`): Locked. Missing when the agent has no pay row for the month any more.
SaveResult savePay(db::Database& db, qint64 agent, int month, const PaySave& save);

/// Writes the agent's observations (trimmed).
void saveObservations(db::Database& db, qint64 agent, const QString& obs);

// ---- advances on salary ----------------------------------------------------------------------------------

struct Advance {
    qint64 num = 0;
    QString date;     ///< dd/mm/yyyy
    double montant = 0;
    int mode = 0;
    QString ref;
    /// Cells of the advances list: date, amount ("# ### ##0.00" and a blank), "Espèces"/"Chèque", blank + object.
    QStringList cells() const;
};

/// The agent's advances of the month of the exercise `year` (lines of `Depenses` with `contrepartie` 1
/// whose month is `month` and whose date falls in `year`), by date. A year closed keeping its ledger
/// passes its advances to the next one: they stay last year's.
QList<Advance> readAdvances(const db::Database& db, qint64 agent, int month, int year);
/// Their total: each amount rounded to two decimals, added.
double advancesTotal(const QList<Advance>& advances);
/// The total under the list: "# ### ##0.00" and two blanks, empty when 0.
QString advancesTotalText(double total);

// ---- one agent's page ------------------------------------------------------------------------------------

/// What the pay screen shows of an agent for a month: the agent, his pay row of the month and his
/// advances of the month.
struct AgentPage {
    PayAgent agent;
    PayRow pay;
    QList<Advance> advances;
};
/// The page of an agent for a month of the exercise `year`; nothing when the agent or his pay row of
/// the month is not there any more.
std::optional<AgentPage> readAgentPage(const db::Database& db, qint64 agent, int month, int year);

/// Whether the date of a new advance ("dd/mm/yyyy") falls in the pay's month and the exercise's year:
/// characters 4-5 and the last four characters.
bool advanceDateMatches(const QString& date, int month, int year);

// ---- closing and reopening a month ----------------------------------------------------------------------

/// Closes a month of the exercise `year` at a date (dd/mm/yyyy): every pay of the month is computed and
/// stored as the pay screen computes it when it shows the pay (payOf: the agent's boxes, today's
/// `Taux_CNAS`, the month's advances of that year), whether its page was shown or not; its `M` flag
/// set; when the month has pays, its `PPTR` = `Taux_PP` × (sum of `BRUT` × 0.01), to the cent; `regle`
/// set and `date` written on every pay of the month. One transaction. Returns the employer charge
/// written (nothing when the month has no pay).
std::optional<double> closeMonth(db::Database& db, int month, const QString& date, int year);

/// Reopens a month: its `M` flag cleared and `regle` cleared on its pays; `PPTR` and the dates stay.
void reopenMonth(db::Database& db, int month);

} // namespace kv::payroll
