#include "Rentals.h"

#include "core/formats/Dates.h"
#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"
#include "platform/db/Error.h"

#include <QDate>

namespace kv::rentals {

QList<ListRow> list(const db::Database& db, Filter filter)
{
    QString where;
    QVariantList params;
    if (filter != Filter::Ensemble) {
        where = QStringLiteral(" WHERE l.flag_Arch = ?");
        params << (filter == Filter::Archives ? schema::archive::Archived : schema::archive::Current);
    }
    const db::Rows rows = db.query(
        QStringLiteral("SELECT l.num, l.Num_Client, l.du, l.au, l.Nb, l.flag_regl, l.flag_Arch, l.obs,"
                       " v.matricule, mo.denom AS modele, a.nom, a.Prenom"
                       " FROM Locations l"
                       " LEFT JOIN Vehicules v ON v.num = l.num_vehicule"
                       " LEFT JOIN Modeles mo ON mo.num = v.num_Modele"
                       " LEFT JOIN Agents a ON a.num = l.Num_Client")
            + where + QStringLiteral(" ORDER BY l.du, l.num"),
        params);
    QList<ListRow> out;
    out.reserve(rows.size());
    for (const db::Row& r : rows) {
        ListRow row;
        row.num = r.integer(QStringLiteral("num"));
        row.client = r.integer(QStringLiteral("Num_Client"));
        row.modele = r.text(QStringLiteral("modele"));
        row.matricule = r.text(QStringLiteral("matricule"));
        row.nom = r.text(QStringLiteral("nom"));
        row.prenom = r.text(QStringLiteral("Prenom"));
        row.du = db::toShownDate(r.value(QStringLiteral("du")));
        row.au = db::toShownDate(r.value(QStringLiteral("au")));
        row.nb = static_cast<int>(r.integer(QStringLiteral("Nb")));
        row.regle = r.integer(QStringLiteral("flag_regl")) == schema::Yes;
        row.archived = r.integer(QStringLiteral("flag_Arch")) == schema::archive::Archived;
        row.obs = r.text(QStringLiteral("obs"));
        out.append(row);
    }
    return out;
}

std::optional<int> dayCount(const QString& du, const QString& au)
{
    if (!isValidDate(du) || !isValidDate(au))
        return std::nullopt;
    const QDate first = QDate::fromString(du.trimmed(), db::kShownDateFormat);
    const QDate last = QDate::fromString(au.trimmed(), db::kShownDateFormat);
    return static_cast<int>(first.daysTo(last));
}

double dayAmount(int days, double pu) { return round2(days * pu); }

QString amountText(double value) { return formatNumber(value, u"### ### ##0.00"); }

std::optional<Rental> read(const db::Database& db, qint64 num, db::Row* row)
{
    const db::Row r = db.queryOne(QStringLiteral("SELECT * FROM Locations WHERE num = ?"), {num});
    if (row)
        *row = r;
    if (r.size() == 0)
        return std::nullopt;
    auto ref = [&r](const QString& column) {
        const QVariant v = r.value(column);
        return v.isNull() ? qint64(schema::NothingChosen) : v.toLongLong();
    };
    Rental out;
    out.vehicle = ref(QStringLiteral("num_vehicule"));
    out.client = ref(QStringLiteral("Num_Client"));
    out.du = db::toShownDate(r.value(QStringLiteral("du")));
    out.au = db::toShownDate(r.value(QStringLiteral("au")));
    out.pu = r.number(QStringLiteral("PU"));
    out.nb = static_cast<int>(r.integer(QStringLiteral("Nb")));
    out.montant = r.number(QStringLiteral("montant"));
    out.forfait = r.integer(QStringLiteral("flag_forfait")) == schema::Yes;
    out.montantForfait = r.number(QStringLiteral("montant_forfait"));
    out.caution = r.number(QStringLiteral("caution"));
    out.obs = r.text(QStringLiteral("obs"));
    out.regle = r.integer(QStringLiteral("flag_regl")) == schema::Yes;
    out.archived = r.integer(QStringLiteral("flag_Arch")) == schema::archive::Archived;
    return out;
}

QString vehicleText(const db::Database& db, qint64 vehicle)
{
    const db::Row r = db.queryOne(QStringLiteral("SELECT v.num, ma.denom AS marque, mo.denom AS modele FROM Vehicules v"
                                                 " LEFT JOIN Marques ma ON ma.num = v.num_marque"
                                                 " LEFT JOIN Modeles mo ON mo.num = v.num_Modele WHERE v.num = ?"),
                                  {vehicle});
    if (r.size() == 0)
        return {};
    const QString marque = r.text(QStringLiteral("marque")).trimmed();
    if (r.isNull(QStringLiteral("modele")))
        return marque;
    return marque + u' ' + r.text(QStringLiteral("modele")).trimmed();
}

QString clientText(const db::Database& db, qint64 client) { return people::personName(db, client); }

namespace {

/// A date of the frame as stored. The frame checks its dates first; one that is not a real day still
/// reaching here is refused rather than stored as nothing.
QVariant storedDate(const QString& text)
{
    const QVariant stored = isValidDate(text) ? db::toStoredDate(text) : QVariant();
    if (stored.isNull())
        throw db::Error(QStringLiteral("Date incorrecte : ") + text.trimmed());
    return stored;
}

/// The values of the fields written, in the order of kColumns.
QVariantList values(const Rental& r)
{
    return {r.vehicle,
            r.client,
            storedDate(r.du),
            storedDate(r.au),
            r.pu,
            r.nb,
            r.montant,
            r.forfait ? schema::Yes : schema::No,
            r.montantForfait,
            r.caution,
            r.obs.left(kObsLength),
            r.regle ? schema::Yes : schema::No,
            r.archived ? schema::archive::Archived : schema::archive::Current};
}

const QStringList kColumns = {QStringLiteral("num_vehicule"), QStringLiteral("Num_Client"),   QStringLiteral("du"),
                              QStringLiteral("au"),           QStringLiteral("PU"),           QStringLiteral("Nb"),
                              QStringLiteral("montant"),      QStringLiteral("flag_forfait"), QStringLiteral("montant_forfait"),
                              QStringLiteral("caution"),      QStringLiteral("obs"),          QStringLiteral("flag_regl"),
                              QStringLiteral("flag_Arch")};

/// The fields written, column by column.
db::Fields fields(const Rental& rental)
{
    const QVariantList v = values(rental);
    db::Fields f;
    for (qsizetype i = 0; i < kColumns.size(); ++i)
        f.append({kColumns[i], v[i]});
    return f;
}

} // namespace

qint64 add(db::Database& db, const Rental& rental)
{
    const db::Fields f = fields(rental);
    db::Transaction t(db);
    const qint64 num = db.nextNum(schema::Locations);
    db::insertRow(db, schema::Locations, db::Fields{{QStringLiteral("num"), num}} + f);
    t.commit();
    return num;
}

bool update(db::Database& db, qint64 num, const Rental& rental, const db::Row& loaded)
{
    const db::Fields f = fields(rental);
    if (loaded.size() > 0) {
        try {
            db::updateLoaded(db, schema::Locations, f, QStringLiteral("num"), num, loaded);
        } catch (const db::Conflict& e) {
            if (e.kind() == db::Conflict::Kind::Missing)
                return false;
            throw;
        }
        return true;
    }
    db::Transaction t(db);
    const int changed = db::updateRow(db, schema::Locations, f, QStringLiteral("num"), num);
    t.commit();
    return changed > 0;
}

bool remove(db::Database& db, qint64 num)
{
    db::Transaction t(db);
    const int deleted = db::deleteRow(db, schema::Locations, QStringLiteral("num"), num);
    t.commit();
    return deleted > 0;
}

} // namespace kv::rentals
