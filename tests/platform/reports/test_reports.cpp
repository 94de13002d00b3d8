// The report engine: template header, query guard, filling, PDF rendering and the preview window.
#include "platform/reports/ReportEngine.h"
#include "platform/reports/ReportPreview.h"
#include "platform/reports/SqlGuard.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <stdexcept>

using namespace kv::reports;


namespace {

const QString kDataDir = QStringLiteral(KAVOREL_SOURCE_DIR "/tests/platform/reports/data");
const QChar kNbsp(0x00A0);

QString withHeader(const QString& headerLines, const QString& body = QStringLiteral("<p>x</p>"))
{
    return QStringLiteral("<!--kavorel-report\n") + headerLines + QStringLiteral("\n-->\n") + body;
}

Template bodyOnly(const QString& body, const QList<Query>& queries = {})
{
    Template t;
    t.title = QStringLiteral("Essai");
    t.body = body;
    t.queries = queries;
    t.valid = true;
    return t;
}

// A runner that answers from fixed rows and remembers what it was asked.
struct FakeDatabase {
    QList<QPair<QString, QList<Row>>> answers; // the first whose text fragment the query contains
    QList<QPair<QString, QVariantMap>> calls;

    void answer(const QString& fragment, const QList<Row>& rows) { answers.append({fragment, rows}); }

    QueryRunner runner()
    {
        return [this](const QString& sql, const QVariantMap& bound) {
            calls.append({sql, bound});
            for (const auto& [fragment, rows] : std::as_const(answers)) {
                if (sql.contains(fragment))
                    return rows;
            }
            return QList<Row>{};
        };
    }
};

QList<Row> vehicleRows(int count)
{
    QList<Row> rows;
    for (int i = 1; i <= count; ++i) {
        rows.append(Row{{QStringLiteral("num"), i},
                        {QStringLiteral("matricule"), QStringLiteral("AB-%1").arg(i, 3, 10, QChar(u'0'))},
                        {QStringLiteral("marque"), i % 3 ? QStringLiteral("Renault <Kangoo>") : QStringLiteral("Peugeot & Cie")},
                        {QStringLiteral("km"), 12345 * i},
                        {QStringLiteral("achat"), 1500.5 * i}});
    }
    return rows;
}

const QVariantMap kTextes{{QStringLiteral("ch1"), QStringLiteral("SOCIÉTÉ DE TRANSPORT")},
                          {QStringLiteral("ch2"), QStringLiteral("12, rue des Oliviers")},
                          {QStringLiteral("ch3"), QStringLiteral("Tél. 0555 12 34 56")},
                          {QStringLiteral("ch30"), QStringLiteral("شركة النقل")},
                          {QStringLiteral("ch4"), QStringLiteral("Parc automobile")}};

// A rendered PDF page (transparent where nothing is drawn) as it looks on paper.
QImage onWhite(const QImage& page)
{
    QImage paper(page.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, page);
    return paper;
}

// The look of a page from afar: rendered, put on white paper and shrunk, so that the way the text
// was drawn (vector or picture) does not count, only what stands where.
QImage pageLook(QPdfDocument& pdf, int page)
{
    return onWhite(pdf.render(page, QSize(595, 842))).scaled(60, 85, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// True when the middle of a picture holds dark pixels (text), not only paper and background.
bool showsInk(const QImage& image)
{
    const QRect middle(image.width() / 4, image.height() / 8, image.width() / 2, image.height() * 3 / 4);
    int dark = 0;
    for (int y = middle.top(); y <= middle.bottom(); y += 2)
        for (int x = middle.left(); x <= middle.right(); x += 2)
            dark += qGray(image.pixel(x, y)) < 80;
    return dark > 200;
}

QStringList pdfPages(const QString& path)
{
    QPdfDocument pdf;
    if (pdf.load(path) != QPdfDocument::Error::None)
        return {};
    QStringList pages;
    for (int i = 0; i < pdf.pageCount(); ++i)
        pages << pdf.getAllText(i).text().replace(kNbsp, u' '); // extraction gives no-break spaces as spaces
    return pages;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    // Template header
    void loadsTheVehicleListTemplate();
    void headerSettings_data();
    void headerSettings();
    void malformedTemplate_data();
    void malformedTemplate();
    void unreadableFileFailsCleanly();

    // Query guard
    void refusesQueriesThatWrite_data();
    void refusesQueriesThatWrite();
    void acceptsReadingQueries_data();
    void acceptsReadingQueries();
    void parameterNamesIgnoreLiteralsAndComments_data();
    void parameterNamesIgnoreLiteralsAndComments();

    // Filling
    void fillsTextesRowsAndParams();
    void insertedValuesAreEscaped_data();
    void insertedValuesAreEscaped();
    void valuesShowAsText_data();
    void valuesShowAsText();
    void sectionOnAValueShowsWhenItIsNotEmpty_data();
    void sectionOnAValueShowsWhenItIsNotEmpty();
    void rowHelpersAndEmptyResults();
    void formatHelpers_data();
    void formatHelpers();
    void fillFailures_data();
    void fillFailures();
    void templateThatFailedToLoadIsNotFilled();

    // Rendering
    void rendersLongTableOverThreePages();
    void pageOrientation_data();
    void pageOrientation();
    void picturesAreFoundBesideTheTemplate();
    void renderFailsCleanlyOnUnwritableTarget();
    void renderReportStopsAtTheFirstError();

    // Preview window
    void previewNavigatesPages();
    void previewZooms();
    void closedPreviewIsNotUpdatedAnyMore();
    void previewRefusesWhatIsNotAPdf();
    void previewPrintsPageRange_data();
    void previewPrintsPageRange();
    void previewSavesACopy();
    void showPreviewOpensModalWindow();

private:
    QString threePagePdf();

    QTemporaryDir tmp_;
    QString threePagePdf_;
};

void TestReports::initTestCase()
{
    QVERIFY(tmp_.isValid());
}

QString TestReports::threePagePdf()
{
    if (threePagePdf_.isEmpty()) {
        FakeDatabase db;
        db.answer(QStringLiteral("v.matricule"), vehicleRows(100));
        db.answer(QStringLiteral("sum(achat)"), {Row{{QStringLiteral("achats"), 7575025.0}}});
        const QString out = tmp_.filePath(QStringLiteral("vehicules.pdf"));
        QString error;
        if (renderReport(kDataDir + QStringLiteral("/vehicules.RPT"), kTextes, db.runner(),
                         {{QStringLiteral("annee"), 2024}}, out, &error))
            threePagePdf_ = out;
        else
            qWarning() << error;
    }
    return threePagePdf_;
}

// --- Template header ---------------------------------------------------------------------------

void TestReports::loadsTheVehicleListTemplate()
{
    QString error;
    const Template t = load(kDataDir + QStringLiteral("/vehicules.RPT"), &error);
    QVERIFY2(t.valid, qPrintable(error));
    QCOMPARE(t.title, QStringLiteral("Liste des véhicules"));
    QCOMPARE(t.orientation, QPageLayout::Portrait);
    QCOMPARE(t.marginsMm, QMarginsF(12, 15, 12, 20));
    QCOMPARE(t.queries.size(), 2);
    QCOMPARE(t.queries[0].name, QStringLiteral("vehicules"));
    // The indented lines continue the query, one line each.
    QCOMPARE(t.queries[0].sql, QStringLiteral("SELECT v.num, v.matricule, v.marque, v.km, v.achat\n"
                                              "FROM Vehicules v\n"
                                              "WHERE v.num IN (SELECT CAST(num AS INTEGER) FROM Tampon1) AND v.annee = :annee\n"
                                              "ORDER BY v.ordre"));
    QCOMPARE(t.queries[1], (Query{QStringLiteral("total"),
                                  QStringLiteral("SELECT sum(achat) AS achats FROM Vehicules WHERE annee = :annee")}));
    QVERIFY(t.body.trimmed().startsWith(QStringLiteral("<html>")));
    QCOMPARE(t.bodyFirstLine, 12); // the body begins right after "-->"
}

void TestReports::headerSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<QStringList>("queries");

    const QMarginsF standard(15, 15, 15, 20);
    QTest::newRow("empty header: file name as title, portrait, standard margins")
        << withHeader(QString()) << "Liste_V" << QPageLayout::Portrait << standard << QStringList();
    QTest::newRow("paysage") << withHeader("title: Caisse\norientation: paysage") << "Caisse"
                             << QPageLayout::Landscape << standard << QStringList();
    QTest::newRow("landscape, any case") << withHeader("Orientation: Landscape") << "Liste_V"
                                         << QPageLayout::Landscape << standard << QStringList();
    QTest::newRow("one margin for all sides") << withHeader("margins: 20") << "Liste_V" << QPageLayout::Portrait
                                              << QMarginsF(20, 20, 20, 20) << QStringList();
    QTest::newRow("vertical and horizontal margins") << withHeader("margins: 18 10mm") << "Liste_V"
                                                     << QPageLayout::Portrait << QMarginsF(10, 18, 10, 18) << QStringList();
    QTest::newRow("comments and blank lines") << withHeader("# list of agents\n\ntitle: Agents\n   \n# end")
                                              << "Agents" << QPageLayout::Portrait << standard << QStringList();
    QTest::newRow("windows line ends and byte order mark")
        << QString(QChar(0xFEFF)) + withHeader("title: Agents\r\nquery a: SELECT 1\r\nquery b: SELECT 2\r").replace("\n", "\r\n")
        << "Agents" << QPageLayout::Portrait << standard << QStringList{"a", "b"};
    QTest::newRow("colon inside the query") << withHeader("query j: SELECT * FROM Depenses WHERE date = :jour")
                                            << "Liste_V" << QPageLayout::Portrait << standard << QStringList{"j"};
}

void TestReports::headerSettings()
{
    QFETCH(QString, text);
    QString error;
    const Template t = parseTemplate(text, QStringLiteral("/prog/Liste_V.RPT"), &error);
    QVERIFY2(t.valid, qPrintable(error));
    QFETCH(QString, title);
    QCOMPARE(t.title, title);
    QFETCH(QPageLayout::Orientation, orientation);
    QCOMPARE(t.orientation, orientation);
    QFETCH(QMarginsF, margins);
    QCOMPARE(t.marginsMm, margins);
    QFETCH(QStringList, queries);
    QStringList names;
    for (const Query& q : t.queries)
        names << q.name;
    QCOMPARE(names, queries);
    if (!queries.isEmpty())
        QVERIFY(!t.queries.back().sql.contains(u'\r'));
}

void TestReports::malformedTemplate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("line");

    QTest::newRow("no header") << "<html><p>{{textes.ch1}}</p></html>" << "doit ouvrir le fichier" << 0;
    QTest::newRow("header after the body") << "<p>x</p>\n<!--kavorel-report\n-->" << "doit ouvrir le fichier" << 0;
    QTest::newRow("header not closed") << "\n<!--kavorel-report\ntitle: x\n<p>x</p>" << "n'est pas fermé" << 2;
    QTest::newRow("text after the opening") << "<!--kavorel-report title: x\n-->" << "rien ne doit suivre" << 1;
    QTest::newRow("unknown key") << withHeader("title: x\ncouleur: rouge") << "clé « couleur » inconnue" << 3;
    QTest::newRow("line without colon") << withHeader("title x") << "clé: valeur" << 2;
    QTest::newRow("unknown orientation") << withHeader("orientation: oblique") << "orientation « oblique »" << 2;
    QTest::newRow("title given twice") << withHeader("title: a\ntitle: b") << "deux fois" << 3;
    QTest::newRow("margins not numbers") << withHeader("margins: large") << "marges « large »" << 2;
    QTest::newRow("five margins") << withHeader("margins: 1 2 3 4 5") << "marges" << 2;
    QTest::newRow("no room for the page number") << withHeader("margins: 15 15 5 15") << "10 mm" << 2;
    QTest::newRow("query name with a blank") << withHeader("query mes vehicules: SELECT 1") << "invalide" << 2;
    QTest::newRow("query name starting with a digit") << withHeader("query 2v: SELECT 1") << "invalide" << 2;
    QTest::newRow("query name taken by the engine") << withHeader("query Textes: SELECT 1") << "réservé" << 2;
    QTest::newRow("query declared twice") << withHeader("query a: SELECT 1\nquery a: SELECT 2") << "deux fois" << 3;
    QTest::newRow("indented line outside a query") << withHeader("title: x\n   SELECT 1") << "en retrait" << 3;
    QTest::newRow("empty query") << withHeader("query a:") << "requête « a » refusée : la requête est vide" << 2;
    QTest::newRow("query that writes")
        << withHeader("title: x\nquery purge:\n    DELETE FROM Tampon1") << "requête « purge » refusée" << 3;
    QTest::newRow("section not closed")
        << withHeader("title: x", "<table>\n{{#vehicules}}\n<tr></tr>\n</table>") << "section « vehicules » non fermée" << 5;
    QTest::newRow("section closed twice")
        << withHeader("", "<p>\n\n{{#a}}{{/a}}{{/a}}</p>") << "fin de section « a » sans début" << 6;
    QTest::newRow("tag not closed") << withHeader("", "<p>{{textes.ch1</p>") << "non fermée" << 4;
}

void TestReports::malformedTemplate()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, line);
    QString error;
    const Template t = parseTemplate(text, QStringLiteral("/prog/Liste_V.RPT"), &error);
    QVERIFY(!t.valid);
    QVERIFY2(error.startsWith(QStringLiteral("Modèle « Liste_V.RPT »")), qPrintable(error));
    QVERIFY2(error.contains(message), qPrintable(error));
    if (line > 0)
        QVERIFY2(error.contains(QStringLiteral(", ligne %1 :").arg(line)), qPrintable(error));
    else
        QVERIFY2(!error.contains(QStringLiteral("ligne")), qPrintable(error));
}

void TestReports::unreadableFileFailsCleanly()
{
    QString error;
    const Template missing = load(tmp_.filePath(QStringLiteral("Absent.RPT")), &error);
    QVERIFY(!missing.valid);
    QVERIFY(missing.queries.isEmpty() && missing.body.isEmpty());
    QVERIFY2(error.contains(QStringLiteral("Absent.RPT")), qPrintable(error));

    error.clear();
    const Template folder = load(tmp_.path(), &error);
    QVERIFY(!folder.valid);
    QVERIFY(!error.isEmpty());
}

// --- Query guard -------------------------------------------------------------------------------

void TestReports::refusesQueriesThatWrite_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason");

    QTest::newRow("insert") << "INSERT INTO Tampon1 (num) VALUES ('1')" << "SELECT ou WITH";
    QTest::newRow("update") << "UPDATE Vehicules SET km = 0" << "SELECT ou WITH";
    QTest::newRow("delete") << "delete from Tampon1" << "SELECT ou WITH";
    QTest::newRow("replace into") << "REPLACE INTO Tampon1 VALUES ('1')" << "SELECT ou WITH";
    QTest::newRow("pragma") << "PRAGMA user_version = 3" << "SELECT ou WITH";
    QTest::newRow("attach") << "ATTACH DATABASE 'autre.db' AS a" << "SELECT ou WITH";
    QTest::newRow("detach") << "DETACH a" << "SELECT ou WITH";
    QTest::newRow("create") << "CREATE TABLE t AS SELECT * FROM Vehicules" << "SELECT ou WITH";
    QTest::newRow("drop") << "DROP TABLE Vehicules" << "SELECT ou WITH";
    QTest::newRow("vacuum") << "VACUUM" << "SELECT ou WITH";
    QTest::newRow("transaction") << "BEGIN TRANSACTION" << "SELECT ou WITH";
    QTest::newRow("second statement after a select") << "SELECT 1; DELETE FROM Tampon1" << "une seule instruction";
    QTest::newRow("two selects") << "SELECT 1; SELECT 2;" << "une seule instruction";
    QTest::newRow("statement hidden after a comment")
        << "SELECT 1; -- fin\nDROP TABLE Vehicules" << "une seule instruction";
    QTest::newRow("with ... delete") << "WITH x AS (SELECT 1) DELETE FROM Tampon1" << "« DELETE »";
    QTest::newRow("with ... insert") << "WITH x AS (SELECT 1 AS n) INSERT INTO Tampon1 SELECT n FROM x" << "« INSERT »";
    QTest::newRow("pragma inside a select") << "SELECT 1 FROM t WHERE x IN (PRAGMA table_info)" << "« PRAGMA »";
    QTest::newRow("load_extension") << "SELECT load_extension('/tmp/evil.so')" << "load_extension";
    QTest::newRow("writefile") << "SELECT writefile('x', photo) FROM Agents" << "writefile";
    QTest::newRow("positional parameter") << "SELECT * FROM Vehicules WHERE num = ?" << "« ? »";
    QTest::newRow("@ parameter") << "SELECT * FROM Vehicules WHERE num = @num" << ":num";
    QTest::newRow("empty") << "" << "vide";
    QTest::newRow("only a comment") << "  -- SELECT 1" << "vide";
    QTest::newRow("only a semicolon") << ";" << "vide";
    QTest::newRow("unclosed literal hides a statement") << "SELECT 'a; DELETE FROM t" << "guillemet";
    QTest::newRow("unclosed comment") << "SELECT 1 /* DROP" << "commentaire";
}

void TestReports::refusesQueriesThatWrite()
{
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    const QString why = readOnlyViolation(sql);
    QVERIFY2(why.contains(reason), qPrintable(why));
}

void TestReports::acceptsReadingQueries_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("plain select") << "SELECT num, nom FROM Agents ORDER BY nom";
    QTest::newRow("lower case, final semicolon") << "select 1;";
    QTest::newRow("semicolon then a comment") << "SELECT 1 ; -- fin de la requête\n";
    QTest::newRow("common table expression") << "WITH t AS (SELECT num FROM Tampon1) SELECT * FROM Vehicules WHERE num IN t";
    QTest::newRow("forbidden words inside literals") << "SELECT 'DELETE; DROP TABLE x' AS a, \"update\" FROM t";
    QTest::newRow("bracketed and backquoted names") << "SELECT [delete], `insert` FROM t";
    QTest::newRow("doubled quote inside a literal") << "SELECT 'l''insert ; drop' FROM t";
    QTest::newRow("replace() text function") << "SELECT replace(nom, 'a', 'b') FROM Agents";
    QTest::newRow("forbidden words in comments") << "-- DELETE FROM t;\nSELECT 1 /* ; DROP */";
    QTest::newRow("parameters") << "SELECT * FROM Depenses WHERE date BETWEEN :du AND :au";
    QTest::newRow("words containing forbidden ones") << "SELECT date_update, created, dropped FROM t";
}

void TestReports::acceptsReadingQueries()
{
    QFETCH(QString, sql);
    QCOMPARE(readOnlyViolation(sql), QString());
}

void TestReports::parameterNamesIgnoreLiteralsAndComments_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("none") << "SELECT 1" << QStringList();
    QTest::newRow("in order, each once") << "SELECT * FROM t WHERE a = :mois AND b = :annee OR c = :mois"
                                         << QStringList{"mois", "annee"};
    QTest::newRow("not in literals nor comments")
        << "SELECT ':faux', \":aussi\" FROM t -- :commentaire\nWHERE h = '10:30' AND d = :jour /* :non */"
        << QStringList{"jour"};
    QTest::newRow("digits and underscores") << "SELECT * FROM t WHERE a = :date_1" << QStringList{"date_1"};
}

void TestReports::parameterNamesIgnoreLiteralsAndComments()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, names);
    QCOMPARE(parameterNames(sql), names);
}

// --- Filling -----------------------------------------------------------------------------------

void TestReports::fillsTextesRowsAndParams()
{
    const Template t = bodyOnly(
        "{{textes.ch1}}|{{textes.ch4}}|{{params.annee}}|{{title}}|"
        "{{#agents}}[{{num}} {{nom}} {{prenom}}]{{/agents}}|{{count.agents}}",
        {Query{"agents", "SELECT num, nom, prenom FROM Agents WHERE num IN (SELECT num FROM Tampon1) AND annee = :annee"}});
    FakeDatabase db;
    db.answer("FROM Agents",
                               {Row{{"num", 1}, {"Nom", "BENALI"}, {"prenom", "Karim"}},
                                Row{{"num", 2}, {"Nom", "SAÏDI"}, {"prenom", QVariant()}}});
    QString error;
    // Upper-case field names are also seen under their lower-case name.
    const QString html = fill(t, {{"CH1", "Transports du Sud"}, {"ch4", "Agents"}}, db.runner(),
                              {{"annee", 2024}, {"mois", 3}}, &error);
    QVERIFY2(!html.isNull(), qPrintable(error));
    QCOMPARE(html, QStringLiteral("Transports du Sud|Agents|2024|Essai|[1 BENALI Karim][2 SAÏDI ]|2"));

    // The runner gets the query as written and only the parameters it uses.
    QCOMPARE(db.calls.size(), 1);
    QCOMPARE(db.calls[0].first, t.queries[0].sql);
    QCOMPARE(db.calls[0].second, (QVariantMap{{"annee", 2024}}));

    // A parameter is found whatever its letter case, and bound under the query's spelling.
    db.calls.clear();
    QVERIFY(!fill(t, {}, db.runner(), {{"ANNEE", 2025}}, &error).isNull());
    QCOMPARE(db.calls.value(0).second, (QVariantMap{{"annee", 2025}}));
}

void TestReports::insertedValuesAreEscaped_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("shown");

    QTest::newRow("markup and ampersand") << "<b>&" << "&lt;b&gt;&amp;" << "<b>&";
    QTest::newRow("quotes") << "l'\"agent\"" << "l&#39;&quot;agent&quot;" << "l'\"agent\"";
    QTest::newRow("a script stays text") << "<script>x</script>" << "&lt;script&gt;x&lt;/script&gt;" << "<script>x</script>";
    QTest::newRow("lines kept") << "12, rue X\r\nOran" << "12, rue X<br/>Oran" << "12, rue X\nOran";
    QTest::newRow("arabic untouched") << "شركة النقل" << "شركة النقل" << "شركة النقل";
}

void TestReports::insertedValuesAreEscaped()
{
    QFETCH(QString, value);
    QFETCH(QString, html);
    QFETCH(QString, shown);
    const Template t = bodyOnly("<p>{{textes.ch1}}</p><p>{{#rows}}{{nom}}{{/rows}}</p>",
                                {Query{"rows", "SELECT nom FROM Agents"}});
    FakeDatabase db;
    db.answer("Agents", {Row{{"nom", value}}});
    QString error;
    const QString filled = fill(t, {{"ch1", value}}, db.runner(), {}, &error);
    QCOMPARE(filled, QStringLiteral("<p>%1</p><p>%1</p>").arg(html));

    // What the page finally shows is the value itself.
    QTextDocument doc;
    doc.setHtml(filled);
    QCOMPARE(doc.toPlainText(), shown + u'\n' + shown);
}

void TestReports::valuesShowAsText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("null text") << QVariant(QMetaType::fromType<QString>()) << "";
    QTest::newRow("integer") << QVariant(qint64(1234567)) << "1234567";
    QTest::newRow("negative") << QVariant(-12) << "-12";
    QTest::newRow("decimal, shortest exact text") << QVariant(0.1 + 0.2) << "0.3";
    QTest::newRow("amount") << QVariant(1500.5) << "1500.5";
    QTest::newRow("whole real") << QVariant(12.0) << "12";
    QTest::newRow("flag") << QVariant(true) << "1";
    QTest::newRow("date") << QVariant(QDate(2024, 3, 5)) << "05/03/2024";
    QTest::newRow("text") << QVariant("Gasoil/Ess.") << "Gasoil/Ess.";
    QTest::newRow("bytes as utf-8") << QVariant(QByteArray("Hélène")) << "Hélène";
}

void TestReports::valuesShowAsText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QString error;
    const QString html = fill(bodyOnly("[{{params.v}}]"), {}, {}, {{"v", value}}, &error);
    QCOMPARE(html, QStringLiteral("[%1]").arg(text));
}

void TestReports::sectionOnAValueShowsWhenItIsNotEmpty_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("html");
    QTest::newRow("null") << QVariant() << "[-]";
    QTest::newRow("empty text") << QVariant("") << "[-]";
    QTest::newRow("text") << QVariant("Alger") << "[(Alger)]";
    QTest::newRow("blank is not empty") << QVariant(" ") << "[( )]";
    QTest::newRow("zero") << QVariant(0) << "[(0)]";
    QTest::newRow("false flag shows 0") << QVariant(false) << "[(0)]";
}

void TestReports::sectionOnAValueShowsWhenItIsNotEmpty()
{
    QFETCH(QVariant, value);
    QFETCH(QString, html);
    const QString body = "[{{#textes.v}}({{textes.v}}){{/textes.v}}{{^textes.v}}-{{/textes.v}}]";
    QString error;
    QCOMPARE(fill(bodyOnly(body), {{"v", value}}, {}, {}, &error), html);
    // The same for a column inside a row, and for params.
    const Template inRow = bodyOnly("{{#r}}" + QString(body).replace("textes.v", "v") + "{{/r}}", {Query{"r", "SELECT v FROM t"}});
    FakeDatabase db;
    db.answer("FROM t", {Row{{"v", value}}});
    QCOMPARE(fill(inRow, {}, db.runner(), {}, &error), html);
    QCOMPARE(fill(bodyOnly(QString(body).replace("textes.v", "params.v")), {}, {}, {{"v", value}}, &error), html);
}

void TestReports::rowHelpersAndEmptyResults()
{
    const Template t = bodyOnly(
        "{{#v}}{{_index}}{{#_first}}F{{/_first}}{{#_last}}L{{/_last}}{{#_odd}}o{{/_odd}}{{#_even}}e{{/_even}} {{/v}}"
        "|{{count.v}}|{{first.v.mat}}|{{#any.v}}table{{/any.v}}"
        "|{{count.vide}}|{{#any.vide}}table{{/any.vide}}{{^vide}}Aucun véhicule{{/vide}}|{{first.vide.mat}}",
        {Query{"v", "SELECT mat FROM Vehicules"}, Query{"vide", "SELECT mat FROM Garage"}});
    FakeDatabase db;
    db.answer("FROM Vehicules", {Row{{"mat", "A"}}, Row{{"mat", "B"}}, Row{{"mat", "C"}}});
    QString error;
    const QString html = fill(t, {}, db.runner(), {}, &error);
    QCOMPARE(html, QStringLiteral("1Fo 2e 3Lo |3|A|table|0|Aucun véhicule|"));
}

void TestReports::formatHelpers_data()
{
    QTest::addColumn<QString>("helper");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    const QString nb(kNbsp);
    QTest::newRow("money: grouped, two decimals") << "money" << QVariant(1234567.5) << "1" + nb + "234" + nb + "567.50";
    QTest::newRow("money: small") << "money" << QVariant(7) << "7.00";
    QTest::newRow("money: negative") << "money" << QVariant(-1234.567) << "-1" + nb + "234.57";
    QTest::newRow("money: rounds to zero without sign") << "money" << QVariant(-0.004) << "0.00";
    QTest::newRow("money: blanks in the text ignored") << "money" << QVariant(" 1 234.5 ") << "1" + nb + "234.50";
    QTest::newRow("money: null shows nothing") << "money" << QVariant() << "";
    QTest::newRow("money: not a number unchanged") << "money" << QVariant("/") << "/";
    QTest::newRow("money: not a number stays escaped") << "money" << QVariant("<n/a>") << "&lt;n/a&gt;";
    QTest::newRow("int: grouped and rounded") << "int" << QVariant(123456.6) << "123" + nb + "457";
    QTest::newRow("int: three digits") << "int" << QVariant(999) << "999";
    // Rounded as the screens round: halves away from zero on the decimal value, not on the binary one.
    QTest::newRow("money: 1.005 as the screen shows it") << "money" << QVariant(1.005) << "1.01";
    QTest::newRow("money: 2.675") << "money" << QVariant(2.675) << "2.68";
    QTest::newRow("money: -2.675") << "money" << QVariant(-2.675) << "-2.68";
    QTest::newRow("money: 0.125") << "money" << QVariant(0.125) << "0.13";
    QTest::newRow("money: 1 234 567.895") << "money" << QVariant(1234567.895) << "1" + nb + "234" + nb + "567.90";
    QTest::newRow("money: largest amount") << "money" << QVariant(999999999.99) << "999" + nb + "999" + nb + "999.99";
    QTest::newRow("money: a sum of tenths") << "money" << QVariant(0.1 + 0.2) << "0.30";
    QTest::newRow("int: a half goes up") << "int" << QVariant(2.5) << "3";
    QTest::newRow("int: 1 200.50") << "int" << QVariant(1200.5) << "1" + nb + "201";
    QTest::newRow("date: iso") << "date" << QVariant("2024-03-05") << "05/03/2024";
    QTest::newRow("date: iso with time") << "date" << QVariant("2024-12-31 08:15:00") << "31/12/2024";
    QTest::newRow("date: already shown form") << "date" << QVariant("05/03/2024") << "05/03/2024";
}

void TestReports::formatHelpers()
{
    QFETCH(QString, helper);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    // Through a row, as templates use them.
    const Template t = bodyOnly(QStringLiteral("{{#r}}[{{#fmt.%1}} {{v}} {{/fmt.%1}}]{{/r}}").arg(helper),
                                {Query{"r", "SELECT v FROM t"}});
    FakeDatabase db;
    db.answer("FROM t", {Row{{"v", value}}});
    QString error;
    QCOMPARE(fill(t, {}, db.runner(), {}, &error), QStringLiteral("[%1]").arg(text));
}

void TestReports::fillFailures_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantMap>("params");
    QTest::addColumn<bool>("withRunner");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("runnerCalls");

    QTest::newRow("database error") << "SELECT * FROM Vehicules" << QVariantMap() << true
                                    << "Requête « liste » : no such table: Vehicules" << 1;
    QTest::newRow("missing parameter") << "SELECT * FROM Depenses WHERE date = :jour" << QVariantMap{{"mois", 3}} << true
                                       << "Requête « liste » : paramètre « :jour » non fourni" << 0;
    QTest::newRow("query that writes, built in code") << "DELETE FROM Tampon1" << QVariantMap() << true
                                                      << "Requête « liste » : refusée" << 0;
    QTest::newRow("no runner") << "SELECT 1" << QVariantMap() << false << "Requête « liste » : aucune base" << 0;
}

void TestReports::fillFailures()
{
    QFETCH(QString, sql);
    QFETCH(QVariantMap, params);
    QFETCH(bool, withRunner);
    QFETCH(QString, message);
    QFETCH(int, runnerCalls);

    int calls = 0;
    const QueryRunner failing = [&calls](const QString&, const QVariantMap&) -> QList<Row> {
        ++calls;
        throw std::runtime_error("no such table: Vehicules");
    };
    QString error;
    const QString html = fill(bodyOnly("{{#liste}}x{{/liste}}", {Query{"liste", sql}}), {},
                              withRunner ? failing : QueryRunner(), params, &error);
    QVERIFY(html.isNull());
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(calls, runnerCalls);
}

void TestReports::templateThatFailedToLoadIsNotFilled()
{
    QString error;
    const Template t = parseTemplate(withHeader("query v: DELETE FROM Tampon1"), "/prog/Liste_V.RPT", &error);
    int calls = 0;
    const QueryRunner runner = [&calls](const QString&, const QVariantMap&) {
        ++calls;
        return QList<Row>{};
    };
    error.clear();
    QVERIFY(fill(t, {}, runner, {}, &error).isNull());
    QCOMPARE(error, QStringLiteral("Modèle « Liste_V.RPT » non chargé"));
    QCOMPARE(calls, 0);
}

// --- Rendering ---------------------------------------------------------------------------------

void TestReports::rendersLongTableOverThreePages()
{
    const QString pdfPath = threePagePdf();
    QVERIFY(!pdfPath.isEmpty());
    QPdfDocument pdf;
    QCOMPARE(pdf.load(pdfPath), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), 3);
    const QSizeF a4 = pdf.pagePointSize(0);
    QCOMPARE(qRound(a4.width()), 595);
    QCOMPARE(qRound(a4.height()), 842);
    QCOMPARE(pdf.metaData(QPdfDocument::MetaDataField::Title).toString(), QStringLiteral("Liste des véhicules"));

    const QStringList pages = pdfPages(pdfPath);
    const QString all = pages.join(u'\n');
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY2(pages[i].contains(QStringLiteral("Page %1 / 3").arg(i + 1)), qPrintable(pages[i].right(100)));
        // The header row repeats at the top of every page.
        QVERIFY2(pages[i].contains(QStringLiteral("Matricule")), qPrintable(QString::number(i)));
    }
    QVERIFY(pages[0].contains(QStringLiteral("SOCIÉTÉ DE TRANSPORT")));
    QVERIFY(pages[0].contains(QStringLiteral("Liste des véhicules 2024")));
    QVERIFY(pages[0].contains(QStringLiteral("100 véhicule(s)")));
    QVERIFY(pages[0].contains(QStringLiteral("Renault <Kangoo>")));
    QVERIFY(pages[0].contains(QStringLiteral("AB-001")));
    QVERIFY(pages[2].contains(QStringLiteral("AB-100")));
    QVERIFY(pages[2].contains(QStringLiteral("Total des achats : 7 575 025.00")));
    // Every row printed exactly once across the page breaks.
    for (int i = 1; i <= 100; ++i) {
        const QString mat = QStringLiteral("AB-%1").arg(i, 3, 10, QChar(u'0'));
        QVERIFY2(all.count(mat) == 1, qPrintable(mat));
    }
    // The Arabic letters are in the PDF (extraction gives them in visual order, word by word).
    QVERIFY2(pages[0].contains(QStringLiteral("شركة")), qPrintable(pages[0].left(200)));
}

void TestReports::pageOrientation_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QSize>("points");
    QTest::newRow("portrait") << QPageLayout::Portrait << QSize(595, 842);
    QTest::newRow("landscape") << QPageLayout::Landscape << QSize(842, 595);
}

void TestReports::pageOrientation()
{
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QSize, points);
    Template t = bodyOnly("<p>Caisse du jour</p>");
    t.orientation = orientation;
    const QString out = tmp_.filePath(QStringLiteral("orientation.pdf"));
    QString error;
    QVERIFY2(renderPdf(fill(t, {}, {}, {}, &error), t, out, &error), qPrintable(error));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(out), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), 1);
    QCOMPARE(pdf.pagePointSize(0).toSize(), points);
    QVERIFY(pdf.getAllText(0).text().contains(QStringLiteral("Caisse du jour")));
    QVERIFY(pdf.getAllText(0).text().contains(QStringLiteral("Page 1 / 1")));
}

void TestReports::picturesAreFoundBesideTheTemplate()
{
    QTemporaryDir programDir;
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::black);
    QVERIFY(logo.save(programDir.filePath(QStringLiteral("logo.png"))));
    const QString templatePath = programDir.filePath(QStringLiteral("Logo.RPT"));
    {
        QFile f(templatePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(withHeader("title: Logo", "<p><img src=\"logo.png\" width=\"400\" height=\"200\"/></p>").toUtf8());
    }
    const QString out = tmp_.filePath(QStringLiteral("logo.pdf"));
    QString error;
    QVERIFY2(renderReport(templatePath, {}, {}, {}, out, &error), qPrintable(error));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(out), QPdfDocument::Error::None);
    // 400 x 200 px at 96 to the inch, below the 15 mm top margin and beside the left one.
    const QImage page = onWhite(pdf.render(0, QSize(595, 842)));
    const QPointF topLeft(15 / 25.4 * 72, 15 / 25.4 * 72);
    for (const QPointF& p : {topLeft + QPointF(10, 10), topLeft + QPointF(290, 140)})
        QVERIFY2(qGray(page.pixel(p.toPoint())) < 40, qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(qGray(page.pixel((topLeft + QPointF(310, 160)).toPoint())) > 200);
}

void TestReports::renderFailsCleanlyOnUnwritableTarget()
{
    // An existing report is replaced whole.
    const QString out = tmp_.filePath(QStringLiteral("replace.pdf"));
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QString error;
    QVERIFY2(renderPdf("<p>nouveau</p>", bodyOnly({}), out, &error), qPrintable(error));
    QVERIFY(pdfPages(out).value(0).contains(QStringLiteral("nouveau")));

    const QString nowhere = tmp_.filePath(QStringLiteral("absent/sub/x.pdf"));
    error.clear();
    QVERIFY(!renderPdf("<p>x</p>", bodyOnly({}), nowhere, &error));
    QVERIFY2(error.contains(QStringLiteral("x.pdf")), qPrintable(error));
    QVERIFY(!QFile::exists(nowhere));
}

void TestReports::renderReportStopsAtTheFirstError()
{
    const QString out = tmp_.filePath(QStringLiteral("never.pdf"));
    QString error;
    QVERIFY(!renderReport(tmp_.filePath(QStringLiteral("Absent.RPT")), {}, {}, {}, out, &error));
    QVERIFY(error.contains(QStringLiteral("Absent.RPT")));
    QVERIFY(!QFile::exists(out));

    const QueryRunner failing = [](const QString&, const QVariantMap&) -> QList<Row> {
        throw std::runtime_error("database is locked");
    };
    error.clear();
    QVERIFY(!renderReport(kDataDir + QStringLiteral("/vehicules.RPT"), kTextes, failing, {{"annee", 2024}}, out, &error));
    QCOMPARE(error, QStringLiteral("Requête « vehicules » : database is locked"));
    QVERIFY(!QFile::exists(out));
}

// --- Preview window ----------------------------------------------------------------------------

void TestReports::previewNavigatesPages()
{
    const QString pdfPath = threePagePdf();
    QVERIFY(!pdfPath.isEmpty());
    ReportPreview preview;
    preview.setWindowTitle(QStringLiteral("Liste des véhicules"));
    QString error;
    QVERIFY2(preview.loadPdf(pdfPath, &error), qPrintable(error));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.pageCount(), 3);

    auto* label = preview.findChild<QLabel*>(QStringLiteral("pageLabel"));
    auto button = [&preview](const char* name) { return preview.findChild<QToolButton*>(QLatin1String(name)); };
    QToolButton* first = button("firstPage");
    QToolButton* previous = button("previousPage");
    QToolButton* next = button("nextPage");
    QToolButton* last = button("lastPage");
    QVERIFY(label && first && previous && next && last);

    struct Step {
        QToolButton* click;
        int page;
    };
    const QList<Step> steps{{nullptr, 0}, {next, 1}, {next, 2}, {previous, 1}, {last, 2}, {first, 0}};
    for (const Step& step : steps) {
        if (step.click) {
            QVERIFY(step.click->isEnabled());
            QTest::mouseClick(step.click, Qt::LeftButton);
        }
        QCOMPARE(preview.currentPage(), step.page);
        QCOMPARE(label->text(), QStringLiteral("Page %1 / 3").arg(step.page + 1));
        QCOMPARE(first->isEnabled(), step.page > 0);
        QCOMPARE(previous->isEnabled(), step.page > 0);
        QCOMPARE(next->isEnabled(), step.page < 2);
        QCOMPARE(last->isEnabled(), step.page < 2);
    }
    // The buttons move the view itself, farther down for a later page...
    QScrollBar* scroll = preview.findChild<QAbstractScrollArea*>(QStringLiteral("pdfView"))->verticalScrollBar();
    QCOMPARE(scroll->value(), 0);
    preview.goToPage(1);
    const int second = scroll->value();
    preview.lastPage();
    const int third = scroll->value();
    QVERIFY2(0 < second && second < third, qPrintable(QStringLiteral("%1 %2").arg(second).arg(third)));
    // ... and scrolling by hand moves the page number.
    for (const auto& [position, page] : QList<QPair<int, int>>{{0, 0}, {second, 1}, {scroll->maximum(), 2}}) {
        scroll->setValue(position);
        QCOMPARE(preview.currentPage(), page);
        QCOMPARE(label->text(), QStringLiteral("Page %1 / 3").arg(page + 1));
    }
    preview.goToPage(7);
    QCOMPARE(preview.currentPage(), 2);
    preview.goToPage(-3);
    QCOMPARE(preview.currentPage(), 0);

    // The page is drawn in the background: wait until ink shows in the middle of the view.
    QTRY_VERIFY(showsInk(preview.findChild<QWidget*>(QStringLiteral("pdfView"))->grab().toImage()));
    QVERIFY(preview.grab().save(QStringLiteral("/tmp/kavorel_report_preview.png")));
}

void TestReports::previewZooms()
{
    ReportPreview preview;
    QString error;
    QVERIFY2(preview.loadPdf(threePagePdf(), &error), qPrintable(error));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    auto* fit = preview.findChild<QToolButton*>(QStringLiteral("fitWidth"));
    QVERIFY(fit);
    QVERIFY(fit->isChecked());

    preview.nextPage();
    const double start = preview.zoomFactor();
    QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("zoomIn")), Qt::LeftButton);
    QCOMPARE(preview.zoomFactor(), start * 1.25);
    QVERIFY(!fit->isChecked());
    QCOMPARE(preview.currentPage(), 1); // zooming keeps the page in view
    QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("zoomOut")), Qt::LeftButton);
    QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("zoomOut")), Qt::LeftButton);
    QCOMPARE(preview.zoomFactor(), start / 1.25);
    for (int i = 0; i < 20; ++i)
        preview.zoomOut();
    QCOMPARE(preview.zoomFactor(), 0.25);

    QTest::mouseClick(fit, Qt::LeftButton);
    QVERIFY(fit->isChecked());
    QCOMPARE(preview.currentPage(), 1);
}

void TestReports::closedPreviewIsNotUpdatedAnyMore()
{
    // Destroying the preview takes its document and view down; the navigator's page change that goes
    // with it must not reach the preview, whose own part is already gone by then.
    auto preview = std::make_unique<ReportPreview>();
    QString error;
    QVERIFY2(preview->loadPdf(threePagePdf(), &error), qPrintable(error));
    preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(preview.get()));
    preview->lastPage();
    QCOMPARE(preview->currentPage(), 2);

    auto* view = preview->findChild<QPdfView*>(QStringLiteral("pdfView"));
    QVERIFY(view);
    QPointer<QLabel> label = preview->findChild<QLabel*>(QStringLiteral("pageLabel"));
    QVERIFY(label);
    const QString sentinel = QStringLiteral("sentinelle");
    label->setText(sentinel);
    QStringList labelsSeen;
    // Connected after the preview's own connection, so it runs after it: any page change announced
    // while the preview goes down shows whether the preview touched its page label.
    connect(view->pageNavigator(), &QPdfPageNavigator::currentPageChanged, view, [&] {
        labelsSeen << (label ? label->text() : QStringLiteral("(détruit)"));
    });
    preview.reset();
    QCOMPARE(labelsSeen, QStringList(labelsSeen.size(), sentinel));
}

void TestReports::previewRefusesWhatIsNotAPdf()
{
    const QString notPdf = tmp_.filePath(QStringLiteral("texte.pdf"));
    {
        QFile f(notPdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ceci n'est pas un PDF");
    }
    for (const QString& path : {notPdf, tmp_.filePath(QStringLiteral("absent.pdf"))}) {
        ReportPreview preview;
        QString error;
        QVERIFY(!preview.loadPdf(path, &error));
        QVERIFY2(error.contains(QFileInfo(path).fileName()), qPrintable(error));
        QCOMPARE(preview.pageCount(), 0);
        QVERIFY(!preview.findChild<QPushButton*>(QStringLiteral("print"))->isEnabled());
        QVERIFY(!preview.findChild<QPushButton*>(QStringLiteral("save"))->isEnabled());
        QVERIFY(!preview.saveTo(tmp_.filePath(QStringLiteral("copie.pdf")), &error));
    }
}

void TestReports::previewPrintsPageRange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("footers");
    QTest::newRow("all pages") << 0 << 0 << QStringList{"Page 1 / 3", "Page 2 / 3", "Page 3 / 3"};
    QTest::newRow("pages 2 to 3") << 2 << 3 << QStringList{"Page 2 / 3", "Page 3 / 3"};
    QTest::newRow("range beyond the end") << 3 << 9 << QStringList{"Page 3 / 3"};
}

void TestReports::previewPrintsPageRange()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, footers);

    ReportPreview preview;
    QString error;
    QVERIFY2(preview.loadPdf(threePagePdf(), &error), qPrintable(error));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString out = tmp_.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(out);
    printer.setFromTo(from, to);
    QVERIFY2(preview.printTo(printer, &error), qPrintable(error));

    // Pages are printed as pictures: compare each printed page with the rendered one.
    QPdfDocument printed;
    QCOMPARE(printed.load(out), QPdfDocument::Error::None);
    QCOMPARE(printed.pageCount(), footers.size());
    QPdfDocument source;
    QCOMPARE(source.load(threePagePdf()), QPdfDocument::Error::None);
    for (int i = 0; i < footers.size(); ++i) {
        const int sourcePage = footers[i].mid(5, 1).toInt() - 1;
        const QImage a = pageLook(printed, i);
        const QImage b = pageLook(source, sourcePage);
        qint64 difference = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                difference += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        const double mean = double(difference) / (a.width() * a.height());
        QVERIFY2(mean < 4, qPrintable(QStringLiteral("page %1 differs by %2").arg(i + 1).arg(mean)));
    }
}

void TestReports::previewSavesACopy()
{
    ReportPreview preview;
    QString error;
    QVERIFY2(preview.loadPdf(threePagePdf(), &error), qPrintable(error));
    QFile source(threePagePdf());
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();

    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("Liste des véhicules.pdf"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("ancienne copie");
    }
    QVERIFY2(preview.saveTo(target, &error), qPrintable(error));
    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytes);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Liste des véhicules.pdf"}); // no temporary left

    error.clear();
    const QString nowhere = folder.filePath(QStringLiteral("absent/copie.pdf"));
    QVERIFY(!preview.saveTo(nowhere, &error));
    QVERIFY2(error.contains(QStringLiteral("copie.pdf")), qPrintable(error));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{"Liste des véhicules.pdf"});
}

void TestReports::showPreviewOpensModalWindow()
{
    const QString pdfPath = threePagePdf();
    QString seenTitle;
    int seenPages = -1;
    bool seenModal = false;
    QStringList seenKeys;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        seenTitle = preview->windowTitle();
        seenPages = preview->pageCount();
        seenModal = preview->isModal();
        for (const char* name : {"print", "save", "close"})
            seenKeys << preview->findChild<QPushButton*>(QString::fromLatin1(name))->shortcut().toString();
        QTest::mouseClick(preview->findChild<QPushButton*>(QStringLiteral("close")), Qt::LeftButton);
    });
    showPreview(pdfPath, QStringLiteral("Liste des véhicules"), nullptr);
    // Named with the program in a window list; its commands have their Alt keys as on every screen.
    QCOMPARE(seenTitle, QStringLiteral("Liste des véhicules — Kavorel"));
    QCOMPARE(seenKeys, (QStringList{"Alt+I", "Alt+E", "Alt+F"}));
    QCOMPARE(seenPages, 3);
    QVERIFY(seenModal);
}

QTEST_MAIN(TestReports)
#include "test_reports.moc"
