#pragma once
// Names and codes of the exercise database shared by every screen.
#include <QString>
#include <QStringList>

namespace kv::schema {

// Tables.
inline const QString Agents = QStringLiteral("Agents");
inline const QString Vehicules = QStringLiteral("Vehicules");
inline const QString Genres = QStringLiteral("Genres");
inline const QString Marques = QStringLiteral("Marques");
inline const QString Modeles = QStringLiteral("Modeles");
inline const QString Carburants = QStringLiteral("Carburants");
inline const QString Depenses = QStringLiteral("Depenses");
inline const QString Recettes = QStringLiteral("Recettes");
inline const QString Assurances = QStringLiteral("Assurances");
inline const QString Controles = QStringLiteral("Controles");
inline const QString Vignettes = QStringLiteral("Vignettes");
inline const QString Affectations = QStringLiteral("Affectations");
inline const QString Locations = QStringLiteral("Locations");
inline const QString Salaires = QStringLiteral("Salaires");
inline const QString Permn = QStringLiteral("Permn");
inline const QString textes = QStringLiteral("textes");
inline const QString Csse = QStringLiteral("Csse");
inline const QString Tampon1 = QStringLiteral("Tampon1");

/// The seven tables held open with the exercise database, in the order they are opened.
inline const QStringList standingTables = {Agents, textes, Permn, Depenses, Recettes, Csse, Tampon1};

/// The monthly columns of the `Permn` row, month 1 to 12: the one place that names them.
namespace permn {
/// `M1`..`M12`: 1 when the month's pays are closed.
inline QString closedFlag(int month) { return QStringLiteral("M%1").arg(month); }
/// `PPTR1`..`PPTR12`: the employer's charge of a closed month.
inline QString employerCharge(int month) { return QStringLiteral("PPTR%1").arg(month); }
/// `VF1`..`VF12`: the workers' charge of a closed month.
inline QString workersCharge(int month) { return QStringLiteral("VF%1").arg(month); }
} // namespace permn

/// `Agents`.`Type_Ag`: the kind of a person.
namespace person {
inline constexpr int Agent = 0;
inline constexpr int Chauffeur = 1;
inline constexpr int Client = 2;
} // namespace person

/// `contrepartie` of a ledger line: what it is booked against.
namespace contrepartie {
inline constexpr int VehiculeOuAgent = 0; ///< a vehicle (num_vehicule) or an agent's or driver's account (Num_Agent)
inline constexpr int Client = 1;          ///< a client's account; also advances on salary (Type_Dep 10)
inline constexpr int RecetteDiverse = 3;  ///< miscellaneous receipt (Recettes only, Num_Agent -1)
} // namespace contrepartie

/// `Depenses`.`Type_Dep`: the expense heading.
namespace heading {
inline constexpr int Gasoil = 0;
inline constexpr int Huile = 1;
inline constexpr int Pieces = 2;
inline constexpr int Entretien = 3;
inline constexpr int Pneus = 4;
inline constexpr int Divers = 5;
inline constexpr int VehicleHeadings = 6; ///< a vehicle expense has Type_Dep below this
inline constexpr int AvanceSalaire = 10;
/// Captions of the six vehicle headings, as shown (with their leading blank).
inline const QStringList captions = {QStringLiteral(" Gasoil/Ess."), QStringLiteral(" Huile"), QStringLiteral(" Pièces"),
                                     QStringLiteral(" Entetien"),    QStringLiteral(" Pneus"), QStringLiteral(" Divers")};
} // namespace heading

/// `mode` of a ledger line: the payment mode.
namespace mode {
inline constexpr int Especes = 0;
inline constexpr int Cheque = 1;
inline constexpr int Virement = 2;
inline const QStringList captions = {QStringLiteral("Espèces"), QStringLiteral("Chèque"), QStringLiteral("Virement")};
/// Screens that offer two modes show "Chèque" for every value other than 0.
inline QString twoModeCaption(int m) { return m == Especes ? captions[0] : captions[1]; }
} // namespace mode

/// Archive flags: `Vehicules`.`flag_Arch` and `Locations`.`flag_Arch` are integers; `Agents`.`Arch` is Boolean.
namespace archive {
inline constexpr int Archived = 1;
inline constexpr int Current = 0;
} // namespace archive

/// A reference to another table that was not chosen.
inline constexpr int NothingChosen = -1;
/// How a reference not chosen is shown.
inline const QString NothingChosenText = QStringLiteral("/");

/// Integer flags (flag_forfait, flag_regl, flag_cnas, flag_irg): 1 = yes, 0 or null = no.
inline constexpr int Yes = 1;
inline constexpr int No = 0;

} // namespace kv::schema
