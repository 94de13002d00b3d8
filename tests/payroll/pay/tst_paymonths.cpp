// The pays of a year through the pay screen: a closed month shows and prints the pay it stored, whatever
// the agents' boxes and the rates became since; closing a month computes the pays whose page was never
// shown; the net shown is the net stored; and a generated year where every stored pay is the
// computation of its stored entries, and every closed month shows its stored figures.
#include "PayFixture.h"
#include "PayTests.h"

#include "core/formats/Numbers.h"
#include "harness/ScreenFit.h"
#include "payroll/documents/FPaye.h"
#include "payroll/pay/Salaires.h"
#include "core/kit/GridModel.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDate>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::payroll;
using namespace kv::test;

namespace {

/// Types into an entry as the user does: focus in, text, focus out (which recomputes).
void type(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->setText(text);
    e->clearFocus();
    QCoreApplication::processEvents();
}

/// CNAS, IRG, "Remb Avances", "Salaire BRUT", "T. des Retenues", "NET A PAYER" as the screen shows them.
QStringList shownPay(const Salaires& s)
{
    return {s.entry("CNAS")->text(),           s.entry("IRG")->text(),
            s.entry("Remb Avances")->text(),   s.total("Salaire BRUT")->text(),
            s.total("T. des Retenues")->text(), s.total("NET A PAYER")->text()};
}

/// The same figures of a stored pay, as the screen shows a stored pay.
QStringList storedPay(const PayRow& p)
{
    const PayFigures f = storedFigures(p);
    return {f.cnas, f.irg, entryText(p.avances, kEntryPattern), f.brut, f.retenues, f.net};
}

/// Closes the month shown through the closing panel.
void closeOnScreen(Salaires& screen, const QString& date)
{
    screen.command("sauvegarder")->click();
    screen.closingDate()->setText(date);
    screen.findChild<QToolButton*>("valider_cloture")->click();
}

QByteArray digest(db::Database& db, const QString& sql)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const db::Row& r : db.query(sql))
        for (int i = 0; i < r.size(); ++i)
            h.addData(r.value(i).toString().toUtf8() + '|');
    return h.result();
}

const QString kAllPays = QStringLiteral("SELECT * FROM Salaires ORDER BY num");

} // namespace

class PayMonthsTest : public QObject {
    Q_OBJECT

    static PayRow pay(PayFixture& f, qint64 agent, int month) { return *readPay(f.db(), agent, month); }

private slots:
    // Closed with the IRG box unticked; ticked in April, the CNAS rate raised: March still shows and
    // prints what it stored. Reopened, the month computes again with the boxes and the rate of today.
    void aClosedMonthShowsAndPrintsItsStoredPay()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000, true, false, 1, 0);
        {
            Salaires screen(*f.session);
            showOn(screen, testScreens().first());
            screen.openMonth(3);
            closeOnScreen(screen, "31/03/2021");
            QCOMPARE(f.ui.last().text, QStringLiteral("Paye verrouillée"));
            QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "", "", "26 000.00 ", "2 340.00 ", "23 660.00 "}));
            screen.openMonth(4);
            screen.irgBox()->click();
            screen.quit();
        }
        QCOMPARE(f.field("SELECT flag_irg FROM Agents WHERE num = ?", {a}).toInt(), 1);
        f.db().execute("UPDATE Permn SET Taux_CNAS = 10");
        const QByteArray before = digest(f.db(), kAllPays);

        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        QVERIFY(screen.locked());
        QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "", "", "26 000.00 ", "2 340.00 ", "23 660.00 "}));
        QCOMPARE(shownPay(screen), storedPay(pay(f, a, 3)));
        QVERIFY(screen.cnasBox()->isChecked());
        QVERIFY(!screen.irgBox()->isChecked());
        saveShot(screen, "Salaires_mois_clos");

        // The pay slip: going through its entries and printing gives the stored figures.
        f.ui.onScreen("FPaye", [&](QDialog& d) {
            auto& slip = static_cast<FPaye&>(d);
            for (QLineEdit* e : slip.findChildren<QLineEdit*>()) {
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QCoreApplication::sendEvent(e, &out);
            }
            slip.imprimer();
            return int(QDialog::Rejected);
        });
        screen.printOption(Salaires::FichePaye)->setChecked(true);
        screen.command("imprimer")->click();
        QCOMPARE(f.ui.screens.last(), QStringLiteral("FPaye"));
        QCOMPARE(f.field("SELECT ch20 FROM textes").toString(), QStringLiteral("2 340.00 "));
        QCOMPARE(f.field("SELECT ch21 FROM textes").toString(), QString());
        QCOMPARE(f.field("SELECT ch26 FROM textes").toString(), QStringLiteral("23 660.00 "));
        screen.next();
        screen.quit();
        QCOMPARE(digest(f.db(), kAllPays), before);

        // Reopened: an open month computes with the agent's boxes and the rate of today.
        Salaires again(*f.session);
        showOn(again, testScreens().first());
        again.openMonth(3);
        f.ui.answers = {true};
        again.command("deverrouiller")->click();
        QVERIFY(!again.locked());
        QVERIFY(again.irgBox()->isChecked());
        // CNAS 10 % 2 600; taxable 23 400 gives 2 680 less 1 072.
        QCOMPARE(shownPay(again), (QStringList{"2 600.00 ", "1 608.00 ", "", "26 000.00 ", "4 208.00 ", "21 792.00 "}));
    }

    // Closing from the first agent's page computes the pay of an agent whose page was never shown: the
    // list, the stored row and his locked page agree.
    void closingComputesThePaysNeverShown()
    {
        PayFixture f;
        f.addAgent("BENALI", "Karim", 1000);
        const qint64 z = f.addAgent("ZERROUK", "Amine", 1000);
        f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                       "VALUES (1, '2021-03-12', 3, 1000, 0, 'avance', 1, 10, ?), "
                       "(2, '2020-03-12', 3, 5000, 0, 'avance', 1, 10, ?)",
                       {z, z});
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        QCOMPARE(screen.position(), 0);
        closeOnScreen(screen, "31/03/2021");
        const PayRow p = pay(f, z, 3);
        QCOMPARE((QList<double>{p.cnas, p.irg, p.avances, p.brut, p.net}),
                 (QList<double>{2340, 1639.2, 1000, 26000, 21020.8}));
        screen.search();
        QCOMPARE(screen.monthList()->grid()->cell(1, 7), QStringLiteral("4 979.20 "));
        QCOMPARE(screen.monthList()->grid()->cell(1, 8), QStringLiteral("21 020.80 "));
        screen.showAgentAt(1);
        QCOMPARE(shownPay(screen),
                 (QStringList{"2 340.00 ", "1 639.20 ", "1 000.00 ", "26 000.00 ", "4 979.20 ", "21 020.80 "}));
    }

    // What the screen shows as NET A PAYER is what it stores, to the cent.
    void theNetShownIsTheNetStored_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("loan");
        QTest::addColumn<QString>("net");
        // CNAS 9 % of 100.00: 9.00.
        QTest::newRow("rate 100.004 × 1 day, loan 0.005") << "100.004" << "1" << "0.005" << "90.99 ";
        QTest::newRow("half a day at 100.01") << "100.01" << "2.5" << "" << "227.53 ";
        QTest::newRow("a loan of half a cent") << "1000" << "26" << "0.125" << "22 020.67 ";
    }
    void theNetShownIsTheNetStored()
    {
        QFETCH(QString, rate);
        QFETCH(QString, days);
        QFETCH(QString, loan);
        QFETCH(QString, net);
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        type(screen.entry("Taux Journalier"), rate);
        type(screen.entry("Nbre de Jours"), days);
        type(screen.entry("Remb Prêts"), loan);
        QCOMPARE(screen.total("NET A PAYER")->text(), net);
        const QStringList shown = shownPay(screen);
        screen.quit();
        const PayRow p = pay(f, a, 3);
        QCOMPARE(p.net, readNumber(net));
        QCOMPARE(p.brut, readNumber(shown[3]));
        QCOMPARE(round2(p.retenues()), readNumber(shown[4]));
        // Shown again, the same pay.
        Salaires again(*f.session);
        showOn(again, testScreens().first());
        again.openMonth(3);
        QCOMPARE(again.total("NET A PAYER")->text(), net);
    }

    // A generated year: agents with and without CNAS and IRG, rates of three decimals, advances of this
    // year and of the last (a ledger kept by a closing), pages shown or not, boxes clicked, the CNAS
    // rate changed during the year; January to November closed through the screen.
    // - after each closing, every pay of the month is the computation of its stored entries (the
    //   screen's computation with the boxes, advances and rate of the day), and its net is its gross
    //   less its deductions to the cent;
    // - once the boxes, rates and advances have all changed, every closed month shows its stored pays
    //   and writes nothing.
    void aGeneratedYear_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {7u, 2021u, 90210u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void aGeneratedYear()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        PayFixture f;
        const auto pick = [&](const QStringList& choices) { return choices[int(rng.bounded(int(choices.size())))]; };
        const auto flag = [&]() -> QVariant {
            const int v = int(rng.bounded(3));
            return v == 2 ? QVariant() : QVariant(v);
        };
        QList<qint64> agents;
        const QStringList names{"AMAR", "BENALI", "CHERIF", "DAHMANI", "ZERROUK", "HADDAD"};
        for (const QString& nom : names)
            agents << f.addAgent(nom, "X", pick({"1000", "1234.567", "850.5", "1500", "333.33"}).toDouble(), true,
                                 false, flag(), flag());
        // The advances: this year's count, last year's are in the ledger and do not.
        QHash<QPair<qint64, int>, double> advances;
        qint64 num = 0;
        for (qint64 agent : agents)
            for (int month = 1; month <= 12; ++month)
                for (int year : {2020, 2021})
                    if (rng.bounded(3) == 0) {
                        const double amount = double(rng.bounded(1, 40)) * 250 + (rng.bounded(4) == 0 ? 0.5 : 0);
                        const QString date = QStringLiteral("%1-%2-%3").arg(year).arg(month, 2, 10, QChar(u'0'))
                                                 .arg(int(rng.bounded(1, 29)), 2, 10, QChar(u'0'));
                        f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, "
                                       "Type_Dep, Num_Agent) VALUES (?, ?, ?, ?, 0, 'avance', 1, 10, ?)",
                                       {++num, date, month, amount, agent});
                        if (year == 2021)
                            advances[{agent, month}] += amount;
                    }

        for (int month = 1; month <= 11; ++month) {
            if (month == 6)
                f.db().execute("UPDATE Permn SET Taux_CNAS = 9.5");
            Salaires screen(*f.session);
            showOn(screen, testScreens().first());
            screen.openMonth(month);
            QCOMPARE(screen.agentCount(), agents.size());
            for (int i = 0; i < agents.size(); ++i) {
                if (i > 0 && rng.bounded(2) == 0)
                    continue; // this page is never shown this month
                screen.showAgentAt(i);
                if (rng.bounded(4) == 0)
                    type(screen.entry("Nbre de Jours"), pick({"20", "22.5", "26", "1"}));
                if (rng.bounded(3) == 0)
                    type(screen.entry("Heures Supp."), pick({"1 250.50", "333.333", "0.005", ""}));
                if (rng.bounded(3) == 0)
                    type(screen.entry("Panier"), pick({"1300", "0.125", "2 000.005"}));
                if (rng.bounded(4) == 0)
                    type(screen.entry("Remb Prêts"), pick({"1000", "0.005", "333.335"}));
                if (rng.bounded(6) == 0)
                    screen.cnasBox()->click();
                if (rng.bounded(6) == 0)
                    screen.irgBox()->click();
            }
            const QString date = QDate(2021, month, 1).addMonths(1).addDays(-int(rng.bounded(3))).toString("dd/MM/yyyy");
            closeOnScreen(screen, date);
            QCOMPARE(f.ui.last().text, QStringLiteral("Paye verrouillée"));
            screen.quit();

            // Every pay of the month: the computation of its stored entries.
            const double tauxCnas = readPayParams(f.db()).tauxCnas;
            int pays = 0;
            for (const db::Row& r : f.db().query("SELECT S.*, A.flag_cnas, A.flag_irg FROM Salaires S JOIN Agents A "
                                                 "ON A.num = S.num_agent WHERE S.MM = ?",
                                                 {month})) {
                const PayRow p = payRow(r);
                const QString where = QStringLiteral("month %1, agent %2").arg(month).arg(p.agent);
                QVERIFY2(p.regle, qPrintable(where));
                QCOMPARE(p.avances, advances.value({p.agent, month}));
                const PaySave computed = payOf(p, r.integer("flag_cnas") == 1, r.integer("flag_irg") == 1,
                                               advances.value({p.agent, month}), tauxCnas);
                QVERIFY2((QList<double>{p.cnas, p.irg, p.brut, p.net})
                             == (QList<double>{computed.figures.cnasValue, computed.figures.irgValue,
                                               computed.figures.brutValue, computed.figures.netValue}),
                         qPrintable(where));
                QCOMPARE(p.brut, round2(round2(p.tauxJour * p.nbreJours) + p.hSuppl + p.indS + p.panier + p.autreInd));
                QCOMPARE(p.net, round2(p.brut - p.retenues()));
                ++pays;
            }
            QCOMPARE(pays, agents.size());
        }

        // Everything changes: every box, the agents' rates, the CNAS rate, new advances in closed months.
        f.db().execute("UPDATE Agents SET flag_cnas = 1 - IFNULL(flag_cnas, 0), flag_irg = 1 - IFNULL(flag_irg, 0), "
                       "Taux_Jour = Taux_Jour + 111");
        f.db().execute("UPDATE Permn SET Taux_CNAS = 12");
        for (qint64 agent : agents)
            f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                           "VALUES (?, '2021-05-20', 5, 777, 0, 'avance', 1, 10, ?)",
                           {++num, agent});
        const QByteArray before = digest(f.db(), kAllPays);
        for (int month = 1; month <= 11; ++month) {
            Salaires screen(*f.session);
            showOn(screen, testScreens().first());
            screen.openMonth(month);
            QVERIFY(screen.locked());
            for (int i = 0; i < agents.size(); ++i) {
                screen.showAgentAt(i);
                const PayRow p = pay(f, screen.currentAgent(), month);
                QCOMPARE(shownPay(screen), storedPay(p));
                QCOMPARE(readNumber(screen.total("NET A PAYER")->text()), p.net);
            }
            screen.quit();
        }
        QCOMPARE(digest(f.db(), kAllPays), before);
    }
};

int runPayMonthsTest(int argc, char** argv)
{
    PayMonthsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_paymonths.moc"
