#include "Recovery.h"

#include "core/state/ExerciseStateFile.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"
#include "platform/os/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>


namespace kv::recovery {

namespace {

const QString kJournal = QStringLiteral("-journal");

/// The exercise state without creating a missing file (the start-up reads it properly afterwards).
std::optional<ExerciseState> peekState(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = f.read(4);
    if (data.size() < 4)
        return ExerciseState{};
    return ExerciseState{qFromLittleEndian<qint16>(data.constData()), qFromLittleEndian<qint16>(data.constData() + 2)};
}

bool removeFile(const QString& path, Report& report)
{
    if (!QFileInfo(path).isFile())
        return false;
    if (QFile::remove(path))
        report.removed << QFileInfo(path).fileName();
    return true;
}

/// The database files whose journals the engine plays back at start-up: exercise files and their copies.
bool isExerciseFileName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^(ZEB_\\d+\\.mdb|\\d{8}\\.ZEB)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

void finishClosing(const QString& dir, const QString& statePath, Report& report)
{
    const QString markerPath = os::resolve(dir, kClosingMarkerFile);
    if (!QFileInfo(markerPath).isFile())
        return;
    const std::optional<int> year = readClosingMarker(markerPath);
    const std::optional<ExerciseState> state = peekState(statePath);
    const QString previous = os::resolve(dir, kPreviousNewYearFile);
    if (year && state && state->firstYear > 0) {
        const int latest = state->firstYear + state->closings;
        const QString newPath = os::resolve(dir, QStringLiteral("ZEB_%1.MDB").arg(*year));
        if (latest >= *year) {
            // The state file names the new year: the closing was complete.
            report.closing = QStringLiteral("clôture de %1 achevée").arg(*year - 1);
        } else if (latest == *year - 1) {
            // The state file still names the old year: the new year's file goes back to what it was.
            if (QFileInfo(previous).isFile()) {
                if (!db::replaceFile(previous, newPath, nullptr))
                    return; // try again at the next start; the marker stays
            } else if (QFileInfo(newPath).isFile() && !QFile::remove(newPath)) {
                return;
            }
            report.closing = QStringLiteral("clôture de %1 annulée").arg(*year - 1);
        }
    }
    QFile::remove(markerPath);
}

void finishUndo(const QString& dir, const QString& statePath, Report& report)
{
    const QString markerPath = os::resolve(dir, kUndoMarkerFile);
    if (!QFileInfo(markerPath).isFile())
        return;
    const std::optional<int> year = readClosingMarker(markerPath);
    const std::optional<ExerciseState> state = peekState(statePath);
    if (year && state && state->firstYear > 0) {
        const int latest = state->firstYear + state->closings;
        const QString undonePath = os::resolve(dir, QStringLiteral("ZEB_%1.MDB").arg(*year));
        if (latest == *year - 1) {
            // The state file names the year before: the undo was decided, its year's file goes.
            if (QFileInfo(undonePath).isFile() && !QFile::remove(undonePath))
                return; // try again at the next start; the marker stays
            report.closing = QStringLiteral("annulation de la clôture de %1 achevée").arg(*year - 1);
        } else if (latest == *year) {
            // The state file still names the undone year: nothing had changed, the undo did not happen.
            report.closing = QStringLiteral("annulation de la clôture de %1 abandonnée").arg(*year - 1);
        }
    }
    QFile::remove(markerPath);
}

/// Opens a database whose journal lies beside it: the engine plays the journal back on the first read.
bool playBackJournal(const QString& dbPath)
{
    try {
        db::Database db;
        db.open(dbPath, db::Database::Mode::ReadWrite);
        db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        db.close();
    } catch (const db::Error&) {
        return false;
    }
    const QString journal = dbPath + kJournal;
    QFile f(journal);
    if (!f.exists())
        return true;
    // Still there after the engine opened the file: the journal is not hot. A transaction killed as it
    // began leaves an empty journal, or one whose header was never written (its first bytes zero); the
    // engine ignores such a journal, and so may we.
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(8);
    f.close();
    if (head.count('\0') != head.size())
        return false;
    return QFile::remove(journal);
}

void cleanFolder(const QString& dir, const QString& stateFileName, Report& report)
{
    QDir folder(dir);
    if (!folder.exists())
        return;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (isCopyTemporary(name, stateFileName)) {
            removeFile(path, report);
            continue;
        }
        if (!name.endsWith(kJournal, Qt::CaseInsensitive))
            continue;
        const QString base = name.chopped(kJournal.size());
        // The journal of a temporary being written (a repaired year is rebuilt in its "<file>.kvtmp")
        // goes with the temporary.
        if (isCopyTemporary(base, stateFileName)) {
            removeFile(path, report);
            continue;
        }
        // Only the journals of the program's own database files: "livre-journal" is a user's file.
        if (!isExerciseFileName(base))
            continue;
        const QString basePath = folder.filePath(base);
        if (!QFileInfo(basePath).isFile()) {
            // A journal without its database holds nothing that belongs to any file.
            removeFile(path, report);
        } else {
            if (playBackJournal(basePath))
                report.rolledBack << base;
            else
                report.kept << name;
        }
    }
}

} // namespace

bool writeClosingMarker(const QString& path, int newYear, QString* error)
{
    return db::writeFileAtomic(path, QByteArray::number(newYear) + "\n", error);
}

bool writeUndoMarker(const QString& path, int undoneYear, QString* error)
{
    return db::writeFileAtomic(path, QByteArray::number(undoneYear) + "\n", error);
}

std::optional<int> readClosingMarker(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const int year = f.read(16).trimmed().toInt(&ok);
    if (!ok || year < 1 || year > 32767)
        return std::nullopt;
    return year;
}

bool isCopyTemporary(const QString& name, const QString& stateFileName)
{
    // The program's own files, each written through "<file>.kvtmp" (db::temporaryOf).
    static const QRegularExpression pattern(
        QStringLiteral("^(ZEB_\\d+(_avant_importation_\\d{8}_\\d{6})?\\.mdb|\\d{8}\\.ZEB|ZEB\\.CFG|Dir_Data\\.TXT|VOSK\\.INI|system\\.mdw|"
                       "cloture\\.enc|decloture\\.enc)\\.kvtmp$"),
        QRegularExpression::CaseInsensitiveOption);
    if (pattern.match(name).hasMatch())
        return true;
    return name.compare(stateFileName + QStringLiteral(".kvtmp"), Qt::CaseInsensitive) == 0;
}

Report recoverInterruptedWork(const QString& programDir, const QString& statePath)
{
    Report report;
    finishClosing(programDir, statePath, report);
    finishUndo(programDir, statePath, report);
    // The work files of a closing, a compaction and a repair, with any journal of theirs and the
    // temporary of a copy into them.
    for (const QString& work : {kClosingWorkFile, kCompactWorkFile, kPreviousNewYearFile})
        for (const QString& name : {work, work + kJournal, work + QStringLiteral("-wal"), work + QStringLiteral("-shm"),
                                    db::temporaryOf(work)})
            removeFile(os::resolve(programDir, name), report);
    // A new exercise file being built from the schema.
    QDir folder(programDir);
    static const QRegularExpression building(QStringLiteral("^ZEB_\\d+\\.MDB\\.build(-journal)?$"), QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : folder.entryList({QStringLiteral("ZEB_*.build"), QStringLiteral("ZEB_*.build-journal")}, QDir::Files))
        if (building.match(name).hasMatch())
            removeFile(folder.filePath(name), report);
    const QString stateFileName = QFileInfo(statePath).fileName();
    cleanFolder(programDir, stateFileName, report);
    const QString archives = os::resolve(programDir, QStringLiteral("Archives"));
    if (QFileInfo(archives).isDir())
        cleanFolder(archives, stateFileName, report);
    return report;
}

} // namespace kv::recovery
