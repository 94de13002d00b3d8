// Lists exported as a user does (the command bar's "Exporter") and opened again by LibreOffice Calc,
// converted back to CSV headless: a register and a person's account, as .xlsx and as both CSV styles,
// give Calc the captions, texts, amounts and dates the screen shows.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/kit/Export.h"
#include "core/ledger/Ledger.h"
#include "core/schema/Schema.h"
#include "people/accounts/AccountScreen.h"
#include "people/registers/j_AGENT.h"

#include <QHeaderView>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;

namespace {

/// What the screen shows: captions and texts of the visible columns, in their on-screen order.
QList<QStringList> shown(const QTableView& grid)
{
    const QAbstractItemModel& m = *grid.model();
    const QHeaderView& h = *grid.horizontalHeader();
    QList<int> columns;
    for (int v = 0; v < h.count(); ++v)
        if (!h.isSectionHidden(h.logicalIndex(v)))
            columns << h.logicalIndex(v);
    QList<QStringList> rows;
    QStringList captions;
    for (int c : columns)
        captions << m.headerData(c, Qt::Horizontal).toString();
    rows << captions;
    for (int r = 0; r < m.rowCount(); ++r) {
        if (grid.isRowHidden(r))
            continue;
        QStringList row;
        for (int c : columns)
            row << m.index(r, c).data().toString();
        rows << row;
    }
    // The blank lines that fill a grid to its height are not data: Calc drops them from the end.
    while (rows.size() > 1 && rows.last().join(QString()).trimmed().isEmpty())
        rows.removeLast();
    return rows;
}

/// RFC 4180 fields of Calc's CSV ("," between fields).
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            row << field;
            field.clear();
        } else if (ch == u'\n') {
            row << field;
            field.clear();
            rows << row;
            row.clear();
        } else if (ch != u'\r') {
            field += ch;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

/// Calc's value against the screen's text: an amount as the same number, a date as the same day
/// (Calc writes a date in its own default, month first, or as ISO when it read one), a text as the same text.
bool sameValue(const QString& screen, const QString& calc, bool csv, QString* why)
{
    static const QRegularExpression amount(QStringLiteral("^-?\\d{1,3}( \\d{3})*(\\.\\d+)?$"));
    static const QRegularExpression date(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$"));
    QString s = screen.trimmed();
    s.replace(QChar(0x00A0), u' ');
    if (date.match(s).hasMatch()) {
        const QDate d = QDate::fromString(s, QStringLiteral("dd/MM/yyyy"));
        QDate c = QDate::fromString(calc, QStringLiteral("MM/dd/yyyy"));
        if (!c.isValid())
            c = QDate::fromString(calc, Qt::ISODate); // a date Calc read as ISO it writes back so

        *why = QStringLiteral("date %1 read by Calc as %2").arg(s, calc);
        return d.isValid() && d == c;
    }
    static const QRegularExpression code(QStringLiteral("^-?0\\d"));
    if (amount.match(s).hasMatch() && !code.match(s).hasMatch()) {
        QString plain = s;
        plain.remove(u' ');
        bool ok = false;
        const double c = calc.toDouble(&ok);
        *why = QStringLiteral("amount %1 read by Calc as %2").arg(s, calc);
        return ok && qAbs(c - plain.toDouble()) < 0.005;
    }
    *why = QStringLiteral("text \"%1\" read by Calc as \"%2\"").arg(s, calc);
    // A CSV text that a spreadsheet would run as a formula is written behind an apostrophe, so that
    // Calc keeps it as text instead of computing it.
    if (csv && QStringLiteral("=+-@").contains(s.left(1)) && calc == u'\'' + s)
        return true;
    return calc.trimmed() == s;
}

} // namespace

class CalcTest : public FixtureTest {
    Q_OBJECT

    QString soffice_;
    QTemporaryDir work_;


    void addAgent(qint64 num, const QString& nom, const QString& prenom, const QString& tel, double taux, const QString& entree)
    {
        seed::person(db(), {.num = num, .kind = schema::person::Agent, .nom = nom, .prenom = prenom, .fonction = "Chauffeur",
                            .tel = tel, .ville = "Oran", .salarie = true, .dEntree = entree, .tauxJour = taux});
    }

    /// Calc opens `file` (read with `inFilter` when given) and writes it back as CSV; its rows.
    QList<QStringList> throughCalc(const QString& file, const QString& inFilter)
    {
        const QString out = work_.filePath(QStringLiteral("calc-") + QFileInfo(file).fileName());
        QDir().mkpath(out);
        QStringList args{QStringLiteral("--headless"), QStringLiteral("--norestore"),
                         QStringLiteral("-env:UserInstallation=file://") + work_.filePath(QStringLiteral("profil"))};
        if (!inFilter.isEmpty())
            args << QStringLiteral("--infilter=") + inFilter;
        args << QStringLiteral("--convert-to")
             << QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false")
             << QStringLiteral("--outdir") << out << file;
        QProcess calc;
        calc.start(soffice_, args);
        if (!calc.waitForFinished(180000) || calc.exitCode() != 0)
            return {};
        QFile csv(QDir(out).filePath(QFileInfo(file).completeBaseName() + QStringLiteral(".csv")));
        if (!csv.open(QIODevice::ReadOnly))
            return {};
        return parseCsv(QString::fromUtf8(csv.readAll()));
    }

    /// Exports the grid through the screen's "Exporter" command in each format, and compares what Calc
    /// reads with what the screen shows.
    void exportAndCompare(QWidget& screen, QTableView* grid, const QString& name)
    {
        auto* command = screen.findChild<QToolButton*>(QStringLiteral("cmdExporter"));
        QVERIFY2(command, qPrintable(name + ": no Exporter command"));
        const QList<QStringList> expected = shown(*grid);
        QVERIFY(expected.size() >= 3);

        struct Format {
            kit::ExportFormat format;
            const char* suffix;
            QString inFilter;
        };
        const QList<Format> formats{{kit::ExportFormat::Xlsx, ".xlsx", QString()},
                                    {kit::ExportFormat::CsvFrench, "-fr.csv", QStringLiteral("CSV:59,34,76,1,,1036")},
                                    {kit::ExportFormat::CsvInternational, "-en.csv", QStringLiteral("CSV:44,34,76,1,,1033")}};
        for (const Format& f : formats) {
            const QString path = work_.filePath(name + QLatin1String(f.suffix));
            f_->ui.saveAnswers << SaveAnswer{path, kit::exportFilter(f.format)};
            grid->setFocus();
            command->click();
            QVERIFY2(QFile::exists(path), qPrintable(path));
            const QList<QStringList> calc = throughCalc(path, f.inFilter);
            QVERIFY2(!calc.isEmpty(), qPrintable(QStringLiteral("Calc could not open ") + path));
            QCOMPARE(calc.size(), expected.size());
            QCOMPARE(calc[0], expected[0]);
            for (int r = 1; r < expected.size(); ++r) {
                QCOMPARE(calc[r].size(), expected[r].size());
                for (int c = 0; c < expected[r].size(); ++c) {
                    QString why;
                    QVERIFY2(sameValue(expected[r][c], calc[r][c], f.format != kit::ExportFormat::Xlsx, &why),
                             qPrintable(QStringLiteral("%1 row %2 column %3: %4").arg(QFileInfo(path).fileName()).arg(r).arg(c).arg(why)));
                }
            }
        }
        QVERIFY(f_->ui.saveAnswers.isEmpty());
    }

private slots:
    void initTestCase()
    {
        soffice_ = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice_.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: scripts/setup.sh installs it");
    }

    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise(2026);
        kit::setExportUi(&f_->ui);
        addAgent(1, QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("0550 11 22 33"), 1234.5, QStringLiteral("2020-01-02"));
        addAgent(2, QStringLiteral("Hadj-Saïd"), QStringLiteral("Amel \"la grande\""), QStringLiteral("=1+1"), 3000, QStringLiteral("2019-12-31"));
        addAgent(3, QStringLiteral("عبد القادر"), QStringLiteral("Zoé; Anaïs"), QStringLiteral("021 45, 67"), 1000000.25, QStringLiteral("2026-02-28"));
    }

    void cleanup()
    {
        kit::setExportUi(nullptr);
        f_.reset();
    }

    void registerOpensInCalcWithTheScreensFigures()
    {
        j_AGENT screen(s());
        QTableView* grid = screen.grid();
        QVERIFY(grid->model()->rowCount() >= 3);
        screen.show();
        exportAndCompare(screen, grid, QStringLiteral("agents"));
    }

    void accountOpensInCalcWithTheScreensFigures()
    {
        using ledger::Book;
        const struct {
            Book book;
            const char* date;
            double amount;
            const char* object;
        } lines[] = {{Book::Recettes, "05/01/2026", 1234.5, "Avance sur salaire"},
                     {Book::Recettes, "31/03/2026", 1000000.25, "Remboursement; frais \"route\""},
                     {Book::Depenses, "13/02/2026", 0.1, "=SOMME(A1:A2)"},
                     {Book::Depenses, "28/02/2026", 250000, "مصاريف"}};
        for (const auto& l : lines) {
            ledger::Line line;
            line.date = QString::fromLatin1(l.date);
            line.montant = l.amount;
            line.ref = QString::fromUtf8(l.object);
            line.contrepartie = schema::contrepartie::VehiculeOuAgent;
            line.numAgent = 1;
            ledger::add(db(), l.book, line);
        }
        s().num_courant = 1;
        ZOOM_Ag screen(s());
        QVERIFY(screen.found());
        screen.show();
        for (Book book : {Book::Recettes, Book::Depenses}) {
            QTableView* grid = screen.grid(book);
            QVERIFY(grid->isVisible());
            exportAndCompare(screen, grid, book == Book::Recettes ? QStringLiteral("compte-recettes") : QStringLiteral("compte-depenses"));
        }
    }
};

QTEST_MAIN(CalcTest)
#include "tst_calc.moc"
