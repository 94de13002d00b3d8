#include "PersonAccount.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/KeyList.h"
#include "platform/db/Dates.h"
#include "rentals/contracts/RentalAmount.h"

#include <QHash>

namespace kv::accounts {

namespace {

HeaderField field(const char* caption, const char* column, bool date = false)
{
    return {QString::fromUtf8(caption), QString::fromLatin1(column), date};
}

const Kind& agentKind()
{
    static const Kind k{schema::person::Agent, QStringLiteral("ZOOM_Ag"), QStringLiteral("Agent"),
                        schema::contrepartie::VehiculeOuAgent,
                        {field("Nom", "nom"), field("Prénom", "Prenom"), field("Fonction", "Fonction"),
                         field("Téléphone", "tel"), field("Localité", "ville"), field("Permis N°", "Num_Permis"),
                         field("Délivré le", "Date_Permis", true), field("A", "Ville_Permis"),
                         field("Date d'entrée", "d_entree", true)},
                        false};
    return k;
}

const Kind& driverKind()
{
    static const Kind k{schema::person::Chauffeur, QStringLiteral("Zoom_Ch"), QStringLiteral("Chauffeur"),
                        schema::contrepartie::VehiculeOuAgent,
                        {field("Nom", "nom"), field("Prénom", "Prenom"), field("Téléphone", "tel"),
                         field("Localité", "ville"), field("Permis N°", "Num_Permis"),
                         field("Délivré le", "Date_Permis", true), field("A", "Ville_Permis"),
                         field("Date d'entrée", "d_entree", true)},
                        false};
    return k;
}

const Kind& clientKind()
{
    static const Kind k{schema::person::Client, QStringLiteral("Zoom_Cli"), QStringLiteral("Client"),
                        schema::contrepartie::Client,
                        {field("Nom", "nom"), field("Prénom", "Prenom"), field("Fonction", "Fonction"),
                         field("Téléphone", "tel"), field("Localité", "ville"), field("Permis N°", "Num_Permis"),
                         field("Délivré le", "Date_Permis", true), field("A", "Ville_Permis")},
                        true};
    return k;
}

} // namespace

const Kind& kindOf(int personKind)
{
    switch (personKind) {
    case schema::person::Chauffeur: return driverKind();
    case schema::person::Client: return clientKind();
    default: return agentKind();
    }
}

QStringList headerValues(const Kind& kind, const db::Row& person)
{
    QStringList values;
    for (const HeaderField& f : kind.header) {
        const QVariant v = person.value(f.column);
        const QString text = (f.date ? db::toShownDate(v) : v.toString()).trimmed();
        values << (text.isEmpty() ? schema::NothingChosenText : text);
    }
    return values;
}

QList<Movement> readMovements(const db::Database& db, ledger::Book book, qint64 person, int contrepartie)
{
    const db::Rows rows = db.query(QStringLiteral("SELECT num, date, Montant, ref, mode FROM %1 "
                                                  "WHERE Num_Agent = ? AND contrepartie = ? ORDER BY date, num")
                                       .arg(ledger::table(book)),
                                   {person, contrepartie});
    QList<Movement> lines;
    lines.reserve(rows.size());
    for (const db::Row& r : rows)
        lines.append({r.value(0).toLongLong(), db::toShownDate(r.value(1)), r.value(2).toDouble(), r.value(3).toString(),
                      r.value(4).toInt()});
    return lines;
}

AccountKeys readAccountKeys(const db::Database& db, ledger::Book book, qint64 person, int contrepartie)
{
    AccountKeys keys;
    db.scan(QStringLiteral("SELECT num, Montant FROM %1 WHERE Num_Agent = ? AND contrepartie = ? ORDER BY date, num")
                .arg(ledger::table(book)),
            {person, contrepartie}, [&](const db::Cursor& c) {
                keys.nums.append(c.integer(0));
                keys.amounts.append(c.number(1));
            });
    return keys;
}

QList<QVariantList> readMovementValues(const db::Database& db, ledger::Book book, const QList<qint64>& nums)
{
    QList<QVariantList> lines(nums.size());
    if (nums.isEmpty())
        return lines;
    const QVariantList params = db::keyValues(nums);
    QHash<qint64, int> at;
    for (int i = 0; i < nums.size(); ++i)
        at.insert(nums[i], i);
    const db::Rows rows = db.query(
        QStringLiteral("SELECT num, date, Montant, ref FROM %1 WHERE num IN (%2)").arg(ledger::table(book), db::placeholders(nums.size())), params);
    for (const db::Row& r : rows) {
        const auto it = at.constFind(r.value(0).toLongLong());
        if (it != at.constEnd())
            lines[*it] = {QVariant(), r.value(1), r.value(2), r.value(3)};
    }
    return lines;
}

double total(const QList<double>& amounts)
{
    double sum = 0;
    for (double m : amounts)
        sum += m;
    return sum;
}

double total(const QList<Movement>& lines)
{
    double sum = 0;
    for (const Movement& m : lines)
        sum += m.montant;
    return sum;
}

QString amountCell(double montant) { return formatNumber(montant, u"# ### ##0.00") + u' '; }

QString objectCell(const QString& ref) { return u' ' + ref; }

QString totalText(double value)
{
    return round2(value) == 0 ? QString() : formatNumber(value, u"# ### ##0.00") + QStringLiteral("  ");
}

double balance(double debitTotal, double creditTotal) { return round2(round2(creditTotal) - round2(debitTotal)); }

QString statementAmount(double value) { return formatNumber(round2(value), u"# ### ##0.00"); }

QList<Rental> readRentals(const db::Database& db, qint64 client)
{
    // Each rental with its vehicle's names in the one pass over the client's rentals.
    const db::Rows rows = db.query(QStringLiteral("SELECT l.num, l.num_vehicule, l.du, l.au, l.Nb, l.montant, l.flag_regl, l.obs, "
                                                  "l.flag_forfait, l.montant_forfait, ma.denom, mo.denom, v.matricule "
                                                  "FROM Locations l LEFT JOIN Vehicules v ON v.num = l.num_vehicule "
                                                  "LEFT JOIN Marques ma ON ma.num = v.num_marque "
                                                  "LEFT JOIN Modeles mo ON mo.num = v.num_Modele "
                                                  "WHERE l.Num_Client = ? ORDER BY l.du, l.num"),
                                   {client});
    QList<Rental> rentals;
    rentals.reserve(rows.size());
    for (const db::Row& r : rows) {
        Rental rental;
        rental.num = r.value(0).toLongLong();
        rental.vehicle = r.value(1).toLongLong();
        const qint64 nb = r.value(4).toLongLong();
        // What the rental is worth (its flat rate when it is priced so), as the rentals screen and the
        // contract show it.
        const double montant = rentals::rentalAmount(r.value(8).toLongLong() == schema::Yes, r.value(5).toDouble(),
                                                     r.value(9).toDouble());
        // A vehicle no longer stored leaves its three cells empty.
        rental.cells = {db::toShownDate(r.value(2)),
                        db::toShownDate(r.value(3)),
                        nb > 0 ? QString::number(nb) : QString(),
                        montant > 0 ? formatNumber(montant, u"### ###") + u' ' : QString(),
                        r.value(6).toLongLong() == schema::Yes ? QStringLiteral("OUI") : QString(),
                        r.value(10).toString(),
                        r.value(11).toString(),
                        r.value(12).toString(),
                        r.value(7).toString()};
        rentals.append(rental);
    }
    return rentals;
}

} // namespace kv::accounts
