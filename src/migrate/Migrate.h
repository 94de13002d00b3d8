#pragma once
// Moving a firm's exercise years between the two engines: every row of every table of a year copied
// into the other engine, then checked row for row (same tables, same rows, same values) before it is
// kept. On a server a year is written in one transaction; on the file side into a temporary file that
// takes the year file's name only at the end.
#include "platform/db/Database.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kv::migrate {

/// The tables of an exercise year, as the program's schema gives them, in the schema's order.
QStringList yearTables();
/// The exercise year files of a data folder (ZEB_<year>.MDB, any letter case; the template ZEB_00 is
/// not a year), by year.
QMap<int, QString> yearFiles(const QString& folder);

/// What a copy wrote.
struct Copied {
    int tables = 0;
    qint64 rows = 0;
};

/// Copies every row of every table of `from` into `to`, whose tables are emptied first; inside the
/// caller's transaction on `to`. Throws db::Error.
Copied copyRows(const db::Database& from, db::Database& to);
/// The first difference between two years, row for row, in French; empty when both hold the same
/// tables with the same columns, the same rows and the same values. Throws db::Error.
QString firstDifference(const db::Database& a, const db::Database& b);

/// Copies the year `from` into the open `to` in one transaction, checked row for row before the commit:
/// on a difference or an error nothing is kept and the reason is in `error`.
bool copyYearChecked(const db::Database& from, db::Database& to, Copied* copied, QString* error);
/// Writes the year `from` as the year file `target`: the template copied to a temporary beside it, the
/// rows copied and checked, the result checked as a working year, then renamed over `target`. An
/// existing `target` is replaced only when `replace`; on failure `target` is left as it was.
bool writeYearFile(const db::Database& from, const QString& templatePath, const QString& target, bool replace,
                   Copied* copied, QString* error);

} // namespace kv::migrate
