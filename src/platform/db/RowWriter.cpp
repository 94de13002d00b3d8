#include "RowWriter.h"

#include "ChangeWatch.h"

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
    const qint64 id = db.lastInsertRowId();
    noteChange(db, table);
    return id;
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
    const int changed = db.execute(sql, values);
    if (changed > 0)
        noteChange(db, t);
    return changed;
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
    const int deleted = db.execute(sql, params);
    if (deleted > 0)
        noteChange(db, table);
    return deleted;
}

int deleteRow(Database& db, const QString& table, const QString& keyColumn, const QVariant& key)
{
    return deleteRows(db, table, Database::identifier(keyColumn) + QStringLiteral(" = ?"), {key});
}

namespace {
bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

/// The columns of `loaded` that are columns of the table (a row read with a join also carries the
/// names it showed), the key left out; as the table spells them.
QStringList loadedColumns(const Database& db, const QString& table, const QString& keyColumn, const Row& loaded)
{
    QStringList kept;
    const QStringList names = loaded.names();
    for (const QString& c : db.columns(table)) {
        if (c.compare(keyColumn, Qt::CaseInsensitive) == 0)
            continue;
        for (const QString& n : names)
            if (n.compare(c, Qt::CaseInsensitive) == 0) {
                kept << Database::identifier(c);
                break;
            }
    }
    return kept;
}

/// "key = ? AND c1 IS ? AND …" with its values.
QString loadedCondition(const QString& keyColumn, const QVariant& key, const QStringList& columns, const Row& loaded,
                        QVariantList& params)
{
    QString where = Database::identifier(keyColumn) + QStringLiteral(" = ?");
    params << key;
    for (const QString& c : columns) {
        where += QStringLiteral(" AND ") + c + QStringLiteral(" IS ?");
        params << loaded.value(c);
    }
    return where;
}

void checkRow(const Database& db, const QString& table, const QString& keyColumn, const QVariant& key,
              const QStringList& columns, const Row& loaded)
{
    const QString select = columns.isEmpty() ? QStringLiteral("1 AS kv_present") : columns.join(u',');
    const Row now = db.queryOne(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                    .arg(select, Database::identifier(table), Database::identifier(keyColumn)),
                                {key});
    if (now.size() == 0)
        throw Conflict(Conflict::Kind::Missing);
    for (const QString& c : columns)
        if (!sameStoredValue(loaded.value(c), now.value(c)))
            throw Conflict(Conflict::Kind::Changed);
}

/// After a write that matched no row: why.
[[noreturn]] void refuseUnmatched(const Database& db, const QString& table, const QString& keyColumn, const QVariant& key)
{
    const bool present = !db.queryOne(QStringLiteral("SELECT 1 AS kv_present FROM %1 WHERE %2 = ?")
                                          .arg(Database::identifier(table), Database::identifier(keyColumn)),
                                      {key})
                              .values()
                              .isEmpty();
    throw Conflict(present ? Conflict::Kind::Changed : Conflict::Kind::Missing);
}
} // namespace

Row onlyColumns(const Row& row, const QStringList& names)
{
    QStringList kept;
    QVariantList values;
    for (const QString& n : names)
        if (row.has(n)) {
            kept << n;
            values << row.value(n);
        }
    return Row(QSharedPointer<const Columns>::create(kept), values);
}

bool sameStoredValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumber(a) || isNumber(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA), y = b.toDouble(&okB);
        if (okA && okB)
            return x == y;
    }
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    return a.toString() == b.toString();
}

void checkLoaded(const Database& db, const QString& table, const QString& keyColumn, const QVariant& key, const Row& loaded)
{
    checkRow(db, table, keyColumn, key, loadedColumns(db, table, keyColumn, loaded), loaded);
}

void updateLoaded(Database& db, const QString& table, const Fields& fields, const QString& keyColumn, const QVariant& key,
                  const Row& loaded)
{
    const QStringList columns = loadedColumns(db, table, keyColumn, loaded);
    Transaction transaction(db);
    checkRow(db, table, keyColumn, key, columns, loaded);
    QVariantList params;
    const QString where = loadedCondition(keyColumn, key, columns, loaded, params);
    if (updateRows(db, table, fields, where, params) == 0)
        refuseUnmatched(db, table, keyColumn, key);
    transaction.commit();
}

void deleteLoaded(Database& db, const QString& table, const QString& keyColumn, const QVariant& key, const Row& loaded)
{
    const QStringList columns = loadedColumns(db, table, keyColumn, loaded);
    Transaction transaction(db);
    checkRow(db, table, keyColumn, key, columns, loaded);
    QVariantList params;
    const QString where = loadedCondition(keyColumn, key, columns, loaded, params);
    if (deleteRows(db, table, where, params) == 0)
        refuseUnmatched(db, table, keyColumn, key);
    transaction.commit();
}

} // namespace kv::db
