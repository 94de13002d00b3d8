#pragma once
// What the exercise state file holds (the first exercise and the number of closings), kept on the
// firm's server when the desks work there: one row of the table `etat_exercices` in the schema
// `kavorel` of the firm's database, read and written through the engine layer like any other row.
#include "core/state/ExerciseStateFile.h"

#include "platform/db/ServerSettings.h"

namespace kv::db {
class Database;
}

namespace kv::serverstate {

/// The schema that holds the firm's own records on the server (beside the years' schemas zeb_<year>).
inline const QString kSchema = QStringLiteral("kavorel");
/// The table of the exercise state: one row, key 1.
inline const QString kTable = QStringLiteral("etat_exercices");

/// Makes the table when it is missing (in the database or schema `db` is open on).
void ensureTable(db::Database& db);
/// The state; no table or no row: no first exercise yet (0, 0). Throws db::Error.
ExerciseState read(const db::Database& db);
/// Writes the state in its one row, inside one transaction. Throws db::Error.
void write(db::Database& db, const ExerciseState& state);

/// The state kept on the server (its `kavorel` schema, made when missing). Throws db::Error.
ExerciseState readOnServer(const db::ServerSettings& server);
/// Writes the state on the server, in one transaction. Throws db::Error.
void writeOnServer(const db::ServerSettings& server, const ExerciseState& state);

} // namespace kv::serverstate
