#pragma once
// Repair of an exercise database file: what can be read of it is written into a fresh file (every index
// rebuilt from the table rows, a page that cannot be read stepped over), which takes its place in one
// rename once it opens as a working year. The file itself is only read until then: a repair that fails
// leaves it byte for byte as it was. A file the engine found damaged is kept aside in Archives, and the
// message says how many rows came back.
#include "exercise/common/ExerciseFiles.h"

#include <QDateTime>

namespace kv {
class Session;
}

namespace kv::exercise {

/// The exercise files of the program folder: names matching "ZEB_2*.MDB" in any letter case (the years
/// from 2000 on; the template ZEB_00.mdb is left out), in name order.
QStringList exerciseFiles(const QString& programDir);

/// The exercise bases the repair screen lists: on the local files exerciseFiles(); on the firm's server
/// the schemas of the years the state names (zeb_2021 …), first to latest.
QStringList exerciseBases(const Session& session);

/// The name under which a damaged file is kept in Archives when its repair replaces it.
QString beforeRepairName(const QString& fileName, const QDateTime& when);

/// What a repair did.
struct RepairOutcome {
    bool repaired = false;  ///< the repaired file is in place
    Failure failure;        ///< why not, when not repaired (the file then is exactly as it was)
    db::Salvage salvage;    ///< what came back, table by table
    QString keptAside;      ///< where the damaged original is kept; empty when the file was sound
};

/// Repairs the closed exercise database file `path` of the program folder `programDir`, with no screen:
///  1. a stale work file prov.mdb is removed (a folder in its way fails the repair: nothing touched);
///  2. the file is copied to prov.mdb, and only that copy is read;
///  3. its readable rows are written into a new file beside the original (db::temporaryOf(path)), every
///     index rebuilt from them (db::recoverDatabase);
///  4. the new file must open as a working year (schema::workingYearFault, which brings it to the
///     current version);
///  5. when the engine found damage, the copy of the original goes to Archives under beforeRepairName()
///     (named in `keptAside`); a sound file's copy is simply removed at the end;
///  6. the new file replaces the original in one rename.
/// On any failure the work files (and a copy put in Archives) go and the file is exactly as it was. A
/// crash leaves only work files that start-up removes. The caller closes any connection to the file
/// first and shows repairText().
RepairOutcome repairDatabaseFile(const QString& programDir, const QString& path, FileOps& files = defaultFileOps(),
                                 const QDateTime& now = QDateTime::currentDateTime());

/// A count with its thousands apart: 3 757.
QString groupedCount(qint64 n);

/// The message of a repair: "Base de données réparée avec succès" for a sound file; for a damaged one,
/// what came back (rows per damaged table) and where the original is kept; "Erreur N° …" on a failure.
QString repairText(const RepairOutcome& outcome);

/// The repair of a year on the firm's server, the year taken for itself (refused with the names of the
/// desks still in it): the server's own checks of the year (amcheck's check of every index when the
/// server has it, else a read of every row of the standing tables), then every index of the year rebuilt
/// (REINDEX SCHEMA). Shown as the repair of a file is; true when done.
bool repairServerYear(Session& session, int year, FileOps& files = defaultFileOps());

/// "Réparer": closes the connection, repairs `fileName` of the program folder, shows repairText()
/// (exclamation icon, "Z.E.B."), and opens the open exercise again (ProgramEnd when even that fails).
/// True when repaired.
bool repairExerciseFile(Session& session, const QString& fileName, FileOps& files = defaultFileOps(),
                        const QDateTime& now = QDateTime::currentDateTime());

} // namespace kv::exercise
