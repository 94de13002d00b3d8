#pragma once
// A list of keys as an SQL "IN (…)" list: one "?" per key, the keys bound in the same order.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace kv::db {

/// "?, ?, …": `n` positional parameters, for "WHERE num IN (%1)".
inline QString placeholders(qsizetype n) { return QStringList(n, QStringLiteral("?")).join(QStringLiteral(", ")); }

/// The keys as the values bound to placeholders(keys.size()).
inline QVariantList keyValues(const QList<qint64>& keys)
{
    QVariantList values;
    values.reserve(keys.size());
    for (qint64 k : keys)
        values << k;
    return values;
}

} // namespace kv::db
