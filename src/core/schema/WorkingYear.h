#pragma once
// Whether a database file is a working exercise year of this program: the one rule that an import, the
// view of another year, a repair and start-up apply before a file takes the place of a year or is opened
// as one.
//
// A working year is a file that the engine reads sound (every page; with the full check every index
// against its table too), whose version is neither newer than the program's nor negative, which the
// upgrade steps bring to the current version, and which then holds every table of the program's schema
// as a table with every column the schema gives it (the columns the screens read and write), the seven
// standing tables reading as the exercise connection reads them.
#include "platform/db/Database.h"

namespace kv::schema {

/// How the engine reads the pages before the rest of the check: `Quick` reads every page and record of
/// the tables (what start-up can afford at every start); `Full` also checks every index against its table.
enum class PageCheck { Quick, Full };

/// The rule on an open read-write connection. Empty when `db` is a working year; otherwise why not, in
/// French for the user. The upgrade steps run on `db` in one transaction, committed only when the year
/// works (the year is then at the current version, as opening it would leave it) and rolled back
/// otherwise, so that a refused file holds exactly what it held. Throws nothing.
QString workingYearFault(db::Database& db, PageCheck pages = PageCheck::Full);

/// The rule on a closed file, opened read-write: see above. Callers that must not change `path` (a file
/// to import) hand in a scratch copy of it, or use workingYearFaultOfCopy().
QString workingYearFault(const QString& path, PageCheck pages = PageCheck::Full);

/// The rule on a copy: `path` is copied to `scratch` (replaced; a work file of the program folder) and
/// the copy is checked; `path` is only read. When the year works the copy stays at `scratch`, brought to
/// the current version: what was checked can then be put in place. Otherwise the copy is removed.
QString workingYearFaultOfCopy(const QString& path, const QString& scratch, PageCheck pages = PageCheck::Full);

} // namespace kv::schema
