// Identif in its three uses (identification, employer charges, deletion of a month's pays) and the
// payroll parameters Params, on the Permn row.
#include "ParamsFixture.h"
#include "ParamsTests.h"

#include "core/kit/GridModel.h"
#include "harness/ScreenFit.h"
#include "payroll/params/Identif.h"
#include "payroll/params/Params.h"
#include "payroll/params/PayrollSettings.h"
#include "payroll/pay/Pay.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

std::unique_ptr<Identif> openIdentif(Session& s, int mode)
{
    s.dialogValue = mode;
    return std::make_unique<Identif>(s);
}

const ShownMessage kMontant = msg(QStringLiteral("Montant incorrect"), Icon::Critical, QStringLiteral("ATTENTION"));

} // namespace

class ParamsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<PayrollFixture> p_;
    PayrollFixture& p() { return *p_; }

private slots:
    void init() { p_ = std::make_unique<PayrollFixture>(); }
    void cleanup() { p_.reset(); }

    // ---- identification ------------------------------------------------------------------------------

    void identificationShowsAndSavesTheEightTexts()
    {
        p().setPermn(QStringLiteral("RC"), QStringLiteral("  98 B 123  "));
        p().setPermn(QStringLiteral("agence"), QStringLiteral("BNA Oran"));
        p().setPermn(QStringLiteral("rib"), QVariant()); // null reads as empty
        auto screen = openIdentif(p().s(), Identif::Identification);
        QCOMPARE(screen->mode(), Identif::Identification);
        QCOMPARE(child(*screen, QStringLiteral("rc"))->text(), QStringLiteral("98 B 123"));
        QCOMPARE(child(*screen, QStringLiteral("agence"))->text(), QStringLiteral("BNA Oran"));
        QCOMPARE(child(*screen, QStringLiteral("rib"))->text(), QString());
        QCOMPARE(child(*screen, QStringLiteral("telephone"))->text(), QString()); // " " trimmed

        child(*screen, QStringLiteral("telephone"))->setText(QStringLiteral(" 041 33 44 55 "));
        child(*screen, QStringLiteral("rib"))->setText(QStringLiteral("00100 123"));
        click(*screen, QStringLiteral("valider"));
        QCOMPARE(screen->result(), int(QDialog::Accepted));
        QCOMPARE(p().permn(QStringLiteral("Telephone")).toString(), QStringLiteral("041 33 44 55"));
        QCOMPARE(p().permn(QStringLiteral("rib")).toString(), QStringLiteral("00100 123"));
        QCOMPARE(p().permn(QStringLiteral("RC")).toString(), QStringLiteral("98 B 123"));
        QCOMPARE(p().permn(QStringLiteral("agence")).toString(), QStringLiteral("BNA Oran"));
        QVERIFY(p().ui().messages.isEmpty());
    }

    void identificationUnchangedWritesNothing()
    {
        // With every write refused, an unchanged identification still closes without a word.
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Permn"));
        auto screen = openIdentif(p().s(), Identif::Identification);
        click(*screen, QStringLiteral("valider"));
        QCOMPARE(screen->result(), int(QDialog::Accepted));
        QVERIFY(p().ui().messages.isEmpty());
    }

    void identificationCreatesTheRowOfAnEmptyTable()
    {
        p().db().execute(QStringLiteral("DELETE FROM Permn"));
        auto screen = openIdentif(p().s(), Identif::Identification);
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Permn")), 1);
        for (const char* f : {"RC", "Id_Fiscale", "Article", "Telephone", "Fax", "Compte_Bancaire"})
            QCOMPARE(p().permn(QString::fromLatin1(f)).toString(), QStringLiteral(" "));
        QCOMPARE(p().permn(QStringLiteral("rib")).toString(), QString());
        QVERIFY(!p().permn(QStringLiteral("rib")).isNull());
        QCOMPARE(p().permn(QStringLiteral("Taux_CNAS")).toDouble(), 9.0);
        QCOMPARE(p().permn(QStringLiteral("Taux_PP")).toDouble(), 25.5);
    }

    void identificationRefusedWriteKeepsTheScreenAndTheRow()
    {
        p().setPermn(QStringLiteral("Fax"), QStringLiteral("041 00 00 00"));
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Permn"));
        auto screen = openIdentif(p().s(), Identif::Identification);
        child(*screen, QStringLiteral("fax"))->setText(QStringLiteral("041 99 99 99"));
        click(*screen, QStringLiteral("valider"));
        QCOMPARE(screen->result(), int(QDialog::Rejected)); // still open
        QCOMPARE(p().ui().messages, QList<ShownMessage>{PayrollFixture::refusal()});
        QCOMPARE(p().permn(QStringLiteral("Fax")).toString(), QStringLiteral("041 00 00 00"));
        QCOMPARE(child(*screen, QStringLiteral("fax"))->text(), QStringLiteral("041 99 99 99"));
    }

    void quitLeavesTheRowAsItWas()
    {
        auto screen = openIdentif(p().s(), Identif::Identification);
        child(*screen, QStringLiteral("article"))->setText(QStringLiteral("31 999"));
        click(*screen, QStringLiteral("quitter"));
        QCOMPARE(screen->result(), int(QDialog::Rejected));
        QCOMPARE(p().permn(QStringLiteral("Article")).toString(), QStringLiteral(" "));
    }

    // ---- parameters ----------------------------------------------------------------------------------

    void parametersLoadWithTheirDefaults()
    {
        // A new exercise: rates of the row, days and hours not set yet (26 and 182), by the day.
        Params screen(p().s());
        QCOMPARE(child(screen, QStringLiteral("taux_pp"))->text(), QStringLiteral("25.5"));
        QCOMPARE(child(screen, QStringLiteral("taux_cnas"))->text(), QStringLiteral("9"));
        QCOMPARE(child(screen, QStringLiteral("nb_jours"))->text(), QStringLiteral("26"));
        QCOMPARE(child(screen, QStringLiteral("nb_heures"))->text(), QStringLiteral("182"));
        QVERIFY(child<QRadioButton>(screen, QStringLiteral("journee"))->isChecked());

        p().setPermn(QStringLiteral("Taux_VF"), 1);
        p().setPermn(QStringLiteral("Nb_Jours"), 22);
        p().setPermn(QStringLiteral("N_CNAS"), QStringLiteral("31 123 456"));
        Params again(p().s());
        QVERIFY(child<QRadioButton>(again, QStringLiteral("heure"))->isChecked());
        QCOMPARE(child(again, QStringLiteral("nb_jours"))->text(), QStringLiteral("22"));
        QCOMPARE(child(again, QStringLiteral("n_cnas"))->text(), QStringLiteral("31 123 456"));
    }

    void parametersOpenFromIdentificationAndSave()
    {
        auto screen = openIdentif(p().s(), Identif::Identification);
        p().ui().onScreen(QStringLiteral("Params"), [](QDialog& d) {
            child(d, QStringLiteral("n_cnas"))->setText(QStringLiteral("  16 001 234  "));
            child(d, QStringLiteral("taux_pp"))->setText(QStringLiteral("26"));
            child(d, QStringLiteral("taux_cnas"))->setText(QStringLiteral("9.5"));
            child(d, QStringLiteral("nb_jours"))->setText(QStringLiteral("22"));
            child(d, QStringLiteral("nb_heures"))->setText(QStringLiteral("173"));
            child<QRadioButton>(d, QStringLiteral("heure"))->setChecked(true);
            click(d, QStringLiteral("valider"));
            return d.result();
        });
        click(*screen, QStringLiteral("parametrage"));
        QCOMPARE(p().ui().screens, QStringList{QStringLiteral("Params")});
        QCOMPARE(p().ui().messages, QList<ShownMessage>{msg(QStringLiteral("Paramétrage efféctué avec succès"),
                                                             Icon::Information, QStringLiteral("Kavorel"))});
        QCOMPARE(p().permn(QStringLiteral("N_CNAS")).toString(), QStringLiteral("16 001 234"));
        QCOMPARE(p().permn(QStringLiteral("Taux_PP")).toDouble(), 26.0);
        QCOMPARE(p().permn(QStringLiteral("Taux_CNAS")).toDouble(), 9.5);
        QCOMPARE(p().permn(QStringLiteral("Nb_Jours")).toDouble(), 22.0);
        QCOMPARE(p().permn(QStringLiteral("Nb_Heures")).toDouble(), 173.0);
        QCOMPARE(p().permn(QStringLiteral("Taux_VF")).toInt(), 1);
        // By the hour, a new pay counts the hours per month.
        QCOMPARE(payroll::readPayParams(p().db()).unitsPerMonth, 173);
        // The identification screen stays open underneath.
        QCOMPARE(screen->result(), int(QDialog::Rejected));
    }

    void parametersRefuseAmountsThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("minus inside") << "taux_pp" << "12-50";
        QTest::newRow("two points") << "taux_cnas" << "1.2.3";
        QTest::newRow("two minus") << "taux_cnas" << "--5";
        QTest::newRow("days") << "nb_jours" << "2-6";
    }
    void parametersRefuseAmountsThatAreNotNumbers()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        Params screen(p().s());
        child(screen, field)->setText(text);
        click(screen, QStringLiteral("valider"));
        QCOMPARE(p().ui().messages, QList<ShownMessage>{kMontant});
        QCOMPARE(screen.result(), int(QDialog::Rejected));
        QCOMPARE(p().permn(QStringLiteral("Taux_PP")).toDouble(), 25.5);
        QCOMPARE(p().permn(QStringLiteral("Taux_CNAS")).toDouble(), 9.0);
        QVERIFY(p().permn(QStringLiteral("Nb_Jours")).isNull());
    }

    void parametersRefusedWrite()
    {
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Permn"));
        Params screen(p().s());
        child(screen, QStringLiteral("taux_pp"))->setText(QStringLiteral("30"));
        click(screen, QStringLiteral("valider"));
        QCOMPARE(p().ui().messages, QList<ShownMessage>{PayrollFixture::refusal()});
        QCOMPARE(screen.result(), int(QDialog::Rejected));
        QCOMPARE(p().permn(QStringLiteral("Taux_PP")).toDouble(), 25.5);
    }

    // ---- employer charges ----------------------------------------------------------------------------

    void chargesTotalsCountClosedMonthsOnly_data()
    {
        QTest::addColumn<QList<int>>("closed");
        QTest::addColumn<double>("brut");
        QTest::addColumn<double>("patronale");
        QTest::addColumn<double>("ouvriere");
        QTest::addColumn<double>("total");
        // Every month carries gross 1000·m, employer 100·m and workers 10·m; only closed ones count.
        QTest::newRow("none") << QList<int>{} << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("march") << QList<int>{3} << 3000.0 << 300.0 << 30.0 << 3330.0;
        QTest::newRow("march and december") << QList<int>{3, 12} << 15000.0 << 1500.0 << 150.0 << 16650.0;
        QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << 78000.0 << 7800.0 << 780.0
                             << 86580.0;
    }
    void chargesTotalsCountClosedMonthsOnly()
    {
        QFETCH(QList<int>, closed);
        QFETCH(double, brut);
        QFETCH(double, patronale);
        QFETCH(double, ouvriere);
        QFETCH(double, total);
        payroll::ChargesTable table;
        for (int m = 1; m <= 12; ++m)
            table[m - 1] = {closed.contains(m), 1000.0 * m, 100.0 * m, 10.0 * m};
        const payroll::ChargesTotals t = payroll::chargesTotals(table);
        QCOMPARE(t.brut, brut);
        QCOMPARE(t.patronale, patronale);
        QCOMPARE(t.ouvriere, ouvriere);
        QCOMPARE(t.total, total);
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(t.rowTotal[m - 1], closed.contains(m) ? 1110.0 * m : 0.0);
    }

    void chargesShowTheClosedMonths()
    {
        // March closed with a gross total of 100 000 (two pays) and its employer charge of 25 500;
        // April has pays but is open; May closed with workers' amount typed earlier.
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        const qint64 b = p().addAgent(QStringLiteral("SAIDI"), QStringLiteral("Amel"), QStringLiteral("Comptable"), 2000);
        PayrollFixture::Pay pay;
        pay.brut = 60000;
        p().addPay(a, 3, pay, true);
        pay.brut = 40000;
        p().addPay(b, 3, pay, true);
        pay.brut = 5000;
        p().addPay(a, 4, pay);
        pay.brut = 26000;
        p().addPay(a, 5, pay, true);
        p().setPermn(QStringLiteral("M3"), 1);
        p().setPermn(QStringLiteral("PPTR3"), 25500);
        p().setPermn(QStringLiteral("M5"), 1);
        p().setPermn(QStringLiteral("PPTR5"), 6630);
        p().setPermn(QStringLiteral("VF5"), 2340);
        p().setPermn(QStringLiteral("PPTR4"), 999); // an open month shows nothing, whatever the row holds

        auto screen = openIdentif(p().s(), Identif::Charges);
        QCOMPARE(child<QLabel>(*screen, QStringLiteral("taux_pp"))->text(), QStringLiteral("25.5 %"));
        QCOMPARE(child<QLabel>(*screen, QStringLiteral("taux_cnas"))->text(), QStringLiteral("9 %"));
        QCOMPARE(child(*screen, QStringLiteral("brut3"))->text(), QStringLiteral("100 000.00"));
        QCOMPARE(child(*screen, QStringLiteral("pptr3"))->text(), QStringLiteral("25 500.00"));
        QCOMPARE(child(*screen, QStringLiteral("vf3"))->text(), QString());
        QCOMPARE(child(*screen, QStringLiteral("total3"))->text(), QStringLiteral("125 500.00"));
        QCOMPARE(child(*screen, QStringLiteral("vf5"))->text(), QStringLiteral("2 340.00"));
        QCOMPARE(child(*screen, QStringLiteral("total5"))->text(), QStringLiteral("34 970.00"));
        for (const char* open : {"brut4", "pptr4", "vf4", "total4", "brut1", "pptr1"})
            QCOMPARE(child(*screen, QString::fromLatin1(open))->text(), QString());
        QVERIFY(!child(*screen, QStringLiteral("pptr4"))->isEnabled());
        QVERIFY(!child(*screen, QStringLiteral("vf4"))->isEnabled());
        QVERIFY(child(*screen, QStringLiteral("vf3"))->isEnabled());
        QCOMPARE(child(*screen, QStringLiteral("total_brut"))->text(), QStringLiteral("126 000.00"));
        QCOMPARE(child(*screen, QStringLiteral("total_pptr"))->text(), QStringLiteral("32 130.00"));
        QCOMPARE(child(*screen, QStringLiteral("total_vf"))->text(), QStringLiteral("2 340.00"));
        QCOMPARE(child(*screen, QStringLiteral("total_general"))->text(), QStringLiteral("160 470.00"));
    }

    void chargesShowTheChargeRecordedWhenAMonthIsClosed()
    {
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        const qint64 b = p().addAgent(QStringLiteral("SAIDI"), QStringLiteral("Amel"), QStringLiteral("Comptable"), 2000);
        // Closing computes each pay from its entries: 2 000 × 30 and 2 000 × 20.
        PayrollFixture::Pay pay;
        pay.taux = 2000;
        pay.jours = 30;
        pay.brut = 60000;
        p().addPay(a, 6, pay);
        pay.jours = 20;
        pay.brut = 40000;
        p().addPay(b, 6, pay);
        QCOMPARE(payroll::closeMonth(p().db(), 6, QStringLiteral("30/06/2021"), 2021), std::optional<double>(25500));
        auto screen = openIdentif(p().s(), Identif::Charges);
        QCOMPARE(child(*screen, QStringLiteral("brut6"))->text(), QStringLiteral("100 000.00"));
        QCOMPARE(child(*screen, QStringLiteral("pptr6"))->text(), QStringLiteral("25 500.00"));
        QCOMPARE(child(*screen, QStringLiteral("total_general"))->text(), QStringLiteral("125 500.00"));
    }

    void chargesRecomputeAndSave()
    {
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        PayrollFixture::Pay pay;
        pay.brut = 100000;
        p().addPay(a, 3, pay, true);
        p().setPermn(QStringLiteral("M3"), 1);
        p().setPermn(QStringLiteral("PPTR3"), 25500);
        p().setPermn(QStringLiteral("PPTR4"), 999);
        p().setPermn(QStringLiteral("VF4"), 111);

        auto screen = openIdentif(p().s(), Identif::Charges);
        child(*screen, QStringLiteral("vf3"))->setText(QStringLiteral("9000"));
        child(*screen, QStringLiteral("pptr3"))->setText(QStringLiteral("25 600.50"));
        click(*screen, QStringLiteral("recalculer"));
        QCOMPARE(child(*screen, QStringLiteral("vf3"))->text(), QStringLiteral("9 000.00"));
        QCOMPARE(child(*screen, QStringLiteral("total3"))->text(), QStringLiteral("134 600.50"));
        QCOMPARE(child(*screen, QStringLiteral("total_general"))->text(), QStringLiteral("134 600.50"));
        // Recomputing writes nothing.
        QVERIFY(p().permn(QStringLiteral("VF3")).isNull());

        click(*screen, QStringLiteral("valider"));
        QCOMPARE(screen->result(), int(QDialog::Accepted));
        QCOMPARE(p().permn(QStringLiteral("VF3")).toDouble(), 9000.0);
        QCOMPARE(p().permn(QStringLiteral("PPTR3")).toDouble(), 25600.5);
        // Open months are not touched.
        QCOMPARE(p().permn(QStringLiteral("PPTR4")).toDouble(), 999.0);
        QCOMPARE(p().permn(QStringLiteral("VF4")).toDouble(), 111.0);

        auto again = openIdentif(p().s(), Identif::Charges);
        QCOMPARE(child(*again, QStringLiteral("vf3"))->text(), QStringLiteral("9 000.00"));
    }

    void chargesEnterGoesDownAColumnThenToTheOther()
    {
        for (int m : {1, 2, 12})
            p().setPermn(QStringLiteral("M%1").arg(m), 1);
        auto screen = openIdentif(p().s(), Identif::Charges);
        showOn(*screen, testScreens().first());
        screen->activateWindow();
        const auto enterIn = [&](const QString& from) {
            QLineEdit* field = child(*screen, from);
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Return);
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        QCOMPARE(enterIn(QStringLiteral("pptr1")), QStringLiteral("pptr2"));
        QCOMPARE(enterIn(QStringLiteral("pptr2")), QStringLiteral("pptr12")); // open months are skipped
        QCOMPARE(enterIn(QStringLiteral("pptr12")), QStringLiteral("vf1"));
        QCOMPARE(enterIn(QStringLiteral("vf12")), QStringLiteral("pptr1"));
    }

    void chargesRefuseAnAmountThatIsNotANumber()
    {
        p().setPermn(QStringLiteral("M3"), 1);
        p().setPermn(QStringLiteral("PPTR3"), 25500);
        auto screen = openIdentif(p().s(), Identif::Charges);
        child(*screen, QStringLiteral("vf3"))->setText(QStringLiteral("12-50"));
        click(*screen, QStringLiteral("valider"));
        QCOMPARE(p().ui().messages, QList<ShownMessage>{kMontant});
        QCOMPARE(screen->result(), int(QDialog::Rejected));
        QVERIFY(p().permn(QStringLiteral("VF3")).isNull());
        QCOMPARE(p().permn(QStringLiteral("PPTR3")).toDouble(), 25500.0);
    }

    void chargesRefusedWrite()
    {
        p().setPermn(QStringLiteral("M3"), 1);
        p().setPermn(QStringLiteral("PPTR3"), 25500);
        p().refuse(QStringLiteral("UPDATE"), QStringLiteral("Permn"));
        auto screen = openIdentif(p().s(), Identif::Charges);
        child(*screen, QStringLiteral("vf3"))->setText(QStringLiteral("9000"));
        click(*screen, QStringLiteral("valider"));
        QCOMPARE(p().ui().messages, QList<ShownMessage>{PayrollFixture::refusal()});
        QCOMPARE(screen->result(), int(QDialog::Rejected));
        QVERIFY(p().permn(QStringLiteral("VF3")).isNull());
        QCOMPARE(child(*screen, QStringLiteral("vf3"))->text(), QStringLiteral("9 000.00"));
    }

    // ---- deletion of a month's pays --------------------------------------------------------------------

    void deletionOffersOnlyClosedMonths()
    {
        p().setPermn(QStringLiteral("M2"), 1);
        auto screen = openIdentif(p().s(), Identif::Suppression);
        kit::GridModel* months = screen->monthsModel();
        QCOMPARE(months->rowCount(), 12);
        QCOMPARE(months->index(1, 1).data().toString(), QStringLiteral("Février"));
        QCOMPARE(months->index(1, 2).data().toString(), QStringLiteral("####"));
        QCOMPARE(months->index(2, 2).data().toString(), QStringLiteral("   "));
        QToolButton* del = child<QToolButton>(*screen, QStringLiteral("supprimer"));
        screen->selectMonth(3);
        QVERIFY(del->isHidden());
        screen->selectMonth(2);
        QVERIFY(!del->isHidden());
    }

    void deletionRemovesTheMonthsPaysAndOpensIt()
    {
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        const qint64 b = p().addAgent(QStringLiteral("SAIDI"), QStringLiteral("Amel"), QStringLiteral("Comptable"), 2000);
        for (int m : {2, 3}) {
            p().addPay(a, m, PayrollFixture::referencePay(), true, QStringLiteral("2021-0%1-28").arg(m));
            p().addPay(b, m, PayrollFixture::referencePay(), true, QStringLiteral("2021-0%1-28").arg(m));
            p().setPermn(QStringLiteral("M%1").arg(m), 1);
            p().setPermn(QStringLiteral("PPTR%1").arg(m), 13260);
            p().setPermn(QStringLiteral("VF%1").arg(m), 4680);
        }
        // An advance on salary of March: money paid, it stays in the ledger.
        p().db().execute(QStringLiteral("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                                        "VALUES (1, '2021-03-10', 3, 1000, 0, 'Avance', 1, 10, ?)"),
                         {a});

        auto screen = openIdentif(p().s(), Identif::Suppression);
        screen->selectMonth(3);
        p().ui().answers = {true};
        click(*screen, QStringLiteral("supprimer"));
        QCOMPARE(p().ui().messages,
                 (QList<ShownMessage>{msg(QStringLiteral("Confirmer suppression paye\nMars  2021"), Icon::Question,
                                          QStringLiteral("ATTENTION"), true),
                                      msg(QStringLiteral("Suppression effectuée avec succès"), Icon::NoIcon, QStringLiteral("ZEB"))}));
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Salaires WHERE MM = 3")), 0);
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Salaires WHERE MM = 2")), 2);
        QCOMPARE(p().permn(QStringLiteral("M3")).toInt(), 0);
        QCOMPARE(p().permn(QStringLiteral("M2")).toInt(), 1);
        // The charges of the deleted pays go with them; February's stay.
        QVERIFY(p().permn(QStringLiteral("PPTR3")).isNull());
        QVERIFY(p().permn(QStringLiteral("VF3")).isNull());
        QCOMPARE(p().permn(QStringLiteral("PPTR2")).toDouble(), 13260.0);
        QCOMPARE(p().permn(QStringLiteral("VF2")).toDouble(), 4680.0);
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Depenses WHERE Type_Dep = 10")), 1);
        QCOMPARE(screen->monthsModel()->index(2, 2).data().toString(), QStringLiteral("   "));
        QVERIFY(child<QToolButton>(*screen, QStringLiteral("supprimer"))->isHidden());

        // The employer charges no longer list March.
        auto charges = openIdentif(p().s(), Identif::Charges);
        QCOMPARE(child(*charges, QStringLiteral("brut3"))->text(), QString());
        QCOMPARE(child(*charges, QStringLiteral("total_brut"))->text(), QStringLiteral("52 000.00"));

        // The pay screen opening March again finds no pay and makes fresh ones.
        int created = 0;
        payroll::buildMonth(p().db(), 3, 26, &created);
        QCOMPARE(created, 2);
    }

    void deletionAnsweredNoKeepsEverything()
    {
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        p().addPay(a, 3, PayrollFixture::referencePay(), true);
        p().setPermn(QStringLiteral("M3"), 1);
        auto screen = openIdentif(p().s(), Identif::Suppression);
        screen->selectMonth(3);
        p().ui().answers = {false};
        click(*screen, QStringLiteral("supprimer"));
        QCOMPARE(p().ui().messages.size(), 1);
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Salaires WHERE MM = 3")), 1);
        QCOMPARE(p().permn(QStringLiteral("M3")).toInt(), 1);
        QCOMPARE(screen->monthsModel()->index(2, 2).data().toString(), QStringLiteral("####"));
    }

    void deletionRefusedLeavesPaysAndFlagTogether_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("table");
        QTest::newRow("pays refused") << "DELETE" << "Salaires";
        // The pays can go but the flag cannot: the pays come back, never a closed month without pays.
        QTest::newRow("flag refused") << "UPDATE" << "Permn";
    }
    void deletionRefusedLeavesPaysAndFlagTogether()
    {
        QFETCH(QString, op);
        QFETCH(QString, table);
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        p().addPay(a, 3, PayrollFixture::referencePay(), true);
        p().setPermn(QStringLiteral("M3"), 1);
        p().setPermn(QStringLiteral("PPTR3"), 6630);
        p().refuse(op, table);
        auto screen = openIdentif(p().s(), Identif::Suppression);
        screen->selectMonth(3);
        p().ui().answers = {true};
        click(*screen, QStringLiteral("supprimer"));
        QCOMPARE(p().ui().messages.size(), 2);
        QCOMPARE(p().ui().messages.last(), PayrollFixture::refusal());
        QCOMPARE(screen->result(), int(QDialog::Rejected));
        QCOMPARE(p().count(QStringLiteral("SELECT count(*) FROM Salaires WHERE MM = 3")), 1);
        QCOMPARE(p().permn(QStringLiteral("M3")).toInt(), 1);
        QCOMPARE(p().permn(QStringLiteral("PPTR3")).toDouble(), 6630.0);
        QCOMPARE(screen->monthsModel()->index(2, 2).data().toString(), QStringLiteral("####"));
    }

    // ---- fit -------------------------------------------------------------------------------------------

    void screensFitBothTestScreens()
    {
        const qint64 a = p().addAgent(QStringLiteral("BENALI"), QStringLiteral("Karim"), QStringLiteral("Chauffeur"), 1000);
        for (int m = 1; m <= 12; ++m) {
            PayrollFixture::Pay pay = PayrollFixture::referencePay();
            pay.brut = 1234567.89;
            p().addPay(a, m, pay, true);
            p().setPermn(QStringLiteral("M%1").arg(m), m % 3 != 0 ? 1 : 0);
            p().setPermn(QStringLiteral("PPTR%1").arg(m), 314814.81);
            p().setPermn(QStringLiteral("VF%1").arg(m), 111111.11);
        }
        p().setPermn(QStringLiteral("RC"), QStringLiteral("16/00-0987654 B 21"));
        for (QScreen* screen : testScreens()) {
            const QString size = QStringLiteral("%1x%2").arg(screen->size().width()).arg(screen->size().height());
            for (int mode : {0, 1, 2}) {
                auto identif = openIdentif(p().s(), mode);
                showOn(*identif, screen);
                QCOMPARE(outsideScreen(*identif), QStringList());
                saveShot(*identif, QStringLiteral("Identif%1-%2").arg(mode).arg(size));

            }
            Params params(p().s());
            showOn(params, screen);
            QCOMPARE(outsideScreen(params), QStringList());
            saveShot(params, QStringLiteral("Params-") + size);
        }
    }
};

int runParamsTest(int argc, char** argv)
{
    ParamsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_params.moc"
