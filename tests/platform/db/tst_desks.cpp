// Two desks on one year: a row another desk changed or deleted since this desk read it is never
// written over (the row writer's writes of a row a screen showed), and the numbering of new rows never
// gives two desks the same number. On a file the second desk is a second handle on the same file; on
// the test server (KAVOREL_TEST_SERVER) a second connection to the same schema.
#include "harness/TestFolder.h"
#include "harness/TestServer.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"

#include <QSet>
#include <QTest>

#include <atomic>
#include <thread>

using namespace kv;
using namespace kv::db;

class DesksTest : public QObject {
    Q_OBJECT

    test::TestFolder folder_{false};
    Database mine_, other_;

    void open(Database& db, Database::Mode mode)
    {
        if (const auto server = test::testServer())
            db.openServer(*server, test::testSchema(QStringLiteral("desks")), mode);
        else
            db.open(folder_.file(QStringLiteral("desks.db")), mode);
    }

    Row loaded(qint64 num) const
    {
        return mine_.queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {num});
    }

    QString stored(qint64 num) const
    {
        const Row r = other_.queryOne(QStringLiteral("SELECT nom, Montant, d FROM Agents WHERE num = ?"), {num});
        if (r.size() == 0)
            return QStringLiteral("(none)");
        return r.text(QStringLiteral("nom")) + u'|' + (r.isNull(QStringLiteral("Montant")) ? QStringLiteral("null") : QString::number(r.number(QStringLiteral("Montant"))))
               + u'|' + r.text(QStringLiteral("d"));
    }

private slots:
    void init()
    {
        if (const auto server = test::testServer())
            Database::dropServerSchema(*server, test::testSchema(QStringLiteral("desks")));
        else
            QFile::remove(folder_.file(QStringLiteral("desks.db")));
        open(mine_, Database::Mode::Create);
        mine_.executeScript(QStringLiteral(
            "CREATE TABLE Agents (num INTEGER PRIMARY KEY, nom TEXT COLLATE FR_NOCASE, Montant REAL, d TEXT);"
            "CREATE TABLE Lines (num INTEGER NOT NULL UNIQUE, desk INTEGER);"
            "INSERT INTO Agents VALUES (1, 'Élise', 10.1, '2021-03-05');"
            "INSERT INTO Agents VALUES (2, 'benali', NULL, NULL);"));
        open(other_, Database::Mode::ReadWrite);
    }
    void cleanup()
    {
        other_.close();
        mine_.close();
    }
    void cleanupTestCase()
    {
        if (const auto server = test::testServer())
            Database::dropServerSchema(*server, test::testSchema(QStringLiteral("desks")));
    }

    // What this desk's write does after the other desk did something to the row it read.
    void aRowChangedOrDeletedByAnotherDeskIsNotWritten_data()
    {
        QTest::addColumn<qint64>("num");
        QTest::addColumn<QString>("otherDesk"); // the other desk's statement on row `num`, or empty
        QTest::addColumn<bool>("deleting");     // this desk deletes the row (else changes its name)
        QTest::addColumn<QString>("refusal");   // empty: written
        QTest::addColumn<QString>("after");     // the row as stored afterwards

        const QString changed = kRowChanged, missing = kRowMissing;
        QTest::newRow("nobody else: change") << qint64(1) << QString() << false << QString() << QStringLiteral("Mine|10.1|2021-03-05");
        QTest::newRow("nobody else: delete") << qint64(1) << QString() << true << QString() << QStringLiteral("(none)");
        QTest::newRow("nulls read, nobody else") << qint64(2) << QString() << false << QString() << QStringLiteral("Mine|null|");
        QTest::newRow("amount changed")
            << qint64(1) << QStringLiteral("UPDATE Agents SET Montant = 10.2 WHERE num = 1") << false << changed
            << QStringLiteral("Élise|10.2|2021-03-05");
        QTest::newRow("null filled in")
            << qint64(2) << QStringLiteral("UPDATE Agents SET d = '2021-01-01' WHERE num = 2") << false << changed
            << QStringLiteral("benali|null|2021-01-01");
        QTest::newRow("only the letter case changed")
            << qint64(2) << QStringLiteral("UPDATE Agents SET nom = 'Benali' WHERE num = 2") << false << changed
            << QStringLiteral("Benali|null|");
        QTest::newRow("changed, then deleting")
            << qint64(1) << QStringLiteral("UPDATE Agents SET nom = 'Elise' WHERE num = 1") << true << changed
            << QStringLiteral("Elise|10.1|2021-03-05");
        QTest::newRow("deleted, then changing")
            << qint64(1) << QStringLiteral("DELETE FROM Agents WHERE num = 1") << false << missing << QStringLiteral("(none)");
        QTest::newRow("deleted, then deleting")
            << qint64(1) << QStringLiteral("DELETE FROM Agents WHERE num = 1") << true << missing << QStringLiteral("(none)");
        QTest::newRow("written again as it was")
            << qint64(1) << QStringLiteral("UPDATE Agents SET Montant = 10.1 WHERE num = 1") << false << QString()
            << QStringLiteral("Mine|10.1|2021-03-05");
    }
    void aRowChangedOrDeletedByAnotherDeskIsNotWritten()
    {
        QFETCH(qint64, num);
        QFETCH(QString, otherDesk);
        QFETCH(bool, deleting);
        QFETCH(QString, refusal);
        QFETCH(QString, after);

        const Row shown = loaded(num);
        if (!otherDesk.isEmpty())
            other_.execute(otherDesk);
        QString told;
        try {
            if (deleting)
                deleteLoaded(mine_, QStringLiteral("Agents"), QStringLiteral("num"), num, shown);
            else
                updateLoaded(mine_, QStringLiteral("Agents"), {{QStringLiteral("nom"), QStringLiteral("Mine")}}, QStringLiteral("num"), num, shown);
        } catch (const Conflict& e) {
            told = e.message();
        }
        QCOMPARE(told, refusal);
        QVERIFY(!mine_.inTransaction());
        QCOMPARE(stored(num), after);
        // The other row is never touched.
        QCOMPARE(stored(3 - num), num == 1 ? QStringLiteral("benali|null|") : QStringLiteral("Élise|10.1|2021-03-05"));
    }

    void aRowReadWithAJoinIsCheckedOnItsOwnColumns()
    {
        // The screen read the row with a name from elsewhere and an alias: only the table's columns count.
        const Row shown = mine_.queryOne(QStringLiteral("SELECT a.num, a.nom, a.Montant, 'x' AS shown_name FROM Agents a WHERE a.num = 1"));
        other_.execute(QStringLiteral("UPDATE Agents SET d = '2022-01-01' WHERE num = 1")); // a column the screen did not show
        updateLoaded(mine_, QStringLiteral("Agents"), {{QStringLiteral("Montant"), 11.0}}, QStringLiteral("num"), 1, shown);
        QCOMPARE(stored(1), QStringLiteral("Élise|11|2022-01-01"));
        // Inside the caller's transaction a refusal leaves the caller's other writes to its rollback.
        {
            Transaction t(mine_);
            mine_.execute(QStringLiteral("UPDATE Agents SET Montant = 99 WHERE num = 2"));
            QVERIFY_THROWS_EXCEPTION(Conflict, updateLoaded(mine_, QStringLiteral("Agents"), {{QStringLiteral("nom"), QStringLiteral("y")}},
                                                            QStringLiteral("num"), 1, shown));
        }
        QCOMPARE(stored(2), QStringLiteral("benali|null|"));
    }

    // Desks that take numbers at once, each in its own transaction with the row it writes: every number
    // once, none refused (the table's unique key would refuse a number taken twice).
    void numbersTakenAtOnceNeverCollide()
    {
        if (!test::onServer())
            QSKIP("a file has one desk (the program's single-instance lock)");
        constexpr int desks = 4, rows = 40;
        std::atomic<int> failures{0};
        QStringList errors;
        std::mutex errorsLock;
        std::vector<std::thread> threads;
        for (int d = 0; d < desks; ++d) {
            threads.emplace_back([&, d] {
                try {
                    Database db;
                    open(db, Database::Mode::ReadWrite);
                    for (int i = 0; i < rows; ++i) {
                        Transaction t(db);
                        const qint64 num = db.nextNum(QStringLiteral("Lines"));
                        std::this_thread::yield();
                        insertRow(db, QStringLiteral("Lines"), {{QStringLiteral("num"), num}, {QStringLiteral("desk"), d}});
                        t.commit();
                    }
                } catch (const Error& e) {
                    ++failures;
                    std::lock_guard<std::mutex> hold(errorsLock);
                    errors << e.message();
                }
            });
        }
        for (std::thread& t : threads)
            t.join();
        QVERIFY2(failures == 0, qPrintable(errors.join(u'\n')));
        QCOMPARE(mine_.scalar(QStringLiteral("SELECT count(*) FROM Lines")).toInt(), desks * rows);
        QCOMPARE(mine_.scalar(QStringLiteral("SELECT max(num) FROM Lines")).toInt(), desks * rows);
        for (int d = 0; d < desks; ++d)
            QCOMPARE(mine_.scalar(QStringLiteral("SELECT count(*) FROM Lines WHERE desk = ?"), {d}).toInt(), rows);
    }
};

QTEST_GUILESS_MAIN(DesksTest)
#include "tst_desks.moc"
