#include "ClientSearch.h"

#include "core/schema/Schema.h"
#include "platform/db/Database.h"

namespace kv::people {

QList<ClientFound> searchClients(const db::Database& db, const ClientCriteria& criteria)
{
    QString sql = QStringLiteral("SELECT * FROM Agents WHERE Type_Ag = ?");
    QVariantList params{schema::person::Client};
    if (criteria.nom) {
        sql += QStringLiteral(" AND nom LIKE ? ESCAPE '\\'");
        params << db::likePrefix(criteria.nom->trimmed());
    }
    if (criteria.prenom) {
        sql += QStringLiteral(" AND Prenom LIKE ? ESCAPE '\\'");
        params << db::likePrefix(criteria.prenom->trimmed());
    }
    sql += QStringLiteral(" ORDER BY nom, Prenom, num");

    auto cell = [](const db::Row& row, const QString& name) {
        return row.isNull(name) ? QString() : QStringLiteral(" ") + row.text(name);
    };
    QList<ClientFound> found;
    for (const db::Row& row : db.query(sql, params))
        found.append({row.integer(QStringLiteral("num")), cell(row, QStringLiteral("nom")), cell(row, QStringLiteral("Prenom")),
                      cell(row, QStringLiteral("tel")), cell(row, QStringLiteral("ville"))});
    return found;
}

} // namespace kv::people
