// Moving years between the engines: a year copied into another database holds the same rows (checked
// row for row, a difference refused with nothing kept), a year file is written whole or not at all and
// never over another without --replace, and, on a test server, a firm's years go to the server and come
// back identical through the command itself.
#include "harness/TestFolder.h"
#include "harness/TestServer.h"

#include "core/connexion/ServerExerciseState.h"
#include "core/state/ExerciseStateFile.h"
#include "demo/Generator.h"
#include "migrate/Folder.h"
#include "migrate/Migrate.h"
#include "platform/db/FileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

/// A small demo year (every table the screens fill, the kept totals, closed pays) in `folder`.
QString demoYear(const TestFolder& folder, int year, quint64 seed = 3)
{
    demo::Options o;
    o.folder = folder.path();
    o.year = year;
    o.vehicles = 6;
    o.persons = 12;
    o.lines = 300;
    o.seed = seed;
    return demo::generate(o).databasePath;
}

} // namespace

class MigrateTest : public QObject {
    Q_OBJECT

private slots:
    void yearFileComesOutIdentical()
    {
        TestFolder source, target;
        const QString path = demoYear(source, 2025);
        db::Database from;
        from.open(path, db::Database::Mode::ReadOnly);
        QVERIFY(from.scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toInt() > 100);
        QVERIFY(from.scalar(QStringLiteral("SELECT count(*) FROM Caisse_Jours")).toInt() > 0);

        migrate::Copied copied;
        QString error;
        QVERIFY2(migrate::writeYearFile(from, target.file("ZEB_00.mdb"), target.file("ZEB_2025.MDB"), false, &copied, &error),
                 qPrintable(error));
        QCOMPARE(copied.tables, migrate::yearTables().size());
        QVERIFY(copied.rows > 300);
        QVERIFY(!target.exists(QFileInfo(db::temporaryOf(target.file("ZEB_2025.MDB"))).fileName()));
        db::Database written;
        written.open(target.file("ZEB_2025.MDB"), db::Database::Mode::ReadOnly);
        QCOMPARE(migrate::firstDifference(from, written), QString());
        // The kept totals are the source's, not counted twice by the ledger's triggers.
        QCOMPARE(written.scalar(QStringLiteral("SELECT sum(vehicules) FROM Caisse_Jours")),
                 from.scalar(QStringLiteral("SELECT sum(vehicules) FROM Caisse_Jours")));
    }

    void differencesAreFound_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("found");
        QTest::newRow("a value") << "UPDATE Depenses SET Montant = Montant + 0.01 WHERE num = (SELECT min(num) FROM Depenses)"
                                 << "table Depenses : la ligne";
        QTest::newRow("a null") << "UPDATE Agents SET nom = NULL WHERE num = (SELECT min(num) FROM Agents)" << "table Agents : la ligne";
        QTest::newRow("a row gone") << "DELETE FROM Recettes WHERE num = (SELECT max(num) FROM Recettes)"
                                    << "table Recettes : ";
        QTest::newRow("a kept total") << "UPDATE Caisse_Jours SET recettes = recettes + 1 WHERE rowid = 1"
                                      << "table Caisse_Jours : la ligne";
    }

    void differencesAreFound()
    {
        QFETCH(QString, change);
        QFETCH(QString, found);
        TestFolder folder;
        const QString path = demoYear(folder, 2025);
        QVERIFY(db::copyFileAtomic(path, folder.file("copie.mdb"), nullptr));
        db::Database a, b;
        a.open(path, db::Database::Mode::ReadOnly);
        b.open(folder.file("copie.mdb"));
        QCOMPARE(migrate::firstDifference(a, b), QString());
        b.execute(change);
        const QString difference = migrate::firstDifference(a, b);
        QVERIFY2(difference.startsWith(found), qPrintable(difference));
    }

    void copyThatDoesNotComeOutIdenticalKeepsNothing()
    {
        TestFolder folder;
        const QString path = demoYear(folder, 2025);
        QVERIFY(db::copyFileAtomic(folder.file("ZEB_00.mdb"), folder.file("cible.mdb"), nullptr));
        db::Database from, to;
        from.open(path, db::Database::Mode::ReadOnly);
        to.open(folder.file("cible.mdb"));
        const QVariant agentsBefore = to.scalar(QStringLiteral("SELECT count(*) FROM Agents"));
        // The target changes what it is given: the check finds it and the copy is rolled back.
        to.execute(QStringLiteral("CREATE TEMP TRIGGER altere AFTER INSERT ON Vehicules BEGIN "
                                  "UPDATE Vehicules SET Matricule = 'X' WHERE num = NEW.num; END"));
        migrate::Copied copied;
        QString error;
        QVERIFY(!migrate::copyYearChecked(from, to, &copied, &error));
        QVERIFY2(error.contains(QStringLiteral("table Vehicules")), qPrintable(error));
        QCOMPARE(to.scalar(QStringLiteral("SELECT count(*) FROM Agents")), agentsBefore);
        QCOMPARE(to.scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toInt(), 0);
    }

    void yearFileIsNeverWrittenOverWithoutReplace()
    {
        TestFolder source, target;
        const QString path = demoYear(source, 2025);
        target.write("ZEB_2025.MDB", "un autre exercice");
        db::Database from;
        from.open(path, db::Database::Mode::ReadOnly);
        QString error;
        QVERIFY(!migrate::writeYearFile(from, target.file("ZEB_00.mdb"), target.file("ZEB_2025.MDB"), false, nullptr, &error));
        QVERIFY2(error.contains(QStringLiteral("--replace")), qPrintable(error));
        QCOMPARE(target.read("ZEB_2025.MDB"), QByteArray("un autre exercice"));
        QVERIFY(migrate::writeYearFile(from, target.file("ZEB_00.mdb"), target.file("ZEB_2025.MDB"), true, nullptr, &error));
        db::Database written;
        written.open(target.file("ZEB_2025.MDB"), db::Database::Mode::ReadOnly);
        QCOMPARE(migrate::firstDifference(from, written), QString());
    }

    void failedYearFileLeavesNothing()
    {
        // A source that is not a year (a table missing): no file, no temporary.
        TestFolder folder;
        db::Database from;
        from.open(folder.file("pas_un_exercice.db"), db::Database::Mode::Create);
        from.execute(QStringLiteral("CREATE TABLE Agents (num INTEGER)"));
        QString error;
        QVERIFY(!migrate::writeYearFile(from, folder.file("ZEB_00.mdb"), folder.file("ZEB_2030.MDB"), false, nullptr, &error));
        QVERIFY2(!error.isEmpty(), "the reason is given");
        QVERIFY(!folder.exists("ZEB_2030.MDB"));
        QVERIFY(!folder.exists("ZEB_2030.MDB.kvtmp"));
    }

    void yearFilesOfAFolder()
    {
        TestFolder folder;
        folder.write("ZEB_2024.MDB", "");
        folder.write("zeb_2025.mdb", "");
        folder.write("ZEB_2025.MDB.kvtmp", "");
        folder.write("ZEB_99.MDB", "");
        const QMap<int, QString> years = migrate::yearFiles(folder.path());
        QCOMPARE(years.keys(), (QList<int>{2024, 2025}));
        QCOMPARE(QFileInfo(years.value(2025)).fileName(), QStringLiteral("zeb_2025.mdb"));
    }

    void connectionText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("full") << "host=127.0.0.1 port=5544 dbname=flotte user=compta" << true << "127.0.0.1" << 5544;
        QTest::newRow("default port") << "host=srv dbname=flotte user=compta" << true << "srv" << 5432;
        QTest::newRow("no database") << "host=srv user=compta" << false << "" << 0;
        QTest::newRow("not a connection") << "host=srv dbname" << false << "" << 0;
    }

    void connectionText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, host);
        QFETCH(int, port);
        db::ServerSettings s;
        QString error;
        QCOMPARE(migrate::parseConnection(text, &s, &error), valid);
        if (valid) {
            QCOMPARE(s.host, host);
            QCOMPARE(s.port, port);
        }
    }

    // ---- on the test server -----------------------------------------------------------------------

    void yearsGoToTheServerAndBackIdentical()
    {
        const std::optional<db::ServerSettings> server = testServer();
        if (!server)
            QSKIP("KAVOREL_TEST_SERVER is not set (scripts/pg-cluster.sh start): the server side is not tested");
        // Years no other test uses, on the test database.
        const int first = 2091, second = 2092;
        TestFolder firm, back, other;
        const QString older = demoYear(firm, first, 5);
        // The generator makes one year per folder: the second is made apart and put beside the first.
        const QString newer = firm.file(QStringLiteral("ZEB_%1.MDB").arg(second));
        QVERIFY(db::copyFileAtomic(demoYear(other, second, 6), newer, nullptr));
        QVERIFY(writeExerciseState(firm.file(".INI"), {first, 1}, nullptr));
        auto clearServer = [&] {
            for (int year : {first, second})
                db::Database::dropServerSchema(*server, db::exerciseSchema(year));
            db::Database kept;
            kept.openServer(*server, serverstate::kSchema, db::Database::Mode::Create);
            kept.execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(serverstate::kTable));
        };
        clearServer();

        const QString conn = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4").arg(server->host).arg(server->port).arg(server->database, server->user);
        auto run = [&](const QString& folder, const QString& way) {
            QProcess command;
            command.start(QStringLiteral(KV_MIGRATE_COMMAND), {QStringLiteral("--folder"), folder, way, conn});
            command.waitForFinished(600000);
            return std::pair{command.exitCode(), QString::fromUtf8(command.readAllStandardOutput() + command.readAllStandardError())};
        };
        auto [code, out] = run(firm.path(), QStringLiteral("--to-server"));
        QVERIFY2(code == 0, qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("Exercice %1 : ZEB_%1.MDB copié dans le schéma zeb_%1").arg(second)), qPrintable(out));

        // Sent again: the years are there, nothing is written over, and the command says it failed.
        std::tie(code, out) = run(firm.path(), QStringLiteral("--to-server"));
        QCOMPARE(code, 1);
        QVERIFY2(out.contains(QStringLiteral("--replace")), qPrintable(out));

        std::tie(code, out) = run(back.path(), QStringLiteral("--to-file"));
        QVERIFY2(code == 0, qPrintable(out));
        const ExerciseState state = readExerciseState(back.file(".INI"));
        QCOMPARE(state.firstYear, qint16(first));
        QCOMPARE(state.closings, qint16(1));
        for (const auto& [year, original] : {std::pair{first, older}, std::pair{second, newer}}) {
            db::Database a, b, onServer;
            a.open(original, db::Database::Mode::ReadOnly);
            b.open(back.file(QStringLiteral("ZEB_%1.MDB").arg(year)), db::Database::Mode::ReadOnly);
            onServer.openServer(*server, db::exerciseSchema(year), db::Database::Mode::ReadOnly);
            QCOMPARE(migrate::firstDifference(a, onServer), QString());
            QCOMPARE(migrate::firstDifference(a, b), QString());
        }
        // Back again: the files are there, none is written over.
        std::tie(code, out) = run(back.path(), QStringLiteral("--to-file"));
        QCOMPARE(code, 1);
        clearServer();
    }
};

QTEST_GUILESS_MAIN(MigrateTest)
#include "tst_migrate.moc"
