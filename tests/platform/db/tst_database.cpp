// The engine layer: queries, text compares, record sets, numbering, transactions, the workspace and
// the file operations on closed databases. With KAVOREL_TEST_SERVER set, the same cases run on a
// schema of that PostgreSQL server (the cases about files by nature are skipped there).
#include "PageDamage.h"
#include "harness/TestFolder.h"
#include "harness/TestServer.h"
#include "platform/db/Dates.h"
#include "platform/db/Database.h"
#include "platform/db/Dialect.h"
#include "platform/db/FileOps.h"
#include "platform/db/RecordSet.h"
#include "platform/db/RowWriter.h"
#include "platform/db/TextScan.h"
#include "platform/db/Workspace.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTest>

#include <algorithm>

using namespace kv;
using namespace kv::db;

class DatabaseTest : public QObject {
    Q_OBJECT

    test::TestFolder folder_{false};
    QString path_;
    Database db_;

    /// Opens the test's database afresh: a new file, or a new schema on the test server.
    void openFresh(Database& db)
    {
        if (const auto server = test::testServer()) {
            Database::dropServerSchema(*server, test::testSchema(QStringLiteral("db")));
            db.openServer(*server, test::testSchema(QStringLiteral("db")), Database::Mode::Create);
        } else {
            db.open(path_, Database::Mode::Create);
        }
    }

private slots:
    void cleanupTestCase()
    {
        db_.close();
        if (const auto server = test::testServer())
            Database::dropServerSchema(*server, test::testSchema(QStringLiteral("db")));
    }

    void init()
    {
        path_ = folder_.file(QStringLiteral("t.db"));
        QFile::remove(path_);
        openFresh(db_);
        db_.executeScript(QStringLiteral(
            "CREATE TABLE Agents (num INTEGER PRIMARY KEY, nom TEXT COLLATE FR_NOCASE, Montant REAL, d TEXT);"
            "CREATE TABLE textes (ch1 TEXT, ch2 TEXT);"
            "INSERT INTO Agents VALUES (1, 'Élise', 10.5, '2021-03-05');"
            "INSERT INTO Agents VALUES (2, 'benali', 20, NULL);"
            "INSERT INTO Agents VALUES (5, 'Zorro', NULL, '2021-01-02');"
            "INSERT INTO textes (ch1) VALUES ('a');"));
    }
    void cleanup() { db_.close(); }

    /// The rows of Agents in number order, "num:nom" each (":Montant" too, "null" when null), joined by ",".
    QString agents(bool withAmount = false) const
    {
        QStringList parts;
        for (const Row& r : db_.query(QStringLiteral("SELECT num, nom, Montant FROM Agents ORDER BY num"))) {
            QString part = QString::number(r.integer(QStringLiteral("num"))) + u':' + r.text(QStringLiteral("nom"));
            if (withAmount)
                part += u':' + (r.isNull(QStringLiteral("Montant")) ? QStringLiteral("null") : QString::number(r.number(QStringLiteral("Montant"))));
            parts << part;
        }
        return parts.join(u',');
    }

    void textComparesIgnoreCaseWithAccents_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accented capital equals small") << "SELECT nom FROM Agents WHERE nom = ?" << QVariantList{"ÉLISE"} << QStringList{"Élise"};
        QTest::newRow("ascii any case") << "SELECT nom FROM Agents WHERE nom = ?" << QVariantList{"BENALI"} << QStringList{"benali"};
        QTest::newRow("accent is not dropped") << "SELECT nom FROM Agents WHERE nom = ?" << QVariantList{"elise"} << QStringList{};
        QTest::newRow("order ignores case") << "SELECT nom FROM Agents ORDER BY nom" << QVariantList{} << QStringList{"benali", "Élise", "Zorro"};
        QTest::newRow("like prefix any case") << "SELECT nom FROM Agents WHERE nom LIKE ? ESCAPE '\\'" << QVariantList{likePrefix("él")} << QStringList{"Élise"};
        QTest::newRow("like prefix keeps wildcards literal") << "SELECT nom FROM Agents WHERE nom LIKE ? ESCAPE '\\'" << QVariantList{likePrefix("b_n")} << QStringList{};
        QTest::newRow("quote in a bound value") << "SELECT nom FROM Agents WHERE nom = ?" << QVariantList{"O'Neil' OR 1=1 --"} << QStringList{};
    }
    void textComparesIgnoreCaseWithAccents()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const Row& r : db_.query(sql, params))
            got << r.text(QStringLiteral("NOM"));
        QCOMPARE(got, expected);
    }

    void likePatternsMatchPercentAndUnderscoreLiterally()
    {
        db_.execute(QStringLiteral("INSERT INTO Agents (num, nom) VALUES (6, '50%_off')"));
        QCOMPARE(db_.query(QStringLiteral("SELECT nom FROM Agents WHERE nom LIKE ? ESCAPE '\\'"), {likePrefix("50%_")}).size(), 1);
        QCOMPARE(db_.query(QStringLiteral("SELECT nom FROM Agents WHERE nom LIKE ? ESCAPE '\\'"), {likePrefix("5%")}).size(), 0);
        QCOMPARE(db_.query(QStringLiteral("SELECT nom FROM Agents WHERE nom LIKE 'z%'")).size(), 1);
    }

    void sumOverNoRowIsNull()
    {
        QVERIFY(db_.scalar(QStringLiteral("SELECT sum(Montant) AS S1 FROM Agents WHERE num > ?"), {100}).isNull());
        QCOMPARE(db_.scalar(QStringLiteral("SELECT sum(Montant) AS S1 FROM Agents")).toDouble(), 30.5);
    }

    void fieldsByNameInAnyCaseAndNulls()
    {
        const Row r = db_.queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {5});
        QCOMPARE(r.text(QStringLiteral("NoM")), QStringLiteral("Zorro"));
        QVERIFY(r.isNull(QStringLiteral("montant")));
        QCOMPARE(r.number(QStringLiteral("montant")), 0.0);
        QVERIFY(r.value(QStringLiteral("absent")).isNull());
        QCOMPARE(db_.queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = 99")).size(), 0);
    }

    void aScanReadsEveryFieldAsTheRowsDo()
    {
        // Null, whole numbers, decimals, an accented text with blanks, a blob: the cursor of a text
        // scan gives the values and the texts a row would give, without making the row.
        db_.execute(QStringLiteral("INSERT INTO textes VALUES ('  Hélène Ø ', NULL)"));
        const QString sql = QStringLiteral("SELECT num, nom, Montant, d, 1.25, x'41', ch1, 7.0 FROM Agents, textes ORDER BY num, textes.rowid");
        const Rows rows = db_.query(sql);
        int n = 0;
        scanTexts(db_, sql, {}, [&](const TextCursor& c) {
            const Row& r = rows.at(n++);
            for (int col = 0; col < r.size(); ++col) {
                QCOMPARE(c.value(col), r.value(col));
                QCOMPARE(c.text(col), r.value(col).toString());
                QCOMPARE(c.isNull(col), r.value(col).isNull());
            }
        });
        QCOMPARE(n, int(rows.size()));
        QVERIFY(n > 3);
    }

    void scriptStopsAtFirstError()
    {
        QVERIFY_THROWS_EXCEPTION(Error, db_.executeScript(QStringLiteral(
            "INSERT INTO textes (ch1) VALUES ('b'); INSERT INTO nowhere VALUES (1); INSERT INTO textes (ch1) VALUES ('c');")));
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM textes")).toInt(), 2);
        QVERIFY(db_.query(QStringLiteral("SELECT * FROM textes WHERE ch1 = 'c'")).isEmpty());
    }

    void wrongParameterCountIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(Error, db_.query(QStringLiteral("SELECT * FROM Agents WHERE num = ?")));
        QVERIFY_THROWS_EXCEPTION(Error, db_.query(QStringLiteral("SELECT * FROM Agents"), {1}));
    }

    void numberingTakesLastNumPlusOne()
    {
        QCOMPARE(db_.nextNum(QStringLiteral("Agents")), 6);
        db_.execute(QStringLiteral("DELETE FROM Agents"));
        QCOMPARE(db_.nextNum(QStringLiteral("Agents")), 1);
        QVERIFY_THROWS_EXCEPTION(Error, db_.nextNum(QStringLiteral("Agents; DROP TABLE textes")));
    }

    void numberingAboveReferencedRows()
    {
        db_.executeScript(QStringLiteral("CREATE TABLE Lines (num INTEGER, who INTEGER); INSERT INTO Lines VALUES (1, 9), (2, NULL);"));
        // Agents holds 1, 2, 5; a deleted person 9 still has lines.
        QCOMPARE(db_.nextNumAbove(QStringLiteral("Agents"), {{QStringLiteral("Lines"), QStringLiteral("who")}}), 10);
        db_.execute(QStringLiteral("DELETE FROM Lines"));
        QCOMPARE(db_.nextNumAbove(QStringLiteral("Agents"), {{QStringLiteral("Lines"), QStringLiteral("who")}}), 6);
    }

    void recordSetNavigationAndFind()
    {
        RecordSet rs(db_, QStringLiteral("Agents"), QString(), {}, QStringLiteral("num"));
        QCOMPARE(rs.recordCount(), 3);
        QStringList names;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            names << rs.field(QStringLiteral("nom")).toString();
        QCOMPARE(names, (QStringList{"Élise", "benali", "Zorro"}));
        rs.moveLast();
        QCOMPARE(rs.field(QStringLiteral("NUM")).toInt(), 5);
        QVERIFY(rs.findFirst(QStringLiteral("num"), 2));
        QCOMPARE(rs.field(1).toString(), QStringLiteral("benali"));
        QVERIFY(!rs.findFirst(QStringLiteral("num"), 3));
        QVERIFY(rs.noMatch());
        QCOMPARE(rs.field(QStringLiteral("num")).toInt(), 2); // position kept after no match

        RecordSet empty(db_, QStringLiteral("Agents"), QStringLiteral("num > ?"), {100});
        QCOMPARE(empty.recordCount(), 0);
        QVERIFY(empty.eof());
        QVERIFY(empty.field(QStringLiteral("nom")).isNull());
    }

    void recordSetAddEditDelete()
    {
        RecordSet rs(db_, QStringLiteral("Agents"), QString(), {}, QStringLiteral("num"));
        rs.addNew();
        rs.setField(QStringLiteral("NUM"), 6);
        rs.setField(QStringLiteral("nom"), QStringLiteral("Nouveau"));
        rs.update();
        QCOMPARE(rs.field(QStringLiteral("nom")).toString(), QStringLiteral("Nouveau"));
        QCOMPARE(db_.scalar(QStringLiteral("SELECT nom FROM Agents WHERE num = 6")).toString(), QStringLiteral("Nouveau"));

        QVERIFY(rs.findFirst(QStringLiteral("num"), 2));
        rs.edit();
        rs.setField(QStringLiteral("Montant"), 99.25);
        rs.update();
        QCOMPARE(db_.scalar(QStringLiteral("SELECT Montant FROM Agents WHERE num = 2")).toDouble(), 99.25);
        QCOMPARE(db_.scalar(QStringLiteral("SELECT nom FROM Agents WHERE num = 2")).toString(), QStringLiteral("benali"));

        rs.deleteCurrent();
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.field(QStringLiteral("num")).toInt(), 5); // the following record
        QVERIFY(db_.query(QStringLiteral("SELECT * FROM Agents WHERE num = 2")).isEmpty());

        QVERIFY_THROWS_EXCEPTION(Error, rs.setField(QStringLiteral("nom"), 1)); // no edit pending
        rs.edit();
        QVERIFY_THROWS_EXCEPTION(Error, rs.setField(QStringLiteral("nowhere"), 1));
    }

    void recordSetOnTableWithoutKey()
    {
        RecordSet textes(db_, QStringLiteral("textes"));
        QCOMPARE(textes.recordCount(), 1);
        textes.edit();
        textes.setField(QStringLiteral("CH2"), QStringLiteral("deux"));
        textes.update();
        QCOMPARE(db_.scalar(QStringLiteral("SELECT ch2 FROM textes")).toString(), QStringLiteral("deux"));
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM textes")).toInt(), 1);
    }

    void transactionRollsBackUnlessCommitted()
    {
        {
            Transaction outer(db_);
            db_.execute(QStringLiteral("DELETE FROM Agents WHERE num = 1"));
            {
                Transaction inner(db_);
                db_.execute(QStringLiteral("DELETE FROM Agents WHERE num = 2"));
            } // inner rolled back
            outer.commit();
        }
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt(), 2);
        {
            Transaction t(db_);
            db_.execute(QStringLiteral("DELETE FROM Agents"));
        }
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt(), 2);
    }

    void readOnlyQueries_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("select") << "SELECT * FROM Agents" << true;
        QTest::newRow("with") << "WITH a AS (SELECT num FROM Agents) SELECT * FROM a" << true;
        QTest::newRow("trailing semicolon") << "SELECT * FROM Agents;" << true;
        QTest::newRow("delete") << "DELETE FROM Agents" << false;
        QTest::newRow("two statements") << "SELECT 1; DELETE FROM Agents" << false;
        QTest::newRow("pragma write") << "PRAGMA user_version = 3" << false;
        QTest::newRow("syntax error") << "SELEC nothing" << false;
    }
    void readOnlyQueries()
    {
        QFETCH(QString, sql);
        QFETCH(bool, readOnly);
        QCOMPARE(db_.isReadOnlyQuery(sql), readOnly);
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt(), 3);
    }

    // ---- the row writer ------------------------------------------------------------------------------

    void rowWriterRefusesNamesThatAreNotPlain_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::newRow("statement in the table") << "Agents; DROP TABLE textes" << "nom";
        QTest::newRow("quoted table") << "\"Agents\"" << "nom";
        QTest::newRow("expression as a column") << "Agents" << "nom = 1 --";
        QTest::newRow("subquery as a column") << "Agents" << "(SELECT 1)";
        QTest::newRow("empty column") << "Agents" << "";
        QTest::newRow("empty table") << "" << "nom";
    }
    void rowWriterRefusesNamesThatAreNotPlain()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        const Fields fields{{QStringLiteral("num"), 9}, {column, QStringLiteral("x")}};
        QVERIFY_THROWS_EXCEPTION(Error, insertRow(db_, table, fields));
        QVERIFY_THROWS_EXCEPTION(Error, updateRow(db_, table, fields, QStringLiteral("num"), 1));
        if (column != QStringLiteral("nom")) // the name as the key of an update or a deletion
            QVERIFY_THROWS_EXCEPTION(Error, updateRow(db_, QStringLiteral("Agents"), {{QStringLiteral("nom"), 1}}, column, 1));
        QVERIFY_THROWS_EXCEPTION(Error, deleteRow(db_, table, column, 1));
        QVERIFY_THROWS_EXCEPTION(Error, updateRows(db_, table, fields));
        QVERIFY_THROWS_EXCEPTION(Error, insertSql(table, {QStringLiteral("num"), column}));
        // Nothing was written or dropped.
        QCOMPARE(agents(),
                 QStringLiteral("1:Élise,2:benali,5:Zorro"));
        QVERIFY(db_.hasTable(QStringLiteral("textes")));
    }

    void rowWriterBindsEveryValueAndStoresNulls()
    {
        const QString hostile = QStringLiteral("O'Neil'); DROP TABLE textes; --");
        const qint64 id = insertRow(db_, QStringLiteral("Agents"),
                                    {{QStringLiteral("num"), 7},
                                     {QStringLiteral("nom"), hostile},
                                     {QStringLiteral("Montant"), QVariant()},
                                     {QStringLiteral("d"), QDate(2021, 4, 30)}});
        QCOMPARE(id, 7);
        const Row r = db_.queryOne(QStringLiteral("SELECT nom, typeof(Montant) AS t, d FROM Agents WHERE num = 7"));
        QCOMPARE(r.text(QStringLiteral("nom")), hostile);
        QCOMPARE(r.text(QStringLiteral("t")), QStringLiteral("null"));
        QCOMPARE(r.text(QStringLiteral("d")), QStringLiteral("2021-04-30"));
        QVERIFY(db_.hasTable(QStringLiteral("textes")));

        // No field at all: the table's defaults.
        insertRow(db_, QStringLiteral("textes"), {});
        QCOMPARE(db_.scalar(QStringLiteral("SELECT count(*) FROM textes WHERE ch1 IS NULL AND ch2 IS NULL")).toInt(), 1);
    }

    void rowWriterUpdatesTheKeyedRowsOnly()
    {
        QCOMPARE(updateRow(db_, QStringLiteral("Agents"), {{QStringLiteral("nom"), QStringLiteral("x' OR '1'='1")}, {QStringLiteral("Montant"), QVariant()}},
                           QStringLiteral("num"), 1),
                 1);
        QCOMPARE(agents(true), QStringLiteral("1:x' OR '1'='1:null,2:benali:20,5:Zorro:null"));
        QCOMPARE(updateRow(db_, QStringLiteral("Agents"), {{QStringLiteral("nom"), QStringLiteral("y")}}, QStringLiteral("num"), 42), 0);
        // A condition with its own parameters, bound after the fields' values.
        QCOMPARE(updateRows(db_, QStringLiteral("Agents"), {{QStringLiteral("Montant"), 1.5}}, QStringLiteral("num > ? AND nom <> ?"),
                            {1, QStringLiteral("zorro")}),
                 1);
        QCOMPARE(db_.scalar(QStringLiteral("SELECT Montant FROM Agents WHERE num = 2")).toDouble(), 1.5);
        // Every row when there is no condition; an update of no column is refused.
        QCOMPARE(updateRows(db_, QStringLiteral("textes"), {{QStringLiteral("ch2"), QStringLiteral("b")}}), 1);
        QVERIFY_THROWS_EXCEPTION(Error, updateRows(db_, QStringLiteral("Agents"), {}));
        // Deletions: by key, by a condition with its parameters.
        QCOMPARE(deleteRow(db_, QStringLiteral("Agents"), QStringLiteral("num"), 42), 0);
        QCOMPARE(deleteRows(db_, QStringLiteral("Agents"), QStringLiteral("nom = ?"), {QStringLiteral("ZORRO")}), 1);
        QCOMPARE(deleteRow(db_, QStringLiteral("Agents"), QStringLiteral("num"), 2), 1);
        QCOMPARE(agents(), QStringLiteral("1:x' OR '1'='1"));
    }

    // ---- reads cannot write --------------------------------------------------------------------------

    void aConstDatabaseCannotWrite_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("insert") << "INSERT INTO Agents (num, nom) VALUES (9, 'x')";
        QTest::newRow("insert returning") << "INSERT INTO Agents (num, nom) VALUES (9, 'x') RETURNING num";
        QTest::newRow("update") << "UPDATE Agents SET nom = 'x'";
        QTest::newRow("delete") << "DELETE FROM Agents";
        QTest::newRow("create") << "CREATE TABLE t (a TEXT)";
        QTest::newRow("drop") << "DROP TABLE textes";
        QTest::newRow("pragma write") << "PRAGMA user_version = 3";
    }
    void aConstDatabaseCannotWrite()
    {
        QFETCH(QString, sql);
        const Database& reader = db_;
        QVERIFY_THROWS_EXCEPTION(Error, reader.query(sql));
        QVERIFY_THROWS_EXCEPTION(Error, reader.query(sql, QVariantMap{}));
        QVERIFY_THROWS_EXCEPTION(Error, reader.queryOne(sql));
        QVERIFY_THROWS_EXCEPTION(Error, reader.scalar(sql));
        QVERIFY_THROWS_EXCEPTION(Error, reader.forEach(sql, {}, [](const Row&) {}));
        QVERIFY_THROWS_EXCEPTION(Error, reader.scan(sql, {}, [](const Cursor&) {}));
        QCOMPARE(agents(),
                 QStringLiteral("1:Élise,2:benali,5:Zorro"));
        QVERIFY(db_.hasTable(QStringLiteral("textes")));
        QVERIFY(!db_.hasTable(QStringLiteral("t")));
        QCOMPARE(db_.userVersion(), 0);
        // The same statement writes through execute.
        db_.execute(sql);
    }

    void theReadsOfPragmasStillRead_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::newRow("integrity_check") << "PRAGMA integrity_check" << QVariantList{};
        QTest::newRow("integrity_check(1)") << "PRAGMA integrity_check(1)" << QVariantList{};
        QTest::newRow("quick_check(1)") << "PRAGMA quick_check(1)" << QVariantList{};
        QTest::newRow("table_info") << "SELECT name FROM pragma_table_info(?)" << QVariantList{QStringLiteral("Agents")};
        QTest::newRow("user_version") << "PRAGMA user_version" << QVariantList{};
        QTest::newRow("page_size") << "PRAGMA page_size" << QVariantList{};
        QTest::newRow("auto_vacuum") << "PRAGMA auto_vacuum" << QVariantList{};
        QTest::newRow("application_id") << "PRAGMA application_id" << QVariantList{};
    }
    void theReadsOfPragmasStillRead()
    {
        KV_FILE_ONLY("SQLite pragmas");
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        const Database& reader = db_;
        QVERIFY(!reader.query(sql, params).isEmpty());
    }

    void openRefusesMissingAndForeignFiles()
    {
        KV_FILE_ONLY("opening files");
        Database other;
        QVERIFY_THROWS_EXCEPTION(Error, other.open(folder_.file(QStringLiteral("absent.mdb"))));
        QVERIFY(!QFile::exists(folder_.file(QStringLiteral("absent.mdb"))));
        folder_.write(QStringLiteral("garbage.mdb"), QByteArray(4096, 'x'));
        QVERIFY_THROWS_EXCEPTION(Error, other.open(folder_.file(QStringLiteral("garbage.mdb"))));
        QVERIFY(!other.isOpen());
    }

    // ---- the same SQL on both engines ---------------------------------------------------------------

    void theProgramsSqlIsTranslatedForTheServer_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("marks outside quoted text") << "SELECT a FROM t WHERE a = ? AND b = '?' AND c = ':x' -- ?\n AND d = ?"
                                                   << "SELECT a FROM t WHERE a = $1 AND b = '?' AND c = ':x' AND d = $2";
        QTest::newRow("numbered marks") << "SELECT a FROM t WHERE a >= ?1 AND a <= ?2 AND b >= ?1"
                                        << "SELECT a FROM t WHERE a >= $1 AND a <= $2 AND b >= $1";
        QTest::newRow("names, each use its own") << "SELECT a FROM t WHERE a = :x OR b = :y OR c = :x"
                                                 << "SELECT a FROM t WHERE a = $1 OR b = $2 OR c = $3";
        QTest::newRow("a quote doubled inside text") << "SELECT 'l''?' , ?" << "SELECT 'l''?' , $1";
        QTest::newRow("total and ifnull") << "SELECT total(m), ifnull(a, 0) FROM t" << "SELECT kavorel.total(m), coalesce(a, 0) FROM t";
        QTest::newRow("max of values, max of a column") << "SELECT max(a, b), max(c), min(a, 1) FROM t"
                                                       << "SELECT greatest(a, b), max(c), least(a, 1) FROM t";
        QTest::newRow("like") << "SELECT a FROM t WHERE nom LIKE ? ESCAPE '\\'"
                              << "SELECT a FROM t WHERE nom COLLATE kavorel.fr_fold ILIKE $1 ESCAPE '\\'";
        QTest::newRow("not like") << "SELECT a FROM t WHERE nom NOT LIKE 'x%'"
                                  << "SELECT a FROM t WHERE nom COLLATE kavorel.fr_fold NOT ILIKE 'x%'";
        QTest::newRow("rowid") << "SELECT rowid AS k, * FROM t ORDER BY rowid" << "SELECT kv_rowid AS k, * FROM t ORDER BY kv_rowid";
        QTest::newRow("insert or ignore") << "INSERT OR IGNORE INTO t (a) VALUES (?)" << "INSERT INTO t (a) VALUES ($1) ON CONFLICT DO NOTHING";
        QTest::newRow("is between values") << "SELECT a FROM t WHERE a IS ? AND b IS NOT c AND d IS NOT NULL"
                                           << "SELECT a FROM t WHERE a IS NOT DISTINCT FROM $1 AND b IS DISTINCT FROM c AND d IS NOT NULL";
        QTest::newRow("mark tested for null") << "SELECT a FROM t WHERE ? IS NULL OR a = ?" << "SELECT a FROM t WHERE $1::text IS NULL OR a = $2";
        QTest::newRow("types") << "SELECT CAST(a AS INTEGER), CAST(b AS REAL) FROM t" << "SELECT CAST(a AS BIGINT), CAST(b AS DOUBLE PRECISION) FROM t";
        QTest::newRow("collation") << "CREATE INDEX i ON t (nom COLLATE NOCASE)" << "CREATE INDEX i ON t (nom COLLATE kavorel.fr_nocase)";
        QTest::newRow("subquery in FROM named") << "SELECT count(*) FROM (SELECT a FROM t) WHERE 1"
                                                << "SELECT count(*) FROM (SELECT a FROM t) AS kv_sub1 WHERE 1";
        QTest::newRow("the file's index choice") << "SELECT d.num FROM Depenses d INDEXED BY Depenses_vehicule WHERE d.num > 0"
                                                 << "SELECT d.num FROM Depenses d WHERE d.num > 0";
        QTest::newRow("no index") << "SELECT num FROM t NOT INDEXED WHERE num > 0" << "SELECT num FROM t WHERE num > 0";
        QTest::newRow("values in FROM named") << "SELECT column1 FROM (VALUES (0, ?), (1, ?)) ORDER BY column1"
                                              << "SELECT column1 FROM (VALUES (0, $1), (1, $2)) AS kv_sub1 ORDER BY column1";
        QTest::newRow("date arithmetic") << "SELECT date(du, '+1 year'), round(m, 2) FROM t"
                                         << "SELECT kavorel.date(du, '+1 year'), kavorel.round(m, 2) FROM t";
        QTest::newRow("the schema's objects") << "SELECT name FROM sqlite_master WHERE type = 'table'"
                                              << "SELECT name FROM kavorel.sqlite_master WHERE type = 'table'";
        QTest::newRow("a column without a type") << "CREATE TEMP TABLE m (x, y INTEGER)"
                                                 << "CREATE TEMP TABLE m (x TEXT, y BIGINT, kv_rowid BIGINT GENERATED BY DEFAULT AS IDENTITY)";
        QTest::newRow("a column named date") << "SELECT date FROM t WHERE date > ?" << "SELECT date FROM t WHERE date > $1";
    }
    void theProgramsSqlIsTranslatedForTheServer()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromUtf8(detail::toPostgres(sql).text), expected);
    }

    void whatTheServerHasNoWordForIsRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("glob") << "SELECT a FROM t WHERE a GLOB 'x*'";
        QTest::newRow("insert or replace") << "INSERT OR REPLACE INTO t (a) VALUES (1)";
        QTest::newRow("a file's pragma") << "PRAGMA journal_mode = DELETE";
        QTest::newRow("names and marks mixed") << "SELECT a FROM t WHERE a = ? AND b = :b";
        QTest::newRow("unfinished text") << "SELECT 'abc FROM t";
    }
    void whatTheServerHasNoWordForIsRefused()
    {
        QFETCH(QString, sql);
        QVERIFY_THROWS_EXCEPTION(Error, detail::toPostgres(sql));
    }

    void marksInsideQuotedTextAreText()
    {
        db_.execute(QStringLiteral("INSERT INTO Agents (num, nom) VALUES (7, 'Quoi ? :nom @x')"));
        QCOMPARE(db_.scalar(QStringLiteral("SELECT num FROM Agents WHERE nom = 'Quoi ? :nom @x' AND num > ?"), {0}).toLongLong(), 7);
        QCOMPARE(db_.query(QStringLiteral("SELECT num FROM Agents WHERE nom = 'Quoi ? :nom @x' AND num > :n"), QVariantMap{{"n", 0}}).size(), 1);
        // A name used twice binds its value twice.
        QCOMPARE(db_.query(QStringLiteral("SELECT num FROM Agents WHERE num = :n OR num + 0 = :n"), QVariantMap{{"N", 7}}).size(), 1);
    }

    void likeIgnoresCaseOfAccentedLettersAndKeepsAccents_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accented capital by small") << likePrefix("été") << QStringList{"ÉTÉ", "Été indien"};
        QTest::newRow("accents are not dropped") << likePrefix("ete") << QStringList{"ete"};
        QTest::newRow("inside") << "%TÉ%" << QStringList{"ÉTÉ", "Été indien"};
        QTest::newRow("underscore one letter") << "_t_" << QStringList{"ÉTÉ", "ete"};
        QTest::newRow("escaped wildcard") << likePrefix("100%") << QStringList{"100% net"};
    }
    void likeIgnoresCaseOfAccentedLettersAndKeepsAccents()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        int num = 10;
        for (const QString& name : {QStringLiteral("ÉTÉ"), QStringLiteral("Été indien"), QStringLiteral("ete"), QStringLiteral("100% net"),
                                    QStringLiteral("1000 net")})
            db_.execute(QStringLiteral("INSERT INTO Agents (num, nom) VALUES (?, ?)"), {num++, name});
        QStringList got;
        for (const Row& r : db_.query(QStringLiteral("SELECT nom FROM Agents WHERE num >= 10 AND nom LIKE ? ESCAPE '\\' ORDER BY num"), {pattern}))
            got << r.text(QStringLiteral("nom"));
        QCOMPARE(got, expected);
    }

    void totalOfNoRowIsZeroAndSumIsNull()
    {
        const Row r = db_.queryOne(QStringLiteral("SELECT total(Montant) AS t, sum(Montant) AS s, count(*) AS n FROM Agents WHERE num > ?"), {100});
        QCOMPARE(r.value(QStringLiteral("t")).typeId(), QMetaType::Double);
        QCOMPARE(r.number(QStringLiteral("t")), 0.0);
        QVERIFY(r.isNull(QStringLiteral("s")));
        QCOMPARE(r.value(QStringLiteral("n")).typeId(), QMetaType::LongLong);
        QCOMPARE(db_.scalar(QStringLiteral("SELECT total(Montant) FROM Agents")).toDouble(), 30.5);
    }

    void typedValuesComeBackAsTheyWent_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("read");
        QTest::newRow("integer") << "i" << QVariant(42) << QVariant(qlonglong(42));
        QTest::newRow("64-bit integer") << "i" << QVariant(qlonglong(1) << 40) << QVariant(qlonglong(1) << 40);
        QTest::newRow("negative integer") << "i" << QVariant(-7) << QVariant(qlonglong(-7));
        QTest::newRow("flag") << "i" << QVariant(true) << QVariant(qlonglong(1));
        QTest::newRow("real") << "r" << QVariant(1234.56) << QVariant(1234.56);
        QTest::newRow("real of a whole value") << "r" << QVariant(20.0) << QVariant(20.0);
        QTest::newRow("smallest step") << "r" << QVariant(0.1 + 0.2) << QVariant(0.1 + 0.2);
        QTest::newRow("text with accents and quotes") << "t" << QVariant(QStringLiteral("L'Été \"n°1\" — ok")) << QVariant(QStringLiteral("L'Été \"n°1\" — ok"));
        QTest::newRow("empty text") << "t" << QVariant(QStringLiteral("")) << QVariant(QStringLiteral(""));
        QTest::newRow("date as ISO text") << "t" << QVariant(QDate(2026, 2, 28)) << QVariant(QStringLiteral("2026-02-28"));
        QTest::newRow("null integer") << "i" << QVariant() << QVariant();
        QTest::newRow("null text") << "t" << QVariant() << QVariant();
        QTest::newRow("bytes") << "b" << QVariant(QByteArray("\x00\x01\xff'x", 5)) << QVariant(QByteArray("\x00\x01\xff'x", 5));
    }
    void typedValuesComeBackAsTheyWent()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, read);
        db_.execute(QStringLiteral("CREATE TABLE Vals (i INTEGER, r REAL, t TEXT, b BLOB)"));
        db_.execute(QStringLiteral("INSERT INTO Vals (%1) VALUES (?)").arg(column), {stored});
        const QVariant got = db_.scalar(QStringLiteral("SELECT %1 FROM Vals").arg(column));
        QCOMPARE(got.isNull(), read.isNull());
        if (!read.isNull()) {
            QCOMPARE(got.typeId(), read.typeId());
            QCOMPARE(got, read);
        }
        // The cursor of the scans reads the same numbers.
        if (column == QLatin1String("i") || column == QLatin1String("r"))
            db_.scan(QStringLiteral("SELECT %1 FROM Vals").arg(column), {}, [&](const Cursor& c) {
                QCOMPARE(c.isNull(0), read.isNull());
                QCOMPARE(c.number(0), read.toDouble());
                if (column == QLatin1String("i"))
                    QCOMPARE(c.integer(0), read.toLongLong());
            });
    }

    void aBoundDoubleStaysADoubleBesideIntegers_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<double>("bound");
        QTest::addColumn<double>("expected");
        QTest::newRow("beside a whole default") << "SELECT coalesce(?, 0) * 100" << 0.01 << 1.0;
        QTest::newRow("against an integer column") << "SELECT count(*) FROM Agents WHERE num < ?" << 2.5 << 2.0;
        QTest::newRow("in integer arithmetic") << "SELECT ? + 1" << 0.25 << 1.25;
        QTest::newRow("whole") << "SELECT coalesce(?, 0) * 2" << 20.0 << 40.0;
    }
    void aBoundDoubleStaysADoubleBesideIntegers()
    {
        QFETCH(QString, sql);
        QFETCH(double, bound);
        QFETCH(double, expected);
        QCOMPARE(db_.scalar(sql, {bound}).toDouble(), expected);
    }

    void aNewRowWithoutNumberTakesTheNextOne()
    {
        insertRow(db_, QStringLiteral("Agents"), {{QStringLiteral("nom"), QStringLiteral("Sans numéro")}});
        QCOMPARE(db_.lastInsertRowId(), 6);
        QCOMPARE(db_.scalar(QStringLiteral("SELECT nom FROM Agents WHERE num = 6")).toString(), QStringLiteral("Sans numéro"));
        QCOMPARE(insertRow(db_, QStringLiteral("Agents"), {{QStringLiteral("num"), 40}, {QStringLiteral("nom"), QStringLiteral("x")}}), 40);
    }

    void namesComeBackAsTheSchemaSpellsThem()
    {
        QCOMPARE(db_.columns(QStringLiteral("agents")), (QStringList{"num", "nom", "Montant", "d"}));
        QCOMPARE(db_.queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = 1")).names(), (QStringList{"num", "nom", "Montant", "d"}));
        QCOMPARE(db_.queryOne(QStringLiteral("SELECT montant AS TotalMontant, NOM FROM Agents WHERE num = 1")).names(),
                 (QStringList{"TotalMontant", "nom"}));
        QVERIFY(db_.hasTable(QStringLiteral("AGENTS")));
        QVERIFY(!db_.hasTable(QStringLiteral("Nowhere")));
        QCOMPARE(db_.scalar(QStringLiteral("SELECT type FROM sqlite_master WHERE lower(name) = 'agents'")).toString(), QStringLiteral("table"));
        QCOMPARE(db_.objectTypes().value(QStringLiteral("textes")), QStringLiteral("table"));
    }

    void aFailedStepInsideATransactionIsUndoneAlone()
    {
        {
            Transaction outer(db_);
            db_.execute(QStringLiteral("DELETE FROM Agents WHERE num = 1"));
            try {
                Transaction inner(db_);
                db_.execute(QStringLiteral("DELETE FROM Agents WHERE num = 5"));
                db_.execute(QStringLiteral("INSERT INTO Agents (num, nom) VALUES (2, 'double')")); // the key is taken
                inner.commit();
                QFAIL("a second row of number 2 was accepted");
            } catch (const Error&) {
            }
            db_.execute(QStringLiteral("UPDATE Agents SET nom = 'Benali' WHERE num = 2"));
            outer.commit();
        }
        QCOMPARE(agents(), QStringLiteral("2:Benali,5:Zorro"));
        QVERIFY(!db_.inTransaction());
    }

    void aTriggersRefusalIsShownInItsAuthorsWords()
    {
        db_.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Agents BEGIN SELECT RAISE(ABORT, 'écriture refusée') "
                                   "WHERE NEW.nom = 'X'; END"));
        try {
            db_.execute(QStringLiteral("UPDATE Agents SET nom = 'X' WHERE num = 1"));
            QFAIL("the trigger did not refuse");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("écriture refusée"));
        }
        QCOMPARE(db_.execute(QStringLiteral("UPDATE Agents SET nom = 'Y' WHERE num = 1")), 1);
    }

    void theVersionIsKeptAndUndoneWithItsTransaction()
    {
        db_.setUserVersion(4);
        QCOMPARE(db_.userVersion(), 4);
        {
            Transaction t(db_);
            db_.setUserVersion(5);
            QCOMPARE(db_.userVersion(), 5);
        }
        QCOMPARE(db_.userVersion(), 4);
    }

    void failuresAreFrenchMessagesWithTheEnginesText_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("detail");
        QTest::newRow("key taken") << "INSERT INTO Agents (num, nom) VALUES (1, 'x')"
                                   << "Enregistrement refusé : il contredit une règle de la base de données." << "";
        QTest::newRow("no such table") << "INSERT INTO nowhere VALUES (1)" << "Erreur de la base de données." << "nowhere";
        QTest::newRow("no such column") << "UPDATE Agents SET absent = 1" << "Erreur de la base de données." << "absent";
    }
    void failuresAreFrenchMessagesWithTheEnginesText()
    {
        QFETCH(QString, sql);
        QFETCH(QString, start);
        QFETCH(QString, detail);
        try {
            db_.execute(sql);
            QFAIL("the statement was accepted");
        } catch (const Error& e) {
            QVERIFY2(e.message().startsWith(start + QStringLiteral("\nDétail : ")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(detail), qPrintable(e.message()));
        }
        QCOMPARE(agents(), QStringLiteral("1:Élise,2:benali,5:Zorro"));
    }

    void datesConvertBetweenShownAndStored()
    {
        QCOMPARE(toStoredDate(QStringLiteral("25/12/2021")).toString(), QStringLiteral("2021-12-25"));
        QVERIFY(toStoredDate(QStringLiteral("")).isNull());
        QVERIFY(toStoredDate(QStringLiteral("31/02/2021")).isNull());
        QCOMPARE(toShownDate(QStringLiteral("2021-03-05")), QStringLiteral("05/03/2021"));
        QCOMPARE(toShownDate(QVariant()), QString());
        // Stored dates compare as dates.
        QCOMPARE(db_.query(QStringLiteral("SELECT num FROM Agents WHERE d < ?"), {toStoredDate("01/03/2021")}).size(), 1);
    }

    void workspaceChecksTheSecurityFile()
    {
        KV_FILE_ONLY("the security file");
        const QString mdw = folder_.file(QStringLiteral("system.mdw"));
        createSecurityFile(mdw, QStringLiteral("ADMIN"), QStringLiteral("secret"));
        const EngineSettings engine{folder_.file("VOSK.INI"), "ADMIN", "secret", mdw};
        Workspace ws(engine, QStringLiteral("Special"), QStringLiteral("ADMIN"), QStringLiteral("secret"));
        auto db = ws.openDatabase(path_);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt(), 3);
        QVERIFY_THROWS_EXCEPTION(Error, Workspace(engine, "Special", "ADMIN", "wrong"));
        QVERIFY_THROWS_EXCEPTION(Error, Workspace(engine, "Special", "SOMEONE", "secret"));
        EngineSettings missing = engine;
        missing.securityFile = folder_.file(QStringLiteral("nowhere.mdw"));
        QVERIFY_THROWS_EXCEPTION(Error, Workspace(missing, "Special", "ADMIN", "secret"));
    }

    void aRecoveryOfASoundFileIsACompactCopy()
    {
        KV_FILE_ONLY("recovery of a database file");
        db_.execute(QStringLiteral("CREATE TABLE big (x TEXT)"));
        for (int i = 0; i < 200; ++i)
            db_.execute(QStringLiteral("INSERT INTO big VALUES (?)"), {QString(500, QChar('a' + i % 26))});
        db_.execute(QStringLiteral("DELETE FROM big"));
        db_.executeScript(QStringLiteral("CREATE INDEX Agents_nom ON Agents (nom); PRAGMA user_version = 3"));
        db_.close();
        const QByteArray original = folder_.read(QStringLiteral("t.db"));
        const QString work = folder_.file(QStringLiteral("prov.mdb"));
        Salvage salvage;
        QString error;
        QVERIFY2(recoverDatabase(path_, work, &salvage, &error), qPrintable(error));
        QCOMPARE(folder_.read(QStringLiteral("t.db")), original);      // only read
        QVERIFY(salvage.sound);
        QVERIFY(!salvage.lostRows());
        QCOMPARE(salvage.rows(), 4);                                   // 3 agents, 1 text
        QVERIFY(QFileInfo(work).size() < original.size());
        Database copy;
        copy.open(work, Database::Mode::ReadOnly);
        QCOMPARE(copy.scalar(QStringLiteral("SELECT nom FROM Agents WHERE num = 1")).toString(), QStringLiteral("Élise"));
        QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM Agents WHERE Montant IS NULL")).toInt(), 1);
        QCOMPARE(copy.userVersion(), 3);
        QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'Agents_nom'")).toInt(), 1);
    }

    void aRecoveryOfWhatIsNoDatabaseFails()
    {
        KV_FILE_ONLY("recovery of a database file");
        db_.close();
        const QString bad = folder_.file(QStringLiteral("ZEB_2020.MDB"));
        const QByteArray garbage(8192, '\x5a');
        folder_.write(QStringLiteral("ZEB_2020.MDB"), garbage);
        const QString work = folder_.file(QStringLiteral("prov.mdb"));
        folder_.write(QStringLiteral("prov.mdb"), "left over");
        QString error;
        QVERIFY(!recoverDatabase(bad, work, nullptr, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(folder_.read(QStringLiteral("ZEB_2020.MDB")), garbage);
        QVERIFY(!QFile::exists(work));
    }

    // A ledger of 3 757 lines with its indexes; one leaf page damaged, at its header (the page cannot be
    // read at all) or among its cells.
    void aRecoveryStepsOverDamagedPages_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<int>("offset");
        QTest::newRow("index leaf, header") << "Depenses_date" << 0;
        QTest::newRow("index leaf, cells") << "Depenses_date" << 1000;
        QTest::newRow("table leaf, header") << "Depenses" << 0;
        QTest::newRow("table leaf, cells") << "Depenses" << 1000;
        QTest::newRow("first table leaf") << "Depenses" << -1;
        QTest::newRow("last table leaf") << "Depenses" << -2;
        QTest::newRow("table root page") << "Depenses" << -3;
    }
    void aRecoveryStepsOverDamagedPages()
    {
        KV_FILE_ONLY("damaged pages of a file");
        QFETCH(QString, tree);
        QFETCH(int, offset);
        db_.executeScript(QStringLiteral(
            "CREATE TABLE Depenses (num INTEGER PRIMARY KEY, date TEXT, Montant REAL, ref TEXT COLLATE FR_NOCASE);"
            "CREATE INDEX Depenses_date ON Depenses (date, num, Montant);"
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 3757) "
            "INSERT INTO Depenses SELECT x, date('2021-01-01', '+' || (x % 365) || ' days'), x * 25 / 100.0, 'ligne ' || x FROM n;"
            "PRAGMA user_version = 4"));
        QMap<qint64, QString> original;
        for (const Row& r : db_.query(QStringLiteral("SELECT num, date || '|' || Montant || '|' || ref FROM Depenses")))
            original.insert(r.value(0).toLongLong(), r.value(1).toString());
        db_.close();
        const QList<test::Leaf> leaves = test::leaves(path_, tree);
        QVERIFY(leaves.size() > 4);
        test::Leaf leaf = offset == -1 ? leaves.first() : offset == -2 ? leaves.last() : leaves.at(leaves.size() / 2);
        if (offset == -3) {
            // The page over every leaf: no row of the table can be reached any more.
            Database file;
            file.open(path_, Database::Mode::ReadOnly);
            leaf = {file.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Depenses'")).toInt(),
                    int(original.size())};
        }
        QVERIFY(test::damagePage(path_, leaf.page, std::max(offset, 0), 300));
        QVERIFY(!checkDatabaseFile(path_, nullptr));
        const QByteArray damaged = folder_.read(QStringLiteral("t.db"));

        const QString work = folder_.file(QStringLiteral("prov.mdb"));
        Salvage salvage;
        QString error;
        QVERIFY2(recoverDatabase(path_, work, &salvage, &error), qPrintable(error));
        QCOMPARE(folder_.read(QStringLiteral("t.db")), damaged);
        QVERIFY(!salvage.sound);
        QVERIFY(checkDatabaseFile(work, nullptr));
        Database copy;
        copy.open(work, Database::Mode::ReadOnly);
        QMap<qint64, QString> back;
        for (const Row& r : copy.query(QStringLiteral("SELECT num, date || '|' || Montant || '|' || ref FROM Depenses")))
            back.insert(r.value(0).toLongLong(), r.value(1).toString());
        // Every row that came back is a row of the file as it was, none made up from the damaged bytes.
        for (auto it = back.cbegin(); it != back.cend(); ++it)
            QVERIFY2(original.value(it.key()) == it.value(), qPrintable(QString::number(it.key()) + u' ' + it.value()));
        const SalvagedTable& depenses = salvage.tables.at(2);
        QCOMPARE(depenses.name, QStringLiteral("Depenses"));
        QCOMPARE(depenses.rows, back.size());
        if (tree == QLatin1String("Depenses_date")) {
            // The index is rebuilt from the table rows: everything comes back.
            QCOMPARE(back.size(), original.size());
            QVERIFY(!salvage.lostRows());
            QCOMPARE(copy.scalar(QStringLiteral("SELECT sum(Montant) FROM Depenses")).toDouble(), 3757.0 * 3758 / 2 * 0.25);
        } else {
            // At most the rows of the damaged page are lost; those of the other pages all come back.
            QVERIFY(depenses.damaged);
            QVERIFY(salvage.lostRows());
            QVERIFY2(back.size() >= original.size() - leaf.cells, qPrintable(QString::number(back.size())));
            QVERIFY(back.size() < original.size());
            if (offset <= 0)
                QCOMPARE(back.size(), original.size() - leaf.cells);
        }
        QCOMPARE(salvage.tables.at(0).rows, 3);                            // the other tables whole
        QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM Depenses WHERE date >= '2021-06-01'")).toInt(),
                 int(std::count_if(back.cbegin(), back.cend(), [](const QString& v) { return v.left(10) >= QLatin1String("2021-06-01"); })));
        QCOMPARE(copy.userVersion(), 4);
    }

    void aCopyEmptyingTablesKeepsEverythingElseAsItWas()
    {
        KV_FILE_ONLY("copies of a database file");
        db_.executeScript(QStringLiteral(
            "CREATE TABLE Depenses (num INTEGER PRIMARY KEY AUTOINCREMENT, veh INTEGER, Montant REAL);"
            "CREATE INDEX Depenses_veh ON Depenses (veh, Montant);"
            "CREATE INDEX Agents_nom ON Agents (nom);"
            "CREATE TABLE log (what TEXT);"
            "CREATE TRIGGER Agents_log AFTER INSERT ON Agents BEGIN INSERT INTO log VALUES (NEW.nom); END;"
            "CREATE VIEW Noms AS SELECT nom FROM Agents;"
            "INSERT INTO Depenses (veh, Montant) VALUES (1, 5), (2, 7), (3, 9);"
            "PRAGMA user_version = 7; PRAGMA application_id = 4242;"));
        const auto schemaOf = [](Database& db) {
            QStringList objects;
            for (const Row& r : db.query(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name")))
                objects << r.values().at(0).toString() + u'|' + r.values().at(1).toString() + u'|'
                               + r.values().at(2).toString() + u'|' + r.values().at(3).toString();
            return objects;
        };
        const QStringList schemaBefore = schemaOf(db_);
        const Rows agentsBefore = db_.query(QStringLiteral("SELECT * FROM Agents ORDER BY num"));
        db_.close();
        const QByteArray sourceBefore = folder_.read(QStringLiteral("t.db"));

        const QString copy = folder_.file(QStringLiteral("copie.mdb"));
        folder_.write(QStringLiteral("copie.mdb"), "reste");
        QString error;
        QVERIFY2(copyDatabaseEmptying(path_, copy, {QStringLiteral("depenses")}, &error), qPrintable(error));
        QCOMPARE(folder_.read(QStringLiteral("t.db")), sourceBefore); // only read

        Database c;
        c.open(copy, Database::Mode::ReadOnly);
        QCOMPARE(schemaOf(c), schemaBefore);
        QCOMPARE(c.userVersion(), 7);
        QCOMPARE(c.scalar(QStringLiteral("PRAGMA application_id")).toInt(), 4242);
        const Rows agents = c.query(QStringLiteral("SELECT * FROM Agents ORDER BY num"));
        QCOMPARE(agents.size(), agentsBefore.size());
        for (int i = 0; i < agents.size(); ++i)
            QCOMPARE(agents[i].values(), agentsBefore[i].values());
        QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toInt(), 0);
        QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM textes")).toInt(), 1);
        // The trigger was not fired by the copy of the rows, and the text order still ignores case.
        QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM log")).toInt(), 0);
        QCOMPARE(c.scalar(QStringLiteral("SELECT nom FROM Noms ORDER BY nom LIMIT 1")).toString(), QStringLiteral("benali"));
        // The counter of the emptied table goes on: a new line does not take a number used last year.
        QCOMPARE(c.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'Depenses'")).toInt(), 3);
        QCOMPARE(c.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    void aFailedCopyEmptyingLeavesNoTarget_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::newRow("pas une base") << QByteArray(8192, '\x5a');
        QTest::newRow("absente") << QByteArray();
    }
    void aFailedCopyEmptyingLeavesNoTarget()
    {
        KV_FILE_ONLY("copies of a database file");
        QFETCH(QByteArray, source);
        db_.close();
        const QString from = folder_.file(QStringLiteral("source.mdb"));
        QFile::remove(from);
        if (!source.isEmpty())
            folder_.write(QStringLiteral("source.mdb"), source);
        const QString copy = folder_.file(QStringLiteral("copie.mdb"));
        QString error;
        QVERIFY(!copyDatabaseEmptying(from, copy, {QStringLiteral("Agents")}, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(copy));
        if (!source.isEmpty())
            QCOMPARE(folder_.read(QStringLiteral("source.mdb")), source);
    }

    void atomicCopyKeepsTargetOnFailure()
    {
        KV_FILE_ONLY("file copies");
        folder_.write(QStringLiteral("target.mdb"), "old");
        QString error;
        QVERIFY(!copyFileAtomic(folder_.file(QStringLiteral("nothing.mdb")), folder_.file(QStringLiteral("target.mdb")), &error));
        QCOMPARE(folder_.read(QStringLiteral("target.mdb")), QByteArray("old"));
        folder_.write(QStringLiteral("source.mdb"), "new");
        QVERIFY(copyFileAtomic(folder_.file(QStringLiteral("source.mdb")), folder_.file(QStringLiteral("target.mdb")), &error));
        QCOMPARE(folder_.read(QStringLiteral("target.mdb")), QByteArray("new"));
    }

    void atomicCopyCopiesEveryByte_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("vide") << 0;
        QTest::newRow("un octet") << 1;
        QTest::newRow("plusieurs mégaoctets, pas un multiple du bloc") << (5 << 20) + 12345;
    }
    void atomicCopyCopiesEveryByte()
    {
        KV_FILE_ONLY("file copies");
        QFETCH(int, size);
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char((quint32(i) * 7919u) >> 3);
        folder_.write(QStringLiteral("source.mdb"), bytes);
        folder_.write(QStringLiteral("target.mdb"), QByteArray(9 << 20, 'x')); // longer than the copy
        QString error;
        QVERIFY2(copyFileAtomic(folder_.file(QStringLiteral("source.mdb")), folder_.file(QStringLiteral("target.mdb")), &error),
                 qPrintable(error));
        QCOMPARE(folder_.read(QStringLiteral("target.mdb")), bytes);
        QVERIFY(!QFile::exists(temporaryOf(folder_.file(QStringLiteral("target.mdb")))));
    }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
