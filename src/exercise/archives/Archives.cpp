#include "Archives.h"

#include "core/connexion/Desks.h"
#include "core/formats/Dates.h"
#include "core/schema/WorkingYear.h"
#include "core/startup/Recovery.h"
#include "core/state/Session.h"
#include "migrate/Migrate.h"
#include "platform/os/Files.h"

#include <QDir>
#include <QFileInfo>

namespace kv::exercise {

namespace {
const QString kZeb = QStringLiteral("Z.E.B.");
const QString kSmallError = QStringLiteral("Erreur n° ");
const QString& kCompactWorkFile = recovery::kCompactWorkFile;

bool allDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}
/// Writes the open year of the server as the SQLite year file `target` (replaced atomically), read from
/// one snapshot of the year.
bool archiveServerYear(Session& s, const QString& target, QString* error)
{
    try {
        db::Database from;
        from.openServer(*s.server, db::exerciseSchema(s.exerciceOuvert), db::Database::Mode::ReadOnly);
        from.execute(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"));
        return migrate::writeYearFile(from, s.programFile(QStringLiteral("ZEB_00.mdb")), target, true, nullptr, error);
    } catch (const db::Error& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

/// The import on the server: the year kept in Archives as a file first, then the checked copy `scratch`
/// loaded into the year's schema in one transaction, while no other desk is in the year.
ImportResult importOnServer(Session& s, const QString& scratch, FileOps& files, const QDateTime& now)
{
    const int year = s.exerciceOuvert;
    QString error, refusal;
    QString kept;
    bool done = false;
    {
        BusyPointer busy;
        const QString aside = os::resolve(os::ensureFolder(s.programDir(), QStringLiteral("Archives")),
                                          beforeImportName(year, now));
        if (archiveServerYear(s, aside, &error)) {
            kept = aside;
            s.fermer_exercice();
            try {
                db::Database to;
                to.openServer(*s.server, db::exerciseSchema(year));
                desks::ensureTables(*s.server);
                if (!desks::takeYear(to, year)) {
                    refusal = desks::busyText(year, desks::desksIn(to, year));
                } else {
                    db::Database from;
                    from.open(scratch, db::Database::Mode::ReadOnly);
                    db::Transaction t(to);
                    if (migrate::copyYearChecked(from, to, nullptr, &error)) {
                        files.serverStep(QStringLiteral("rows"));
                        desks::bumpGeneration(to);
                        t.commit();
                        done = true;
                    }
                }
            } catch (const db::Error& e) {
                error = e.message();
            }
        }
        files.remove(scratch, nullptr);
        files.remove(scratch + QStringLiteral("-journal"), nullptr);
        if (!done && !kept.isEmpty()) {
            files.remove(kept, nullptr); // the year is as it was: its copy is not needed
            kept.clear();
        }
    }
    if (done)
        s.ui().message(importDoneText(kept), ui::Icon::Information, kZeb);
    else if (!refusal.isEmpty())
        s.ui().refuse(refusal, ui::Icon::Exclamation);
    else
        s.ui().refuse(errorText(kSmallError, {error::Copy, error}));
    if (!s.isOpen())
        s.ouvrir_exercice();
    return done ? ImportResult::Done : ImportResult::Failed;
}

} // namespace

QString archiveName(const QString& date)
{
    const QString d = date.trimmed();
    if (d.size() != 10)
        return {};
    const QString day = d.mid(0, 2), month = d.mid(3, 2), year = d.mid(6, 4);
    // Only digits name a file: a date such as "../../x/.." would reach outside the chosen folder.
    if (!allDigits(day) || !allDigits(month) || !allDigits(year))
        return {};
    if (!isValidDate(day + u'/' + month + u'/' + year))
        return {};
    return year + month + day + QStringLiteral(".ZEB");
}

QString archiveDate(const QString& fileName)
{
    const QString n = fileName.trimmed();
    return n.mid(6, 2) + u'/' + n.mid(4, 2) + u'/' + n.mid(0, 4);
}

bool listArchives(const QString& folder, QList<ArchiveEntry>* entries, Failure* failure)
{
    entries->clear();
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        if (failure)
            *failure = {error::Folder, QStringLiteral("Dossier illisible : ") + folder};
        return false;
    }
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.ZEB")});
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    for (const QString& name : dir.entryList())
        entries->append({name, archiveDate(name)});
    return true;
}

QString beforeImportName(int year, const QDateTime& when)
{
    return QStringLiteral("ZEB_") + QString::number(year) + QStringLiteral("_avant_importation_")
           + when.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".mdb");
}

ArchiveResult archiveExercise(Session& s, const QString& folder, const QString& date, FileOps& files)
{
    const QString d = date.trimmed();
    const QString name = archiveName(d);
    if (name.isEmpty()) {
        s.ui().refuse(QStringLiteral("Format de date incorrect"), ui::Icon::Information);
        return ArchiveResult::BadDate;
    }
    const QString target = QDir(folder).filePath(name);
    if (!s.ui().ask(QStringLiteral("Confirmer archivage à la date du ") + d + u'\n', ui::Icon::Question, kZeb))
        return ArchiveResult::Declined;
    if (QFileInfo::exists(target)
        && !s.ui().ask(QStringLiteral("Un archivage à la date du ") + d + QStringLiteral(" existe déjà\nConfirmer son remplacement"),
                       ui::Icon::Question, QStringLiteral("Ecrasement")))
        return ArchiveResult::Declined;

    QString error;
    bool copied = false;
    if (s.server) {
        // On the server the archive is the same SQLite file as on the local files, written from one
        // snapshot of the year while the other desks go on working.
        BusyPointer busy;
        files.serverStep(QStringLiteral("archive"));
        copied = archiveServerYear(s, target, &error);
    } else {
        s.fermer_exercice();
        BusyPointer busy;
        copied = files.copy(s.exercisePath(s.exerciceOuvert), target, &error);
    }
    if (copied)
        s.ui().message(QStringLiteral("Archivage terminé"), ui::Icon::Information, kZeb);
    else
        s.ui().refuse(errorText(kSmallError, {error::Copy, error}));
    if (!s.isOpen())
        s.ouvrir_exercice();
    return copied ? ArchiveResult::Done : ArchiveResult::Failed;
}

ImportResult importArchive(Session& s, const QString& folder, const QString& fileName, FileOps& files, const QDateTime& now)
{
    const QString source = QDir(folder).filePath(fileName.trimmed());
    if (!QFileInfo(source).isFile()) {
        s.ui().refuse(QStringLiteral("Fichier ") + source + QStringLiteral(" absent"), ui::Icon::Information);
        return ImportResult::Missing;
    }
    // The chosen file replaces the whole year: a copy of it is opened as start-up opens a year (its
    // pages, its version and the upgrade steps, every table and column the program reads) before
    // anything is replaced, and that checked copy is what takes the year's place. The year and the
    // chosen file are only read until then.
    const QString scratch = s.programFile(kCompactWorkFile);
    QString error;
    QString fault;
    {
        BusyPointer busy;
        if (!files.remove(scratch, &error)) {
            s.ui().refuse(errorText(kSmallError, {error::Delete, error}));
            return ImportResult::Failed;
        }
        if (!files.copy(source, scratch, &error)) {
            files.remove(scratch, nullptr);
            s.ui().refuse(errorText(kSmallError, {error::Copy, error}));
            return ImportResult::Failed;
        }
        fault = schema::workingYearFault(scratch);
    }
    if (!fault.isEmpty()) {
        files.remove(scratch, nullptr);
        files.remove(scratch + QStringLiteral("-journal"), nullptr);
        s.ui().refuse(QStringLiteral("Le fichier ") + source + QStringLiteral(" n'est pas une base de données d'exercice (")
                          + fault + QStringLiteral(").\nLes données actuelles n'ont pas été modifiées."));
        return ImportResult::Refused;
    }

    if (s.server)
        return importOnServer(s, scratch, files, now);
    const QString target = s.exercisePath(s.exerciceOuvert);
    s.fermer_exercice();
    Failure failure;
    QString kept;
    bool done = false;
    {
        BusyPointer busy;
        // The year about to be replaced is kept first; without that copy nothing is replaced.
        const QString aside = os::resolve(os::ensureFolder(s.programDir(), QStringLiteral("Archives")),
                                          beforeImportName(s.exerciceOuvert, now));
        if (QFileInfo(target).isFile() && !files.copy(target, aside, &error)) {
            failure = {error::Copy, error};
        } else {
            if (QFileInfo(target).isFile())
                kept = aside;
            if (files.replace(scratch, target, &error))
                done = true;
            else
                failure = {error::Rename, error};
        }
        if (!done) {
            files.remove(scratch, nullptr);
            if (!kept.isEmpty())
                files.remove(kept, nullptr); // the year is still in place: its copy is not needed
        }
    }
    if (done)
        s.ui().message(importDoneText(kept), ui::Icon::Information, kZeb);
    else
        s.ui().refuse(errorText(kSmallError, failure));
    s.ouvrir_exercice();
    return done ? ImportResult::Done : ImportResult::Failed;
}

QString importDoneText(const QString& kept)
{
    QString text = QStringLiteral("Importation terminée avec succés");
    if (!kept.isEmpty())
        text += QStringLiteral("\nL'exercice remplacé est conservé sous :\n") + QDir::toNativeSeparators(kept);
    return text;
}

bool deleteArchive(Session& s, const QString& folder, const QString& fileName, const QString& date, FileOps& files)
{
    const QString path = QDir(folder).filePath(fileName.trimmed());
    if (!QFileInfo(path).isFile()) {
        s.ui().refuse(QStringLiteral("Fichier ") + path + QStringLiteral(" absent"), ui::Icon::Information);
        return false;
    }
    if (!s.ui().askDefaultNo(QStringLiteral("Confirmer suppression  archivage du ") + date + u'\n', ui::Icon::Question, kZeb))
        return false;
    QString error;
    if (!files.remove(path, &error)) {
        s.ui().refuse(errorText(kSmallError, {error::Delete, error}));
        return false;
    }
    s.ui().message(QStringLiteral("Archivage du : ") + date + QStringLiteral(" supprimé avec succès"), ui::Icon::Information, kZeb);
    return true;
}

} // namespace kv::exercise
