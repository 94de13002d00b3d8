#pragma once
// Building and upgrading exercise databases from the schema kept in the source.
#include "platform/db/Database.h"

namespace kv::schema {

/// Version written into every exercise database built by this program (PRAGMA user_version).
inline constexpr int kSchemaVersion = 5;

/// The schema script (tables, indexes, initial rows) of the current version.
QString schemaScript();
/// Creates a new exercise database at `path` (a template): all tables, indexes and initial rows.
/// Throws db::Error; an existing file is replaced only when the build succeeded.
void createExerciseDatabase(const QString& path);
/// Creates the exercise `year` on the firm's server: its schema (db::exerciseSchema) with all tables,
/// indexes, kept totals and initial rows, in one transaction. Throws db::Error; a schema that already
/// holds the year's tables is refused and left as it is.
void createExerciseSchema(const db::ServerSettings& server, int year);
/// Brings an exercise database written by an earlier version up to date, every step in one transaction.
/// Throws db::Error when a step fails (the file is left as it was).
void upgradeExerciseDatabase(db::Database& db);

} // namespace kv::schema
