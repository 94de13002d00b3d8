#include "RowWriter.h"

namespace kv::db {

namespace {
QStringList checkedNames(const QStringList& columns)
{
    QStringList names;
    names.reserve(columns.size());
    for (const QString& c : columns)
        names << Database::identifier(c);
    return names;
}

QStringList columnsOf(const Fields& fields)
{
    QStringList columns;
    columns.reserve(fields.size());
    for (const Field& f : fields)
        columns << f.first;
    return columns;
}
} // namespace

Fields fieldsOf(const QVariantMap& map)
{
    Fields fields;
    fields.reserve(map.size());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        fields.append({it.key(), it.value()});
    return fields;
}

QString insertSql(const QString& table, const QStringList& columns)
{
    const QString t = Database::identifier(table);
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(t);
    QStringList marks;
    marks.reserve(columns.size());
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, checkedNames(columns).join(u','), marks.join(u','));
}

qint64 insertRow(Database& db, const QString& table, const Fields& fields)
{
    QVariantList values;
    values.reserve(fields.size());
    for (const Field& f : fields)
        values << f.second;
    db.execute(insertSql(table, columnsOf(fields)), values);
    return db.lastInsertRowId();
}

int updateRows(Database& db, const QString& table, const Fields& fields, const QString& where, const QVariantList& params)
{
    const QString t = Database::identifier(table);
    if (fields.isEmpty())
        throw Error(QStringLiteral("Mise à jour sans colonne : ") + t);
    QStringList sets;
    QVariantList values;
    sets.reserve(fields.size());
    values.reserve(fields.size() + params.size());
    for (const Field& f : fields) {
        sets << Database::identifier(f.first) + QStringLiteral(" = ?");
        values << f.second;
    }
    values << params;
    QString sql = QStringLiteral("UPDATE %1 SET %2").arg(t, sets.join(u','));
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return db.execute(sql, values);
}

int updateRow(Database& db, const QString& table, const Fields& fields, const QString& keyColumn, const QVariant& key)
{
    return updateRows(db, table, fields, Database::identifier(keyColumn) + QStringLiteral(" = ?"), {key});
}

int deleteRows(Database& db, const QString& table, const QString& where, const QVariantList& params)
{
    QString sql = QStringLiteral("DELETE FROM ") + Database::identifier(table);
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return db.execute(sql, params);
}

int deleteRow(Database& db, const QString& table, const QString& keyColumn, const QVariant& key)
{
    return deleteRows(db, table, Database::identifier(keyColumn) + QStringLiteral(" = ?"), {key});
}

} // namespace kv::db
