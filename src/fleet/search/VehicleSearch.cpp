#include "VehicleSearch.h"

#include "core/schema/Schema.h"
#include "platform/db/Database.h"

#include <QStringList>
#include <QVariantList>

namespace kv::vehicles {

QList<VehicleFound> searchVehicles(const db::Database& db, const SearchCriteria& criteria)
{
    // A ticked box with nothing selected cannot match: no vehicle refers to a missing entry.
    for (const RefCriterion* c : {&criteria.genre, &criteria.marque, &criteria.modele})
        if (c->ticked && !c->num)
            return {};

    QStringList conditions;
    QVariantList params;
    if (criteria.archive != ArchiveChoice::Ensemble) {
        conditions << QStringLiteral("v.flag_Arch = ?");
        params << (criteria.archive == ArchiveChoice::Archives ? schema::archive::Archived : schema::archive::Current);
    }
    auto add = [&](const RefCriterion& c, const char* column) {
        if (!c.ticked)
            return;
        conditions << QStringLiteral("v.%1 = ?").arg(QLatin1String(column));
        params << *c.num;
    };
    add(criteria.genre, "num_Genre");
    add(criteria.marque, "num_marque");
    add(criteria.modele, "num_Modele");

    QString sql = QStringLiteral(
        "SELECT v.num, v.Annee, v.matricule, v.flag_Arch,"
        " g.num AS g_num, g.denom AS g_denom, ma.num AS ma_num, ma.denom AS ma_denom,"
        " mo.num AS mo_num, mo.denom AS mo_denom"
        " FROM Vehicules v"
        " LEFT JOIN Genres g ON g.num = v.num_Genre"
        " LEFT JOIN Marques ma ON ma.num = v.num_marque"
        " LEFT JOIN Modeles mo ON mo.num = v.num_Modele");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY v.ordre, v.num");

    // A found reference shows a blank then its name; a reference not found shows nothing.
    auto cell = [](const db::Row& r, const QString& prefix) {
        return r.isNull(prefix + QStringLiteral("_num")) ? QString() : u' ' + r.text(prefix + QStringLiteral("_denom"));
    };
    const db::Rows rows = db.query(sql, params);
    QList<VehicleFound> found;
    found.reserve(rows.size());
    for (const db::Row& r : rows)
        found.append({r.integer(QStringLiteral("num")), cell(r, QStringLiteral("g")), cell(r, QStringLiteral("ma")),
                      cell(r, QStringLiteral("mo")), r.text(QStringLiteral("Annee")), r.text(QStringLiteral("matricule")),
                      r.integer(QStringLiteral("flag_Arch")) == schema::archive::Archived});
    return found;
}

} // namespace kv::vehicles
