#pragma once
// Archives of the open exercise without their widgets: names made of the archive date, the lists of a
// folder with their dates, the archive copy, the import of an archive over the open year, deletion.
//
// An archive is a byte-for-byte copy of the exercise file, named yyyymmdd.ZEB after its date. An import
// first makes sure a copy of the chosen file opens as a working year, keeps a copy of the year it
// replaces in the program's Archives folder, and puts the checked copy in the year's place in one step.
#include "exercise/common/ExerciseFiles.h"

#include <QDateTime>
#include <QList>

namespace kv {
class Session;
}

namespace kv::exercise {

struct ArchiveEntry {
    QString file; ///< the file name
    QString date; ///< the date taken back out of the name, dd/mm/yyyy
    bool operator==(const ArchiveEntry&) const = default;
};

/// The archive file name of a typed date: characters 7-10, 4-5 and 1-2, then ".ZEB". Empty when the
/// trimmed date is not 10 characters, or its day, month and year (read by position; the separators are
/// not looked at) are not a real calendar day.
QString archiveName(const QString& date);
/// The date a list line shows for a file: characters 7-8 + "/" + 5-6 + "/" + 1-4 of the trimmed name.
QString archiveDate(const QString& fileName);
/// The files of `folder` matching "*.ZEB" in any letter case, in name order, with their dates. False
/// with the failure when the folder cannot be read.
bool listArchives(const QString& folder, QList<ArchiveEntry>* entries, Failure* failure);

/// The name under which the open year's file is kept in Archives before an import replaces it.
QString beforeImportName(int year, const QDateTime& when);

enum class ArchiveResult {
    BadDate,  ///< "Format de date incorrect": the screen stays open
    Declined, ///< a question answered No: nothing copied
    Done,
    Failed    ///< "Erreur n° …" shown; the exercise open again
};
/// "Sauvegarder >>>": archives the open exercise into `folder` under `date`.
ArchiveResult archiveExercise(Session& session, const QString& folder, const QString& date,
                              FileOps& files = defaultFileOps());

enum class ImportResult {
    Missing,  ///< "Fichier … absent"
    Refused,  ///< not an exercise database: nothing changed
    Done,
    Failed    ///< "Erreur n° …" shown; the year's file as it was; the exercise open again
};
/// "Importer": puts the archive `fileName` of `folder` in place of the open exercise's file, only when
/// a copy of it opens as a working year (schema::workingYearFault); the year is kept in Archives first.
/// A refused or failed import leaves the year's file byte for byte as it was.
ImportResult importArchive(Session& session, const QString& folder, const QString& fileName,
                           FileOps& files = defaultFileOps(), const QDateTime& now = QDateTime::currentDateTime());

/// The message of a finished import: "Importation terminée avec succés", then where the replaced year
/// was kept (when there was one).
QString importDoneText(const QString& kept);

/// Deletes the archive `fileName` of `folder` (line date `date`) after the question; true when deleted.
bool deleteArchive(Session& session, const QString& folder, const QString& fileName, const QString& date,
                   FileOps& files = defaultFileOps());

} // namespace kv::exercise
