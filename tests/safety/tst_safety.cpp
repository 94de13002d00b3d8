// Nothing lost, nothing corrupted: one program per folder, the start after a crash, damaged exercise
// files at start-up, and writes refused by a read-only folder or a full disk.
#include "SafetyFixture.h"

#include "harness/FixtureTest.h"
#include "core/kit/Guard.h"
#include "core/ledger/Ledger.h"
#include "core/startup/DataFolder.h"
#include "core/startup/ExitSequence.h"
#include "core/startup/InstanceLock.h"
#include "core/startup/Recovery.h"
#include "core/state/ExerciseStateFile.h"
#include "exercise/archives/Archives.h"
#include "exercise/closing/Closing.h"
#include "exercise/repair/Repair.h"
#include "platform/db/FileOps.h"

#include <QScopeGuard>
#include <QSysInfo>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <utime.h>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

bool sound(const QString& path) { return db::checkDatabaseFile(path, nullptr); }

/// A child process that holds the program folder's lock until it is killed.
pid_t holdLockInChild(const QString& dir)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        InstanceLock lock(dir);
        const char ok = lock.tryLock() == InstanceLock::Result::Taken ? 'y' : 'n';
        ssize_t n = ::write(fds[1], &ok, 1);
        (void)n;
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    char ok = 'n';
    ssize_t n = ::read(fds[0], &ok, 1);
    (void)n;
    ::close(fds[0]);
    return ok == 'y' ? pid : -1;
}

qint64 count(const QString& path, const QString& table)
{
    db::Database db;
    db.open(path, db::Database::Mode::ReadOnly);
    return db.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toLongLong();
}

} // namespace

class SafetyTest : public FixtureTest {
    Q_OBJECT



private slots:
    void init() { f_ = std::make_unique<CoreFixture>(); }
    void cleanup() { f_.reset(); }

    // ---- one program, one folder ----------------------------------------------------------------------

    void secondStartIsRefusedAndTouchesNoFile()
    {
        InstanceLock first(folder().path());
        QVERIFY(first.acquire(ui()));
        f_->openExercise();
        s().fermer_exercice();
        const FolderSnapshot before = FolderSnapshot::of(folder().path());

        ScriptedUi second;
        InstanceLock again(folder().path());
        QVERIFY(!again.acquire(second));
        QCOMPARE(second.messages.size(), 1);
        const ShownMessage m = second.messages.first();
        QCOMPARE(m.icon, Icon::Critical);
        QCOMPARE(m.title, QStringLiteral("ATTENTION"));
        QVERIFY2(m.text.contains(QDir::toNativeSeparators(folder().path())), qPrintable(m.text));
        QCOMPARE(FolderSnapshot::of(folder().path()), before);

        first.unlock();
        QCOMPARE(again.tryLock(), InstanceLock::Result::Taken); // the folder is free once the first run ends
    }

    void livingHolderKeepsTheFolderWhateverTheLockAgeAndAKilledOneDoesNot()
    {
        const pid_t holder = holdLockInChild(folder().path());
        QVERIFY(holder > 0);
        // A program left open for days: its lock is old but its process is there.
        const QByteArray lockPath = QFile::encodeName(folder().file(kInstanceLockName));
        utimbuf old{::time(nullptr) - 3 * 86400, ::time(nullptr) - 3 * 86400};
        QCOMPARE(::utime(lockPath.constData(), &old), 0);
        InstanceLock lock(folder().path());
        QCOMPARE(lock.tryLock(), InstanceLock::Result::Held);

        // The run crashes: its lock stays behind, and the next start takes it over.
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(QFile::exists(folder().file(kInstanceLockName)));
        QCOMPARE(lock.tryLock(), InstanceLock::Result::Taken);
        QVERIFY(lock.acquire(ui()));
        QVERIFY(ui().messages.isEmpty());
    }

    void folderThatRefusesWritesIsSaidBeforeAnythingElse()
    {
        ReadOnlyFolder readOnly(folder().path());
        if (!readOnly.active())
            QSKIP("no way to make a read-only folder here");
        InstanceLock lock(folder().path());
        QVERIFY(!lock.acquire(ui()));
        QCOMPARE(ui().messages,
                 (QList<ShownMessage>{{InstanceLock::refusedText(QDir::toNativeSeparators(folder().path())), Icon::Critical,
                                       QStringLiteral("ATTENTION"), false}}));
    }

    // ---- the start after a crash ----------------------------------------------------------------------

    void workFilesOfAnInterruptedRunAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("closing work file") << "cloture.tmp" << true;
        QTest::newRow("its journal") << "cloture.tmp-journal" << true;
        QTest::newRow("compaction work file") << "prov.mdb" << true;
        QTest::newRow("its journal too") << "prov.mdb-journal" << true;
        QTest::newRow("a copy into the closing work file") << "cloture.tmp.kvtmp" << true;
        QTest::newRow("earlier new-year file, no closing under way") << "cloture.prec" << true;
        // Only the exact names the program makes go: its atomic writes all pass through "<file>.kvtmp".
        QTest::newRow("new exercise file being built") << "ZEB_2022.MDB.build" << true;
        QTest::newRow("the program's own temporary of a year") << "ZEB_2021.MDB.kvtmp" << true;
        QTest::newRow("... and its journal (a repair cut short)") << "ZEB_2021.MDB.kvtmp-journal" << true;
        QTest::newRow("... of the state file") << ".INI.kvtmp" << true;
        QTest::newRow("... of an archive") << "Archives/20210305.ZEB.kvtmp" << true;
        QTest::newRow("... of the exit copy") << "Archives/ZEB_2021.mdb.kvtmp" << true;
        QTest::newRow("... of the settings file") << "ZEB.CFG.kvtmp" << true;
        QTest::newRow("... of the signatures") << "Dir_Data.TXT.kvtmp" << true;
        QTest::newRow("... of the closing marker") << "cloture.enc.kvtmp" << true;
        QTest::newRow("... of the undo marker") << "decloture.enc.kvtmp" << true;
        QTest::newRow("journal without its database") << "ZEB_2019.MDB-journal" << true;
        // A user's own copies, whatever their six characters look like, and his files named "-journal".
        QTest::newRow("a user's copy of a year") << "ZEB_2025.MDB.Copie1" << false;
        QTest::newRow("a user's copy of the settings") << "ZEB.CFG.Sauv01" << false;
        QTest::newRow("a user's copy of an archive") << "Archives/20250601.ZEB.Mars25" << false;
        QTest::newRow("six mixed characters") << "ZEB_2021.MDB.aB3xY9" << false;
        QTest::newRow("a state file copy") << ".INI.x1y2z3" << false;
        QTest::newRow("a user's journal") << "livre-journal" << false;
        QTest::newRow("a user's journal in Archives") << "Archives/Caisse-journal" << false;
        QTest::newRow("a journal of a user's copy") << "ZEB_2021.MDB.Copie1-journal" << false;
        QTest::newRow("a user's own file") << "notes.txt" << false;
        QTest::newRow("a user's backup") << "ZEB_2021.MDB.backup" << false;
        QTest::newRow("a user's backup in capitals") << "ZEB_2021.MDB.ANCIEN" << false;
        QTest::newRow("a user's numbered copy") << "ZEB_2021.MDB.202103" << false;
        QTest::newRow("not six characters") << "ZEB_2021.MDB.abc" << false;
        QTest::newRow("another program's file") << "Rapport.RPT.a1b2c3" << false;
        QTest::newRow("an archive") << "Archives/20200101.ZEB" << false;
        QTest::newRow("another state file") << "ABC.INI.a1b2c3" << false;
        QTest::newRow("another program's temporary") << "Rapport.RPT.kvtmp" << false;
    }
    void workFilesOfAnInterruptedRunAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QDir(folder().path()).mkpath(QStringLiteral("Archives"));
        folder().write(".INI", stateBytes(2021, 0));
        folder().write(name, "reste");
        QVERIFY(start());
        QCOMPARE(!folder().exists(name), removed);
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(s().exerciceOuvert, 2021);
    }

    void interruptedTransactionIsUndoneAndItsJournalGoes()
    {
        KV_FILE_ONLY("the journal file an interrupted transaction leaves beside the year's file");
        f_->openExercise();
        const QString path = s().exercisePath(2021);
        ledger::Line l;
        l.date = QStringLiteral("02/03/2021");
        l.montant = 125.5;
        l.ref = QStringLiteral("validée");
        ledger::add(s().db(), ledger::Book::Recettes, l);
        s().fermer_exercice();
        const qint64 before = count(path, QStringLiteral("Recettes"));

        // A transaction so large that its pages reach the file before the commit, killed midway.
        const pid_t pid = ::fork();
        if (pid == 0) {
            db::Database db;
            db.open(path);
            db.executeScript(QStringLiteral("PRAGMA cache_size = 2; BEGIN"));
            for (int i = 0; i < 3000; ++i)
                db.execute(QStringLiteral("INSERT INTO Recettes (date, montant, ref) VALUES ('2021-01-01', ?, ?)"),
                           {i, QString(200, u'x')});
            ::raise(SIGKILL);
        }
        ::waitpid(pid, nullptr, 0);
        QVERIFY(QFile::exists(path + QStringLiteral("-journal")));

        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
        QCOMPARE(s().db().scalar(QStringLiteral("SELECT count(*) FROM Recettes")).toLongLong(), before);
        QCOMPARE(s().db().scalar(QStringLiteral("SELECT ref FROM Recettes WHERE montant = 125.5")).toString(), QStringLiteral("validée"));
        s().fermer_exercice();
        QVERIFY(sound(path));
    }

    void closingCutShortIsUndoneOrFinished_data()
    {
        QTest::addColumn<bool>("stateWritten");
        QTest::addColumn<bool>("newYearWasThere");
        QTest::addColumn<int>("openYear");
        QTest::addColumn<QString>("newYearFile"); // "built", "earlier" or "" (absent)
        QTest::newRow("state not written, no earlier file") << false << false << 2021 << "";
        QTest::newRow("state not written, earlier file put back") << false << true << 2021 << "earlier";
        QTest::newRow("state written") << true << false << 2022 << "built";
        QTest::newRow("state written, earlier file kept aside dropped") << true << true << 2022 << "built";
    }
    void closingCutShortIsUndoneOrFinished()
    {
        QFETCH(bool, stateWritten);
        QFETCH(bool, newYearWasThere);
        QFETCH(int, openYear);
        QFETCH(QString, newYearFile);
        f_->openExercise();
        s().fermer_exercice();
        // The moment of the crash: the new year's file in place, the marker naming it.
        const QString built = folder().file("ZEB_2022.MDB");
        QVERIFY(db::copyFileAtomic(s().exercisePath(2021), built, nullptr));
        {
            db::Database db;
            db.open(built);
            db.execute(QStringLiteral("INSERT INTO Recettes (num, date, montant, ref) VALUES (99, '2022-01-01', 1, 'nouvelle année')"));
        }
        const QByteArray builtBytes = readAll(built);
        QByteArray earlierBytes;
        if (newYearWasThere) {
            QVERIFY(db::copyFileAtomic(s().exercisePath(2021), folder().file(exercise::kPreviousNewYearFile), nullptr));
            earlierBytes = readAll(folder().file(exercise::kPreviousNewYearFile));
        }
        QVERIFY(recovery::writeClosingMarker(folder().file(exercise::kClosingMarkerFile), 2022, nullptr));
        folder().write(".INI", stateBytes(2021, stateWritten ? 1 : 0));

        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(s().exerciceOuvert, openYear);
        QCOMPARE(readExerciseState(folder().file(".INI")).closings, qint16(openYear - 2021));
        QVERIFY(!folder().exists(exercise::kClosingMarkerFile));
        QVERIFY(!folder().exists(exercise::kPreviousNewYearFile));
        if (newYearFile.isEmpty())
            QVERIFY(!folder().exists("ZEB_2022.MDB"));
        else
            QCOMPARE(readAll(built), newYearFile == "built" ? builtBytes : earlierBytes);
    }

    // ---- damaged exercise files -----------------------------------------------------------------------

    void damagedExerciseFileAtStartUpIsLeftAsItWas_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("uncleanExit");
        // Every start checks the header, the length and the standing tables; a page overwritten in the
        // ledger reads only with the full check, which runs after an unclean exit (and before the exit
        // copy, which then keeps the sound archive).
        for (bool unclean : {false, true}) {
            const char* after = unclean ? ", after an unclean exit" : "";
            QTest::newRow(qPrintable(QStringLiteral("zero length%1").arg(after))) << "empty" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("header only%1").arg(after))) << "header" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("cut in half%1").arg(after))) << "half" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("last page missing%1").arg(after))) << "lastPage" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("garbage%1").arg(after))) << "garbage" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("another program's database%1").arg(after))) << "foreign" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("negative schema version%1").arg(after))) << "negativeVersion" << unclean;
            QTest::newRow(qPrintable(QStringLiteral("an older year whose last upgrade step fails%1").arg(after)))
                << "failingUpgrade" << unclean;
        }
        QTest::newRow("a page overwritten, after an unclean exit") << "page" << true;
    }
    void damagedExerciseFileAtStartUpIsLeftAsItWas()
    {
        QFETCH(QString, damage);
        QFETCH(bool, uncleanExit);
        // A year with enough rows to fill several pages.
        f_->openExercise();
        for (int i = 0; i < 300; ++i) {
            ledger::Line l;
            l.date = QStringLiteral("02/03/2021");
            l.montant = i;
            l.ref = QString(100, QChar(u'a' + i % 26));
            ledger::add(s().db(), ledger::Book::Depenses, l);
        }
        s().fermer_exercice();
        const QString path = s().exercisePath(2021);
        QByteArray bytes = readAll(path);
        QVERIFY(bytes.size() > 8 * 4096);
        if (damage == "empty")
            bytes.clear();
        else if (damage == "header")
            bytes.truncate(100);
        else if (damage == "half")
            bytes.truncate(bytes.size() / 2);
        else if (damage == "lastPage")
            bytes.chop(4096);
        else if (damage == "garbage")
            bytes = QByteArray(20000, '\x5a');
        else if (damage == "page")
            bytes.replace(bytes.size() - 3 * 4096, 4096, QByteArray(4096, '\xff'));
        else if (damage == "negativeVersion")
            bytes.replace(60, 4, QByteArray(4, '\xff')); // the header's user version, -1
        if (damage == "failingUpgrade") {
            // Version 1: the next step adds the oil-change columns, the last one cannot make its index.
            db::Database old;
            old.open(path);
            old.executeScript(QStringLiteral("DROP INDEX Depenses_date; CREATE TABLE Depenses_date (x);"
                                             "ALTER TABLE Permn DROP COLUMN Vidange_Jours; PRAGMA user_version = 1;"));
            old.close();
            bytes = readAll(path);
        } else if (damage == "foreign") {
            QFile::remove(path);
            db::Database other;
            other.open(path, db::Database::Mode::Create);
            other.executeScript(QStringLiteral("CREATE TABLE photos (id INTEGER PRIMARY KEY, data BLOB)"));
            other.close();
            bytes = readAll(path);
        } else {
            writeAll(path, bytes);
        }

        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        s().uncleanExit = uncleanExit;
        QVERIFY(!start());
        QCOMPARE(ui().messages, (QList<ShownMessage>{{QStringLiteral("La base de données semble endommagée\n"), Icon::Exclamation,
                                                      QStringLiteral("Z.E.B."), false}}));
        QCOMPARE(readAll(path), bytes);
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }


    // ---- locks that name no holder --------------------------------------------------------------------

    void lockWithoutALivingHolderIsStale_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("empty") << "empty";
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a holder long gone") << "dead";
    }
    void lockWithoutALivingHolderIsStale()
    {
        QFETCH(QString, kind);
        const QString path = folder().file(kInstanceLockName);
        if (kind == "empty")
            folder().write(kInstanceLockName, QByteArray());
        else if (kind == "garbage")
            folder().write(kInstanceLockName, QByteArray("\x01\x02 pas un verrou \xff\n\n", 18));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else
            folder().write(kInstanceLockName, QByteArray("999999\nkavorel\n") + QSysInfo::machineHostName().toUtf8() + "\n");
        InstanceLock lock(folder().path());
        QVERIFY(lock.acquire(ui()));
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(lock.tookOverStaleLock()); // the run before did not end cleanly
        QVERIFY(QFileInfo(path).isFile());
        // A second program is refused as ever.
        ScriptedUi second;
        InstanceLock again(folder().path());
        QVERIFY(!again.acquire(second));
        lock.unlock();
        InstanceLock clean(folder().path());
        QCOMPARE(clean.tryLock(), InstanceLock::Result::Taken);
        QVERIFY(!clean.tookOverStaleLock());
    }

    void folderInPlaceOfTheLockHoldingFilesIsLeftAlone()
    {
        QVERIFY(QDir().mkpath(folder().file(kInstanceLockName + QStringLiteral("/notes"))));
        InstanceLock lock(folder().path());
        QVERIFY(!lock.acquire(ui()));
        QCOMPARE(ui().messages.size(), 1);
        QVERIFY(QFileInfo(folder().file(kInstanceLockName + QStringLiteral("/notes"))).isDir());
    }

    // ---- settings and state files that cannot be right ------------------------------------------------

    void installationCodeMustBeLettersAndDigits_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("letters and digits") << "Ab1" << true;
        QTest::newRow("accented letter") << QStringLiteral("Zé9") << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("parent folder") << "../" << false;
        QTest::newRow("a slash") << "a/b" << false;
        QTest::newRow("a dot") << "a.b" << false;
        QTest::newRow("a blank") << "a b" << false;
    }
    void installationCodeMustBeLettersAndDigits()
    {
        QFETCH(QString, code);
        QFETCH(bool, accepted);
        QDir(folder().path()).mkpath(QStringLiteral("inside"));
        f_->session = std::make_unique<Session>(folder().file("inside"), ui());
        for (const char* name : {"ZEB_00.mdb", "system.mdw"})
            QVERIFY(QFile::copy(folder().file(name), folder().file(QStringLiteral("inside/") + name)));
        writeAll(folder().file("inside/ZEB.CFG"), cfgBytes({{4, codeRecord(code)}}));
        if (accepted)
            writeAll(folder().file("inside/" + code + ".INI"), stateBytes(2021, 0));
        const FolderSnapshot outside = FolderSnapshot::of(folder().path());
        QCOMPARE(start(), accepted);
        if (accepted) {
            QVERIFY(ui().messages.isEmpty());
            QCOMPARE(s().exerciceOuvert, 2021);
            return;
        }
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QVERIFY2(ui().last().text.contains(QStringLiteral("lettres et des chiffres")), qPrintable(ui().last().text));
        QVERIFY(!folder().exists("inside/ZEB_2021.MDB"));
        // Nothing made or changed outside the program folder, nor inside past the engine's settings file.
        FolderSnapshot after = FolderSnapshot::of(folder().path());
        for (const QString& key : after.files.keys())
            if (key.startsWith(QStringLiteral("inside/VOSK.INI")) || key.startsWith(QStringLiteral("inside/Archives"))
                || key.startsWith(QStringLiteral("inside/photos")))
                after.files.remove(key);
        QCOMPARE(after, outside);
    }

    void impossibleYearsInTheStateFileAreRefused_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("closings");
        QTest::newRow("year -1") << -1 << 0;
        QTest::newRow("year 32767") << 32767 << 0;
        QTest::newRow("year 1993") << 1993 << 0;
        QTest::newRow("negative closings") << 2021 << -3;
        QTest::newRow("beyond four digits after closings") << 9990 << 20;
    }
    void impossibleYearsInTheStateFileAreRefused()
    {
        QFETCH(int, first);
        QFETCH(int, closings);
        folder().write(".INI", stateBytes(qint16(first), qint16(closings)));
        const FolderSnapshot before = FolderSnapshot::of(folder().path());
        QVERIFY(!start());
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QVERIFY2(ui().last().text.contains(QStringLiteral("incohérent")), qPrintable(ui().last().text));
        QVERIFY(ui().screens.isEmpty()); // no first-exercise dialog either
        for (const QString& name : QDir(folder().path()).entryList(QDir::Files))
            QVERIFY2(!name.startsWith(QStringLiteral("ZEB_")) || name == QStringLiteral("ZEB_00.mdb"), qPrintable(name));
        QCOMPARE(readExerciseState(folder().file(".INI")).firstYear, qint16(first));
        Q_UNUSED(before);
    }

    void yearOfANewerVersionIsRefusedAtStartUp()
    {
        f_->openExercise();
        s().fermer_exercice();
        const QString path = s().exercisePath(2021);
        {
            db::Database db;
            db.open(path);
            db.setUserVersion(99);
        }
        const QByteArray bytes = readAll(path);
        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(!start());
        QCOMPARE(ui().messages.size(), 1);
        QVERIFY2(ui().last().text.contains(QStringLiteral("version plus récente")), qPrintable(ui().last().text));
        QCOMPARE(readAll(path), bytes);
    }

    // ---- undoing a closing, cut short -----------------------------------------------------------------

    void undoCutShortIsFinishedOrForgotten_data()
    {
        QTest::addColumn<bool>("stateWritten");
        QTest::newRow("marked, state not yet written") << false;
        QTest::newRow("state written, year not yet deleted") << true;
    }
    void undoCutShortIsFinishedOrForgotten()
    {
        QFETCH(bool, stateWritten);
        f_->openExercise();
        s().fermer_exercice();
        QVERIFY(db::copyFileAtomic(s().exercisePath(2021), folder().file("ZEB_2022.MDB"), nullptr));
        const QByteArray year2022 = readAll(folder().file("ZEB_2022.MDB"));
        QVERIFY(recovery::writeUndoMarker(folder().file(recovery::kUndoMarkerFile), 2022, nullptr));
        folder().write(".INI", stateBytes(2021, stateWritten ? 0 : 1));

        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(!folder().exists(recovery::kUndoMarkerFile));
        QCOMPARE(s().exerciceOuvert, stateWritten ? 2021 : 2022);
        if (stateWritten)
            QVERIFY(!folder().exists("ZEB_2022.MDB"));
        else
            QCOMPARE(readAll(folder().file("ZEB_2022.MDB")), year2022);
    }

    void killedUndoNeverLetsALaterClosingTakeUpTheOldYear()
    {
        // The undo stops after the state file went back (a kill there, or a deletion refused): the next
        // start deletes the undone year, so that a kept closing builds 2022 afresh from 2021.
        f_->openExercise();
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), exercise::ClosingOption::Keep), exercise::Outcome::Done);
        QCOMPARE(s().exerciceOuvert, 2022);
        struct StopsAtDeletion : exercise::FileOps {
            QString year;
            bool remove(const QString& path, QString* error) override
            {
                if (QFileInfo(path).fileName() == QFileInfo(year).fileName()) {
                    if (error)
                        *error = QStringLiteral("coupure");
                    return false;
                }
                return FileOps::remove(path, error);
            }
        } ops;
        ops.year = s().exercisePath(2022);
        QCOMPARE(exercise::undoLastClosing(s(), ops), exercise::Outcome::Failed);
        QVERIFY(folder().exists("ZEB_2022.MDB"));
        ledger::Line l;
        l.date = QStringLiteral("02/03/2021");
        l.montant = 77;
        l.ref = QStringLiteral("après l'annulation");
        ledger::add(s().db(), ledger::Book::Recettes, l);
        s().fermer_exercice();

        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(!folder().exists("ZEB_2022.MDB"));
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), exercise::ClosingOption::Keep), exercise::Outcome::Done);
        QCOMPARE(s().db().scalar(QStringLiteral("SELECT count(*) FROM Recettes WHERE ref = ?"), {QStringLiteral("après l'annulation")}).toInt(), 1);
    }

    // ---- the full check: after an unclean exit, before the exit copy; the repair offered ---------------

    /// A year whose index no longer matches its table: every page reads, the quick page check passes,
    /// only the full check (indexes against rows) finds it. A month's query through the index would
    /// miss lines.
    QString yearWithAWrongIndex(const QString& soundCopy = QString())
    {
        f_->openExercise();
        for (int i = 0; i < 300; ++i) {
            ledger::Line l;
            l.date = QStringLiteral("%1/03/2021").arg(i % 28 + 1, 2, 10, QChar(u'0'));
            l.montant = i;
            l.ref = QStringLiteral("ligne %1").arg(i);
            ledger::add(s().db(), ledger::Book::Depenses, l);
        }
        s().fermer_exercice();
        const QString path = s().exercisePath(2021);
        if (!soundCopy.isEmpty())
            db::copyFileAtomic(path, soundCopy, nullptr);
        db::Database db;
        db.open(path);
        const QString sql = db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Depenses_date'")).toString();
        db.executeScript(QStringLiteral("PRAGMA writable_schema = ON"));
        db.execute(QStringLiteral("UPDATE sqlite_master SET sql = ? WHERE name = 'Depenses_date'"),
                   {QString(sql).replace(QStringLiteral("date"), QStringLiteral("montant")).replace(QStringLiteral("Depenses_montant"), QStringLiteral("Depenses_date"))});
        db.close();
        return path;
    }

    void damagedIndexIsFoundAfterAnUncleanExitAndTheRepairIsOffered_data()
    {
        QTest::addColumn<bool>("repair");
        QTest::newRow("repair declined") << false;
        QTest::newRow("repaired") << true;
    }
    void damagedIndexIsFoundAfterAnUncleanExitAndTheRepairIsOffered()
    {
        QFETCH(bool, repair);
        const QString path = yearWithAWrongIndex();
        QVERIFY(!sound(path));
        QVERIFY(db::checkDatabaseHeader(path, nullptr));
        const QByteArray bytes = readAll(path);
        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        s().uncleanExit = true;
        s().repairYear = [this](const QString& name) { return exercise::repairExerciseFile(s(), name); };
        ui().answers = {repair};
        QCOMPARE(start(), repair);
        QCOMPARE(ui().messages.value(0), (ShownMessage{QStringLiteral("La base de données semble endommagée\n"), Icon::Exclamation,
                                                       QStringLiteral("Z.E.B."), false}));
        QCOMPARE(ui().messages.value(1), (ShownMessage{repairOfferText(2021), Icon::Question, QStringLiteral("Z.E.B."), true}));
        if (!repair) {
            QCOMPARE(ui().messages.size(), 2);
            QCOMPARE(readAll(path), bytes);
            return;
        }
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Base de données réparée avec succès")), qPrintable(ui().last().text));
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().isOpen());
        QCOMPARE(s().db().scalar(QStringLiteral("SELECT count(*) FROM Depenses WHERE date >= '2021-03-01'")).toInt(), 300);
        s().fermer_exercice();
        QVERIFY(sound(path));
    }

    void repairOfferedAtStartUpAsksTheLevel2Password()
    {
        const QString path = yearWithAWrongIndex();
        folder().write("ZEB.CFG", cfgBytes({{2, ProtectedSettings::encodePassword(QStringLiteral("SECRET"), 7)}}));
        const QByteArray bytes = readAll(path);
        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        s().uncleanExit = true;
        bool repaired = false;
        s().repairYear = [&](const QString&) { return repaired = true; };
        ui().answers = {true}; // repair now: the password is asked first
        QVERIFY(!start()); // the prompt is left without the password
        QVERIFY(ui().screens.contains(QStringLiteral("Form_v2")));
        QVERIFY(!repaired);
        QCOMPARE(readAll(path), bytes);
    }

    void exitCopyOfAYearThatDoesNotReadThroughKeepsTheSoundArchive()
    {
        // Opened after a clean exit (the cheap check passes it), then quit: the copy would replace the
        // sound archive with the damaged year.
        const QString archive = folder().file("Archives/ZEB_2021.mdb");
        const QString path = yearWithAWrongIndex(archive); // the copy of the last exit, sound
        QVERIFY(sound(archive));
        const QByteArray good = readAll(archive);
        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        s().repairYear = [this](const QString& name) { return exercise::repairExerciseFile(s(), name); };
        ui().answers = {false}; // repair not now
        ExitSequence().run(s());
        QCOMPARE(readAll(archive), good);
        QVERIFY(ui().messages.size() >= 2);
        QCOMPARE(ui().messages.value(0).icon, Icon::Exclamation);
        QVERIFY2(ui().messages.value(0).text.startsWith(QStringLiteral("L'exercice 2021 (ZEB_2021.MDB) est endommagé")),
                 qPrintable(ui().messages.value(0).text));
        QVERIFY(ui().messages.value(1).question);
        QCOMPARE(QDir(folder().file("Archives")).entryList(QDir::Files | QDir::Hidden), QStringList{"ZEB_2021.mdb"});

        // Repaired at exit: the copy is made, the one it replaces kept under a dated name.
        ui().clear();
        f_->session = std::make_unique<Session>(folder().path(), ui());
        QVERIFY(start());
        s().repairYear = [this](const QString& name) { return exercise::repairExerciseFile(s(), name); };
        ui().answers = {true}; // repair now
        ExitSequence().run(s());
        QVERIFY(sound(path));
        QCOMPARE(readAll(archive), readAll(path));
        const QStringList kept = QDir(folder().file("Archives")).entryList({QStringLiteral("ZEB_2021_copie_de_sortie_*.mdb")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readAll(folder().file("Archives/" + kept.first())), good);
    }

    // ---- engine and system messages in French ---------------------------------------------------------

    void engineErrorsAreSaidInFrenchWithTheEnginesWordsAsDetail()
    {
        f_->openExercise();
        const QString path = s().exercisePath(2021);
        s().fermer_exercice();
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        ui().clear();
        QVERIFY(!kit::guarded(ui(), [&] { db.execute(QStringLiteral("DELETE FROM Depenses")); }));
        QCOMPARE(ui().last().text, QStringLiteral("La base de données ne peut pas être modifiée (fichier ou dossier en lecture seule).\n"
                                                  "Détail : attempt to write a readonly database"));
        QVERIFY(!kit::guarded(ui(), [&] { db.query(QStringLiteral("SELECT x FROM nowhere")); }));
        QCOMPARE(ui().last().text, QStringLiteral("Erreur de la base de données.\nDétail : no such table: nowhere"));
        QString error;
        QVERIFY(!db::writeFileAtomic(folder().file("no/such/folder/x"), "x", &error));
        QVERIFY2(error.startsWith(QStringLiteral("Fichier ou dossier introuvable (détail : ")), qPrintable(error));
    }

    // ---- a program folder that holds a year but cannot be written -------------------------------------

    void readOnlyProgramFolderHoldingAYearIsSaid()
    {
        f_->openExercise();
        s().fermer_exercice();
        QTemporaryDir home;
        const QByteArray before = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        auto restore = qScopeGuard([&] {
            if (before.isNull())
                qunsetenv("XDG_DATA_HOME");
            else
                qputenv("XDG_DATA_HOME", before);
        });
        ReadOnlyFolder readOnly(folder().path());
        if (!readOnly.active())
            QSKIP("no way to make a read-only folder here");
        datafolder::Choice c = datafolder::prepare(folder().path());
        QCOMPARE(c.dataDir, home.filePath("Kavorel"));
        QVERIFY(c.refuse); // no year there: the program would ask for a first one beside the firm's
        QVERIFY2(c.notice.contains(folder().path()) && c.notice.contains(QStringLiteral("ZEB_2021.MDB"))
                     && c.notice.contains(QStringLiteral("lecture seule")) && c.notice.contains(home.filePath("Kavorel")),
                 qPrintable(c.notice));
        // With years of its own, the user's data folder is used, and the notice says so.
        QVERIFY(QFile::copy(folder().file("ZEB_00.mdb"), home.filePath("Kavorel/ZEB_2024.MDB")));
        c = datafolder::prepare(folder().path());
        QVERIFY(!c.refuse);
        QVERIFY2(c.notice.contains(QStringLiteral("Le programme travaille sur les exercices du dossier")), qPrintable(c.notice));
        // A read-only folder without a year is no firm's data: nothing to say.
        QVERIFY(datafolder::prepare(home.filePath("nothing")).notice.isEmpty());
    }

    // ---- writes refused: read-only folder, full disk --------------------------------------------------

    void closingInAReadOnlyFolderChangesNoFile()
    {
        f_->openExercise();
        s().fermer_exercice();
        s().ouvrir_exercice();
        ReadOnlyFolder readOnly(folder().path());
        if (!readOnly.active())
            QSKIP("no way to make a read-only folder here");
        s().reconnect();
        const FolderSnapshot before = FolderSnapshot::of(folder().path());
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), exercise::ClosingOption::Keep), exercise::Outcome::Failed);
        QCOMPARE(ui().last().icon, Icon::Exclamation);
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Erreur N° ")), qPrintable(ui().last().text));
        QVERIFY(s().isOpen());
        QCOMPARE(s().exerciceOuvert, 2021);
        s().fermer_exercice();
        QCOMPARE(FolderSnapshot::of(folder().path()), before);
    }

    void archiveIntoAReadOnlyFolderIsRefusedWithAMessage()
    {
        f_->openExercise();
        QTemporaryDir target;
        writeAll(QDir(target.path()).filePath("20210305.ZEB"), "archive d'avant");
        ReadOnlyFolder readOnly(target.path());
        if (!readOnly.active())
            QSKIP("no way to make a read-only folder here");
        const FolderSnapshot before = FolderSnapshot::of(target.path());
        ui().answers = {true, true}; // archive on that date, replacing the one there
        QCOMPARE(exercise::archiveExercise(s(), target.path(), QStringLiteral("05/03/2021")), exercise::ArchiveResult::Failed);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QCOMPARE(ui().last().title, QStringLiteral("ATTENTION"));
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Erreur n°  1\n")), qPrintable(ui().last().text));
        QCOMPARE(FolderSnapshot::of(target.path()), before);
        QVERIFY(s().isOpen());
    }

    void fullDiskRefusesABookingAndKeepsTheYear()
    {
        SmallDisk disk(2 * 1024 * 1024);
        if (!disk.active())
            QSKIP("a small tmpfs can only be mounted as root");
        for (const char* name : {"ZEB_00.mdb", "system.mdw"})
            QVERIFY(QFile::copy(folder().file(name), QDir(disk.path()).filePath(name)));
        writeAll(QDir(disk.path()).filePath(".INI"), stateBytes(2021, 0));
        Session session(disk.path(), ui());
        Startup(session).run();
        const qint64 before = session.db().scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toLongLong();
        disk.fill(0);

        const bool written = kit::guarded(ui(), [&] {
            db::Transaction t(session.db());
            for (int i = 0; i < 200; ++i) {
                ledger::Line l;
                l.date = QStringLiteral("02/03/2021");
                l.montant = i;
                l.ref = QString(2000, u'x');
                ledger::add(session.db(), ledger::Book::Depenses, l);
            }
            t.commit();
        });
        QVERIFY(!written);
        QCOMPARE(ui().last().icon, Icon::Critical);
        // Said in French, the engine's own words as detail.
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Le disque est plein")), qPrintable(ui().last().text));
        QVERIFY2(ui().last().text.contains(QStringLiteral("\nDétail : database or disk is full")), qPrintable(ui().last().text));
        QCOMPARE(session.db().scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toLongLong(), before);
        session.fermer_exercice();
        disk.emptyFiller();
        QVERIFY(sound(session.exercisePath(2021)));
        QCOMPARE(count(session.exercisePath(2021), QStringLiteral("Depenses")), before);
    }

    void exitCopyOnAFullDiskKeepsTheGoodArchive()
    {
        SmallDisk disk(3 * 1024 * 1024);
        if (!disk.active())
            QSKIP("a small tmpfs can only be mounted as root");
        for (const char* name : {"ZEB_00.mdb", "system.mdw"})
            QVERIFY(QFile::copy(folder().file(name), QDir(disk.path()).filePath(name)));
        writeAll(QDir(disk.path()).filePath(".INI"), stateBytes(2021, 0));
        Session session(disk.path(), ui());
        Startup(session).run();
        // The archive of the last exit, good; then the year grows beyond what the disk has left.
        session.fermer_exercice();
        const QString archive = QDir(disk.path()).filePath("Archives/ZEB_2021.mdb");
        QVERIFY(db::copyFileAtomic(session.exercisePath(2021), archive, nullptr));
        const QByteArray good = readAll(archive);
        session.ouvrir_exercice();
        {
            db::Transaction t(session.db());
            for (int i = 0; i < 400; ++i)
                session.db().execute(QStringLiteral("INSERT INTO Depenses (date, montant, ref) VALUES ('2021-03-02', ?, ?)"),
                                     {i, QString(1000, u'y')});
            t.commit();
        }
        const qint64 size = QFileInfo(session.exercisePath(2021)).size();
        disk.fill(size / 2);

        ExitSequence().run(session);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QCOMPARE(ui().last().title, QStringLiteral("Z.E.B."));
        QCOMPARE(readAll(archive), good);
        QCOMPARE(QDir(QDir(disk.path()).filePath("Archives")).entryList(QDir::Files | QDir::Hidden), QStringList{"ZEB_2021.mdb"});
        disk.emptyFiller();
        QVERIFY(sound(session.exercisePath(2021)));
    }

    void importOnAFullDiskLeavesTheYearAsItWas()
    {
        SmallDisk disk(3 * 1024 * 1024);
        if (!disk.active())
            QSKIP("a small tmpfs can only be mounted as root");
        for (const char* name : {"ZEB_00.mdb", "system.mdw"})
            QVERIFY(QFile::copy(folder().file(name), QDir(disk.path()).filePath(name)));
        writeAll(QDir(disk.path()).filePath(".INI"), stateBytes(2021, 0));
        // The archive to import lies elsewhere and is larger than what is left.
        QTemporaryDir elsewhere;
        const QString source = QDir(elsewhere.path()).filePath("20210305.ZEB");
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), source, nullptr));
        {
            db::Database db;
            db.open(source);
            for (int i = 0; i < 600; ++i)
                db.execute(QStringLiteral("INSERT INTO Depenses (date, montant, ref) VALUES ('2021-03-02', ?, ?)"), {i, QString(1000, u'y')});
        }
        Session session(disk.path(), ui());
        Startup(session).run();
        const QString year = session.exercisePath(2021);
        session.fermer_exercice();
        const QByteArray before = readAll(year);
        session.ouvrir_exercice();
        disk.fill(QFileInfo(source).size() / 2);

        QCOMPARE(exercise::importArchive(session, elsewhere.path(), "20210305.ZEB"), exercise::ImportResult::Failed);
        QCOMPARE(ui().last().icon, Icon::Critical);
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Erreur n° ")), qPrintable(ui().last().text));
        QVERIFY(session.isOpen());
        session.fermer_exercice();
        QCOMPARE(readAll(year), before);
        disk.emptyFiller();
        for (const QString& name : QDir(disk.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!QRegularExpression(QStringLiteral("\\.[A-Za-z0-9]{6}$")).match(name).hasMatch(), qPrintable(name));
    }
};

QTEST_MAIN(SafetyTest)
#include "tst_safety.moc"
