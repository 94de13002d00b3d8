#pragma once
// Repair of an exercise database file chosen by the user: the connection is closed, the file repaired
// and compacted into a fresh file that takes its place in one rename, and the open exercise opened again.
#include "exercise/common/ExerciseFiles.h"

namespace kv {
class Session;
}

namespace kv::exercise {

/// The exercise files of the program folder: names matching "ZEB_2*.MDB" in any letter case (the years
/// from 2000 on; the template ZEB_00.mdb is left out), in name order.
QStringList exerciseFiles(const QString& programDir);

/// Repairs `fileName` of the program folder. On success "Base de données réparée avec succès"; on a
/// failure "Erreur N° …" and the file is as it was. Either way the open exercise is opened again
/// (ProgramEnd when even that fails). True when repaired.
bool repairExerciseFile(Session& session, const QString& fileName, FileOps& files = defaultFileOps());

} // namespace kv::exercise
