#pragma once
// The one place that writes a row: every INSERT, every column-by-column UPDATE and every DELETE of the
// program is built here from an ordered list of (column, value), so that a second engine needs these functions
// ported and nothing else. Table and column names are checked (Database::identifier); values are always
// bound, a null QVariant stores NULL.
#include "Database.h"

#include <QList>
#include <QPair>

namespace kv::db {

/// One column and the value to store in it.
using Field = QPair<QString, QVariant>;
/// Columns in the order the statement lists them.
using Fields = QList<Field>;

/// The fields of a map, in the map's (column name) order.
Fields fieldsOf(const QVariantMap& map);

/// "INSERT INTO table (c1,c2,…) VALUES (?,?,…)" for these columns ("DEFAULT VALUES" for none): the
/// text a prepared statement runs many times (ledger::Batch).
QString insertSql(const QString& table, const QStringList& columns);

/// Inserts one row; returns its row id.
qint64 insertRow(Database& db, const QString& table, const Fields& fields);

/// "UPDATE table SET c1 = ?, … WHERE <where>" with the fields' values then `params` bound, or every row
/// when `where` is empty; returns the number of rows changed. Refuses an empty list of fields.
int updateRows(Database& db, const QString& table, const Fields& fields, const QString& where = {},
               const QVariantList& params = {});

/// Updates the rows whose `keyColumn` equals `key`; returns the number of rows changed.
int updateRow(Database& db, const QString& table, const Fields& fields, const QString& keyColumn, const QVariant& key);

/// "DELETE FROM table WHERE <where>" with `params` bound, or every row when `where` is empty; returns
/// the number of rows deleted.
int deleteRows(Database& db, const QString& table, const QString& where = {}, const QVariantList& params = {});

/// Deletes the rows whose `keyColumn` equals `key`; returns the number of rows deleted.
int deleteRow(Database& db, const QString& table, const QString& keyColumn, const QVariant& key);

} // namespace kv::db
