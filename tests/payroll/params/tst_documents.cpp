// The pay documents of the pay screen (signature list, pay slips of the month, work certificate, annual
// statement, pay slip) and the pay slip screen FPaye, which recomputes without storing.
#include "ParamsFixture.h"
#include "ParamsTests.h"

#include "harness/ScreenFit.h"
#include "payroll/documents/FPaye.h"
#include "payroll/documents/PayDocuments.h"

#include <QCheckBox>
#include <QFile>
#include <QScreen>
#include <QTest>

using namespace kv;
using namespace kv::test;
using namespace kv::payroll;
using ui::Icon;

namespace {

/// What the pay screen shows for the reference pay (rate 1 000, 26 days, both boxes ticked).
PaySlipSheet referenceSheet()
{
    PaySlipSheet s;
    s.nom = QStringLiteral("BENALI");
    s.prenom = QStringLiteral("Karim");
    s.fonction = QStringLiteral("Chauffeur");
    s.moisDe = QStringLiteral("Mars 2021");
    s.tauxJour = QStringLiteral("1 000.00 ");
    s.nbreJours = QStringLiteral("26");
    s.cnas = QStringLiteral("2 340.00 ");
    s.irg = QStringLiteral("1 639.20 ");
    s.salaireBase = QStringLiteral("26 000.00 ");
    s.salairePoste = QStringLiteral("26 000.00 ");
    s.brut = QStringLiteral("26 000.00 ");
    s.retenues = QStringLiteral("3 979.20 ");
    s.net = QStringLiteral("22 020.80 ");
    s.cnasDue = true;
    s.irgDue = true;
    return s;
}

const Signatory kSigner{QStringLiteral("31/03/2021"), QStringLiteral("M. HADDAD Omar"), QStringLiteral("Le Gérant")};

/// The text of each page of a PDF.
QStringList pageTexts(const QString& path)
{
    QPdfDocument pdf;
    QStringList pages;
    if (pdf.load(path) != QPdfDocument::Error::None)
        return pages;
    for (int p = 0; p < pdf.pageCount(); ++p)
        pages << pdf.getAllText(p).text().replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
    return pages;
}

} // namespace

class DocumentsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<PayrollFixture> p_;
    PayrollFixture& p() { return *p_; }
    ScriptedUi& ui() { return p().ui(); }
    qint64 benali_ = 0, saidi_ = 0;

    void setIdentity(const QString& fourth)
    {
        QMap<int, CfgRecord> records{{37, ProtectedSettings::encodeText(QStringLiteral("TRANSPORTS ATLAS SARL"))},
                                     {38, ProtectedSettings::encodeText(QStringLiteral("Zone industrielle, Oran"))},
                                     {39, ProtectedSettings::encodeText(QStringLiteral("Tél. 041 33 44 55"))}};
        if (!fourth.isEmpty())
            records.insert(40, ProtectedSettings::encodeText(fourth));
        p().f.folder->write(QStringLiteral("ZEB.CFG"), cfgBytes(records));
        p().s().settings.load(p().f.folder->file(QStringLiteral("ZEB.CFG")));
    }
    QString texte(const QString& field)
    {
        return p().db().scalar(QStringLiteral("SELECT %1 FROM textes").arg(db::Database::identifier(field))).toString();
    }
    /// The last document shown, its text; a copy kept under `name` for looking at it.
    QString shown(const QString& name)
    {
        if (ui().reports.isEmpty())
            return {};
        keepDocument(ui().reports.last(), name);
        return pdfText(ui().reports.last());
    }

    /// Two salaried agents with their March pays, an archived one with a March pay, and an April pay.
    void addMonth()
    {
        benali_ = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000,
                               QStringLiteral("2015-02-01"), false, QStringLiteral("31 8503 1234 56"));
        saidi_ = p().addAgent(QStringLiteral("SAIDI"), QStringLiteral("Amel"), QStringLiteral("Comptable"), 1500,
                              QStringLiteral("2019-09-15"));
        const qint64 gone = p().addAgent(QStringLiteral("ZERROUKI"), QStringLiteral("Ali"), QStringLiteral("Gardien"), 800,
                                         QString(), true);
        PayrollFixture::Pay ref = PayrollFixture::referencePay();
        ref.avances = 1000;
        ref.net = 21020.8;
        p().addPay(benali_, 3, ref, true, QStringLiteral("2021-03-31"));
        PayrollFixture::Pay saidi;
        saidi.taux = 1500;
        saidi.jours = 26;
        saidi.hSuppl = 2500;
        saidi.panier = 1300;
        saidi.brut = 42800;
        saidi.cnas = 3735;
        saidi.irg = 6193.9;
        saidi.rembPrets = 2000;
        saidi.net = 30871.1;
        p().addPay(saidi_, 3, saidi, true, QStringLiteral("2021-03-31"));
        PayrollFixture::Pay other;
        other.brut = 77777;
        other.net = 77777;
        p().addPay(gone, 3, other, true);
        p().addPay(benali_, 4, other);
        p().setPermn(QStringLiteral("M3"), 1);
    }

private slots:
    void init() { p_ = std::make_unique<PayrollFixture>(); }
    void cleanup() { p_.reset(); }

    // ---- the texts the documents are built from ---------------------------------------------------------

    void certificatePeriod_data()
    {
        QTest::addColumn<QString>("debut");
        QTest::addColumn<QString>("fin");
        QTest::addColumn<QString>("period");
        QTest::newRow("to this day") << "01/02/2015" << "à ce jour" << "Du  01/02/2015  à ce jour";
        QTest::newRow("to a date") << "01/02/2015" << "30/06/2020" << "Du  01/02/2015  Au  30/06/2020";
        QTest::newRow("trimmed") << " 01/02/2015 " << "  30/06/2020 " << "Du  01/02/2015  Au  30/06/2020";
        QTest::newRow("no end") << "01/02/2015" << "" << "Du  01/02/2015  ";
    }
    void certificatePeriod()
    {
        QFETCH(QString, debut);
        QFETCH(QString, fin);
        QFETCH(QString, period);
        QCOMPARE(payroll::certificatePeriod(debut, fin), period);
    }

    void statementPeriodAndDefaults()
    {
        const QString dots = QStringLiteral(".........................");
        QCOMPARE(statementPeriod(QString(), QStringLiteral("  ")), QStringLiteral("Du ") + dots + QStringLiteral("  Au ") + dots);
        QCOMPARE(statementPeriod(QStringLiteral("01/03/2021"), QStringLiteral("28/02/2022")),
                 QStringLiteral("Du 01/03/2021  Au 28/02/2022"));
        QCOMPARE(annualPeriod(3, 2021), (std::array<QString, 2>{QStringLiteral("01/03/2021"), QStringLiteral("28/02/2022")}));
        // A leap year: 364 days after 1 January 2020 is 30 December.
        QCOMPARE(annualPeriod(1, 2020), (std::array<QString, 2>{QStringLiteral("01/01/2020"), QStringLiteral("30/12/2020")}));
        QCOMPARE(monthHeading(2, 2021), QStringLiteral("Février 2021"));
        QCOMPARE(monthHeading(12, 2021), QStringLiteral("Décembre 2021"));
    }

    void annualTotals()
    {
        const AnnualTotals t = payroll::annualTotals({312000, 1000, 12000, 6000, 28080, 19670.4, 500, 5000});
        QCOMPARE(t.salairePoste, 313000.0);
        QCOMPARE(t.salaireAnnuel, 331000.0);
        QCOMPARE(t.retenues, 48250.4);
        QCOMPARE(t.net, 331000.0 - 48250.4 + 5000);
    }

    // ---- the month documents -----------------------------------------------------------------------------

    void signatureListShowsTheMonthsPays()
    {
        setIdentity(QString());
        addMonth();
        p().s().exerciceOuvert = 2021;
        QVERIFY(printSignatureList(p().s(), 3));
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(ui().reportTitles, QStringList{QStringLiteral("Etat d'émargement")});
        QCOMPARE(texte(QStringLiteral("ch4")), QStringLiteral("Mars 2021"));
        QCOMPARE(texte(QStringLiteral("ch1")), QStringLiteral("TRANSPORTS ATLAS SARL"));
        const QString text = shown(QStringLiteral("OSKDOC11"));
        for (const char* expected : {"TRANSPORTS ATLAS SARL", "Zone industrielle, Oran", "ETAT D'ÉMARGEMENT", "Mars 2021",
                                     "BENALI", "SAIDI", "26 000.00", "4 979.20", "21 020.80", "42 800.00", "11 928.90",
                                     "30 871.10", "68 800.00", "51 891.90"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // Neither the archived agent nor another month; no empty brackets for a fourth identity field.
        QVERIFY(!text.contains(QStringLiteral("ZERROUKI")));
        QVERIFY(!text.contains(QStringLiteral("77 777")));
        QVERIFY(!text.contains(QStringLiteral("()")));
    }

    void paySlipsGiveOnePagePerPay()
    {
        setIdentity(QStringLiteral("RC 31/00-123456"));
        addMonth();
        p().setPermn(QStringLiteral("N_CNAS"), QStringLiteral("31 0099 887"));
        QVERIFY(printPaySlips(p().s(), 3));
        QVERIFY(ui().messages.isEmpty());
        shown(QStringLiteral("OSKDOC12"));
        const QStringList pages = pageTexts(ui().reports.last());
        QCOMPARE(pages.size(), 2);
        // In name order, each slip with its own figures and the firm's fourth identity field.
        QVERIFY(pages[0].contains(QStringLiteral("BENALI Karim")));
        QVERIFY(pages[1].contains(QStringLiteral("SAIDI Amel")));
        for (const char* expected : {"BULLETIN DE PAYE", "Mars 2021", "31 8503 1234 56", "01/02/2015", "1 000.00",
                                     "26 000.00", "2 340.00", "1 639.20", "1 000.00", "4 979.20", "21 020.80",
                                     "RC 31/00-123456", "31 0099 887", "31/03/2021"})
            QVERIFY2(pages[0].contains(QString::fromUtf8(expected)), expected);
        for (const char* expected : {"2 500.00", "41 500.00", "1 300.00", "42 800.00", "3 735.00", "6 193.90", "2 000.00",
                                     "11 928.90", "30 871.10"})
            QVERIFY2(pages[1].contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!pages.join(u'\n').contains(QStringLiteral("ZERROUKI")));
    }

    void monthDocumentWithoutItsTemplate()
    {
        addMonth();
        QFile::remove(p().f.folder->file(kSignatureListTemplate));
        p().db().execute(QStringLiteral("UPDATE textes SET ch4 = 'avant'"));
        QVERIFY(!printSignatureList(p().s(), 3));
        QCOMPARE(ui().messages, QList<ShownMessage>{msg(QStringLiteral("Fichier 'OSKDOC11.RPT' absent"), Icon::Critical,
                                                         QStringLiteral("Z.E.B."))});
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(texte(QStringLiteral("ch4")), QStringLiteral("avant"));
    }

    // ---- work certificate --------------------------------------------------------------------------------

    void workCertificate()
    {
        setIdentity(QString());
        addMonth();
        WorkCertificate c = workCertificateFor(p().s(), benali_);
        QCOMPARE(c.debut, QStringLiteral("01/02/2015"));
        QCOMPARE(c.fin, QStringLiteral("à ce jour"));
        QCOMPARE(workCertificateFor(p().s(), saidi_).debut, QStringLiteral("15/09/2019"));
        c.numero = QStringLiteral(" 12/2021 ");
        c.neLe = QStringLiteral("15/06/1985");
        c.libre = QStringLiteral("à Oran");
        QVERIFY(printWorkCertificate(p().s(), benali_, c, kSigner));
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(texte(QStringLiteral("ch4")), QStringLiteral("12/2021"));
        QCOMPARE(texte(QStringLiteral("ch9")), QStringLiteral("Chauffeur"));
        QCOMPARE(texte(QStringLiteral("ch10")), QStringLiteral("Du  01/02/2015  à ce jour"));
        QCOMPARE(texte(QStringLiteral("ch12")), QStringLiteral("M. HADDAD Omar"));
        const QString text = shown(QStringLiteral("Att_Trav"));
        for (const char* expected : {"ATTESTATION DE TRAVAIL", "12/2021", "BENALI Karim", "15/06/1985 à Oran", "Chauffeur",
                                     "01/02/2015", "à ce jour", "M. HADDAD Omar", "Le Gérant", "31/03/2021",
                                     "TRANSPORTS ATLAS SARL"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains(QStringLiteral("()")));
    }

    void workCertificateNeedsAStartDate_data()
    {
        QTest::addColumn<QString>("debut");
        QTest::newRow("none") << "";
        QTest::newRow("short") << "1/2/2015";
        QTest::newRow("not a day") << "29/02/1900";
        QTest::newRow("not a date") << "abcdefghij";
    }
    void workCertificateNeedsAStartDate()
    {
        QFETCH(QString, debut);
        addMonth();
        p().db().execute(QStringLiteral("UPDATE textes SET ch10 = 'avant'"));
        WorkCertificate c;
        c.debut = debut;
        c.fin = QStringLiteral("à ce jour");
        QVERIFY(!printWorkCertificate(p().s(), saidi_, c, kSigner));
        QCOMPARE(ui().messages, QList<ShownMessage>{msg(QStringLiteral("Date d'entrée incorrecte"), Icon::Critical,
                                                         QStringLiteral("ATTENTION"))});
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(texte(QStringLiteral("ch10")), QStringLiteral("avant"));
    }

    // ---- annual statement --------------------------------------------------------------------------------

    void annualStatementReplacesTheCsseRow()
    {
        setIdentity(QString());
        addMonth();
        p().db().execute(QStringLiteral("INSERT INTO Csse (num_produit, C2) VALUES (999, 1)"));
        AnnualStatement a;
        const auto period = annualPeriod(3, 2021);
        a.debut = period[0];
        a.fin = period[1];
        a.amounts = {312000, 0, 12000, 6000, 28080, 19670.4, 0, 5000};
        QVERIFY(printAnnualStatement(p().s(), benali_, a, kSigner));
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Csse")), 1);
        const db::Row row = p().db().queryOne(QStringLiteral("SELECT * FROM Csse"));
        QCOMPARE(row.integer(QStringLiteral("num_produit")), benali_);
        QCOMPARE(row.number(QStringLiteral("C2")), 312000.0);
        QCOMPARE(row.number(QStringLiteral("C7")), 19670.4);
        QCOMPARE(row.number(QStringLiteral("C9")), 5000.0);
        QCOMPARE(texte(QStringLiteral("ch4")), QStringLiteral("Du 01/03/2021  Au 28/02/2022"));
        QCOMPARE(texte(QStringLiteral("ch5")), QStringLiteral("Salaire de base"));
        QCOMPARE(texte(QStringLiteral("ch6")), QStringLiteral("Ind. Complémentaire"));
        const QString text = shown(QStringLiteral("RAnnuel"));
        for (const char* expected : {"RELEVÉ ANNUEL DES ÉMOLUMENTS", "01/03/2021", "28/02/2022", "BENALI Karim",
                                     "Salaire de base", "312 000.00", "12 000.00", "6 000.00", "330 000.00", "28 080.00",
                                     "19 670.40", "47 750.40", "5 000.00", "287 249.60", "Le Gérant"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains(QStringLiteral("()")));
    }

    void annualStatementWithoutPeriodPrintsDots()
    {
        addMonth();
        AnnualStatement a;
        a.amounts[0] = 100;
        QVERIFY(printAnnualStatement(p().s(), saidi_, a, kSigner));
        QCOMPARE(texte(QStringLiteral("ch4")),
                 QStringLiteral("Du .........................  Au ........................."));
    }

    void annualStatementRefusedOrMissingKeepsTheCsseRow()
    {
        addMonth();
        p().db().execute(QStringLiteral("INSERT INTO Csse (num_produit, C2) VALUES (999, 1)"));
        AnnualStatement a;
        a.amounts[0] = 312000;
        // The engine refuses the new row: its message, and the row as it was.
        p().refuse(QStringLiteral("INSERT"), QStringLiteral("Csse"));
        QVERIFY(!printAnnualStatement(p().s(), benali_, a, kSigner));
        QCOMPARE(ui().messages, QList<ShownMessage>{PayrollFixture::refusal()});
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Csse WHERE num_produit = 999")), 1);
        // A missing template writes nothing either.
        ui().clear();
        p().db().execute(QStringLiteral("DROP TRIGGER refuse_INSERT_Csse"));
        QFile::remove(p().f.folder->file(kAnnualStatementTemplate));
        QVERIFY(!printAnnualStatement(p().s(), benali_, a, kSigner));
        QCOMPARE(ui().messages, QList<ShownMessage>{msg(QStringLiteral("Fichier 'RAnnuel.RPT' absent"), Icon::Critical,
                                                         QStringLiteral("Z.E.B."))});
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Csse WHERE num_produit = 999")), 1);
    }

    void statementDatesMustBeDays()
    {
        addMonth();
        AnnualStatement a;
        a.debut = QStringLiteral("29/02/2021");
        QVERIFY(!printAnnualStatement(p().s(), benali_, a, kSigner));
        QCOMPARE(ui().messages, QList<ShownMessage>{msg(QStringLiteral("Date incorrecte"), Icon::Critical,
                                                         QStringLiteral("ATTENTION"))});
        QVERIFY(ui().reports.isEmpty());
    }

    // ---- the pay slip screen -----------------------------------------------------------------------------

    void paySlipPrintedStraightAwayShowsThePayScreensFigures()
    {
        setIdentity(QString());
        addMonth();
        PaySlipSheet sheet = referenceSheet();
        sheet.hSuppl = QStringLiteral("1 500.00 ");
        sheet.indS = QStringLiteral("700.00 ");
        FPaye screen(p().s(), sheet, kSigner);
        screen.imprimer();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(ui().reportTitles, QStringList{QStringLiteral("Fiche de paye")});
        QCOMPARE(texte(QStringLiteral("ch4")), QStringLiteral("Mars 2021"));
        QCOMPARE(texte(QStringLiteral("ch5")), QStringLiteral("BENALI"));
        QCOMPARE(texte(QStringLiteral("ch14")), QStringLiteral("26 000.00 "));
        QCOMPARE(texte(QStringLiteral("ch15")), QStringLiteral("1 500.00 "));
        QCOMPARE(texte(QStringLiteral("ch16")), QStringLiteral("700.00 "));
        QCOMPARE(texte(QStringLiteral("ch20")), QStringLiteral("2 340.00 "));
        QCOMPARE(texte(QStringLiteral("ch21")), QStringLiteral("1 639.20 "));
        QCOMPARE(texte(QStringLiteral("ch25")), QStringLiteral("3 979.20 "));
        QCOMPARE(texte(QStringLiteral("ch26")), QStringLiteral("22 020.80 "));
        QCOMPARE(texte(QStringLiteral("ch13")), QStringLiteral("Le Gérant"));
        const QString text = shown(QStringLiteral("FPaye"));
        for (const char* expected : {"FICHE DE PAYE", "Mars 2021", "BENALI Karim", "Chauffeur", "26 000.00", "1 500.00",
                                     "700.00", "2 340.00", "1 639.20", "3 979.20", "22 020.80", "M. HADDAD Omar"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!text.contains(QStringLiteral("()")));
    }

    void paySlipRecomputesWithoutStoring_data()
    {
        QTest::addColumn<QString>("jours");
        QTest::addColumn<bool>("cnas");
        QTest::addColumn<bool>("irg");
        QTest::addColumn<QString>("cnasShown");
        QTest::addColumn<QString>("irgShown");
        QTest::addColumn<QString>("retenues");
        QTest::addColumn<QString>("net");
        // 26 days with both boxes: the pay screen's figures again.
        QTest::newRow("both") << "26" << true << true << "2 340.00 " << "1 639.20 " << "3 979.20 " << "22 020.80 ";
        // 20 days: CNAS 1 800; taxable 18 200 gives 1 640 less the 1 000 abatement.
        QTest::newRow("20 days") << "20" << true << true << "1 800.00 " << "640.00 " << "2 440.00 " << "17 560.00 ";
        // Without CNAS the whole poste is taxable: 20 000 gives 1 000.
        QTest::newRow("no CNAS") << "20" << false << true << "" << "1 000.00 " << "1 000.00 " << "19 000.00 ";
        QTest::newRow("no IRG") << "20" << true << false << "1 800.00 " << "" << "1 800.00 " << "18 200.00 ";
        QTest::newRow("neither") << "26" << false << false << "" << "" << "" << "26 000.00 ";
    }
    void paySlipRecomputesWithoutStoring()
    {
        QFETCH(QString, jours);
        QFETCH(bool, cnas);
        QFETCH(bool, irg);
        QFETCH(QString, cnasShown);
        QFETCH(QString, irgShown);
        QFETCH(QString, retenues);
        QFETCH(QString, net);
        addMonth();
        // Nothing of the pay may be written: any write would be refused and shown.
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Salaires"));
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Agents"));
        FPaye screen(p().s(), referenceSheet(), kSigner);
        QVERIFY(child<QCheckBox>(screen, QStringLiteral("cnas_due"))->isChecked());
        QVERIFY(child<QCheckBox>(screen, QStringLiteral("irg_due"))->isChecked());
        child<QCheckBox>(screen, QStringLiteral("cnas_due"))->setChecked(cnas);
        child<QCheckBox>(screen, QStringLiteral("irg_due"))->setChecked(irg);
        QLineEdit* days = child(screen, QStringLiteral("nbre_jours"));
        days->setText(jours);
        leave(days);
        QCOMPARE(child(screen, QStringLiteral("cnas"))->text(), cnasShown);
        QCOMPARE(child(screen, QStringLiteral("irg"))->text(), irgShown);
        QCOMPARE(child(screen, QStringLiteral("retenues"))->text(), retenues);
        QCOMPARE(child(screen, QStringLiteral("net"))->text(), net);
        QCOMPARE(screen.sheet().net, net);
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(p().db().scalar(QStringLiteral("SELECT Net FROM Salaires WHERE num_agent = ? AND MM = 3"), {benali_}).toDouble(),
                 21020.8);
    }

    void paySlipBoxClickedRecomputes()
    {
        addMonth();
        FPaye screen(p().s(), referenceSheet(), kSigner);
        child<QCheckBox>(screen, QStringLiteral("cnas_due"))->click(); // unticked
        QCOMPARE(child(screen, QStringLiteral("cnas"))->text(), QString());
        // The whole 26 000 taxable: 3 200 less an abatement of 1 280.
        QCOMPARE(child(screen, QStringLiteral("irg"))->text(), QStringLiteral("1 920.00 "));
        QCOMPARE(child(screen, QStringLiteral("net"))->text(), QStringLiteral("24 080.00 "));
        child<QCheckBox>(screen, QStringLiteral("cnas_due"))->click(); // ticked again
        QCOMPARE(child(screen, QStringLiteral("net"))->text(), QStringLiteral("22 020.80 "));
    }

    void paySlipCountsAFigureTypedButNotLeft()
    {
        addMonth();
        FPaye screen(p().s(), referenceSheet(), kSigner);
        QLineEdit* days = child(screen, QStringLiteral("nbre_jours"));
        days->setFocus();
        QTest::keyClick(days, Qt::Key_Backspace);
        QTest::keyClick(days, Qt::Key_Backspace);
        QTest::keyClicks(days, QStringLiteral("20"));
        screen.imprimer();
        QCOMPARE(texte(QStringLiteral("ch26")), QStringLiteral("17 560.00 "));
        QCOMPARE(texte(QStringLiteral("ch14")), QStringLiteral("20 000.00 "));
    }

    void paySlipRefusesAnAmountThatIsNotANumber()
    {
        addMonth();
        p().db().execute(QStringLiteral("UPDATE textes SET ch26 = 'avant'"));
        FPaye screen(p().s(), referenceSheet(), kSigner);
        child(screen, QStringLiteral("h_suppl"))->setText(QStringLiteral("12-50"));
        screen.imprimer();
        QCOMPARE(ui().messages, QList<ShownMessage>{msg(QStringLiteral("Montant incorrect"), Icon::Critical,
                                                         QStringLiteral("ATTENTION"))});
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(texte(QStringLiteral("ch26")), QStringLiteral("avant"));
    }

    void paySlipOpenedAgainShowsThePayScreensFigures()
    {
        addMonth();
        {
            FPaye screen(p().s(), referenceSheet(), kSigner);
            child(screen, QStringLiteral("nbre_jours"))->setText(QStringLiteral("10"));
            leave(child(screen, QStringLiteral("nbre_jours")));
            QVERIFY(child(screen, QStringLiteral("net"))->text() != referenceSheet().net);
        }
        FPaye again(p().s(), referenceSheet(), kSigner);
        QCOMPARE(child(again, QStringLiteral("nbre_jours"))->text(), QStringLiteral("26"));
        QCOMPARE(child(again, QStringLiteral("net"))->text(), QStringLiteral("22 020.80 "));
    }

    void paySlipWithoutDeductionsKeepsItsBoxesUnticked()
    {
        // A pay shown without CNAS or IRG (an exempt agent): leaving an entry keeps them blank.
        addMonth();
        PaySlipSheet sheet = referenceSheet();
        sheet.cnas.clear();
        sheet.irg.clear();
        sheet.cnasDue = sheet.irgDue = false;
        FPaye screen(p().s(), sheet, kSigner);
        QVERIFY(!child<QCheckBox>(screen, QStringLiteral("cnas_due"))->isChecked());
        child(screen, QStringLiteral("panier"))->setText(QStringLiteral("500"));
        leave(child(screen, QStringLiteral("panier")));
        QCOMPARE(child(screen, QStringLiteral("cnas"))->text(), QString());
        QCOMPARE(child(screen, QStringLiteral("net"))->text(), QStringLiteral("26 500.00 "));
    }

    void paySlipFitsBothTestScreens()
    {
        addMonth();
        PaySlipSheet sheet = referenceSheet();
        sheet.fonction = QStringLiteral("Responsable du parc automobile et de la maintenance");
        for (QScreen* s : testScreens()) {
            FPaye screen(p().s(), sheet, kSigner);
            showOn(screen, s);
            QCOMPARE(outsideScreen(screen), QStringList());
            saveShot(screen, QStringLiteral("FPaye-%1x%2").arg(s->size().width()).arg(s->size().height()));
        }
    }
};

int runDocumentsTest(int argc, char** argv)
{
    DocumentsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_documents.moc"
