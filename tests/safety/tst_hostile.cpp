// Hostile text: quotes, wildcard characters of the engine and of the old query syntax (%, _, *, #),
// backslashes, Arabic and very long strings reach every function that builds a query from typed text,
// and come out as plain text: stored and read back unchanged, searched as a plain "begins with",
// refused by the checks that refuse them, and never able to change what a report's query does.
#include "harness/FixtureTest.h"
#include "core/formats/Dates.h"
#include "core/ledger/Ledger.h"
#include "core/reports/ReportRoutine.h"
#include "exercise/archives/Archives.h"
#include "payroll/pay/Pay.h"
#include "people/registers/PersonStore.h"
#include "people/search/ClientSearch.h"
#include "platform/reports/ReportEngine.h"
#include "platform/reports/SqlGuard.h"

#include <QTest>
#include <QRegularExpression>
#include <QTextDocument>

using namespace kv;
using namespace kv::test;

namespace {

/// The names already in the register, which a wildcard taken as such would wrongly find.
const QStringList kDecoys = {QStringLiteral("axb"),     QStringLiteral("1000"),  QStringLiteral("Zorro"),
                             QStringLiteral("\\x"),     QStringLiteral("O"),     QStringLiteral("x"),
                             QStringLiteral("o'brien"), QStringLiteral("عبد"), QStringLiteral("#")};

qint64 addClient(db::Database& db, const QString& nom, const QString& prenom = QStringLiteral("P"))
{
    people::PersonEntry e;
    e.nom = nom;
    e.prenom = prenom;
    return people::addPerson(db, people::PersonKind::clients(), e);
}

} // namespace

class HostileTextTest : public FixtureTest {
    Q_OBJECT


private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
    }
    void cleanup() { f_.reset(); }

    void hostile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << "O'Brien";
        QTest::newRow("injection") << "'; DROP TABLE Agents; --";
        QTest::newRow("always true") << "' OR '1'='1";
        QTest::newRow("double quotes") << "\"Saïdi\" & fils";
        QTest::newRow("percent") << "100%";
        QTest::newRow("underscore") << "a_b";
        QTest::newRow("star") << "*";
        QTest::newRow("star inside") << "Zo*";
        QTest::newRow("hash date") << "#01/02/2021#";
        QTest::newRow("backslash") << "back\\slash";
        QTest::newRow("escaped percent") << "\\%";
        QTest::newRow("lone backslash") << "\\";
        QTest::newRow("named parameter") << ":annee";
        QTest::newRow("arabic") << "عبد الله بن محمد";
        QTest::newRow("mixed direction") << "SARL النقل 'Atlas'";
        QTest::newRow("10000 characters") << QString(10000, u'é');
        QTest::newRow("10000 arabic with quotes") << QString(5000, u'ع') + "'%_*#\\" + QString(4994, u'x');
        QTest::newRow("control characters") << QString::fromUtf8("a\tb\r\nc\x01");
    }

    /// The client search: a plain "begins with", letter case ignored, whatever the text holds.
    void clientSearchTakesTextAsPlainText_data() { hostile_data(); }
    void clientSearchTakesTextAsPlainText()
    {
        QFETCH(QString, text);
        QStringList names = kDecoys;
        names << text << text + QStringLiteral(" SARL");
        QMap<qint64, QString> byNum;
        for (const QString& n : names)
            byNum.insert(addClient(db(), n), n);
        for (const QString& typed : {text, text.left(3)}) {
            QSet<qint64> expected;
            for (auto it = byNum.cbegin(); it != byNum.cend(); ++it)
                if (it.value().startsWith(typed.trimmed(), Qt::CaseInsensitive))
                    expected.insert(it.key());
            QSet<qint64> found;
            for (const people::ClientFound& c : people::searchClients(db(), {typed, std::nullopt}))
                found.insert(c.num);
            QCOMPARE(found, expected);
            found.clear();
            for (const people::ClientFound& c : people::searchClients(db(), {std::nullopt, QStringLiteral("P")}))
                found.insert(c.num);
            QCOMPARE(found.size(), names.size());
        }
        QCOMPARE(db().scalar("SELECT count(*) FROM Agents").toInt(), names.size()); // the table is all there
    }

    /// A person's names, stored and read back; the duplicate check matches only the same names.
    void personNamesAreStoredAsTyped_data() { hostile_data(); }
    void personNamesAreStoredAsTyped()
    {
        QFETCH(QString, text);
        for (const QString& d : kDecoys)
            addClient(db(), d, d);
        people::PersonEntry e;
        e.nom = text;
        e.prenom = text;
        e.ville = text;
        e.tel = text;
        const qint64 num = people::addPerson(db(), people::PersonKind::clients(), e);
        const std::optional<people::PersonEntry> back = people::readPerson(db(), num);
        QVERIFY(back);
        QCOMPARE(back->nom, text.trimmed());
        QCOMPARE(back->ville, text.trimmed());
        QVERIFY(people::duplicateExists(db(), text, text));
        QVERIFY(!people::duplicateExists(db(), text + QStringLiteral("z"), text));
        e.nom = text + QStringLiteral("'");
        QVERIFY(people::updatePerson(db(), people::PersonKind::clients(), num, e));
        QCOMPARE(people::readPerson(db(), num)->nom, (text + QStringLiteral("'")).trimmed());
        QCOMPARE(db().scalar("SELECT count(*) FROM Agents").toInt(), kDecoys.size() + 1);
    }

    /// A ledger line's object and a pay's observations, stored and read back unchanged.
    void ledgerObjectAndObservationsAreStoredAsTyped_data() { hostile_data(); }
    void ledgerObjectAndObservationsAreStoredAsTyped()
    {
        QFETCH(QString, text);
        ledger::Line l;
        l.date = QStringLiteral("02/03/2021");
        l.montant = 10;
        l.ref = text;
        const qint64 num = ledger::add(db(), ledger::Book::Depenses, l);
        QCOMPARE(db().scalar("SELECT ref FROM Depenses WHERE num = ?", {num}).toString(), text);
        l.ref = text + text.left(1);
        QVERIFY(ledger::update(db(), ledger::Book::Depenses, num, l));
        QCOMPARE(db().scalar("SELECT ref FROM Depenses WHERE num = ?", {num}).toString(), l.ref);
        QCOMPARE(db().scalar("SELECT count(*) FROM Depenses").toInt(), 1);

        const qint64 agent = addClient(db(), QStringLiteral("Haddad"));
        payroll::saveObservations(db(), agent, text);
        QCOMPARE(db().scalar("SELECT obs FROM Agents WHERE num = ?", {agent}).toString(), text.trimmed());
    }

    /// Checks refuse such text instead of building a name or a date from it.
    void checksRefuseIt_data() { hostile_data(); }
    void checksRefuseIt()
    {
        QFETCH(QString, text);
        QVERIFY(!isValidDate(text));
        QVERIFY(exercise::archiveName(text).isEmpty());
        // Ten characters of it, the length an archive date has.
        QVERIFY(exercise::archiveName(text.left(10).leftJustified(10, u'\'')).isEmpty());
    }

    /// A report parameter is bound: the query sees the text as a value, the page shows it as text.
    void reportParametersAreValues_data() { hostile_data(); }
    void reportParametersAreValues()
    {
        QFETCH(QString, text);
        addClient(db(), text);
        addClient(db(), QStringLiteral("autre"));
        QString error;
        const reports::Template tpl = reports::parseTemplate(
            QStringLiteral("<!--kavorel-report\ntitle: Essai\nquery q: SELECT :p AS v, (SELECT count(*) FROM Agents WHERE nom = :p) AS n\n-->\n"
                           "<html><body><p>[{{#q}}{{v}}|{{n}}{{/q}}]</p></body></html>"),
            QStringLiteral("Essai.RPT"), &error);
        QVERIFY2(tpl.valid, qPrintable(error));
        const reports::QueryRunner runner = [this](const QString& sql, const QVariantMap& bound) {
            QString why;
            if (!db().isReadOnlyQuery(sql, &why))
                throw db::Error(why);
            QList<reports::Row> rows;
            for (const db::Row& r : db().query(sql, bound))
                rows << r.toMap();
            return rows;
        };
        const QString html = reports::fill(tpl, {}, runner, {{QStringLiteral("p"), text}}, &error);
        QVERIFY2(!html.isNull(), qPrintable(error));
        QTextDocument doc;
        doc.setHtml(html);
        const QString shown = doc.toPlainText();
        // The page shows the value as it is (white space other than blanks aside, which HTML folds).
        if (text.contains(QRegularExpression(QStringLiteral("[\\t\\r\\n\\x01]"))))
            QVERIFY2(shown.contains(QStringLiteral("|1]")), qPrintable(shown.left(200)));
        else
            QVERIFY2(shown.contains(QStringLiteral("[") + text + QStringLiteral("|1]")), qPrintable(shown.left(200)));
        QCOMPARE(db().scalar("SELECT count(*) FROM Agents").toInt(), 2);
    }

    /// A template restyled into sections nested without end, or into lists that multiply beyond any
    /// document, is refused with a message instead of exhausting the stack or never ending.
    void reportTemplateThatWouldNeverEndIsRefused_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("sections nested 2000 deep") << 2000 << "sections imbriquées";
        QTest::newRow("lists multiplying 40 deep") << 40 << "répètent le document";
    }
    void reportTemplateThatWouldNeverEndIsRefused()
    {
        QFETCH(int, depth);
        QFETCH(QString, refusal);
        QString error;
        const reports::Template tpl = reports::parseTemplate(
            QStringLiteral("<!--kavorel-report\nquery q: SELECT 1 AS n UNION ALL SELECT 2\n-->\n") + QStringLiteral("{{#q}}").repeated(depth)
                + QStringLiteral("{{n}} and some text to fill the page") + QStringLiteral("{{/q}}").repeated(depth),
            QStringLiteral("Boucle.RPT"), &error);
        QVERIFY2(tpl.valid, qPrintable(error));
        const reports::QueryRunner runner = [this](const QString& sql, const QVariantMap& bound) {
            QList<reports::Row> rows;
            for (const db::Row& r : db().query(sql, bound))
                rows << r.toMap();
            return rows;
        };
        QVERIFY(reports::fill(tpl, {}, runner, {}, &error).isNull());
        QVERIFY2(error.contains(refusal) && error.contains(QStringLiteral("Boucle.RPT")), qPrintable(error));
    }

    /// The read-only guard judges the statement, not the words inside its literals; the text alone, or
    /// a statement built around it, is refused when it writes.
    void readOnlyGuardIsNotFooled_data() { hostile_data(); }
    void readOnlyGuardIsNotFooled()
    {
        QFETCH(QString, text);
        QString literal = text;
        literal.replace(u'\'', QStringLiteral("''"));
        const QString select = QStringLiteral("SELECT count(*) AS n FROM Agents WHERE nom = '") + literal + u'\'';
        QCOMPARE(reports::readOnlyViolation(select), QString());
        QVERIFY(db().isReadOnlyQuery(select));
        QCOMPARE(db().scalar(select).toInt(), 0);
        for (const QString& writing : {QStringLiteral("DELETE FROM Agents WHERE nom = '") + literal + u'\'',
                                       select + QStringLiteral("; DELETE FROM Agents"),
                                       QStringLiteral("UPDATE Agents SET nom = '") + literal + u'\''}) {
            QVERIFY2(!reports::readOnlyViolation(writing).isEmpty(), qPrintable(writing.left(80)));
            QVERIFY(!db().isReadOnlyQuery(writing));
        }
        // The text on its own is no statement that reads (or is one that writes): refused either way,
        // and its parameter names are found without reading past it.
        QVERIFY(!reports::readOnlyViolation(text).isEmpty());
        reports::parameterNames(text);
        QVERIFY(db().hasTable(QStringLiteral("Agents")));
    }
};

QTEST_MAIN(HostileTextTest)
#include "tst_hostile.moc"
