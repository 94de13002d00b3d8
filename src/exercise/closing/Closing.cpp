#include "Closing.h"

#include "core/connexion/Desks.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/kit/Guard.h"
#include "core/ledger/KeptTotals.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"
#include "exercise/common/ServerYears.h"

#include <QFile>
#include <functional>
#include <QFileInfo>

namespace kv::exercise {

namespace {

const QString kZeb = QStringLiteral("Z.E.B");

/// Empties the new year as the option asks, inside the caller's transaction. Its cash book opens on the
/// 1st of January with `carried`, the old year's end (cents): the pays it no longer holds (kept data) or
/// the whole ledger (reset) are carried over in one balance.
void emptyYear(db::Database& db, ClosingOption option, int newYear, qint64 carried)
{
    db::Transaction t(db);
    db::deleteRows(db, schema::Salaires);
    if (option == ClosingOption::Reset) {
        db::deleteRows(db, schema::Recettes);
        db::deleteRows(db, schema::Depenses);
        ledger::rebuildKeptTotals(db);
    }
    ledger::carryCashBalance(db, newYear, carried);
    // The month flags, and with them the employer's and the workers' charges of the months: the new
    // year's months have none until they are closed.
    db::Fields months;
    for (int m = 1; m <= 12; ++m)
        months << db::Field{schema::permn::closedFlag(m), 0} << db::Field{schema::permn::employerCharge(m), QVariant()}
               << db::Field{schema::permn::workersCharge(m), QVariant()};
    db::updateRows(db, schema::Permn, months);
    t.commit();
}

/// Empties the new year's copy as the option asks, in one transaction.
void emptyNewYear(const QString& path, ClosingOption option, int newYear, qint64 carried)
{
    db::Database db;
    db.open(path, db::Database::Mode::ReadWrite);
    // The work file is a copy of its own: a failure or a crash while it is emptied throws it away (it is
    // never put in place half done), and it is flushed before it is put in place. So it needs neither the
    // engine's journal nor its flushes, nor the zeroing of every freed page, which on a large year cost
    // several times the copy itself.
    db.executeScript(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA secure_delete = OFF"));
    emptyYear(db, option, newYear, carried);
}

/// The desk leaves the year it had open, takes `years` for itself on its own connection, runs `work` in
/// one transaction of it, and lets the years go. A refusal (another desk in a year) or a failure shows
/// its message; true when the transaction committed.
bool onServerYears(Session& s, const QList<int>& years, const std::function<void(db::Database&)>& work)
{
    s.fermer_exercice();
    QString refusal, engineError;
    try {
        BusyPointer busy;
        std::unique_ptr<db::Database> taken = serveryears::takeYears(*s.server, years, &refusal);
        if (taken) {
            db::Transaction t(*taken);
            work(*taken);
            desks::bumpGeneration(*taken);
            t.commit();
            return true;
        }
    } catch (const db::Error& e) {
        engineError = e.message();
    }
    if (!refusal.isEmpty()) {
        s.ui().beep();
        s.ui().message(refusal, ui::Icon::Exclamation, kZeb);
    } else {
        kit::showEngineError(s.ui(), engineError);
    }
    return false;
}

/// The work files of a closing, with the engine's journals of the work file.
QStringList leftovers(const QString& work, const QString& prov, const QString& previous)
{
    return {work, work + QStringLiteral("-journal"), work + QStringLiteral("-wal"), work + QStringLiteral("-shm"), prov,
            previous};
}

/// A closing that went through: one more closing counted, and the new year opened as the latest.
Outcome movedToNewYear(Session& s, int newYear)
{
    s.nbClotures += 1;
    s.exerciceOuvert = newYear;
    s.dernierExercice = true;
    s.ouvrir_exercice();
    return Outcome::Done;
}

/// The closing on the firm's server: the new year's schema made and filled, and the state moved on, in
/// one transaction, while no other desk is in either year.
Outcome closeOnServer(Session& s, ClosingOption option, int newYear, qint64 carried, FileOps& files)
{
    const int oldYear = s.exerciceOuvert;
    const bool done = onServerYears(s, {oldYear, newYear}, [&](db::Database& work) {
        serveryears::checkedState(work, s.premierExercice, s.nbClotures);
        serverstate::write(work, {static_cast<qint16>(s.premierExercice), static_cast<qint16>(s.nbClotures + 1)});
        files.serverStep(QStringLiteral("state"));
        // A schema of the new year that is already there is the one that goes on with the data kept;
        // the reset writes the new year afresh from the old one.
        const bool existed = serveryears::yearHasTables(work, newYear);
        if (existed && option == ClosingOption::Keep) {
            serveryears::addressYear(work, newYear);
        } else {
            serveryears::dropYear(work, newYear);
            serveryears::createYear(work, newYear);
            files.serverStep(QStringLiteral("schema"));
            serveryears::copyRowsFrom(work, oldYear);
        }
        files.serverStep(QStringLiteral("rows"));
        emptyYear(work, option, newYear, carried);
        files.serverStep(QStringLiteral("emptied"));
    });
    if (!done) {
        s.exerciceOuvert = oldYear;
        s.ouvrir_exercice();
        return Outcome::Failed;
    }
    return movedToNewYear(s, newYear);
}

/// The undo on the firm's server: the latest year's schema dropped and the state moved back, in one
/// transaction, while no other desk is in that year.
Outcome undoOnServer(Session& s, FileOps& files)
{
    const int openBefore = s.exerciceOuvert;
    const int latest = s.latestYear();
    const bool done = onServerYears(s, {latest}, [&](db::Database& work) {
        serveryears::checkedState(work, s.premierExercice, s.nbClotures);
        serverstate::write(work, {static_cast<qint16>(s.premierExercice), static_cast<qint16>(s.nbClotures - 1)});
        files.serverStep(QStringLiteral("state"));
        serveryears::dropYear(work, latest);
        files.serverStep(QStringLiteral("dropped"));
    });
    if (!done) {
        s.exerciceOuvert = openBefore;
        s.ouvrir_exercice();
        return Outcome::Failed;
    }
    s.nbClotures -= 1;
    s.exerciceOuvert = s.latestYear();
    s.dernierExercice = true;
    s.ouvrir_exercice();
    return Outcome::Done;
}

} // namespace

QString closingQuestion(int year, ClosingOption option)
{
    return QStringLiteral("Confirmer clôture de l'exercice   ") + QString::number(year) + u'\n'
           + (option == ClosingOption::Keep ? QStringLiteral(" avec conservation des données actuelles")
                                            : QStringLiteral(" avec remise à zéro de tous les comptes"));
}

Outcome closeExercise(Session& s, ClosingOption option, FileOps& files)
{
    const int oldYear = s.exerciceOuvert;
    if (oldYear != s.latestYear()) {
        // Only the latest exercise closes: an earlier one is closed already.
        s.ui().beep();
        s.ui().message(QStringLiteral("Exercice déja clôturé"));
        return Outcome::Declined;
    }
    if (!s.ui().ask(closingQuestion(oldYear, option), ui::Icon::Question, QStringLiteral("Confirmation")))
        return Outcome::Declined;

    const int newYear = s.latestYear() + 1;
    const QString oldPath = s.exercisePath(oldYear);
    const QString newPath = s.exercisePath(newYear);
    const QString work = s.programFile(kClosingWorkFile);
    const QString prov = s.programFile(kCompactWorkFile);
    const QString previous = s.programFile(kPreviousNewYearFile);
    const QString marker = s.programFile(kClosingMarkerFile);
    const bool newExisted = QFileInfo(newPath).isFile();

    // The old year's end, which the new year's first cash book carries over.
    qint64 carried = 0;
    if (!kit::guarded(s.ui(), [&] { carried = ledger::cashBalanceBefore(s.db(), QDate(newYear, 1, 1)); }))
        return Outcome::Failed;
    if (s.server)
        return closeOnServer(s, option, newYear, carried, files);
    s.fermer_exercice();
    Failure failure;
    QString engineError;
    QString error;
    auto fail = [&](int number) {
        failure = {number, error};
        return false;
    };
    const bool built = [&] {
        BusyPointer busy;
        // What a closing cut short left behind goes first; a stale journal beside the work file would
        // otherwise be played back into the fresh copy.
        for (const QString& left : leftovers(work, prov, previous))
            if (!files.remove(left, &error))
                return fail(error::Delete);
        if (option == ClosingOption::Keep) {
            // With the data kept, a file of the new year that is already there is the one that goes on.
            if (!files.copy(newExisted ? newPath : oldPath, work, &error))
                return fail(error::Copy);
        } else {
            // Reset: the new year is written afresh from the old one without its ledger and pays, which
            // leaves it repaired and compact at once; copying the whole year only to delete most of it
            // and compact what is left took several times as long.
            if (!files.copyEmptying(oldPath, work, {schema::Salaires, schema::Recettes, schema::Depenses}, &error))
                return fail(error::Copy);
        }
        try {
            emptyNewYear(work, option, newYear, carried);
        } catch (const db::Error& e) {
            engineError = e.message();
            return false;
        }
        // A file of the new year that was there is kept aside until the state file is written, so that
        // a failure puts it back as it was.
        if (newExisted && !files.copy(newPath, previous, &error))
            return fail(error::Copy);
        // From here until the state file is written, a crash would leave a new year that the state file
        // does not name: the marker lets the next start undo it (or finish it once the state is written).
        if (!recovery::writeClosingMarker(marker, newYear, &error))
            return fail(error::State);
        if (!files.replace(work, newPath, &error)) {
            files.remove(marker, nullptr);
            return fail(error::Rename);
        }
        // The new year is complete and in place: the state file says so last.
        if (!files.writeState(s.exerciseStatePath(),
                              {static_cast<qint16>(s.premierExercice), static_cast<qint16>(s.nbClotures + 1)}, &error)) {
            failure = {error::State, error};
            const bool putBack = newExisted ? files.replace(previous, newPath, nullptr) : files.remove(newPath, nullptr);
            // Without the old new-year file back in place, the marker stays for the next start to finish.
            if (putBack)
                files.remove(marker, nullptr);
            return false;
        }
        files.remove(marker, nullptr);
        files.remove(previous, nullptr);
        return true;
    }();

    if (!built) {
        // While the marker is there, cloture.prec is the only copy of the new year's earlier file: it
        // stays for the next start to put back.
        const bool unfinished = QFileInfo::exists(marker);
        for (const QString& left : leftovers(work, prov, previous))
            if (!(unfinished && left == previous))
                QFile::remove(left);
        if (!engineError.isEmpty())
            kit::showEngineError(s.ui(), engineError);
        else
            s.ui().message(errorText(QStringLiteral("Erreur N° "), failure), ui::Icon::Exclamation, kZeb);
        s.exerciceOuvert = oldYear;
        s.ouvrir_exercice();
        return Outcome::Failed;
    }

    return movedToNewYear(s, newYear);
}

Outcome undoLastClosing(Session& s, FileOps& files)
{
    if (s.nbClotures <= 0) {
        s.ui().message(QStringLiteral("Impossible de déclôturer l'exercice initial"), ui::Icon::Information,
                       QStringLiteral("Rappel"));
        return Outcome::Declined;
    }
    if (s.server)
        return undoOnServer(s, files);
    const int openBefore = s.exerciceOuvert;
    const int latest = s.latestYear();
    s.fermer_exercice();

    // The undo is marked first, as a closing is: from the marker on, a crash is finished or rolled back
    // by the next start (core/startup/Recovery), so that the undone year's file never outlives a state
    // file that no longer names it (a later closing with the data kept would take it up again).
    const QString marker = s.programFile(recovery::kUndoMarkerFile);
    QString error;
    if (!recovery::writeUndoMarker(marker, latest, &error)) {
        s.ui().message(errorText(QStringLiteral("Erreur N° "), {error::State, error}), ui::Icon::Exclamation, kZeb);
        s.exerciceOuvert = openBefore;
        s.ouvrir_exercice();
        return Outcome::Failed;
    }
    // The state file goes back next: a crash after it leaves the previous year as the latest, and the
    // marker for the next start to delete the undone year's file.
    if (!files.writeState(s.exerciseStatePath(),
                          {static_cast<qint16>(s.premierExercice), static_cast<qint16>(s.nbClotures - 1)}, &error)) {
        files.remove(marker, nullptr);
        s.ui().message(errorText(QStringLiteral("Erreur N° "), {error::State, error}), ui::Icon::Exclamation, kZeb);
        s.exerciceOuvert = openBefore;
        s.ouvrir_exercice();
        return Outcome::Failed;
    }
    s.nbClotures -= 1;
    s.exerciceOuvert = s.latestYear();
    s.dernierExercice = true;

    Outcome outcome = Outcome::Done;
    if (!files.remove(s.exercisePath(latest), &error)) {
        // The marker stays: the next start deletes the file.
        s.ui().message(errorText(QStringLiteral("Erreur N° "), {error::Delete, error}), ui::Icon::Exclamation, kZeb);
        outcome = Outcome::Failed;
    } else {
        files.remove(marker, nullptr);
    }
    s.ouvrir_exercice();
    return outcome;
}

} // namespace kv::exercise
