#include "VehicleRegister.h"

#include "core/formats/Dates.h"
#include "core/schema/Schema.h"
#include "platform/db/Error.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"
#include "platform/db/Dates.h"

namespace kv::vehicles {

QString composeMatricule(const Matricule& m)
{
    return m.part1.trimmed().rightJustified(5, u'0') + u' ' + m.part2.trimmed().rightJustified(3, u' ') + u' '
        + m.part3.trimmed();
}

Matricule splitMatricule(const QString& stored)
{
    return {stored.mid(0, 5), stored.mid(6, 3), stored.size() >= 2 ? stored.right(2) : stored};
}

QList<ListRow> list(const db::Database& db, Filter filter)
{
    QString where;
    QVariantList params;
    if (filter != Filter::Ensemble) {
        where = QStringLiteral(" WHERE v.flag_Arch = ?");
        params << (filter == Filter::Archives ? schema::archive::Archived : schema::archive::Current);
    }
    const auto rows = db.query(
        QStringLiteral("SELECT v.num, v.Annee, v.matricule, v.flag_Arch, g.denom AS genre, ma.denom AS marque,"
                       " mo.denom AS modele FROM Vehicules v"
                       " LEFT JOIN Genres g ON g.num = v.num_Genre"
                       " LEFT JOIN Marques ma ON ma.num = v.num_marque"
                       " LEFT JOIN Modeles mo ON mo.num = v.num_Modele")
            + where + QStringLiteral(" ORDER BY v.ordre, v.num"),
        params);
    QList<ListRow> out;
    out.reserve(rows.size());
    for (const auto& r : rows)
        out.append({r.integer(QStringLiteral("num")), r.text(QStringLiteral("genre")), r.text(QStringLiteral("marque")),
                    r.text(QStringLiteral("modele")), r.text(QStringLiteral("Annee")), r.text(QStringLiteral("matricule")),
                    r.integer(QStringLiteral("flag_Arch")) == schema::archive::Archived});
    return out;
}

namespace {
qint64 refOrNone(const QVariant& v) { return v.isNull() ? schema::NothingChosen : v.toLongLong(); }
} // namespace

std::optional<Entry> read(const db::Database& db, qint64 num, db::Row* row)
{
    const auto r = db.queryOne(QStringLiteral("SELECT * FROM Vehicules WHERE num = ?"), {num});
    if (row)
        *row = r;
    if (r.size() == 0)
        return std::nullopt;
    Entry e;
    e.matricule = splitMatricule(r.text(QStringLiteral("matricule")));
    e.annee = r.text(QStringLiteral("Annee"));
    e.numGenre = refOrNone(r.value(QStringLiteral("num_Genre")));
    e.numMarque = refOrNone(r.value(QStringLiteral("num_marque")));
    e.numModele = refOrNone(r.value(QStringLiteral("num_Modele")));
    e.numCarburant = refOrNone(r.value(QStringLiteral("num_carburant")));
    e.dateCirculation = db::toShownDate(r.value(QStringLiteral("Date_circulation")));
    e.carteGrise = r.text(QStringLiteral("C_Grise"));
    e.dateCarte = db::toShownDate(r.value(QStringLiteral("Date")));
    e.archived = r.integer(QStringLiteral("flag_Arch")) != 0;
    return e;
}

qint64 nextNumber(const db::Database& db)
{
    const QString ref = QStringLiteral("num_vehicule");
    return db.nextNumAbove(schema::Vehicules, {{schema::Depenses, ref},
                                               {schema::Recettes, ref},
                                               {schema::Assurances, ref},
                                               {schema::Controles, ref},
                                               {schema::Vignettes, ref},
                                               {schema::Affectations, ref},
                                               {schema::Locations, ref}});
}

namespace {

/// A date of the entry frame as stored. The frame checks its dates before confirming; a date that is
/// not a real day still reaching here is refused rather than stored as nothing.
QVariant storedDate(const QString& text)
{
    const QString t = text.trimmed();
    const QVariant stored = isValidDate(t) ? db::toStoredDate(t) : QVariant();
    if (stored.isNull())
        throw db::Error(QStringLiteral("Date incorrecte : ") + t);
    return stored;
}

/// Writes the fields of the entry frame into vehicle `num`; the number of rows written (0 when the
/// vehicle no longer exists).
db::Fields entryFields(const Entry& e)
{
    db::Fields fields{{QStringLiteral("num_Genre"), e.numGenre},
                      {QStringLiteral("num_marque"), e.numMarque},
                      {QStringLiteral("num_Modele"), e.numModele},
                      {QStringLiteral("num_carburant"), e.numCarburant},
                      {QStringLiteral("matricule"), composeMatricule(e.matricule)},
                      {QStringLiteral("Annee"), e.annee.trimmed()},
                      {QStringLiteral("C_Grise"), e.carteGrise.trimmed()},
                      {QStringLiteral("flag_Arch"), e.archived ? schema::archive::Archived : schema::archive::Current}};
    // A blank date leaves the stored one as it is.
    if (!e.dateCirculation.trimmed().isEmpty())
        fields.append({QStringLiteral("Date_circulation"), storedDate(e.dateCirculation)});
    if (!e.dateCarte.trimmed().isEmpty())
        fields.append({QStringLiteral("Date"), storedDate(e.dateCarte)});
    return fields;
}

int write(db::Database& db, qint64 num, const Entry& e)
{
    return db::updateRow(db, schema::Vehicules, entryFields(e), QStringLiteral("num"), num);
}

} // namespace

qint64 add(db::Database& db, const Entry& entry)
{
    db::Transaction t(db);
    const qint64 num = nextNumber(db);
    const QVariant last = db.scalar(QStringLiteral("SELECT max(ordre) FROM Vehicules"));
    const qint64 ordre = last.isNull() ? 1 : last.toLongLong() + 1;
    db::insertRow(db, schema::Vehicules, {{QStringLiteral("num"), num}, {QStringLiteral("ordre"), ordre}});
    write(db, num, entry);
    t.commit();
    return num;
}

bool update(db::Database& db, qint64 num, const Entry& entry, const db::Row& loaded)
{
    if (loaded.size() > 0) {
        try {
            db::updateLoaded(db, schema::Vehicules, entryFields(entry), QStringLiteral("num"), num, loaded);
        } catch (const db::Conflict& e) {
            if (e.kind() == db::Conflict::Kind::Missing)
                return false;
            throw;
        }
        return true;
    }
    db::Transaction t(db);
    const bool found = write(db, num, entry) > 0;
    t.commit();
    return found;
}

void remove(db::Database& db, qint64 num) { db::deleteLoaded(db, schema::Vehicules, QStringLiteral("num"), num, {}); }

Attached attached(const db::Database& db, qint64 num)
{
    auto count = [&](const QString& table) {
        return db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE num_vehicule = ?").arg(table), {num}).toInt();
    };
    Attached a;
    a.ledger = count(schema::Depenses) + count(schema::Recettes);
    a.assurances = count(schema::Assurances);
    a.controles = count(schema::Controles);
    a.vignettes = count(schema::Vignettes);
    a.affectations = count(schema::Affectations);
    a.locations = count(schema::Locations);
    return a;
}

QStringList attachedNotice(const Attached& a)
{
    // what: singular and plural of the kind; feminine: the agreement of "attaché".
    auto line = [](int n, const QString& one, const QString& many, bool feminine) {
        const QString stay = n == 1 ? QStringLiteral("reste") : QStringLiteral("restent");
        const QString tied = QStringLiteral("attaché") + (feminine ? QStringLiteral("e") : QString()) + (n == 1 ? QString() : QStringLiteral("s"));
        return QStringLiteral("%1 %2 %3 %4 à ce véhicule").arg(n).arg(n == 1 ? one : many, stay, tied);
    };
    QStringList out;
    if (a.ledger > 0)
        out << line(a.ledger, QStringLiteral("ligne de dépenses et de recettes"), QStringLiteral("lignes de dépenses et de recettes"), true);
    if (a.assurances > 0)
        out << line(a.assurances, QStringLiteral("assurance"), QStringLiteral("assurances"), true);
    if (a.controles > 0)
        out << line(a.controles, QStringLiteral("contrôle technique"), QStringLiteral("contrôles techniques"), false);
    if (a.vignettes > 0)
        out << line(a.vignettes, QStringLiteral("vignette"), QStringLiteral("vignettes"), true);
    if (a.affectations > 0)
        out << line(a.affectations, QStringLiteral("affectation de chauffeur"), QStringLiteral("affectations de chauffeurs"), true);
    if (a.locations > 0)
        out << line(a.locations, QStringLiteral("location"), QStringLiteral("locations"), true);
    return out;
}

qint64 sameMatricule(const db::Database& db, const Matricule& matricule, qint64 except)
{
    return db.scalar(QStringLiteral("SELECT num FROM Vehicules WHERE matricule = ? AND num <> ? ORDER BY num LIMIT 1"),
                     {composeMatricule(matricule), except})
        .toLongLong();
}

bool hasCurrentVehicle(const db::Database& db)
{
    return !db.query(QStringLiteral("SELECT 1 FROM Vehicules WHERE flag_Arch = ? LIMIT 1"), {schema::archive::Current}).isEmpty();
}

} // namespace kv::vehicles
