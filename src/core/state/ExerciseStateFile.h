#pragma once
// The exercise state file (installation code + ".INI"): fixed 4-byte records, of which record 1 holds the
// first exercise year and the number of closings since, as little-endian 16-bit integers.
#include <QString>

namespace kv {

struct ExerciseState {
    qint16 firstYear = 0;  ///< 0: no first exercise chosen yet
    qint16 closings = 0;
};

/// Reads record 1; a missing file is created empty; a file shorter than 4 bytes has no record (0, 0).
ExerciseState readExerciseState(const QString& path);
/// Rewrites record 1, keeping any later bytes; atomic. False with a message on failure.
bool writeExerciseState(const QString& path, const ExerciseState& state, QString* error);

} // namespace kv
