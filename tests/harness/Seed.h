#pragma once
// Seed builders: the vehicles, persons, rentals and pays a test starts from, written by the program's
// own functions (the vehicle register, the person registers, the rentals, the pay month), so that a
// test's rows have the shape the program gives them and follow it when that shape changes.
//
// A test names its rows by number (vehicle 5, client 20): a builder writes the row through the program,
// which numbers it, then gives it the test's number. A few columns no entry of the program writes (a
// vehicle's order or oil change, a person's pay flags) are set afterwards from `more`, a map of column
// to value (a null value writes NULL). Only the builder's own test data goes there: a test that writes
// a damaged or hostile row, or a row of an old schema, keeps writing it raw.
//
// Header only: a test links the libraries of the builders it uses (kv_fleet, kv_people, kv_rentals,
// kv_payroll).
#include "core/schema/Schema.h"
#include "fleet/register/VehicleRegister.h"
#include "payroll/pay/Pay.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "rentals/contracts/Rentals.h"

#include <QStringList>
#include <QVariantMap>
#include <cmath>
#include <optional>

namespace kv::test::seed {

namespace detail {

/// Gives the row `from` of `table` the number `to` (when they differ) and sets the columns of `more`.
inline void settle(db::Database& db, const QString& table, qint64 from, qint64 to, const QVariantMap& more)
{
    QStringList sets;
    QVariantList params;
    for (auto it = more.cbegin(); it != more.cend(); ++it) {
        sets << db::Database::identifier(it.key()) + QStringLiteral(" = ?");
        params << it.value();
    }
    if (to != from) {
        sets << QStringLiteral("num = ?");
        params << to;
    }
    if (sets.isEmpty())
        return;
    params << from;
    db.execute(QStringLiteral("UPDATE %1 SET %2 WHERE num = ?").arg(db::Database::identifier(table), sets.join(u", ")), params);
}

/// A stored date ("2020-03-05") as an entry shows it ("05/03/2020"); empty stays empty.
inline QString shownDate(const QString& iso) { return iso.isEmpty() ? QString() : db::toShownDate(QVariant(iso)); }

} // namespace detail

// ---- vehicles --------------------------------------------------------------------------------------------

/// A vehicle as the register's entry frame gives it. `matricule` is the stored registration number
/// ("01234 119 16"); one the frame's three parts cannot give again (a short test name, "A") is kept as
/// the test gives it, as an older file may hold it.
struct Vehicle {
    qint64 num = 0;               ///< the test's number; 0: the register's
    QString matricule;
    QString annee;
    qint64 genre = -1, marque = -1, modele = -1, carburant = -1;
    QString dateCirculation;      ///< as stored ("2019-04-01"); empty: none
    QString carteGrise;
    QString dateCarte;            ///< as stored; empty: none
    bool archived = false;
    std::optional<qint64> ordre;  ///< the place in the register; none: after the last one, as the register places it
    QVariantMap more;             ///< columns outside the entry frame: moyenne, Date_vidange, Km_Vidange, ...
};

/// Writes a vehicle through the register (vehicles::add); its number.
inline qint64 vehicle(db::Database& db, const Vehicle& v)
{
    vehicles::Entry e;
    e.matricule = vehicles::splitMatricule(v.matricule);
    e.annee = v.annee;
    e.numGenre = v.genre;
    e.numMarque = v.marque;
    e.numModele = v.modele;
    e.numCarburant = v.carburant;
    e.dateCirculation = detail::shownDate(v.dateCirculation);
    e.carteGrise = v.carteGrise;
    e.dateCarte = detail::shownDate(v.dateCarte);
    e.archived = v.archived;
    const qint64 given = vehicles::add(db, e);
    QVariantMap more = v.more;
    if (v.ordre && !more.contains(QStringLiteral("ordre")))
        more[QStringLiteral("ordre")] = *v.ordre;
    if (vehicles::composeMatricule(e.matricule) != v.matricule && !more.contains(QStringLiteral("matricule")))
        more[QStringLiteral("matricule")] = v.matricule;
    const qint64 num = v.num ? v.num : given;
    detail::settle(db, QStringLiteral("Vehicules"), given, num, more);
    return num;
}

// ---- persons ---------------------------------------------------------------------------------------------

/// A person as a register's entry panel gives it, dates as stored ("2020-03-05").
struct Person {
    qint64 num = 0;               ///< the test's number; 0: the register's
    int kind = 0;                 ///< `Type_Ag`: schema::person::Agent, Chauffeur or Client
    QString nom, prenom, fonction, tel, ville;
    bool salarie = false;
    QString dEntree, ss;
    double tauxJour = 0;
    bool permis = false;
    QString numPermis, datePermis, villePermis;
    QString numCni, dateCni, villeCni;
    bool archived = false;
    QVariantMap more;             ///< columns outside the entry panel: flag_cnas, flag_irg, obs, ...
};

/// Writes a person through the register of his kind (people::addPerson); his number.
inline qint64 person(db::Database& db, const Person& p)
{
    const auto shown = detail::shownDate;
    people::PersonEntry e;
    e.nom = p.nom;
    e.prenom = p.prenom;
    e.fonction = p.fonction;
    e.tel = p.tel;
    e.ville = p.ville;
    e.salarie = p.salarie;
    e.dEntree = shown(p.dEntree);
    e.ss = p.ss;
    if (p.tauxJour > 0)
        e.tauxJour = QString::number(p.tauxJour, 'f', 2);
    e.permis = p.permis;
    e.numPermis = p.numPermis;
    e.datePermis = shown(p.datePermis);
    e.villePermis = p.villePermis;
    e.numCni = p.numCni;
    e.dateCni = shown(p.dateCni);
    e.villeCni = p.villeCni;
    e.archived = p.archived;
    const people::PersonKind& kind = people::PersonKind::of(p.kind);
    const qint64 given = people::addPerson(db, kind, e);
    QVariantMap more = p.more;
    // The panel trims what it writes: a test's blanks around a name (an older file's "ZIANI ") are kept.
    for (const auto& [column, value] : {std::pair{"nom", p.nom}, {"Prenom", p.prenom}, {"Fonction", p.fonction}, {"tel", p.tel},
                                        {"ville", p.ville}})
        if (value != value.trimmed() && !more.contains(QLatin1String(column)))
            more[QLatin1String(column)] = value;
    // The entry panel of a kind leaves the fields it does not have; the test's person has them all the same.
    const auto keep = [&](const char* column, const QVariant& value) {
        if (!more.contains(QLatin1String(column)))
            more[QLatin1String(column)] = value;
    };
    if (!kind.hasFonction && !p.fonction.isEmpty())
        keep("Fonction", p.fonction);
    if (!kind.hasSalarie) {
        if (p.salarie)
            keep("Salarie", 1);
        if (!p.dEntree.isEmpty())
            keep("d_entree", p.dEntree);
        if (!p.ss.isEmpty())
            keep("SS", p.ss);
        if (p.tauxJour > 0)
            keep("Taux_Jour", p.tauxJour);
    }
    if (!kind.hasPermis) {
        if (p.permis)
            keep("flag_permis", 1);
        for (const auto& [column, value] : {std::pair{"Num_Permis", p.numPermis}, {"Date_Permis", p.datePermis}, {"Ville_Permis", p.villePermis}})
            if (!value.isEmpty())
                keep(column, value);
    }
    if (!kind.hasCni)
        for (const auto& [column, value] : {std::pair{"Num_CNI", p.numCni}, {"Date_CNI", p.dateCni}, {"Ville_CNI", p.villeCni}})
            if (!value.isEmpty())
                keep(column, value);
    // A text the test does not give stays unwritten (NULL), as in a row no one typed into.
    for (const auto& [column, value] : {std::pair{"Fonction", p.fonction}, {"tel", p.tel}, {"ville", p.ville}})
        if (value.isEmpty())
            keep(column, QVariant());
    // The panel's rate has two decimals: a test's finer rate (1234.567) is stored as it is.
    if (p.tauxJour > 0 && std::round(p.tauxJour * 100) / 100 != p.tauxJour && !more.contains(QStringLiteral("Taux_Jour")))
        more[QStringLiteral("Taux_Jour")] = p.tauxJour;
    const qint64 num = p.num ? p.num : given;
    detail::settle(db, QStringLiteral("Agents"), given, num, more);
    return num;
}

// ---- rentals ---------------------------------------------------------------------------------------------

/// A rental of `vehicle` to `client` from `du` to `au` (dd/mm/yyyy) at `pu` a day, its days and amount
/// reckoned as the rentals screen reckons them, written by rentals::add; its number.
inline qint64 rental(db::Database& db, qint64 vehicle, qint64 client, const QString& du, const QString& au, double pu = 0,
                     bool archived = false, bool regle = false, const QString& obs = {})
{
    rentals::Rental r;
    r.vehicle = vehicle;
    r.client = client;
    r.du = du;
    r.au = au;
    r.pu = pu;
    r.nb = rentals::dayCount(du, au).value_or(0);
    r.montant = rentals::dayAmount(r.nb, pu);
    r.archived = archived;
    r.regle = regle;
    r.obs = obs;
    return rentals::add(db, r);
}

// ---- pays ------------------------------------------------------------------------------------------------

/// The pays of `month` as the pay screen makes them when it opens the month: one row for every salaried
/// agent not archived (payroll::buildMonth); the number of rows made.
inline int pays(db::Database& db, int month, int unitsPerMonth = 30)
{
    int created = 0;
    payroll::buildMonth(db, month, unitsPerMonth, &created);
    return created;
}

} // namespace kv::test::seed
