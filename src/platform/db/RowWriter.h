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

// ---- a row a screen showed -------------------------------------------------------------------------
// Several desks may work on one year (a server): a screen changes or deletes a row only when it still
// holds what the screen read and showed. The check is the write itself: its condition names the key and
// each column the screen loaded with the value it loaded ("col IS ?", null included), so that no other
// desk's change can come in between; the row is read first to tell the two refusals apart and to see a
// change that the text collation would not (a letter's case).

/// The message when the row the screen showed is no longer stored.
inline const QString kRowMissing = QStringLiteral("Enregistrement introuvable");
/// The message when another desk changed the row since the screen read it.
inline const QString kRowChanged = QStringLiteral("Enregistrement modifié par un autre poste");

/// The refusal of a write whose row another desk changed or deleted meanwhile: nothing was written.
class Conflict : public Error {
public:
    enum class Kind { Missing, Changed };
    explicit Conflict(Kind kind) : Error(kind == Kind::Missing ? kRowMissing : kRowChanged), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

/// Updates the row whose `keyColumn` equals `key` with `fields` when it still holds, in each column of
/// `loaded` that the table has, the value `loaded` holds (the row as the screen read it); throws
/// Conflict otherwise and writes nothing.
void updateLoaded(Database& db, const QString& table, const Fields& fields, const QString& keyColumn,
                  const QVariant& key, const Row& loaded);

/// Deletes the row whose `keyColumn` equals `key` when it still holds what `loaded` holds, as
/// updateLoaded; throws Conflict otherwise and deletes nothing.
void deleteLoaded(Database& db, const QString& table, const QString& keyColumn, const QVariant& key, const Row& loaded);

/// Throws Conflict when the row whose `keyColumn` equals `key` is gone or no longer holds what `loaded`
/// holds: the check of a write made otherwise (several rows, a ledger line), in the caller's transaction.
void checkLoaded(const Database& db, const QString& table, const QString& keyColumn, const QVariant& key, const Row& loaded);

/// The row with only the columns `names` that it has (the ones a write checks), in that order.
Row onlyColumns(const Row& row, const QStringList& names);

/// The same values for a stored row: nulls alike, numbers by value, texts exactly (letter case included).
bool sameStoredValue(const QVariant& a, const QVariant& b);

} // namespace kv::db
