// The pay computation without widgets: CNAS, IRG and the totals from the entries; the month's pay rows;
// saving a pay; advances; closing and reopening a month.
#include "PayFixture.h"
#include "PayTests.h"

#include "core/formats/Numbers.h"
#include "payroll/pay/Pay.h"
#include "platform/db/Error.h"

#include <QTest>

using namespace kv;
using namespace kv::payroll;
using namespace kv::test;

class PayTest : public QObject {
    Q_OBJECT
private slots:
    // Each row: the entries, the boxes and the figures shown.
    void computation_data()
    {
        QTest::addColumn<PayTexts>("texts");
        QTest::addColumn<bool>("cnasDue");
        QTest::addColumn<bool>("irgDue");
        QTest::addColumn<double>("tauxCnas");
        QTest::addColumn<QStringList>("shown"); // cnas, irg, base, poste, brut, retenues, net

        QTest::newRow("rate 1 000, 26 days, both boxes")
            << PayTexts{"1000", "26", "", "", "", "", "", "", ""} << true << true << 9.0
            << QStringList{"2 340.00 ", "1 639.20 ", "26 000.00 ", "26 000.00 ", "26 000.00 ", "3 979.20 ", "22 020.80 "};
        QTest::newRow("an advance of 1 000 raises the deductions")
            << PayTexts{"1000", "26", "", "", "", "", "1000.00 ", "", ""} << true << true << 9.0
            << QStringList{"2 340.00 ", "1 639.20 ", "26 000.00 ", "26 000.00 ", "26 000.00 ", "4 979.20 ", "21 020.80 "};
        QTest::newRow("no CNAS: the whole poste is taxable")
            << PayTexts{"1000", "26", "", "", "", "", "", "", ""} << false << true << 9.0
            << QStringList{"", "1 920.00 ", "26 000.00 ", "26 000.00 ", "26 000.00 ", "1 920.00 ", "24 080.00 "};
        QTest::newRow("no IRG")
            << PayTexts{"1000", "26", "", "", "", "", "", "", ""} << true << false << 9.0
            << QStringList{"2 340.00 ", "", "26 000.00 ", "26 000.00 ", "26 000.00 ", "2 340.00 ", "23 660.00 "};
        // Overtime and subject allowances enter the poste, the CNAS and the tax; meal and other
        // allowances only the gross; loan repayment and other deductions only the deductions.
        QTest::newRow("every element")
            << PayTexts{"1 000.00 ", "26", "2 000.00 ", "1500", "800", "700", "500", "300", "200"} << true << true
            << 9.0
            << QStringList{"2 655.00 ", "2 020.80 ", "26 000.00 ", "29 500.00 ", "31 000.00 ", "5 675.80 ",
                           "25 324.20 "};
        // A taxable amount whose tax is not above 0 shows no tax.
        QTest::newRow("tax not above 0")
            << PayTexts{"500", "26", "", "", "", "", "", "", ""} << true << true << 9.0
            << QStringList{"1 170.00 ", "", "13 000.00 ", "13 000.00 ", "13 000.00 ", "1 170.00 ", "11 830.00 "};
        // CNAS = round2(rate × poste) × 0.01: 9 × 333.33 = 2 999.97, so 29.9997 shown 30.00.
        QTest::newRow("CNAS rounded twice")
            << PayTexts{"333.33", "1", "", "", "", "", "", "", ""} << true << false << 9.0
            << QStringList{"30.00 ", "", "333.33 ", "333.33 ", "333.33 ", "30.00 ", "303.33 "};
        // 9.5 × 20 001.21 = 190 011.495, rounded 190 011.50, so 1 900.115 shown 1 900.12 (in binary the
        // product is just below the half, and so is the hundredth of it).
        QTest::newRow("CNAS at 9.5 on 20 001.21")
            << PayTexts{"20 001.21 ", "1", "", "", "", "", "", "", ""} << true << false << 9.5
            << QStringList{"1 900.12 ", "", "20 001.21 ", "20 001.21 ", "20 001.21 ", "1 900.12 ", "18 101.09 "};
        QTest::newRow("nothing entered")
            << PayTexts{} << true << true << 9.0 << QStringList{"", "", "", "", "", "", ""};
        QTest::newRow("deductions above the gross")
            << PayTexts{"100", "10", "", "", "", "", "1500", "", ""} << false << false << 9.0
            << QStringList{"", "", "1 000.00 ", "1 000.00 ", "1 000.00 ", "1 500.00 ", "-500.00 "};
    }
    void computation()
    {
        QFETCH(PayTexts, texts);
        QFETCH(bool, cnasDue);
        QFETCH(bool, irgDue);
        QFETCH(double, tauxCnas);
        QFETCH(QStringList, shown);
        for (qint16 situation : {situationOf(true, 0), situationOf(false, 0), situationOf(false, 2)}) {
            const PayFigures f = computePay(readEntries(texts, cnasDue, irgDue, situation), tauxCnas);
            QCOMPARE((QStringList{f.cnas, f.irg, f.salaireBase, f.salairePoste, f.brut, f.retenues, f.net}), shown);
            QCOMPARE(f.netValue, f.brutValue - f.retenuesValue);
        }
    }

    void unitsPerMonth_data()
    {
        QTest::addColumn<QVariant>("tauxVf");
        QTest::addColumn<QVariant>("jours");
        QTest::addColumn<QVariant>("heures");
        QTest::addColumn<int>("units");
        QTest::newRow("by the day, null") << QVariant(0) << QVariant() << QVariant() << 26;
        QTest::newRow("by the day") << QVariant(0) << QVariant(22) << QVariant(170) << 22;
        QTest::newRow("unit null is by the day") << QVariant() << QVariant(24) << QVariant(170) << 24;
        QTest::newRow("by the hour, null") << QVariant(1) << QVariant(22) << QVariant() << 182;
        QTest::newRow("by the hour") << QVariant(1) << QVariant(22) << QVariant(170) << 170;
    }
    void unitsPerMonth()
    {
        QFETCH(QVariant, tauxVf);
        QFETCH(QVariant, jours);
        QFETCH(QVariant, heures);
        QFETCH(int, units);
        PayFixture f;
        f.db().execute(QStringLiteral("UPDATE Permn SET Taux_VF = ?, Nb_Jours = ?, Nb_Heures = ?"), {tauxVf, jours, heures});
        QCOMPARE(readPayParams(f.db()).unitsPerMonth, units);
    }

    // The month list creates the missing pays of the salaried agents not archived, once, in name order.
    void monthCreation()
    {
        PayFixture f;
        const qint64 zed = f.addAgent("ZED", "Ali", 12.5);
        const qint64 amar = f.addAgent("AMAR", "Nadia", 0);
        f.addAgent("BRAHIMI", "Omar", 800, false);          // not salaried
        f.addAgent("CHERIF", "Lyes", 900, true, true);      // archived
        int created = -1;
        QList<MonthLine> lines = buildMonth(f.db(), 3, 26, &created);
        QCOMPARE(created, 2);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].agent.num, amar);
        QCOMPARE(lines[1].agent.num, zed);
        const PayRow& p = lines[1].pay;
        QCOMPARE(p.nbreJours, 26.0);
        QCOMPARE(p.tauxJour, 12.5);
        QCOMPARE(p.brut, 325.0);
        QCOMPARE(p.net, 325.0);
        QVERIFY(!p.regle);
        QVERIFY(f.field("SELECT CNAS FROM Salaires WHERE num_agent = ?", {zed}).isNull());
        QVERIFY(f.field("SELECT IRG FROM Salaires WHERE num_agent = ?", {zed}).isNull());
        QCOMPARE(lines[0].pay.brut, 0.0);
        QCOMPARE(lines[0].cells(1),
                 (QStringList{"1", "AMAR", "Nadia", "Comptable", "", "26", "", "", ""}));
        QCOMPARE(lines[1].cells(2),
                 (QStringList{"2", "ZED", "Ali", "Comptable", "12.50", "26", "325.00", "", "325.00 "}));
        // Built again: nothing more created; another month gets its own rows.
        lines = buildMonth(f.db(), 3, 26, &created);
        QCOMPARE(created, 0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires").toInt(), 2);
        buildMonth(f.db(), 4, 22, &created);
        QCOMPARE(created, 2);
        QCOMPARE(f.field("SELECT nbre_jours FROM Salaires WHERE MM = 4 AND num_agent = ?", {zed}).toDouble(), 22.0);
    }

    void monthWithoutAgent()
    {
        PayFixture f;
        f.addAgent("CHERIF", "Lyes", 900, true, true);
        int created = -1;
        QVERIFY(buildMonth(f.db(), 5, 26, &created).isEmpty());
        QCOMPARE(created, 0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires").toInt(), 0);
    }

    void anAgentReadByNumber()
    {
        PayFixture f;
        const qint64 num = f.addAgent("CHERIF", "Lyes", 900.5, true, false, 1, QVariant());
        const std::optional<PayAgent> agent = readPayAgent(f.db(), num);
        QVERIFY(agent);
        QCOMPARE(agent->num, num);
        QCOMPARE(agent->nom, QStringLiteral("CHERIF"));
        QCOMPARE(agent->prenom, QStringLiteral("Lyes"));
        QCOMPARE(agent->tauxJour, 900.5);
        QVERIFY(agent->cnasDue);
        QVERIFY(!agent->irgDue);
        QVERIFY(!readPayAgent(f.db(), num + 1));
    }

    // The deductions column is the stored deductions, the net column gross less them.
    void monthListColumns()
    {
        PayFixture f;
        const qint64 a = f.addAgent("AMAR", "Nadia", 1000);
        buildMonth(f.db(), 6, 26);
        f.db().execute("UPDATE Salaires SET CNAS = 2340, IRG = 1639.2, avances = 1000, Remb_prets = 100, "
                       "Autres_Retenues = 50.5, BRUT = 26000 WHERE num_agent = ?", {a});
        const QList<MonthLine> lines = buildMonth(f.db(), 6, 26);
        QCOMPARE(lines[0].cells(1).mid(6), (QStringList{"26 000.00", "5 129.70 ", "20 870.30 "}));
        f.db().execute("UPDATE Salaires SET BRUT = NULL WHERE num_agent = ?", {a});
        QCOMPARE(buildMonth(f.db(), 6, 26)[0].cells(1).mid(6), (QStringList{"", "5 129.70 ", ""}));
    }

    // A loaded pay shows every amount entry with its thousands apart, the deductions as the gains, and
    // reads back the same pay.
    void loadedEntriesShowThousandsApart()
    {
        PayRow p;
        p.tauxJour = 1250;
        p.nbreJours = 26;
        p.panier = 3000;
        p.rembPrets = 2500;
        p.autresRetenues = 12000.5;
        const PayTexts t = payTexts(p, 5500);
        QCOMPARE(t.tauxJour, QStringLiteral("1 250.00 "));
        QCOMPARE(t.panier, QStringLiteral("3 000.00 "));
        QCOMPARE(t.avances, QStringLiteral("5 500.00 "));
        QCOMPARE(t.rembPrets, QStringLiteral("2 500.00 "));
        QCOMPARE(t.autresRetenues, QStringLiteral("12 000.50 "));
        QCOMPARE(payTexts(p, 0).avances, QString());
        const PayEntries e = readEntries(t, false, false);
        QCOMPARE(e.avances, 5500.0);
        QCOMPARE(e.rembPrets, 2500.0);
        QCOMPARE(e.autresRetenues, 12000.5);
    }

    void savingAPay()
    {
        PayFixture f;
        const qint64 a = f.addAgent("AMAR", "Nadia", 1000, true, false, QVariant(), QVariant());
        buildMonth(f.db(), 2, 26);
        PaySave save;
        save.entries = readEntries(PayTexts{"1000", "26", "", "", "", "", "1000", "", ""}, true, true);
        save.figures = computePay(save.entries, 9);
        save.flagsClicked = false;
        QCOMPARE(savePay(f.db(), a, 2, save), SaveResult::Written);
        const PayRow p = *readPay(f.db(), a, 2);
        QCOMPARE(p.cnas, 2340.0);
        QCOMPARE(p.irg, 1639.2);
        QCOMPARE(p.brut, 26000.0);
        QCOMPARE(p.avances, 1000.0);
        QCOMPARE(p.net, 21020.8);
        // The flags are written only when a box was clicked.
        QVERIFY(f.field("SELECT flag_cnas FROM Agents WHERE num = ?", {a}).isNull());
        save.flagsClicked = true;
        save.entries.irgDue = false;
        QCOMPARE(savePay(f.db(), a, 2, save), SaveResult::Written);
        QCOMPARE(f.field("SELECT flag_cnas FROM Agents WHERE num = ?", {a}).toInt(), 1);
        QCOMPARE(f.field("SELECT flag_irg FROM Agents WHERE num = ?", {a}).toInt(), 0);

        // A closed month is not written.
        closeMonth(f.db(), 2, "28/02/2021", 2021);
        save.entries.tauxJour = 5;
        QCOMPARE(savePay(f.db(), a, 2, save), SaveResult::Locked);
        QCOMPARE(readPay(f.db(), a, 2)->tauxJour, 1000.0);
        // A pay deleted meanwhile is reported.
        QCOMPARE(savePay(f.db(), a, 3, save), SaveResult::Missing);
    }

    void advances()
    {
        PayFixture f;
        const qint64 a = f.addAgent("AMAR", "Nadia", 1000);
        const qint64 other = f.addAgent("BRAHIMI", "Omar", 1000);
        const auto add = [&](qint64 num, qint64 agent, const QString& date, int mm, double amount, int mode, int contre) {
            f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, 10, ?)",
                           {num, date, mm, amount, mode, "Avance", contre, agent});
        };
        add(1, a, "2021-03-20", 3, 1000.005, 0, 1);
        add(2, a, "2021-03-05", 3, 250, 1, 1);
        add(3, a, "2021-04-05", 4, 300, 0, 1);      // another month
        add(4, other, "2021-03-05", 3, 400, 0, 1);  // another agent
        add(5, a, "2021-03-06", 3, 900, 0, 0);      // an account line, not an advance
        // A ledger kept by a closing holds last year's advances of March: they are not this March's.
        add(6, a, "2020-03-12", 3, 5000, 0, 1);
        add(7, a, "2020-12-31", 3, 70, 0, 1);       // a month that does not match its date
        add(8, a, "2022-03-01", 3, 60, 0, 1);
        const QList<Advance> list = readAdvances(f.db(), a, 3, 2021);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].cells(), (QStringList{"05/03/2021", "250.00 ", "Chèque", " Avance"}));
        QCOMPARE(list[1].cells(), (QStringList{"20/03/2021", "1 000.01 ", "Espèces", " Avance"}));
        QCOMPARE(advancesTotal(list), 1250.01);
        QCOMPARE(advancesTotalText(1250.01), QStringLiteral("1 250.01  "));
        QCOMPARE(advancesTotalText(0), QString());
        QCOMPARE(readAdvances(f.db(), a, 3, 2020).size(), 2);
        QCOMPARE(advancesTotal(readAdvances(f.db(), a, 3, 2020)), 5070.0);
    }

    // The net shown is the net stored, to the cent, whatever the entries hold; and a pay loaded again
    // shows and stores the same figures (the rate and the amounts are what their entries show).
    void netShownIsNetStored_data()
    {
        QTest::addColumn<PayTexts>("texts");
        QTest::addColumn<bool>("due");
        QTest::addColumn<QString>("net");
        QTest::newRow("rate 100.004 × 1 day, loan 0.005")
            << PayTexts{"100.004", "1", "", "", "", "", "", "0.005", ""} << false << "99.99 ";
        QTest::newRow("half cents everywhere")
            << PayTexts{"1000.005", "2.5", "0.005", "0.015", "0.025", "0.035", "0.045", "0.055", "0.065"} << true
            << "2 274.94 ";
        QTest::newRow("fractional units")
            << PayTexts{"100.01", "2.5", "", "", "", "", "", "", ""} << true << "227.53 ";
        QTest::newRow("a rate of six decimals")
            << PayTexts{"1846.153846", "26", "", "", "", "", "", "", ""} << true << "37 078.91 ";
        QTest::newRow("deductions above the gross")
            << PayTexts{"100", "1", "", "", "", "", "100.006", "", ""} << false << "-.01 ";
    }
    void netShownIsNetStored()
    {
        QFETCH(PayTexts, texts);
        QFETCH(bool, due);
        QFETCH(QString, net);
        PayFixture f;
        const qint64 a = f.addAgent("AMAR", "Nadia", 1000, true, false, due ? 1 : 0, due ? 1 : 0);
        buildMonth(f.db(), 2, 26);
        PaySave save;
        save.entries = readEntries(texts, due, due);
        save.figures = computePay(save.entries, 9);
        QCOMPARE(save.figures.net, net);
        QCOMPARE(savePay(f.db(), a, 2, save), SaveResult::Written);
        const PayRow p = *readPay(f.db(), a, 2);
        QCOMPARE(p.net, readNumber(save.figures.net));
        QCOMPARE(p.brut, readNumber(save.figures.brut));
        QCOMPARE(round2(p.retenues()), readNumber(save.figures.retenues));
        QCOMPARE(round2(p.brut - p.retenues()), p.net);
        // Loaded again (as an open month loads it), the same pay.
        const PaySave again = payOf(p, due, due, p.avances, 9);
        QCOMPARE((QStringList{again.figures.cnas, again.figures.irg, again.figures.brut, again.figures.retenues,
                              again.figures.net}),
                 (QStringList{save.figures.cnas, save.figures.irg, save.figures.brut, save.figures.retenues,
                              save.figures.net}));
    }

    // Closing a month computes and stores every pay of the month as the pay screen computes it, pages
    // shown or not: the agent's boxes, the month's advances of the exercise, the rate of the day.
    void closingComputesEveryPayOfTheMonth()
    {
        PayFixture f;
        const qint64 amar = f.addAgent("AMAR", "Nadia", 1000);                                   // never shown
        const qint64 brahimi = f.addAgent("BRAHIMI", "Omar", 1500, true, false, 1, 0);           // shown, saved
        const qint64 cherif = f.addAgent("CHERIF", "Lyes", 800, true, false, QVariant(), QVariant()); // exempt
        const qint64 dahmani = f.addAgent("DAHMANI", "Sara", 1200);
        buildMonth(f.db(), 3, 26);
        f.db().execute("UPDATE Agents SET Arch = 1 WHERE num = ?", {dahmani}); // archived since: still paid
        const auto advance = [&](qint64 agent, const QString& date, int mm, double amount) {
            f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                           "VALUES (?, ?, ?, ?, 0, 'Avance', 1, 10, ?)",
                           {f.db().nextNum("Depenses"), date, mm, amount, agent});
        };
        advance(amar, "2021-03-10", 3, 5000);
        advance(amar, "2020-03-15", 3, 3000);  // last year's March
        advance(amar, "2021-04-01", 4, 700);   // April's
        advance(cherif, "2021-03-31", 3, 250.5);
        PaySave save;
        save.entries = readEntries(PayTexts{"1500", "26", "2000", "", "", "", "", "", ""}, true, false);
        save.figures = computePay(save.entries, 9);
        QCOMPARE(savePay(f.db(), brahimi, 3, save), SaveResult::Written);
        f.db().execute("UPDATE Permn SET Taux_CNAS = 9.5");

        const std::optional<double> charge = closeMonth(f.db(), 3, "31/03/2021", 2021);
        const auto stored = [&](qint64 agent) {
            const PayRow p = *readPay(f.db(), agent, 3);
            return QList<double>{p.cnas, p.irg, p.avances, p.brut, p.net};
        };
        // 26 000: CNAS 9.5 % 2 470, taxable 23 530 gives 2 706 less 1 082.4; the March advance of this year.
        QCOMPARE(stored(amar), (QList<double>{2470, 1623.6, 5000, 26000, 16906.4}));
        // 41 000 with the overtime: CNAS 3 895, no income tax (his box unticked).
        QCOMPARE(stored(brahimi), (QList<double>{3895, 0, 0, 41000, 37105}));
        QCOMPARE(stored(cherif), (QList<double>{0, 0, 250.5, 20800, 20549.5}));
        // 31 200: CNAS 2 964, taxable 28 236 (28 230) gives 3 646 less 1 458.4.
        QCOMPARE(stored(dahmani), (QList<double>{2964, 2187.6, 0, 31200, 26048.4}));
        // The screen's computation from the stored entries gives the stored pays.
        for (const db::Row& r : f.db().query("SELECT S.*, A.flag_cnas, A.flag_irg FROM Salaires S JOIN Agents A "
                                             "ON A.num = S.num_agent WHERE MM = 3")) {
            const PayRow p = payRow(r);
            const PaySave expected = payOf(p, r.integer("flag_cnas") == 1, r.integer("flag_irg") == 1,
                                           advancesTotal(readAdvances(f.db(), p.agent, 3, 2021)), 9.5);
            QCOMPARE(p.net, expected.figures.netValue);
            QCOMPARE(p.cnas, expected.figures.cnasValue);
            QCOMPARE(p.irg, expected.figures.irgValue);
        }
        QCOMPARE(charge.value_or(-1), round2(25.5 * (26000 + 41000 + 20800 + 31200) * 0.01));
    }

    // The employer charge of a month counts that month's pays only, and is stored to the cent as the
    // charges screen shows it.
    void employerChargeOfEachMonth()
    {
        PayFixture f;
        f.addAgent("AMAR", "Nadia", 333.33);
        f.addAgent("BRAHIMI", "Omar", 1000);
        buildMonth(f.db(), 2, 1);    // 333.33 + 1 000
        buildMonth(f.db(), 3, 26);   // 8 666.58 + 26 000
        QCOMPARE(closeMonth(f.db(), 3, "31/03/2021", 2021).value_or(-1), 8839.98); // 25.5 × 346.6658
        PayParams p = readPayParams(f.db());
        QVERIFY(!p.pptr[1]);
        QCOMPARE(p.pptr[2].value_or(-1), 8839.98);
        QCOMPARE(closeMonth(f.db(), 2, "28/02/2021", 2021).value_or(-1), 340.0);       // 25.5 × 13.3333
        p = readPayParams(f.db());
        QCOMPARE(p.pptr[1].value_or(-1), 340.0);
        QCOMPARE(p.pptr[2].value_or(-1), 8839.98);
        QCOMPARE(f.field("SELECT PPTR2 FROM Permn").toString(), QStringLiteral("340"));
    }

    void advanceDate_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("matches");
        QTest::newRow("in the month") << "15/03/2021" << true;
        QTest::newRow("other month") << "15/04/2021" << false;
        QTest::newRow("other year") << "15/03/2020" << false;
    }
    void advanceDate()
    {
        QFETCH(QString, date);
        QFETCH(bool, matches);
        QCOMPARE(advanceDateMatches(date, 3, 2021), matches);
    }

    // Closing stores the flag, the employer charge, regle and the date; reopening keeps the charge and date.
    void closingAndReopening()
    {
        PayFixture f;
        f.addAgent("AMAR", "Nadia", 2000);
        f.addAgent("BRAHIMI", "Omar", 1846.15);
        buildMonth(f.db(), 7, 26);
        // Closing computes each pay from its entries: 52 000, and 47 999.90 + 0.10 of other allowances.
        f.db().execute("UPDATE Salaires SET autre_ind = 0.1 WHERE num_agent = 2");
        const std::optional<double> charge = closeMonth(f.db(), 7, "31/07/2021", 2021);
        QVERIFY(charge);
        QCOMPARE(*charge, 25500.0);
        PayParams p = readPayParams(f.db());
        QVERIFY(p.closed[6]);
        QCOMPARE(p.pptr[6].value_or(-1), 25500.0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires WHERE MM = 7 AND regle = 1 AND date = '2021-07-31'").toInt(), 2);
        for (int m = 1; m <= 12; ++m)
            if (m != 7)
                QVERIFY(!p.closed[m - 1] && !p.pptr[m - 1]);

        reopenMonth(f.db(), 7);
        p = readPayParams(f.db());
        QVERIFY(!p.closed[6]);
        QCOMPARE(p.pptr[6].value_or(-1), 25500.0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires WHERE MM = 7 AND regle = 0 AND date = '2021-07-31'").toInt(), 2);

        // Closing again records the charge and the date again.
        f.db().execute("UPDATE Permn SET Taux_PP = 10");
        closeMonth(f.db(), 7, "02/08/2021", 2021);
        QCOMPARE(readPayParams(f.db()).pptr[6].value_or(-1), 10000.0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires WHERE MM = 7 AND date = '2021-08-02'").toInt(), 2);
    }

    // A month without pays is closed without an employer charge.
    void closingAMonthWithoutPays()
    {
        PayFixture f;
        QVERIFY(!closeMonth(f.db(), 9, "30/09/2021", 2021));
        const PayParams p = readPayParams(f.db());
        QVERIFY(p.closed[8]);
        QVERIFY(!p.pptr[8]);
    }

    // A refused write leaves everything as it was: the closing is one transaction.
    void refusedClosingLeavesTheMonthOpen()
    {
        PayFixture f;
        f.addAgent("AMAR", "Nadia", 1000);
        buildMonth(f.db(), 7, 26);
        f.refuse("Salaires", "UPDATE");
        QVERIFY_THROWS_EXCEPTION(db::Error, closeMonth(f.db(), 7, "31/07/2021", 2021));
        const PayParams p = readPayParams(f.db());
        QVERIFY(!p.closed[6]);
        QVERIFY(!p.pptr[6]);
    }

    void monthOutOfRange()
    {
        PayFixture f;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, closeMonth(f.db(), 13, "31/07/2021", 2021));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, reopenMonth(f.db(), 0));
    }
};

int runPayTest(int argc, char** argv)
{
    PayTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pay.moc"
