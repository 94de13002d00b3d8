#include "Repair.h"

#include "core/connexion/Desks.h"
#include "core/ledger/KeptTotals.h"
#include "core/schema/Schema.h"
#include "core/schema/WorkingYear.h"
#include "core/startup/Recovery.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"
#include "platform/os/Files.h"

#include <QDir>
#include <QFileInfo>

namespace kv::exercise {

namespace {

QString lines(qint64 n) { return groupedCount(n) + (n > 1 ? QStringLiteral(" lignes") : QStringLiteral(" ligne")); }

/// Removes a work file that an earlier run left; an empty folder of that name goes too.
bool clearWorkFile(const QString& work, FileOps& files, QString* error)
{
    const QFileInfo info(work);
    if (info.isDir() && !info.isSymLink()) {
        if (QDir().rmdir(work))
            return true;
        if (error)
            *error = QStringLiteral("Un dossier occupe la place du fichier de travail : ") + QDir::toNativeSeparators(work);
        return false;
    }
    return files.remove(work, error) && files.remove(work + QStringLiteral("-journal"), error);
}

} // namespace

QString groupedCount(qint64 n)
{
    QString digits = QString::number(n < 0 ? -n : n);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return (n < 0 ? QStringLiteral("-") : QString()) + digits;
}

QStringList exerciseFiles(const QString& programDir)
{
    QDir dir(programDir);
    dir.setNameFilters({QStringLiteral("ZEB_2*.MDB")});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QString beforeRepairName(const QString& fileName, const QDateTime& when)
{
    return QFileInfo(fileName).completeBaseName() + QStringLiteral("_avant_reparation_")
           + when.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".mdb");
}

RepairOutcome repairDatabaseFile(const QString& programDir, const QString& path, FileOps& files, const QDateTime& now)
{
    RepairOutcome outcome;
    const QString work = os::resolve(programDir, recovery::kCompactWorkFile);
    // The rebuilt file is written beside the one it replaces, under the name start-up clears after a crash.
    const QString rebuilt = db::temporaryOf(path);
    QString error;
    if (!QFileInfo(path).isFile()) {
        outcome.failure = {error::Repair, QStringLiteral("Fichier introuvable : ") + QDir::toNativeSeparators(path)};
        return outcome;
    }
    if (!clearWorkFile(work, files, &error)) {
        outcome.failure = {error::Delete, error};
        return outcome;
    }
    // Only a copy is read: the engine never opens the file itself, which stays as it is until the
    // rebuilt file replaces it. The copy is the original kept aside when the file proves damaged.
    if (!files.copy(path, work, &error)) {
        files.remove(work, nullptr);
        outcome.failure = {error::Copy, error};
        return outcome;
    }
    QString kept;
    auto fail = [&](const Failure& failure) {
        files.remove(rebuilt, nullptr);
        files.remove(rebuilt + QStringLiteral("-journal"), nullptr);
        files.remove(work, nullptr);
        if (!kept.isEmpty())
            files.remove(kept, nullptr); // the file is still in place: its copy is not needed
        outcome.failure = failure;
        outcome.salvage = {};
        return outcome;
    };
    if (!files.recover(work, rebuilt, &outcome.salvage, &error))
        return fail({error::Repair, error});
    // The recovery checked every page and index of the new file already.
    const QString fault = schema::workingYearFault(rebuilt, schema::PageCheck::Quick);
    if (!fault.isEmpty())
        return fail({error::Repair, QStringLiteral("la base réparée ne peut pas servir d'exercice (") + fault + u')'});
    // The kept totals were copied as rows like any other table: count them again from the recovered
    // ledger, which they must follow whatever pages were lost.
    try {
        db::Database rebuiltDb;
        rebuiltDb.open(rebuilt, db::Database::Mode::ReadWrite);
        db::Transaction transaction(rebuiltDb);
        ledger::rebuildKeptTotals(rebuiltDb);
        transaction.commit();
    } catch (const db::Error& e) {
        return fail({error::Repair, e.message()});
    }
    if (!outcome.salvage.sound || outcome.salvage.lostRows()) {
        // Damage found: the original goes to Archives before anything replaces it.
        const QString aside = os::resolve(os::ensureFolder(programDir, QStringLiteral("Archives")),
                                          beforeRepairName(QFileInfo(path).fileName(), now));
        if (!files.replace(work, aside, &error) && !files.copy(work, aside, &error))
            return fail({error::Copy, error});
        kept = aside;
    }
    if (!files.replace(rebuilt, path, &error))
        return fail({error::Rename, error});
    files.remove(work, nullptr);
    outcome.repaired = true;
    outcome.keptAside = kept;
    return outcome;
}

QString repairText(const RepairOutcome& outcome)
{
    if (!outcome.repaired)
        return errorText(QStringLiteral("Erreur N° "), outcome.failure);
    const db::Salvage& salvage = outcome.salvage;
    if (outcome.keptAside.isEmpty())
        return QStringLiteral("Base de données réparée avec succès");
    QString text;
    if (!salvage.lostRows()) {
        text = QStringLiteral("Base de données réparée avec succès\n\nLe fichier était endommagé : ses index ont été "
                              "reconstruits à partir des tables et toutes les lignes lisibles ont été reprises (")
               + lines(salvage.rows()) + QStringLiteral(").");
    } else {
        text = QStringLiteral("Base de données réparée avec des pertes\n\nDes pages illisibles ont été écartées : ")
               + lines(salvage.rows()) + QStringLiteral(" récupérées en tout.");
        for (const db::SalvagedTable& table : salvage.tables) {
            if (!table.damaged)
                continue;
            text += QStringLiteral("\nTable ") + table.name + QStringLiteral(" : ") + lines(table.rows) + QStringLiteral(" récupérées");
            if (table.counted > table.rows)
                text += QStringLiteral(" sur ") + groupedCount(table.counted) + QStringLiteral(" (") + lines(table.counted - table.rows)
                        + QStringLiteral(" perdues)");
            else
                text += QStringLiteral(", des lignes illisibles perdues");
        }
    }
    return text + QStringLiteral("\n\nL'original endommagé est conservé sous :\n") + QDir::toNativeSeparators(outcome.keptAside);
}

QStringList exerciseBases(const Session& s)
{
    if (!s.server)
        return exerciseFiles(s.programDir());
    QStringList names;
    for (int year = s.premierExercice; year <= s.latestYear(); ++year)
        names << db::exerciseSchema(year);
    return names;
}

namespace {

/// The server's own check of the year `db` is open on: its first finding, empty when sound.
QString serverCheck(db::Database& db)
{
    const auto extensionSchema = [&] {
        return db.scalar(QStringLiteral("SELECT CAST(CAST(extnamespace AS regnamespace) AS text) FROM pg_extension "
                                        "WHERE extname = 'amcheck'"))
            .toString();
    };
    QString amcheck = extensionSchema();
    if (amcheck.isEmpty()
        && db.scalar(QStringLiteral("SELECT count(*) FROM pg_available_extensions WHERE name = 'amcheck'")).toInt() > 0) {
        try {
            // Only a user allowed to add it to the database gets it; the others get the table checks.
            db::Transaction t(db);
            db.execute(QStringLiteral("CREATE EXTENSION IF NOT EXISTS amcheck SCHEMA kavorel"));
            t.commit();
            amcheck = extensionSchema();
        } catch (const db::Error&) {
        }
    }
    try {
        if (!amcheck.isEmpty()) {
            // Every B-tree index of the year against its table (every row found through its index).
            db.scalar(QStringLiteral("SELECT count(*) FROM (SELECT %1.bt_index_check(CAST(quote_ident(schemaname) || '.' || "
                                     "quote_ident(indexname) AS regclass), true) FROM pg_indexes WHERE schemaname = current_schema() "
                                     "AND strpos(indexdef, ' USING btree ') > 0) AS checked")
                          .arg(db::Database::identifier(amcheck)));
        } else {
            for (const QString& table : schema::standingTables)
                db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(db::Database::identifier(table)));
        }
    } catch (const db::Error& e) {
        return e.message();
    }
    return {};
}

} // namespace

bool repairServerYear(Session& s, int year, FileOps& files)
{
    s.fermer_exercice();
    QString finding, refusal, error;
    {
        BusyPointer busy;
        try {
            db::Database work;
            work.openServer(*s.server, db::exerciseSchema(year));
            desks::ensureTables(*s.server);
            if (!desks::takeYear(work, year)) {
                refusal = desks::busyText(year, desks::desksIn(work, year));
            } else {
                finding = serverCheck(work);
                files.serverStep(QStringLiteral("checked"));
                // Every index of the year made again from its table (the server runs it on its own,
                // never inside a transaction).
                work.execute(QStringLiteral("REINDEX SCHEMA %1").arg(db::Database::identifier(db::exerciseSchema(year))));
                desks::bumpGeneration(work);
            }
        } catch (const db::Error& e) {
            error = e.message();
        }
    }
    if (!refusal.isEmpty()) {
        s.ui().message(refusal, ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    } else if (!error.isEmpty()) {
        s.ui().message(errorText(QStringLiteral("Erreur N° "), {error::Repair, error}), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    } else if (finding.isEmpty()) {
        s.ui().message(QStringLiteral("Base de données réparée avec succès"), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    } else {
        s.ui().message(QStringLiteral("Base de données réparée avec succès\n\nLe serveur a signalé : ") + finding
                           + QStringLiteral("\nLes index de l'exercice ont été reconstruits à partir des tables."),
                       ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    }
    s.ouvrir_exercice();
    return refusal.isEmpty() && error.isEmpty();
}

bool repairExerciseFile(Session& s, const QString& fileName, FileOps& files, const QDateTime& now)
{
    if (s.server) {
        const QString name = fileName.trimmed();
        return repairServerYear(s, name.mid(name.lastIndexOf(u'_') + 1).toInt(), files);
    }
    s.fermer_exercice();
    RepairOutcome outcome;
    {
        BusyPointer busy;
        outcome = repairDatabaseFile(s.programDir(), QDir(s.programDir()).filePath(fileName.trimmed()), files, now);
    }
    s.ui().message(repairText(outcome), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    s.ouvrir_exercice();
    return outcome.repaired;
}

} // namespace kv::exercise
