#pragma once
// Closing the latest exercise into the next year, and undoing the last closing, without their widgets.
//
// A closing builds the whole new year's file aside (a copy of the year, emptied as the option asks and,
// with the reset, repaired and compacted), puts it in place with one rename, and only then writes the
// exercise state file. A failure or a crash at any step leaves either the old state with the old files
// or the new state with a complete new year; a failure reopens the year that was open. Between the
// rename and the state file a marker names the new year, so that a start after a crash there finishes
// the closing or undoes it (core/startup/Recovery).
#include "core/startup/Recovery.h"
#include "exercise/common/ExerciseFiles.h"

namespace kv {
class Session;
}

namespace kv::exercise {

enum class ClosingOption {
    Reset, ///< "Remise à zéro de tous les comptes": no receipts, expenses or pays in the new year
    Keep   ///< "Conservation des données actuelles": everything passes, pays aside
};

enum class Outcome {
    Declined, ///< the user answered No, or there was nothing to do; nothing changed
    Done,
    Failed    ///< a step failed: its message was shown and the year open before is open again
};

/// The work files of a closing (never left behind by a finished one; a start after a crash deletes
/// them): the new year being built, a file of the new year that was already there, the compaction's.
inline const QString& kClosingWorkFile = recovery::kClosingWorkFile;
inline const QString& kPreviousNewYearFile = recovery::kPreviousNewYearFile;
inline const QString& kCompactWorkFile = recovery::kCompactWorkFile;
/// Present from the moment the new year's file is put in place until the state file says so.
inline const QString& kClosingMarkerFile = recovery::kClosingMarkerFile;

/// "Confirmer clôture de l'exercice  " + year with a leading blank + line feed + the option's words.
QString closingQuestion(int year, ClosingOption option);

/// Closes the latest exercise: the question, then the new year's file, the state file, and the new
/// year opened. Engine errors are shown with the engine's message, file errors as "Erreur N° …".
/// Throws ProgramEnd only when no exercise can be opened again.
Outcome closeExercise(Session& session, ClosingOption option, FileOps& files = defaultFileOps());

/// Undoes the last closing (the overwrite warning has been answered "Continuer"): an undo marker names
/// the latest year, the state file goes back one closing, the latest year's file is deleted, the marker
/// goes, and the year before is opened. A crash on the way is finished or rolled back at the next start.
/// At the first exercise: "Impossible de déclôturer l'exercice initial" and nothing changes (Declined).
Outcome undoLastClosing(Session& session, FileOps& files = defaultFileOps());

} // namespace kv::exercise
