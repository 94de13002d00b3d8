#pragma once
// What the exercise lifecycle does to whole files while the connection is closed: copies, renames,
// deletions, repair and compaction, the exercise state file. Every replacement is atomic (a temporary
// file renamed over the target), so that a failure or a crash leaves either the old file or the new one.
//
// The operations go through one FileOps object: the program uses defaultFileOps(), a test hands in one
// that fails a chosen step to prove that the original is left as it was.
#include "core/state/ExerciseStateFile.h"
#include "platform/db/FileOps.h"

#include <QString>
#include <QStringList>

namespace kv {
class Session;
}

namespace kv::exercise {

/// The numbers shown in "Erreur N° …" boxes, one per kind of failing step.
namespace error {
inline constexpr int Copy = 1;      ///< a copy of a file
inline constexpr int Rename = 2;    ///< putting a finished file in its place
inline constexpr int Delete = 3;    ///< deleting a file
inline constexpr int Repair = 4;    ///< repair and compaction of a database file
inline constexpr int State = 5;     ///< writing the exercise state file
inline constexpr int Folder = 6;    ///< a folder that cannot be read
} // namespace error

/// A failed step: its number and the system's or engine's description.
struct Failure {
    int number = 0;
    QString description;
};

/// "Erreur N° " (or "Erreur n° ") + the number with a leading blank + a line break + the description.
QString errorText(const QString& prefix, const Failure& failure);

class FileOps {
public:
    virtual ~FileOps() = default;
    /// Copies `source` to `target`, replacing it atomically.
    virtual bool copy(const QString& source, const QString& target, QString* error);
    /// Renames `source` over `target` in one step.
    virtual bool replace(const QString& source, const QString& target, QString* error);
    /// Deletes a file; a file that is not there counts as deleted.
    virtual bool remove(const QString& path, QString* error);
    /// Writes into `target` what can be read of the closed database `source` (only read), indexes
    /// rebuilt from the rows; what came back in `salvage` (db::recoverDatabase).
    virtual bool recover(const QString& source, const QString& target, db::Salvage* salvage, QString* error);
    /// Writes a repaired, compact copy of the closed database `source` into `target`, with the tables
    /// `emptied` left empty (the rest row for row as it is).
    virtual bool copyEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error);
    /// Rewrites record 1 of the exercise state file (atomic).
    virtual bool writeState(const QString& path, const ExerciseState& state, QString* error);
    /// Called at each named step of an operation on the server's years, inside its transaction: a test
    /// throws db::Error here to make the operation fail midway. Does nothing in the program.
    virtual void serverStep(const QString& step);
};

/// The file operations of the program.
FileOps& defaultFileOps();

/// The busy pointer for the length of a file operation.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool set_ = false;
};

/// "Exercice " + year with a leading blank + " en place".
QString inPlaceText(int year);

} // namespace kv::exercise
