#pragma once
// The years of a firm on its server, as the exercise operations change them: each year is a schema
// (db::exerciseSchema), the state and the desks live in the schema `kavorel`. An operation works on a
// connection of its own open on `kavorel`, takes the years it changes for itself (desks::takeYear), and
// does all its work in one transaction of that connection: the server's definitions are transactional,
// so a failure or a crash leaves the years exactly as they were.
#include "core/state/ExerciseStateFile.h"
#include "platform/db/Database.h"

#include <QList>
#include <memory>

namespace kv::exercise::serveryears {

/// A connection of this desk on the schema `kavorel` holding `years` for itself until it closes. Null
/// when another desk is in one of them: `refusal` then holds desks::busyText naming them. Throws
/// db::Error when the server cannot be reached.
std::unique_ptr<db::Database> takeYears(const db::ServerSettings& server, const QList<int>& years, QString* refusal);

/// The state as the server holds it, read in the caller's transaction on `work` (open on `kavorel`),
/// refused (db::Error) when it is no longer the one this desk knows: another desk changed the years.
ExerciseState checkedState(db::Database& work, int firstYear, int closings);

/// True when the year's schema exists with its tables.
bool yearHasTables(const db::Database& work, int year);
/// Inside the caller's transaction on `work`: the statements that follow address the year's schema
/// (and `kavorel` behind it) until the transaction ends.
void addressYear(db::Database& work, int year);
/// Inside the caller's transaction: makes the year's schema (which must not exist) with every table, index, kept total and
/// initial row of the program's schema, and addresses it (addressYear).
void createYear(db::Database& work, int year);
/// Inside the caller's transaction, `work` addressing the target year: every table emptied and filled
/// with the rows of the year `fromYear` of the same server, table by table in the schema's order.
void copyRowsFrom(db::Database& work, int fromYear);
/// Drops the year's schema with everything in it (inside the caller's transaction).
void dropYear(db::Database& work, int year);

} // namespace kv::exercise::serveryears
