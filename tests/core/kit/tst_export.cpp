// Export of a list: cells read as numbers, dates or texts; CSV bytes in both styles; the on-screen
// column order; the stored zip and the .xlsx read back (by a reader of our own and by unzip); the
// "Exporter…" command every grid gets from the kit.
#include "core/formats/Numbers.h"
#include "core/kit/Export.h"
#include "core/kit/ScreenKit.h"
#include "harness/ScriptedUi.h"
#include "platform/reports/ReportEngine.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <QScopeGuard>
#include <QtEndian>

using namespace kv;
using kit::ExportCell;

namespace {

/// Our own reader of a stored zip: walks the local headers, checks each CRC and the central directory.
QMap<QString, QByteArray> readStoredZip(const QByteArray& zip, QString* fault)
{
    QMap<QString, QByteArray> files;
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(zip.constData() + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(zip.constData() + at); };
    qsizetype at = 0;
    while (at + 30 <= zip.size() && u32(at) == 0x04034b50) {
        if (u16(at + 8) != 0) { *fault = QStringLiteral("compressed entry"); return {}; }
        const quint32 crc = u32(at + 14), size = u32(at + 18), usize = u32(at + 22);
        const quint16 nameLen = u16(at + 26), extraLen = u16(at + 28);
        if (size != usize) { *fault = QStringLiteral("sizes differ"); return {}; }
        const QString name = QString::fromUtf8(zip.mid(at + 30, nameLen));
        const QByteArray data = zip.mid(at + 30 + nameLen + extraLen, size);
        if (exports::crc32(data) != crc) { *fault = QStringLiteral("bad crc for ") + name; return {}; }
        files.insert(name, data);
        at += 30 + nameLen + extraLen + size;
    }
    // End of central directory: the entry count and the directory's place.
    const qsizetype end = zip.size() - 22;
    if (end < 0 || u32(end) != 0x06054b50) { *fault = QStringLiteral("no end record"); return {}; }
    if (u16(end + 10) != files.size()) { *fault = QStringLiteral("entry count"); return {}; }
    if (u32(end + 16) != quint32(at)) { *fault = QStringLiteral("central directory offset"); return {}; }
    if (u32(end + 12) != quint32(end - at)) { *fault = QStringLiteral("central directory size"); return {}; }
    return files;
}

QByteArray unzipP(const QString& zipPath, const QString& member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zipPath, member});
    p.waitForFinished(30000);
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

bool wellFormed(const QByteArray& xml)
{
    QXmlStreamReader r(xml);
    while (!r.atEnd())
        r.readNext();
    return !r.hasError();
}

/// A list like a register's: N°, date, designation, amount, a code.
QStandardItemModel* sampleModel(QObject* parent)
{
    auto* m = new QStandardItemModel(0, 5, parent);
    m->setHorizontalHeaderLabels({QStringLiteral("N°"), QStringLiteral("Date"), QStringLiteral("Désignation"),
                                  QStringLiteral("Montant"), QStringLiteral("Tél.")});
    auto row = [&](const QStringList& cells) {
        QList<QStandardItem*> items;
        for (const QString& c : cells)
            items << new QStandardItem(c);
        m->appendRow(items);
    };
    row({QStringLiteral("1"), QStringLiteral("05/03/2026"), QStringLiteral("Vidange; filtre \"OK\""),
         QStringLiteral("1 234.50"), QStringLiteral("0550123456")});
    row({QStringLiteral("2"), QStringLiteral("01/01/2025"), QStringLiteral("شركة النقل\nligne 2"),
         QStringLiteral("-12.00"), QString()});
    row({QStringLiteral("3"), QStringLiteral("31/12/2026"), QStringLiteral("A<B & C, D"),
         QStringLiteral("3 000"), QStringLiteral("021 45 67 89")});
    return m;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        kit::setExportUi(nullptr);
    }

    void crc32_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<quint32>("crc");
        QTest::newRow("empty") << QByteArray() << quint32(0);
        QTest::newRow("check value") << QByteArray("123456789") << quint32(0xCBF43926);
        QTest::newRow("fox") << QByteArray("The quick brown fox jumps over the lazy dog") << quint32(0x414FA339);
        QTest::newRow("high bytes") << QByteArray("\xff\x00\x80", 3) << exports::crc32(QByteArray("\xff\x00\x80", 3));
    }
    void crc32()
    {
        QFETCH(QByteArray, data);
        QFETCH(quint32, crc);
        QCOMPARE(exports::crc32(data), crc);
    }

    void zipReadBackByUnzip()
    {
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(char(i * 7 % 256));
        const QList<QPair<QString, QByteArray>> files{{QStringLiteral("a.txt"), QByteArray("bonjour\n")},
                                                      {QStringLiteral("vide/empty.xml"), QByteArray()},
                                                      {QStringLiteral("données/é.bin"), binary}};
        const QByteArray zip = exports::zipStored(files);
        QString fault;
        const auto mine = readStoredZip(zip, &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(mine.size(), 3);
        for (const auto& [name, data] : files)
            QCOMPARE(mine.value(name), data);

        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty(),
                 "unzip is missing: scripts/setup.sh installs it");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.zip"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(zip);
        f.close();
        QProcess test;
        test.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), path});
        QVERIFY(test.waitForFinished(30000));
        QVERIFY2(test.exitCode() == 0, test.readAllStandardOutput().constData());
        QCOMPARE(unzipP(path, QStringLiteral("a.txt")), QByteArray("bonjour\n"));
        QCOMPARE(unzipP(path, QStringLiteral("données/é.bin")), binary);
    }

    void amounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::newRow("thousands and decimals") << QStringLiteral("1 234.50") << true << 1234.5 << 2;
        QTest::newRow("negative") << QStringLiteral("-12.00") << true << -12.0 << 2;
        QTest::newRow("whole thousands") << QStringLiteral("3 000") << true << 3000.0 << 0;
        QTest::newRow("millions") << QStringLiteral("12 345 678.9") << true << 12345678.9 << 1;
        QTest::newRow("nbsp") << QStringLiteral("1\u00A0234.5") << true << 1234.5 << 1;
        QTest::newRow("narrow nbsp") << QStringLiteral("-1\u202F000") << true << -1000.0 << 0;
        QTest::newRow("plain") << QStringLiteral("250") << true << 250.0 << 0;
        QTest::newRow("below one") << QStringLiteral("0.75") << true << 0.75 << 2;
        QTest::newRow("blanks around") << QStringLiteral("  42.10 ") << true << 42.1 << 2;
        QTest::newRow("telephone") << QStringLiteral("0550123456") << false << 0.0 << 0;
        QTest::newRow("telephone with blanks") << QStringLiteral("021 45 67 89") << false << 0.0 << 0;
        QTest::newRow("plate") << QStringLiteral("12345 116 16") << false << 0.0 << 0;
        QTest::newRow("bad group") << QStringLiteral("1 23") << false << 0.0 << 0;
        QTest::newRow("two points") << QStringLiteral("1.2.3") << false << 0.0 << 0;
        QTest::newRow("comma decimals") << QStringLiteral("12,50") << false << 0.0 << 0;
        QTest::newRow("too long") << QStringLiteral("1234567890123456") << false << 0.0 << 0;
        QTest::newRow("word") << QStringLiteral("OUI") << false << 0.0 << 0;
        QTest::newRow("empty") << QString() << false << 0.0 << 0;
        QTest::newRow("dash only") << QStringLiteral("-") << false << 0.0 << 0;
    }
    void amounts()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        QFETCH(int, decimals);
        ExportCell cell;
        QCOMPARE(kit::parseAmount(text, cell), isNumber);
        if (isNumber) {
            QCOMPARE(cell.kind, ExportCell::Number);
            QCOMPARE(cell.number, value);
            QCOMPARE(cell.decimals, decimals);
            QVERIFY(!cell.text.contains(QLatin1Char(' ')));
        }
    }

    void cells_data()
    {
        QTest::addColumn<QVariant>("display");
        QTest::addColumn<QVariant>("user");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("date text") << QVariant(QStringLiteral("05/03/2026")) << QVariant() << int(ExportCell::Date)
                                   << QStringLiteral("05/03/2026");
        QTest::newRow("impossible date") << QVariant(QStringLiteral("31/02/2026")) << QVariant()
                                         << int(ExportCell::Text) << QStringLiteral("31/02/2026");
        QTest::newRow("raw amount beside its text")
            << QVariant(QStringLiteral("1 234,50 DA")) << QVariant(1234.5) << int(ExportCell::Number) << QStringLiteral("1234.5");
        QTest::newRow("raw date") << QVariant(QStringLiteral("5 mars 2026")) << QVariant(QDate(2026, 3, 5))
                                  << int(ExportCell::Date) << QStringLiteral("05/03/2026");
        QTest::newRow("raw integer") << QVariant(QStringLiteral("N° 7")) << QVariant(7) << int(ExportCell::Number)
                                     << QStringLiteral("7");
        QTest::newRow("raw value under an empty text") << QVariant(QString()) << QVariant(0.5)
                                                       << int(ExportCell::Number) << QStringLiteral("0.5");
        QTest::newRow("code shown by its label") << QVariant(QStringLiteral("Espèces")) << QVariant(2)
                                                 << int(ExportCell::Text) << QStringLiteral("Espèces");
        QTest::newRow("raw text ignored") << QVariant(QStringLiteral("12.5")) << QVariant(QStringLiteral("x"))
                                          << int(ExportCell::Number) << QStringLiteral("12.5");
        QTest::newRow("text") << QVariant(QStringLiteral("Renault")) << QVariant() << int(ExportCell::Text)
                              << QStringLiteral("Renault");
    }
    void cells()
    {
        QFETCH(QVariant, display);
        QFETCH(QVariant, user);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QStandardItemModel m(1, 1);
        m.setData(m.index(0, 0), display, Qt::DisplayRole);
        if (user.isValid())
            m.setData(m.index(0, 0), user, Qt::UserRole);
        const ExportCell cell = kit::exportCell(m, 0, 0);
        QCOMPARE(int(cell.kind), kind);
        QCOMPARE(cell.text, text);
    }

    // One figure on the screen, in print and in an export: tricky decimal halves whose binary value
    // lies just below the half, large amounts, negative ones.
    void moneyThroughScreenPrintAndExport_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");    // "# ### ##0.00"
        QTest::addColumn<QString>("plain");    // what an export writes (CSV, international)
        QTest::newRow("1.005") << 1.005 << "1.01" << "1.01";
        QTest::newRow("2.675") << 2.675 << "2.68" << "2.68";
        QTest::newRow("1.115") << 1.115 << "1.12" << "1.12";
        QTest::newRow("0.285") << 0.285 << "0.29" << "0.29";
        QTest::newRow("-2.675") << -2.675 << "-2.68" << "-2.68";
        QTest::newRow("0.125") << 0.125 << "0.13" << "0.13";
        QTest::newRow("10.075") << 10.075 << "10.08" << "10.08";
        QTest::newRow("1 234 567.895") << 1234567.895 << "1 234 567.90" << "1234567.90";
        QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30" << "0.30";
        QTest::newRow("carry") << 99.995 << "100.00" << "100.00";
        QTest::newRow("largest amount") << 999999999.99 << "999 999 999.99" << "999999999.99";
        QTest::newRow("small negative") << -0.004 << "0.00" << "0.00";
    }
    void moneyThroughScreenPrintAndExport()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QFETCH(QString, plain);
        // The screen.
        const QString screen = formatNumber(value, u"# ### ##0.00");
        QCOMPARE(screen, shown);
        // The print: the value as the report engine gets it from a query, through its money format.
        QString printed = reports::formatAmount(reports::valueText(QVariant(value)));
        QCOMPARE(printed.replace(QChar(0x00A0), u' '), shown);
        // The export of the list that shows it.
        QStandardItemModel m(1, 1);
        m.setHorizontalHeaderLabels({QStringLiteral("Montant")});
        m.setItem(0, 0, new QStandardItem(screen + u' '));
        const ExportCell cell = kit::exportCell(m, 0, 0);
        QCOMPARE(cell.kind, ExportCell::Number);
        QCOMPARE(cell.text, plain);
        QCOMPARE(cell.number, round2(value));
        QCOMPARE(exports::csvBytes(kit::tableOf(m), exports::CsvStyle::International), "\xEF\xBB\xBFMontant\r\n" + plain.toUtf8() + "\r\n");
    }

    // A list that shows its amounts in whole units gives their exact value: the export writes it, not
    // the rounded figure (the journals show 1 201 for 1 200.50).
    void wholeUnitsListExportsTheExactAmount_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("csv");      // French
        QTest::addColumn<QString>("xlsx");     // the cell's value in the sheet
        QTest::newRow("1 200.50") << 1200.5 << "1200,5" << "1200.5";
        QTest::newRow("a sum with binary noise") << 1000.1 + 200.2 << "1200,3" << "1200.3";
        QTest::newRow("1.005") << 1.005 << "1,005" << "1.005";
        QTest::newRow("whole") << 3000.0 << "3000" << "3000";
        QTest::newRow("negative") << -12.5 << "-12,5" << "-12.5";
    }
    void wholeUnitsListExportsTheExactAmount()
    {
        QFETCH(double, value);
        QFETCH(QString, csv);
        QFETCH(QString, xlsx);
        QStandardItemModel m(1, 2);
        m.setHorizontalHeaderLabels({QStringLiteral("Objet"), QStringLiteral("Montant")});
        m.setItem(0, 0, new QStandardItem(QStringLiteral(" Vidange")));
        auto* amount = new QStandardItem(formatNumber(value, u"### ###") + u' ');
        amount->setData(value, Qt::UserRole);
        m.setItem(0, 1, amount);
        const kit::ExportTable table = kit::tableOf(m);
        QCOMPARE(exports::csvBytes(table, exports::CsvStyle::French), "\xEF\xBB\xBFObjet;Montant\r\nVidange;" + csv.toUtf8() + "\r\n");
        QString fault;
        const QByteArray sheet = readStoredZip(exports::xlsxBytes(table), &fault).value(QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY2(sheet.contains("<v>" + xlsx.toUtf8() + "</v>"), sheet.constData());
    }

    // Texts go out without the blanks a list puts around them (" Vidange", a caption "Taux ").
    void textsWithoutTheListsBlanks()
    {
        QStandardItemModel m(1, 3);
        m.setHorizontalHeaderLabels({QStringLiteral("Taux "), QStringLiteral(" Nom"), QStringLiteral("Mode")});
        m.setItem(0, 0, new QStandardItem(QStringLiteral(" 3 ")));
        m.setItem(0, 1, new QStandardItem(QStringLiteral(" BENALI Omar ")));
        m.setItem(0, 2, new QStandardItem(QStringLiteral("  ")));
        QCOMPARE(exports::csvBytes(kit::tableOf(m), exports::CsvStyle::French),
                 QByteArray("\xEF\xBB\xBFTaux;Nom;Mode\r\n3;BENALI Omar;\r\n"));
    }

    // The save dialog proposes the screen's title and the day.
    void proposedFileName_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("windowTitle");
        QTest::addColumn<QString>("name");
        QTest::newRow("title band") << "Etat des locations" << " " << "Etat des locations 11-12-2026";
        QTest::newRow("band wins over the window title") << "Rapport d'activité" << "Journaux — Kavorel"
                                                          << "Rapport d'activité 11-12-2026";
        QTest::newRow("window title without the program") << "" << "Véhicules — Kavorel" << "Véhicules 11-12-2026";
        QTest::newRow("what a file name cannot hold") << "Mouvements du 05/03/2026: caisse*" << ""
                                                      << "Mouvements du 05 03 2026 caisse 11-12-2026";
        QTest::newRow("no title") << "" << " " << "Liste 11-12-2026";
    }
    void proposedFileName()
    {
        QFETCH(QString, band);
        QFETCH(QString, windowTitle);
        QFETCH(QString, name);
        const QString program = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Kavorel"));
        auto restore = qScopeGuard([&] { QCoreApplication::setApplicationName(program); });
        QDialog window;
        window.setWindowTitle(windowTitle);
        auto* layout = new QVBoxLayout(&window);
        if (!band.isEmpty())
            layout->addWidget(kit::titleBand(band, &window));
        layout->addWidget(new QLabel(QStringLiteral("Une étiquette"), &window));
        QCOMPARE(kit::proposedExportName(&window, QDate(2026, 12, 11)), name);
    }

    void editRoleValue()
    {
        // A model that shows an amount in its own way and gives the figure for editing.
        struct Amounts : QAbstractTableModel {
            int rowCount(const QModelIndex& = {}) const override { return 1; }
            int columnCount(const QModelIndex& = {}) const override { return 2; }
            QVariant data(const QModelIndex& i, int role) const override
            {
                if (role == Qt::DisplayRole)
                    return i.column() == 0 ? QStringLiteral("1 234,50 DA") : QStringLiteral("mardi 5 mai 2026");
                if (role == Qt::EditRole)
                    return i.column() == 0 ? QVariant(1234.5) : QVariant(QDateTime(QDate(2026, 5, 5), QTime(8, 30)));
                return {};
            }
        } m;
        const ExportCell amount = kit::exportCell(m, 0, 0);
        QCOMPARE(amount.kind, ExportCell::Number);
        QCOMPARE(amount.number, 1234.5);
        const ExportCell date = kit::exportCell(m, 0, 1);
        QCOMPARE(date.kind, ExportCell::Date);
        QCOMPARE(date.date, QDate(2026, 5, 5));
        QCOMPARE(date.text, QStringLiteral("05/05/2026"));
    }

    void csvBytes_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("french") << int(exports::CsvStyle::French)
                                << QByteArray("\xEF\xBB\xBF"
                                              "N°;Date;Désignation;Montant;Tél.\r\n"
                                              "1;05/03/2026;\"Vidange; filtre \"\"OK\"\"\";1234,50;0550123456\r\n"
                                              "2;01/01/2025;\"شركة النقل\nligne 2\";-12,00;\r\n"
                                              "3;31/12/2026;A<B & C, D;3000;021 45 67 89\r\n");
        QTest::newRow("international") << int(exports::CsvStyle::International)
                                       << QByteArray("\xEF\xBB\xBF"
                                                     "N°,Date,Désignation,Montant,Tél.\r\n"
                                                     "1,2026-03-05,\"Vidange; filtre \"\"OK\"\"\",1234.50,0550123456\r\n"
                                                     "2,2025-01-01,\"شركة النقل\nligne 2\",-12.00,\r\n"
                                                     "3,2026-12-31,\"A<B & C, D\",3000,021 45 67 89\r\n");
    }
    void csvBytes()
    {
        QFETCH(int, style);
        QFETCH(QByteArray, expected);
        QStandardItemModel* m = sampleModel(this);
        QCOMPARE(exports::csvBytes(kit::tableOf(*m), exports::CsvStyle(style)), expected);
    }

    void csvTextsThatLookLikeFormulasStayText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("equals") << "=1+2" << QByteArray("'=1+2");
        QTest::newRow("plus") << "+33 6 12" << QByteArray("'+33 6 12");
        QTest::newRow("at") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
        QTest::newRow("minus text") << "-> voir" << QByteArray("'-> voir");
        QTest::newRow("negative amount") << "-12.00" << QByteArray("-12,00");
        QTest::newRow("plain") << "Vidange" << QByteArray("Vidange");
    }
    void csvTextsThatLookLikeFormulasStayText()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        QStandardItemModel m(1, 1);
        m.setHorizontalHeaderLabels({QStringLiteral("Objet")});
        m.setItem(0, 0, new QStandardItem(typed));
        QCOMPARE(exports::csvBytes(kit::tableOf(m), exports::CsvStyle::French), QByteArray("\xEF\xBB\xBFObjet\r\n") + written + "\r\n");
    }

    void screenOrderAndHiddenColumns()
    {
        QTableView grid;
        grid.setModel(sampleModel(&grid));
        kit::setupGrid(&grid);
        grid.horizontalHeader()->moveSection(3, 0); // Montant first
        grid.setColumnHidden(4, true);              // Tél. hidden
        grid.horizontalHeader()->hideSection(0);    // N° hidden through the header
        grid.setRowHidden(1, true);                 // a filtered-out row
        const kit::ExportTable t = kit::tableOf(grid);
        QCOMPARE(t.headers, (QStringList{QStringLiteral("Montant"), QStringLiteral("Date"), QStringLiteral("Désignation")}));
        QCOMPARE(t.rows.size(), 2);
        QCOMPARE(t.rows[0][0].number, 1234.5);
        QCOMPARE(t.rows[0][1].date, QDate(2026, 3, 5));
        QCOMPARE(t.rows[1][2].text, QStringLiteral("A<B & C, D"));
        QCOMPARE(exports::csvBytes(t, exports::CsvStyle::French),
                 QByteArray("\xEF\xBB\xBF"
                            "Montant;Date;Désignation\r\n"
                            "1234,50;05/03/2026;\"Vidange; filtre \"\"OK\"\"\"\r\n"
                            "3000;31/12/2026;A<B & C, D\r\n"));
    }

    void xlsxReadBack()
    {
        QTableView grid;
        grid.setModel(sampleModel(&grid));
        kit::setupGrid(&grid);
        grid.horizontalHeader()->moveSection(3, 1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.xlsx"));
        QString error;
        QVERIFY2(exports::writeExport(kit::tableOf(grid), kit::ExportFormat::Xlsx, path, &error), qPrintable(error));

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString fault;
        const auto parts = readStoredZip(f.readAll(), &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QStringList names{QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                                QStringLiteral("xl/workbook.xml"), QStringLiteral("xl/_rels/workbook.xml.rels"),
                                QStringLiteral("xl/styles.xml"), QStringLiteral("xl/worksheets/sheet1.xml")};
        for (const QString& n : names) {
            QVERIFY2(parts.contains(n), qPrintable(n));
            QVERIFY2(wellFormed(parts.value(n)), qPrintable(n));
        }
        QVERIFY(parts.value(QStringLiteral("[Content_Types].xml")).startsWith("<?xml"));

        // The sheet as unzip gives it.
        const QByteArray sheet = unzipP(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QCOMPARE(sheet, parts.value(QStringLiteral("xl/worksheets/sheet1.xml")));
        const QString xml = QString::fromUtf8(sheet);
        // Captions in bold (style 3), in screen order: N°, Montant, Date...
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="A1" t="inlineStr" s="3"><is><t xml:space="preserve">N°</t></is></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="B1" t="inlineStr" s="3"><is><t xml:space="preserve">Montant</t></is></c>)")));
        // Amounts as numbers with the number style, whole numbers plain.
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="B2" s="1"><v>1234.5</v></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="B3" s="1"><v>-12</v></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="B4"><v>3000</v></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="A2"><v>1</v></c>)")));
        // Dates as serial days with the date style (1 January 2025 is day 45658).
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="C2" s="2"><v>46086</v></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="C3" s="2"><v>45658</v></c>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="C4" s="2"><v>46387</v></c>)")));
        // Texts escaped; a telephone number stays text.
        QVERIFY(xml.contains(QStringLiteral(R"(<t xml:space="preserve">Vidange; filtre &quot;OK&quot;</t>)")));
        QVERIFY(xml.contains(QStringLiteral(R"(<t xml:space="preserve">A&lt;B &amp; C, D</t>)")));
        QVERIFY(xml.contains(QStringLiteral("<t xml:space=\"preserve\">شركة النقل\nligne 2</t>")));
        QVERIFY(xml.contains(QStringLiteral(R"(<c r="E2" t="inlineStr"><is><t xml:space="preserve">0550123456</t></is></c>)")));

        // The styles: index 1 a number format, index 2 the dd/mm/yyyy format.
        QXmlStreamReader styles(parts.value(QStringLiteral("xl/styles.xml")));
        QString dateFormatId;
        QStringList cellFormats;
        bool inCellXfs = false;
        while (!styles.atEnd()) {
            styles.readNext();
            if (styles.isStartElement() && styles.name() == QLatin1String("numFmt")
                && styles.attributes().value(QLatin1String("formatCode")) == QLatin1String("dd/mm/yyyy"))
                dateFormatId = styles.attributes().value(QLatin1String("numFmtId")).toString();
            if (styles.name() == QLatin1String("cellXfs"))
                inCellXfs = styles.isStartElement();
            if (inCellXfs && styles.isStartElement() && styles.name() == QLatin1String("xf"))
                cellFormats << styles.attributes().value(QLatin1String("numFmtId")).toString();
        }
        QVERIFY(!dateFormatId.isEmpty());
        QCOMPARE(cellFormats.size(), 4);
        QCOMPARE(cellFormats[2], dateFormatId);
        QCOMPARE(cellFormats[1], QStringLiteral("4"));
    }

    void xlsxStripsWhatXmlForbids()
    {
        kit::ExportTable t;
        t.headers << QStringLiteral("a\x01" "b");
        ExportCell c;
        c.text = QStringLiteral("x\x02y]]>z");
        t.rows << QList<ExportCell>{c};
        QString fault;
        const auto parts = readStoredZip(exports::xlsxBytes(t, QStringLiteral("Liste [2026]: a/b")), &fault);
        QVERIFY(fault.isEmpty());
        QVERIFY(wellFormed(parts.value(QStringLiteral("xl/worksheets/sheet1.xml"))));
        QVERIFY(parts.value(QStringLiteral("xl/worksheets/sheet1.xml")).contains("xy]]&gt;z"));
        QVERIFY(parts.value(QStringLiteral("xl/workbook.xml")).contains("name=\"Liste  2026   a b\""));
    }

    void gridCommand()
    {
        test::ScriptedUi ui;
        kit::setExportUi(&ui);
        QTableView grid;
        grid.setModel(sampleModel(&grid));
        kit::setupGrid(&grid);
        kit::setupGrid(&grid); // twice: still one command
        QCOMPARE(grid.contextMenuPolicy(), Qt::ActionsContextMenu);
        const auto actions = grid.findChildren<QAction*>(QStringLiteral("exporter"));
        QCOMPARE(actions.size(), 1);
        QAction* exporter = actions.first();
        QVERIFY(grid.actions().contains(exporter));
        QCOMPARE(exporter->text(), QStringLiteral("Exporter…"));
        QCOMPARE(exporter->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));

        QTemporaryDir dir;
        auto answer = [&](const QString& name, kit::ExportFormat format) {
            const QString path = dir.filePath(name);
            ui.saveAnswers << test::SaveAnswer{path, kit::exportFilter(format)};
            return path;
        };

        // Cancelled: nothing written, nothing said. The dialog proposes the list's name and the day.
        exporter->trigger();
        QCOMPARE(ui.saveDialogs.size(), 1);
        QVERIFY2(ui.saveDialogs[0].startsWith(QStringLiteral("Exporter la liste: ")), qPrintable(ui.saveDialogs[0]));
        QVERIFY2(ui.saveDialogs[0].endsWith(QLatin1Char('/') + kit::proposedExportName(grid.window(), QDate::currentDate())),
                 qPrintable(ui.saveDialogs[0]));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0);

        // Written in the chosen format.
        const QString csvPath = answer(QStringLiteral("liste.csv"), kit::ExportFormat::CsvFrench);
        exporter->trigger();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().startsWith("\xEF\xBB\xBF" "N°;Date;Désignation;Montant;Tél.\r\n1;05/03/2026;"));
        QVERIFY(ui.messages.isEmpty());

        // Ctrl+E on the shown grid runs it too.
        const QString xlsxPath = answer(QStringLiteral("liste.xlsx"), kit::ExportFormat::Xlsx);
        grid.show();
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ui.saveDialogs.size(), 3);
        // The next export is proposed in the folder of the last one.
        QVERIFY2(ui.saveDialogs[2].startsWith(QStringLiteral("Exporter la liste: ") + dir.path() + QLatin1Char('/')),
                 qPrintable(ui.saveDialogs[2]));
        QFile xlsx(xlsxPath);
        QVERIFY(xlsx.open(QIODevice::ReadOnly));
        QVERIFY(xlsx.readAll().startsWith("PK\x03\x04"));

        // A folder that does not exist: a clear message through the ui, no file.
        const QString absent = answer(QStringLiteral("absent/liste.xlsx"), kit::ExportFormat::Xlsx);
        exporter->trigger();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].icon, ui::Icon::Critical);
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("exportation")));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("liste.xlsx")));
        QVERIFY(!QFile::exists(absent));
        QVERIFY(ui.saveAnswers.isEmpty());
    }

    // The save dialog's answer gives the format: the filter chosen, unless the name's own extension
    // names the other kind; a name without extension gets the format's.
    void savedFileFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("format");
        const QString xlsx = kit::exportFilter(kit::ExportFormat::Xlsx);
        const QString fr = kit::exportFilter(kit::ExportFormat::CsvFrench);
        const QString intl = kit::exportFilter(kit::ExportFormat::CsvInternational);
        QTest::newRow("workbook, no extension") << "a" << xlsx << "a.xlsx" << int(kit::ExportFormat::Xlsx);
        QTest::newRow("French CSV, no extension") << "b" << fr << "b.csv" << int(kit::ExportFormat::CsvFrench);
        QTest::newRow("international CSV, no extension") << "c" << intl << "c.csv" << int(kit::ExportFormat::CsvInternational);
        QTest::newRow(".xlsx named under a CSV filter") << "d.xlsx" << fr << "d.xlsx" << int(kit::ExportFormat::Xlsx);
        QTest::newRow(".csv named under the workbook filter") << "e.csv" << xlsx << "e.csv" << int(kit::ExportFormat::CsvFrench);
        QTest::newRow(".csv under the international filter") << "f.csv" << intl << "f.csv" << int(kit::ExportFormat::CsvInternational);
        QTest::newRow(".csv, filter left as selected") << "g.csv" << QString() << "g.csv" << int(kit::ExportFormat::CsvFrench);
        QTest::newRow("other extension kept") << "h.txt" << xlsx << "h.txt" << int(kit::ExportFormat::Xlsx);
    }
    void savedFileFormat()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QFETCH(int, format);
        test::ScriptedUi ui;
        kit::setExportUi(&ui);
        QTableView grid;
        auto* m = new QStandardItemModel(0, 2, &grid);
        m->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Montant")});
        m->appendRow({new QStandardItem(QStringLiteral("05/03/2026")), new QStandardItem(QStringLiteral("1 234.50"))});
        grid.setModel(m);
        kit::setupGrid(&grid);
        QTemporaryDir dir;
        ui.saveAnswers << test::SaveAnswer{dir.filePath(name), filter};
        QVERIFY(kit::exportGrid(&grid));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QByteArray expected;
        switch (kit::ExportFormat(format)) {
        case kit::ExportFormat::Xlsx: QVERIFY(bytes.startsWith("PK\x03\x04")); return;
        case kit::ExportFormat::CsvFrench: expected = "\xEF\xBB\xBF" "Date;Montant\r\n05/03/2026;1234,50\r\n"; break;
        case kit::ExportFormat::CsvInternational: expected = "\xEF\xBB\xBF" "Date,Montant\r\n2026-03-05,1234.50\r\n"; break;
        }
        QCOMPARE(bytes, expected);
        QVERIFY(ui.messages.isEmpty());
    }

    // Without a ui to ask where to save, nothing is written.
    void noUiNoExport()
    {
        QTableView grid;
        grid.setModel(sampleModel(&grid));
        kit::setupGrid(&grid);
        QTest::ignoreMessage(QtWarningMsg, "The export has no ui to ask where to save");
        QVERIFY(!kit::exportGrid(&grid));
    }

    // The command bar's "Exporter" exports the list the user is in: the focused grid, else the first
    // shown one; a hidden grid (another tab) and a grid without export are never taken.
    void barCommandExportsTheListInUse()
    {
        test::ScriptedUi ui;
        kit::setExportUi(&ui);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* bar = new kit::CommandBar(&window);
        QToolButton* command = bar->addExport();
        layout->addWidget(bar);
        auto makeGrid = [&](const QString& name, bool exportable) {
            auto* grid = new QTableView(&window);
            grid->setObjectName(name);
            auto* model = new QStandardItemModel(1, 1, grid);
            model->setHorizontalHeaderLabels({name});
            model->setItem(0, 0, new QStandardItem(name + QStringLiteral(" ligne")));
            grid->setModel(model);
            if (exportable)
                kit::setupGrid(grid);
            layout->addWidget(grid);
            return grid;
        };
        QTableView* plain = makeGrid(QStringLiteral("sansExport"), false);
        QTableView* hidden = makeGrid(QStringLiteral("cache"), true);
        QTableView* first = makeGrid(QStringLiteral("premiere"), true);
        QTableView* second = makeGrid(QStringLiteral("seconde"), true);
        hidden->hide();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QCOMPARE(command->text(), QStringLiteral("Exporter"));
        QCOMPARE(command->shortcut(), QKeySequence(Qt::ALT | Qt::Key_E));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("liste.csv"));
        auto exportedCaption = [&] {
            QFile::remove(path);
            ui.saveAnswers << test::SaveAnswer{path, kit::exportFilter(kit::ExportFormat::CsvFrench)};
            command->click();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return QString();
            return QString::fromUtf8(f.readAll().mid(3)).section(QStringLiteral("\r\n"), 0, 0);
        };

        struct Case {
            QWidget* focus;
            QString expected;
        };
        const QList<Case> cases{{plain, QStringLiteral("premiere")},
                                {second, QStringLiteral("seconde")},
                                {first, QStringLiteral("premiere")},
                                {nullptr, QStringLiteral("premiere")}};
        for (const Case& c : cases) {
            if (c.focus)
                c.focus->setFocus();
            else if (QApplication::focusWidget())
                QApplication::focusWidget()->clearFocus();
            QCOMPARE(exportedCaption(), c.expected);
        }
        // Alt+E runs it too.
        second->setFocus();
        QFile::remove(path);
        ui.saveAnswers << test::SaveAnswer{path, kit::exportFilter(kit::ExportFormat::CsvFrench)};
        QTest::keyClick(second, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(QFile::exists(path)); // a button's shortcut clicks it after a short animation
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("seconde"));
        QVERIFY(ui.messages.isEmpty());

        // A window that shows no exportable grid: nothing is asked.
        QWidget empty;
        QVERIFY(!kit::exportableGrid(&empty));
        QVERIFY(!kit::exportableGrid(nullptr));
    }
};

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
