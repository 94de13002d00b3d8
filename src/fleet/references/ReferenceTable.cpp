#include "ReferenceTable.h"

#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"

namespace kv::references {

const KindInfo& info(int kind)
{
    static const KindInfo kinds[] = {
        {schema::Genres, QStringLiteral("Type des véhicules"), QStringLiteral("num_Genre")},
        {schema::Marques, QStringLiteral("Marques"), QStringLiteral("num_marque")},
        {schema::Modeles, QStringLiteral("Modèles"), QStringLiteral("num_Modele")},
        {schema::Carburants, QStringLiteral("Carburants"), QStringLiteral("num_carburant")},
    };
    return kinds[(kind >= 1 && kind <= 4) ? kind - 1 : 0];
}

Entries load(const db::Database& db, int kind)
{
    Entries e;
    const auto rows = db.query(QStringLiteral("SELECT num, denom FROM %1 ORDER BY ordre").arg(info(kind).table));
    e.names.reserve(rows.size());
    e.nums.reserve(rows.size());
    for (const auto& r : rows) {
        e.names << r.text(QStringLiteral("denom"));
        e.nums << r.integer(QStringLiteral("num"));
    }
    return e;
}

Counters counters(const db::Database& db, int kind)
{
    const auto last = db.queryOne(QStringLiteral("SELECT num, ordre FROM %1 ORDER BY num DESC LIMIT 1").arg(info(kind).table));
    if (last.size() == 0)
        return {};
    return {last.integer(QStringLiteral("num")), static_cast<int>(last.integer(QStringLiteral("ordre")))};
}

void add(db::Database& db, int kind, Counters& c, const QString& name)
{
    db::insertRow(db, info(kind).table,
                  {{QStringLiteral("num"), c.num + 1}, {QStringLiteral("denom"), name.trimmed()}, {QStringLiteral("ordre"), c.ordre + 1}});
    ++c.num;
    ++c.ordre;
}

bool rename(db::Database& db, int kind, qint64 num, const QString& name)
{
    return db::updateRow(db, info(kind).table, {{QStringLiteral("denom"), name.trimmed()}}, QStringLiteral("num"), num) > 0;
}

int vehiclesUsing(const db::Database& db, int kind, qint64 num)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(schema::Vehicules, info(kind).vehicleField), {num})
        .toInt();
}

void remove(db::Database& db, int kind, qint64 num)
{
    db::deleteRow(db, info(kind).table, QStringLiteral("num"), num);
}

void writeOrder(db::Database& db, int kind, const QList<qint64>& nums)
{
    db::Transaction t(db);
    for (int p = 0; p < nums.size(); ++p)
        db::updateRow(db, info(kind).table, {{QStringLiteral("ordre"), p}}, QStringLiteral("num"), nums[p]);
    t.commit();
}

} // namespace kv::references
