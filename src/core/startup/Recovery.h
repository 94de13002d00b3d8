#pragma once
// What a run cut short (a crash, a power cut, the program killed) may leave in the program folder, and
// how the next start puts it right before it reads anything:
//   - a closing stopped after its new year's file was put in place but before the exercise state file
//     said so: the closing marker tells which year; the closing is undone (the file that was there before
//     comes back from cloture.prec, or the new file goes) unless the state file was written;
//   - an undo of a closing stopped between its marker and the deletion of the undone year: finished
//     when the state file already names the year before (the undone year's file goes), else forgotten
//     (nothing had changed yet);
//   - the engine's journal of a transaction cut short beside an exercise file or an archive copy: the
//     file is opened, which plays the journal back (the interrupted transaction is undone); a journal is
//     never deleted while its database is there;
//   - the work files of a closing, a compaction and a repair, and the temporary files of the program's
//     atomic writes: deleted, by their exact names only. Any other file, whatever it looks like (a
//     user's "ZEB_2025.MDB.Copie1", "livre-journal"), is left alone.
#include <QString>
#include <QStringList>
#include <optional>

namespace kv::recovery {

/// The work file of a closing, in the program folder.
inline const QString kClosingWorkFile = QStringLiteral("cloture.tmp");
/// Where a file of the new year that was already there waits while a closing replaces it.
inline const QString kPreviousNewYearFile = QStringLiteral("cloture.prec");
/// The work file of a compaction, in the program folder.
inline const QString kCompactWorkFile = QStringLiteral("prov.mdb");
/// Present while a closing puts its new year in place: holds the new year.
inline const QString kClosingMarkerFile = QStringLiteral("cloture.enc");

/// Present while an undo of a closing is under way: holds the year being undone.
inline const QString kUndoMarkerFile = QStringLiteral("decloture.enc");

/// Writes the closing marker (atomically, flushed to disk). False with a message on failure.
bool writeClosingMarker(const QString& path, int newYear, QString* error);
/// The year of a closing marker; none when there is no marker or it cannot be read.
std::optional<int> readClosingMarker(const QString& path);

/// Writes the undo marker (atomically, flushed to disk). False with a message on failure.
bool writeUndoMarker(const QString& path, int undoneYear, QString* error);

struct Report {
    QStringList removed;     ///< work and temporary files deleted
    QStringList rolledBack;  ///< database files whose interrupted transaction was undone
    QStringList kept;        ///< journals left beside a database the engine could not open
    QString closing;         ///< what was done about a closing (or its undo) cut short, empty when none
    /// True when anything at all had to be put right: the previous run did not end cleanly.
    bool any() const { return !removed.isEmpty() || !rolledBack.isEmpty() || !kept.isEmpty() || !closing.isEmpty(); }
};

/// True when `name` is the temporary of an atomic write of one of the program's own files: that file's
/// name and ".kvtmp" (db::temporaryOf), exactly.
bool isCopyTemporary(const QString& name, const QString& stateFileName);

/// Puts right what an interrupted run left in `programDir` (and its Archives folder). `statePath` is
/// the exercise state file. Runs before the exercise state is read.
Report recoverInterruptedWork(const QString& programDir, const QString& statePath);

} // namespace kv::recovery
