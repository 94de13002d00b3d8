#pragma once
// The pay documents printed from the pay screen, each through the report routine (printReport):
//   signature list of a month        OSKDOC11.RPT  (the month's pays, agents not archived)
//   pay slips of a month             OSKDOC12.RPT  (one slip per pay of the month, agents not archived)
//   work certificate of an agent     Att_Trav.RPT
//   annual statement of an agent     RAnnuel.RPT   (its amounts go through the one Csse row)
//   pay slip of one agent            FPaye.RPT     (printed by the pay slip screen FPaye)
// Every function shows its own failures (missing template, refused input, engine error with the
// engine's message, nothing written then) and returns false; true when the document was shown.
// The firm identity (ch1 to ch3, ch30) is written by the routine; the selection of a month document
// is the parameter :mois that the template's queries bind.
#include <QString>
#include <QtGlobal>
#include <array>

namespace kv {

class Session;

namespace payroll {

inline const QString kSignatureListTemplate = QStringLiteral("OSKDOC11.RPT");
inline const QString kPaySlipsTemplate = QStringLiteral("OSKDOC12.RPT");
inline const QString kWorkCertificateTemplate = QStringLiteral("Att_Trav.RPT");
inline const QString kAnnualStatementTemplate = QStringLiteral("RAnnuel.RPT");
inline const QString kPaySlipTemplate = QStringLiteral("FPaye.RPT");

/// The signatory block of the pay screen ("Signé par ..."): "Date", "Nom", "Qualité" as typed.
struct Signatory {
    QString date;
    QString nom;
    QString qualite;
};

/// The month heading of the pay screen: the French month name, a blank and the exercise year
/// ("Mars 2021"). `month` 1 to 12.
QString monthHeading(int month, int year);

// ---- the two month documents --------------------------------------------------------------------------

/// "Etat d'émargement" of `month` of the open exercise: ch4 = the month heading.
bool printSignatureList(Session& session, int month);
/// "Bulletins  de Paye" of `month` of the open exercise: ch4 = the month heading.
bool printPaySlips(Session& session, int month);

// ---- work certificate ---------------------------------------------------------------------------------

/// The texts of the certificate panel.
struct WorkCertificate {
    QString numero;   ///< "Attestation N°"
    QString neLe;     ///< "Né(e) le"
    QString libre;    ///< the third free text
    QString debut;    ///< "En fonction Du": dd/mm/yyyy
    QString fin;      ///< its end: "à ce jour" or a date dd/mm/yyyy
};

/// The panel's texts when it opens for an agent: the agent's `d_entree` as dd/mm/yyyy (empty when
/// none) and "à ce jour"; the others empty. Reads the database (engine errors are thrown).
WorkCertificate workCertificateFor(Session& session, qint64 agent);

/// ch10 of the certificate: "Du  " + start + "  Au  " + end when the end's third character is "/",
/// else "Du  " + start + "  " + end (both trimmed).
QString certificatePeriod(const QString& debut, const QString& fin);

/// Prints the certificate of `agent`. A start that is not 10 characters after trimming (or not a
/// real day) is refused with "Date d'entrée incorrecte" (critical, "ATTENTION"): nothing printed.
bool printWorkCertificate(Session& session, qint64 agent, const WorkCertificate& certificate,
                          const Signatory& signatory);

// ---- annual statement ---------------------------------------------------------------------------------

/// The statement panel ("Relevé annuel des émoluments"). amounts[0..7] are C2..C9:
/// salary, complementary allowance, overtime, other subject allowances, CNAS, IRG, other deductions,
/// allowances not subject.
struct AnnualStatement {
    QString debut;                                           ///< period start, dd/mm/yyyy or empty
    QString fin;                                             ///< period end, dd/mm/yyyy or empty
    QString caption2 = QStringLiteral(" Salaire de base");   ///< editable caption of C2
    QString caption3 = QStringLiteral(" Ind. Complémentaire"); ///< editable caption of C3
    std::array<double, 8> amounts{};
};

/// The statement's totals as the panel shows them.
struct AnnualTotals {
    double salairePoste = 0; ///< C2 + C3
    double salaireAnnuel = 0; ///< poste + C4 + C5
    double retenues = 0;     ///< C6 + C7 + C8
    double net = 0;          ///< annuel - retenues + C9
};
AnnualTotals annualTotals(const std::array<double, 8>& amounts);

/// The default period of a month opened on the pay screen: the first day of the month and that day
/// plus 364 days, dd/mm/yyyy.
std::array<QString, 2> annualPeriod(int month, int year);

/// ch4 of the statement: "Du " + start + "  Au " + end, an empty date written "........................."
QString statementPeriod(const QString& debut, const QString& fin);

/// Replaces the Csse row by the statement's amounts for `agent` and prints RAnnuel.RPT.
bool printAnnualStatement(Session& session, qint64 agent, const AnnualStatement& statement,
                          const Signatory& signatory);

// ---- pay slip -----------------------------------------------------------------------------------------

/// What a pay slip shows, as the texts of the screen (amounts as shown: "1 234.50 " or empty).
struct PaySlipSheet {
    QString nom, prenom, fonction;
    QString moisDe;          ///< the month heading
    // the eleven entries, in the pay screen's order
    QString tauxJour, nbreJours, hSuppl, indS, panier, autreInd, cnas, irg, avances, rembPrets, autresRetenues;
    // the five totals
    QString salaireBase, salairePoste, brut, retenues, net;
    bool celibataire = true; ///< family situation "Célibataire" (else "Marié")
    int enfants = 0;         ///< children count shown
    /// The pay screen's two boxes "CNAS" and "IRG". The pay slip screen starts a box ticked when it is
    /// ticked here or when its copied amount is above 0, so that the first recomputation keeps the
    /// deductions the pay screen showed.
    bool cnasDue = false;
    bool irgDue = false;
};

/// Prints FPaye.RPT from the texts of the pay slip screen.
bool printPaySlip(Session& session, const PaySlipSheet& sheet, const Signatory& signatory);

} // namespace payroll
} // namespace kv
