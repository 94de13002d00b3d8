// The engine layer: queries, text compares, record sets, numbering, transactions, the workspace and
// the file operations on closed databases.
#include "PageDamage.h"
#include "harness/TestFolder.h"
#include "platform/db/Dates.h"
#include "platform/db/Database.h"
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

private slots:
    void init()
    {
        path_ = folder_.file(QStringLiteral("t.db"));
        QFile::remove(path_);
        db_.open(path_, Database::Mode::Create);
        db_.executeScript(QStringLiteral(
            "CREATE TABLE Agents (num INTEGER PRIMARY KEY, nom TEXT COLLATE FR_NOCASE, Montant REAL, d TEXT);"
            "CREATE TABLE textes (ch1 TEXT, ch2 TEXT);"
            "INSERT INTO Agents VALUES (1, 'Élise', 10.5, '2021-03-05');"
            "INSERT INTO Agents VALUES (2, 'benali', 20, NULL);"
            "INSERT INTO Agents VALUES (5, 'Zorro', NULL, '2021-01-02');"
            "INSERT INTO textes (ch1) VALUES ('a');"));
    }
    void cleanup() { db_.close(); }

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
        QCOMPARE(db_.scalar(QStringLiteral("SELECT group_concat(num || ':' || nom, ',') FROM Agents")).toString(),
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
        QCOMPARE(db_.scalar(QStringLiteral("SELECT group_concat(num || ':' || nom || ':' || coalesce(Montant, 'null'), ',') FROM Agents")).toString(),
                 QStringLiteral("1:x' OR '1'='1:null,2:benali:20.0,5:Zorro:null"));
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
        QCOMPARE(db_.scalar(QStringLiteral("SELECT group_concat(num) FROM Agents")).toString(), QStringLiteral("1"));
    }

    // ---- reads cannot write --------------------------------------------------------------------------

    void aConstDatabaseCannotWrite_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("insert") << "INSERT INTO Agents (num, nom) VALUES (9, 'x')";
        QTest::newRow("insert returning") << "INSERT INTO Agents (num, nom) VALUES (9, 'x') RETURNING num";
        QTest::newRow("update") << "UPDATE Agents SET nom = 'x'";
        QTest::newRow("delete") << "DELETE FROM Agents";
        QTest::newRow("create") << "CREATE TABLE t (a)";
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
        QCOMPARE(db_.scalar(QStringLiteral("SELECT group_concat(num || ':' || nom, ',') FROM Agents")).toString(),
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
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        const Database& reader = db_;
        QVERIFY(!reader.query(sql, params).isEmpty());
    }

    void openRefusesMissingAndForeignFiles()
    {
        Database other;
        QVERIFY_THROWS_EXCEPTION(Error, other.open(folder_.file(QStringLiteral("absent.mdb"))));
        QVERIFY(!QFile::exists(folder_.file(QStringLiteral("absent.mdb"))));
        folder_.write(QStringLiteral("garbage.mdb"), QByteArray(4096, 'x'));
        QVERIFY_THROWS_EXCEPTION(Error, other.open(folder_.file(QStringLiteral("garbage.mdb"))));
        QVERIFY(!other.isOpen());
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
