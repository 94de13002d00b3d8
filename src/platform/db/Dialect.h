#pragma once
// The program writes its statements in SQLite's SQL. On a PostgreSQL server the engine layer runs them
// translated, here, in one place:
//  - parameters: "?" and "?NNN" become "$n"; each ":name" becomes its own "$n" (the names in order), so
//    that the server types every use of a name on its own; nothing inside quoted text or comments moves;
//  - types: INTEGER is BIGINT (SQLite's integers are 64-bit), REAL is DOUBLE PRECISION; an INTEGER
//    PRIMARY KEY takes the next number when none is given, as SQLite's does; every table has the
//    hidden row number `kv_rowid` that `rowid` names;
//  - text: the FR_NOCASE and NOCASE collations are kavorel.fr_nocase (ICU, case ignored, accents not);
//    `a LIKE b` compares under a deterministic ICU collation with the case folded (ILIKE), as the file's
//    LIKE does, since the server refuses LIKE under a non-deterministic collation;
//  - functions: total(), ifnull(), max()/min() of several values, group_concat(), date(), round(),
//    strftime() and typeof() have their SQLite meaning (kavorel schema, see PgEngine.cpp);
//  - `a IS b` between values is IS NOT DISTINCT FROM; INSERT OR IGNORE is ON CONFLICT DO NOTHING;
//  - triggers written as SQLite's (BEGIN …; END) become a trigger function and its trigger;
//  - a subquery in FROM without a name gets one; "quoted" names are folded as the server folds plain ones.
// The SQLite-only statements (pragmas, sqlite_master) are the engine layer's own functions instead
// (Database::userVersion, objectTypes, pageFault).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::db::detail {

struct PgStatement {
    QByteArray text;                   ///< the statement for the server (UTF-8)
    QList<QByteArray> after;           ///< statements to run after it (a table's numbering trigger…)
    int positional = 0;                ///< how many "$n" stand for "?" parameters
    QStringList names;                 ///< for ":name" parameters: the name of each "$n", in order
    QHash<QString, QString> spellings; ///< lower-case identifier -> as the statement spells it
    QList<QPair<QString, QString>> columnSpellings; ///< (table, column) as a CREATE TABLE / ADD COLUMN spells them
    bool mentionsRowid = false;        ///< the statement names rowid: the hidden row number is wanted
    bool writes = false;               ///< the statement may change the database
    bool empty = false;                ///< nothing but blanks and comments
};

/// Translates one statement (without the final ";"). Throws Error for what the server cannot run.
PgStatement toPostgres(const QString& sql);

/// Splits a script into its statements, at the ";" outside quoted text, comments and trigger bodies.
QStringList splitStatements(const QString& script);

} // namespace kv::db::detail
