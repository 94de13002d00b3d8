// The pay screen through its widgets: the month chooser and the month list, the computation on screen,
// saving on every move, advances through the fund movement dialog, closing and reopening a month,
// telephone, photo and observations, engine refusals, and the fit on both test screens.
#include "PayFixture.h"
#include "PayTests.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/ScreenKit.h"
#include "harness/ScreenFit.h"
#include "payroll/documents/FPaye.h"
#include "payroll/pay/Salaires.h"
#include "core/kit/GridModel.h"
#include "people/accounts/MVM_FOND.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

ScriptedUi::ScreenScript typeMovement(QString date, QString amount, QString object)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        dialog.dateField()->setText(date);
        dialog.amountField()->setText(amount);
        dialog.objectField()->setText(object);
        dialog.cashOption()->setChecked(true);
        dialog.validateButton()->click();
        return dialog.result();
    };
}

/// Types into an entry as the user does: focus in, text, focus out (which recomputes).
void type(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->setText(text);
    e->clearFocus();
    QCoreApplication::processEvents();
}

QStringList shownPay(const Salaires& s)
{
    return {s.entry("CNAS")->text(),           s.entry("IRG")->text(),          s.total("Salaire BRUT")->text(),
            s.total("T. des Retenues")->text(), s.total("NET A PAYER")->text()};
}

QStringList cells(const kit::GridView* view, int column)
{
    QStringList texts;
    for (int r = 0; r < view->grid()->lineCount(); ++r)
        texts << view->grid()->cell(r, column);
    return texts;
}

} // namespace

class SalairesTest : public QObject {
    Q_OBJECT

    db::Row pay(PayFixture& f, qint64 agent, int month)
    {
        return f.db().queryOne("SELECT * FROM Salaires WHERE num_agent = ? AND MM = ?", {agent, month});
    }

private slots:
    // The road of a new user: one salaried agent, rate 1 000, CNAS 9 %, both boxes, 26 days.
    void computationOnScreenAndInSalaires()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        QCOMPARE(screen.side()->panel(), screen.chooserPanel());
        // The chooser: twelve months, none closed.
        QCOMPARE(cells(screen.monthChooser(), 1).first(), QStringLiteral("Janvier"));
        QCOMPARE(cells(screen.monthChooser(), 2), QStringList(12, "   "));
        screen.monthChooser()->selectLine(2);
        screen.findChild<QToolButton*>("ouvrir_mois")->click();
        QCOMPARE(screen.month(), 3);
        QVERIFY(!screen.side()->isOpen());
        QCOMPARE(screen.findChild<QLabel*>("titre")->text(), QStringLiteral("Mars 2021"));
        QCOMPARE(screen.tabs()->tabText(0), QStringLiteral("Agent N°  1 sur 1"));
        QCOMPARE(screen.entry("Taux Journalier")->text(), QStringLiteral("1 000.00 "));
        QCOMPARE(screen.entry("Nbre de Jours")->text(), QStringLiteral("26 "));
        QVERIFY(screen.cnasBox()->isChecked() && screen.irgBox()->isChecked());
        QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "1 639.20 ", "26 000.00 ", "3 979.20 ", "22 020.80 "}));
        QCOMPARE(screen.total("Salaire de Base")->text(), QStringLiteral("26 000.00 "));
        QCOMPARE(screen.total("Salaire de poste")->text(), QStringLiteral("26 000.00 "));

        screen.command("quitter")->click();
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        db::Row p = pay(f, a, 3);
        QCOMPARE(p.number("CNAS"), 2340.0);
        QCOMPARE(p.number("IRG"), 1639.2);
        QCOMPARE(p.number("BRUT"), 26000.0);
        QCOMPARE(p.number("Net"), 22020.8);
        QCOMPARE(f.ui.messages, QList<ShownMessage>());
    }

    // Escape (no panel open) leaves without saving; when a figure was typed it asks first.
    void escapeAsksBeforeLeavingWhatWasTyped_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<double>("rate"); // the rate stored afterwards
        QTest::addColumn<int>("questions");
        QTest::newRow("nothing typed") << false << QList<bool>{} << 1000.0 << 0;
        QTest::newRow("typed, Non") << true << QList<bool>{false} << 1000.0 << 1;
        QTest::newRow("typed, Oui") << true << QList<bool>{true} << 1200.0 << 1;
    }
    void escapeAsksBeforeLeavingWhatWasTyped()
    {
        QFETCH(bool, typed);
        QFETCH(QList<bool>, answers);
        QFETCH(double, rate);
        QFETCH(int, questions);
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        screen.quit(); // the month's pay exists, at the agent's rate
        QCOMPARE(pay(f, a, 3).number("Taux_Jour"), 1000.0);
        Salaires again(*f.session);
        showOn(again, testScreens().first());
        again.openMonth(3);
        QLineEdit* taux = again.entry("Taux Journalier");
        if (typed) {
            taux->setFocus();
            taux->selectAll();
            QTest::keyClicks(taux, "1200");
        }
        f.ui.answers = answers;
        QTest::keyClick(&again, Qt::Key_Escape);
        QVERIFY(!again.isVisible());
        QCOMPARE(f.ui.messages.size(), questions);
        QCOMPARE(pay(f, a, 3).number("Taux_Jour"), rate);
    }

    // An advance of 1 000 in the month raises the deductions and lowers the net, on screen and stored.
    void advanceOfTheMonth()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        QVERIFY(screen.command("nouveau")->isEnabled());
        QVERIFY(!screen.command("modifier")->isEnabled());
        f.ui.onScreen("MVM_FOND", typeMovement("15/03/2021", "1000", "avance"));
        screen.command("nouveau")->click();
        QCOMPARE(cells(screen.advancesGrid(), 1), QStringList{"1 000.00 "});
        QCOMPARE(cells(screen.advancesGrid(), 2), QStringList{"Espèces"});
        QCOMPARE(screen.advancesTotalField()->text(), QStringLiteral("1 000.00  "));
        QCOMPARE(screen.entry("Remb Avances")->text(), QStringLiteral("1 000.00 "));
        QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "1 639.20 ", "26 000.00 ", "4 979.20 ", "21 020.80 "}));
        const db::Row line = f.db().queryOne("SELECT * FROM Depenses");
        QCOMPARE(line.integer("contrepartie"), 1);
        QCOMPARE(line.integer("Type_Dep"), 10);
        QCOMPARE(line.integer("Num_Agent"), a);
        QCOMPARE(line.integer("MM"), 3);
        screen.quit();
        QCOMPARE(pay(f, a, 3).number("avances"), 1000.0);
        QCOMPARE(pay(f, a, 3).number("Net"), 21020.8);
    }

    void advanceOutsideTheMonth_data()
    {
        QTest::addColumn<QString>("date");
        QTest::newRow("other month") << "15/04/2021";
        QTest::newRow("other year") << "15/03/2020";
    }
    void advanceOutsideTheMonth()
    {
        QFETCH(QString, date);
        PayFixture f;
        f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        f.ui.onScreen("MVM_FOND", typeMovement(date, "1000", "avance"));
        if (!date.endsWith(QStringLiteral("/2021")))
            f.ui.answers = {true}; // "La date ... n'est pas dans l'exercice 2021. Enregistrer quand même ?"
        screen.command("nouveau")->click();
        QCOMPARE(f.ui.last(), m("Date non concordante", Icon::Critical, "ATTENTION"));
        QCOMPARE(f.field("SELECT COUNT(*) FROM Depenses").toInt(), 0);
        QCOMPARE(screen.total("NET A PAYER")->text(), QStringLiteral("22 020.80 "));
    }

    // A changed line keeps its number; a deleted one leaves the pay; a line gone says so.
    void changingAndDeletingAnAdvance()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                       "VALUES (7, '2021-03-10', 3, 500, 1, 'avance', 1, 10, ?)",
                       {a});
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        QCOMPARE(screen.total("T. des Retenues")->text(), QStringLiteral("4 479.20 "));
        QStringList seen;
        f.ui.onScreen("MVM_FOND", [&](QDialog& d) {
            auto& dialog = static_cast<MVM_FOND&>(d);
            seen = {dialog.dateField()->text(), dialog.amountField()->text(), dialog.objectField()->text()};
            dialog.amountField()->setText("800");
            dialog.validateButton()->click();
            return dialog.result();
        });
        screen.command("modifier")->click();
        QCOMPARE(seen, (QStringList{"10/03/2021", "500.00", "avance"}));
        QCOMPARE(f.field("SELECT Montant FROM Depenses WHERE num = 7").toDouble(), 800.0);
        QCOMPARE(screen.total("T. des Retenues")->text(), QStringLiteral("4 779.20 "));

        f.ui.answers = {true};
        screen.command("supprimer")->click();
        QCOMPARE(f.ui.last(), m("Confirmer suppression de la ligne N° 1", Icon::Question, "Confirmation", true));
        QCOMPARE(f.field("SELECT COUNT(*) FROM Depenses").toInt(), 0);
        QCOMPARE(screen.total("T. des Retenues")->text(), QStringLiteral("3 979.20 "));
        QVERIFY(!screen.command("supprimer")->isEnabled());

        // A line deleted elsewhere while shown.
        f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                       "VALUES (8, '2021-03-11', 3, 100, 0, 'x', 1, 10, ?)",
                       {a});
        screen.next(); // nothing after the only agent
        screen.first();
        QCOMPARE(screen.advancesGrid()->grid()->lineCount(), 1);
        f.db().execute("DELETE FROM Depenses");
        f.ui.answers = {true};
        screen.command("supprimer")->click();
        QCOMPARE(f.ui.last(), m("Mouvement altéré", Icon::Information, "ATTENTION"));
        QCOMPARE(screen.advancesGrid()->grid()->lineCount(), 0);
    }

    // Unticking the CNAS box blanks CNAS and taxes the whole poste; the agent's flags follow the boxes.
    void boxes()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000, true, false, QVariant(), 1);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        // flag_cnas null reads as exempt
        QVERIFY(!screen.cnasBox()->isChecked());
        QCOMPARE(shownPay(screen), (QStringList{"", "1 920.00 ", "26 000.00 ", "1 920.00 ", "24 080.00 "}));
        screen.cnasBox()->click();
        QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "1 639.20 ", "26 000.00 ", "3 979.20 ", "22 020.80 "}));
        screen.irgBox()->click();
        QCOMPARE(shownPay(screen), (QStringList{"2 340.00 ", "", "26 000.00 ", "2 340.00 ", "23 660.00 "}));
        // A value typed into CNAS does not survive the computation.
        type(screen.entry("CNAS"), "5");
        QCOMPARE(screen.entry("CNAS")->text(), QStringLiteral("2 340.00 "));
        screen.quit();
        QCOMPARE(f.field("SELECT flag_cnas FROM Agents WHERE num = ?", {a}).toInt(), 1);
        QCOMPARE(f.field("SELECT flag_irg FROM Agents WHERE num = ?", {a}).toInt(), 0);
        QCOMPARE(pay(f, a, 3).number("IRG"), 0.0);
        QCOMPARE(pay(f, a, 3).number("Net"), 23660.0);
    }

    // Every move saves the pay first; the list shows the agents by name with their pays.
    void movesSaveThePay()
    {
        PayFixture f;
        const qint64 z = f.addAgent("ZERROUK", "Amine", 800);
        const qint64 b = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(5);
        QCOMPARE(screen.agentCount(), 2);
        QCOMPARE(screen.currentAgent(), b);
        type(screen.entry("Heures Supp."), "2000");
        type(screen.entry("Panier"), "1 500.50");
        QCOMPARE(screen.total("Salaire de poste")->text(), QStringLiteral("28 000.00 "));
        QCOMPARE(screen.total("Salaire BRUT")->text(), QStringLiteral("29 500.50 "));
        screen.command("suivant")->click();
        QCOMPARE(screen.currentAgent(), z);
        QCOMPARE(screen.tabs()->tabText(0), QStringLiteral("Agent N°  2 sur 2"));
        db::Row p = pay(f, b, 5);
        QCOMPARE(p.number("H_Suppl"), 2000.0);
        QCOMPARE(p.number("panier"), 1500.5);
        QCOMPARE(p.number("BRUT"), 29500.5);
        screen.command("suivant")->click(); // at the end: nothing
        QCOMPARE(screen.currentAgent(), z);
        screen.command("debut")->click();
        QCOMPARE(screen.entry("Heures Supp.")->text(), QStringLiteral("2 000.00 "));
        QCOMPARE(screen.entry("Panier")->text(), QStringLiteral("1 500.50 "));

        // The month list: stored deductions, net = gross less them; double-click shows the agent.
        screen.command("recherche")->click();
        QCOMPARE(screen.listSide()->panel(), screen.listPanel());
        QVERIFY(screen.tabs()->isHidden());
        QCOMPARE(cells(screen.monthList(), 1), (QStringList{"BENALI", "ZERROUK"}));
        const db::Row saved = pay(f, b, 5);
        QCOMPARE(screen.monthList()->grid()->cell(0, 6), QStringLiteral("29 500.50"));
        QCOMPARE(readNumber(screen.monthList()->grid()->cell(0, 7)),
                 saved.number("CNAS") + saved.number("IRG"));
        QCOMPARE(readNumber(screen.monthList()->grid()->cell(0, 8)), saved.number("Net"));
        const QModelIndex second = screen.monthList()->model()->index(1, 1);
        screen.monthList()->selectLine(1);
        emit screen.monthList()->doubleClicked(second);
        QCOMPARE(screen.currentAgent(), z);
        QVERIFY(!screen.listSide()->isOpen());
        QVERIFY(!screen.tabs()->isHidden());
    }

    // An amount that is not a number is refused before the move, and nothing is written.
    void malformedAmountStopsTheMove()
    {
        PayFixture f;
        const qint64 b = f.addAgent("BENALI", "Karim", 1000);
        f.addAgent("ZERROUK", "Amine", 800);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(5);
        type(screen.entry("Panier"), "12-50");
        screen.command("suivant")->click();
        QCOMPARE(f.ui.last(), m("Montant incorrect", Icon::Critical, "ATTENTION"));
        QCOMPARE(screen.currentAgent(), b);
        QCOMPARE(pay(f, b, 5).number("panier"), 0.0);
        screen.command("quitter")->click();
        QVERIFY(screen.isVisible());
    }

    // No amount beyond 999 999 999.99: neither an entry (the 99 999 999 999 of "Panier" gave a net of
    // 100 000 027 250.23) nor a total computed from entries that each pass.
    void amountBeyondTheLargestStopsTheMove_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("deductions");   // CNAS and IRG due (their computed entries then overflow too)
        QTest::newRow("Panier") << "Panier" << "99999999999" << true;
        QTest::newRow("fourteen digits") << "Autres Ind" << "12345678901234" << true;
        QTest::newRow("a gross from a daily rate") << "Taux Journalier" << "999999999" << true;
        QTest::newRow("a gross from a daily rate, nothing deducted") << "Taux Journalier" << "999999999" << false;
        QTest::newRow("a gross from an allowance that passes, beside the base") << "Panier" << "999999999" << false;
    }
    void amountBeyondTheLargestStopsTheMove()
    {
        QFETCH(QString, entry);
        QFETCH(QString, typed);
        QFETCH(bool, deductions);
        PayFixture f;
        const qint64 b = f.addAgent("BENALI", "Karim", 1000, true, false, deductions ? 1 : 0, deductions ? 1 : 0);
        f.addAgent("ZERROUK", "Amine", 800);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(5);
        const QVariantMap before = pay(f, b, 5).toMap();
        type(screen.entry(entry), typed);
        screen.command("suivant")->click();
        QCOMPARE(f.ui.last(), m(kAmountTooLarge, Icon::Critical, "ATTENTION"));
        QCOMPARE(screen.currentAgent(), b);
        QCOMPARE(pay(f, b, 5).toMap(), before);
    }

    void monthWithoutSalariedAgent()
    {
        PayFixture f;
        f.addAgent("BENALI", "Karim", 1000, true, true); // archived
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(4);
        QCOMPARE(f.ui.last(), m("Aucun Agent dans cette famille", Icon::Information, "ATTENTION"));
        QCOMPARE(screen.agentCount(), 0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires").toInt(), 0);
        QVERIFY(!screen.command("sauvegarder")->isEnabled());
    }

    // Closing at a date: regle, the date, the flag and PPTR = Taux_PP × gross total / 100; read-only;
    // reopening keeps the charge and the date.
    void closingAndReopening()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        screen.command("sauvegarder")->click();
        QCOMPARE(screen.side()->panel(), screen.closingPanel());
        QCOMPARE(screen.closingDate()->text(), f.session->defaultDay().toString("dd/MM/yyyy"));
        screen.closingDate()->setText("31/03/2021");
        screen.findChild<QToolButton*>("valider_cloture")->click();
        QCOMPARE(f.ui.last(), m("Paye verrouillée", Icon::Information, "Z.E.B."));
        QVERIFY(screen.locked());
        QVERIFY(!screen.side()->isOpen());
        db::Row p = pay(f, a, 3);
        QVERIFY(p.flag("regle"));
        QCOMPARE(p.text("date"), QStringLiteral("2021-03-31"));
        QCOMPARE(f.field("SELECT M3 FROM Permn").toInt(), 1);
        QCOMPARE(f.field("SELECT PPTR3 FROM Permn").toDouble(), 6630.0);
        QCOMPARE(cells(screen.monthChooser(), 2)[2], QStringLiteral("####"));

        // Read-only: entries and boxes disabled, advances typed no more, the print button shown.
        for (const char* c : {"Taux Journalier", "Panier", "CNAS", "Remb Avances"})
            QVERIFY(!screen.entry(c)->isEnabled());
        QVERIFY(!screen.cnasBox()->isEnabled());
        QVERIFY(screen.command("nouveau")->isHidden());
        QVERIFY(!screen.command("imprimer")->isHidden());
        QVERIFY(screen.command("sauvegarder")->isHidden());
        QVERIFY(!screen.command("deverrouiller")->isHidden());
        // Moving writes nothing.
        f.db().execute("UPDATE Salaires SET BRUT = 1");
        screen.first();
        screen.quit();
        QCOMPARE(pay(f, a, 3).number("BRUT"), 1.0);
        f.db().execute("UPDATE Salaires SET BRUT = 26000");

        // Reopening.
        Salaires again(*f.session);
        showOn(again, testScreens().first());
        again.openMonth(3);
        QVERIFY(again.locked());
        f.ui.answers = {false};
        again.command("deverrouiller")->click();
        QCOMPARE(f.ui.last(), m("Confirmer correction sur paye\nMars 2021", Icon::Question, "Z.E.B.", true));
        QVERIFY(again.locked());
        f.ui.answers = {true};
        again.command("deverrouiller")->click();
        QCOMPARE(f.ui.last(), m("Paye déverrouillée", Icon::Information, "Z.E.B."));
        QVERIFY(!again.locked());
        QVERIFY(again.entry("Panier")->isEnabled());
        QVERIFY(!again.command("nouveau")->isHidden());
        p = pay(f, a, 3);
        QVERIFY(!p.flag("regle"));
        QCOMPARE(p.text("date"), QStringLiteral("2021-03-31"));
        QCOMPARE(f.field("SELECT M3 FROM Permn").toInt(), 0);
        QCOMPARE(f.field("SELECT PPTR3 FROM Permn").toDouble(), 6630.0);
        QCOMPARE(cells(again.monthChooser(), 2)[2], QStringLiteral("   "));
    }

    void closingDateRefused_data()
    {
        QTest::addColumn<QString>("date");
        QTest::newRow("short") << "1/3/2021";
        QTest::newRow("not a day") << "31/02/2021";
        QTest::newRow("29/02/1900") << "29/02/1900";
        QTest::newRow("empty") << "";
    }
    void closingDateRefused()
    {
        QFETCH(QString, date);
        PayFixture f;
        f.addAgent("BENALI", "Karim", 1000);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        screen.sauvegarder();
        screen.closingDate()->setText(date);
        screen.confirmClosing();
        QCOMPARE(f.ui.last(), m("Date incorrecte", Icon::Critical, "ATTENTION"));
        QVERIFY(!screen.locked());
        QCOMPARE(screen.side()->panel(), screen.closingPanel());
        QCOMPARE(f.field("SELECT M3 FROM Permn").toInt(), 0);
        QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires WHERE regle = 1 OR date IS NOT NULL").toInt(), 0);
    }

    // Telephone, photo, observations and the signatory texts.
    void agentDetails()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        const qint64 b = f.addAgent("CHERIF", "Lyes", 1000);
        f.db().execute("UPDATE Agents SET tel = NULL, photo = 'karim' WHERE num = ?", {b});
        f.db().execute("UPDATE Agents SET tel = '(0550) 12-34', obs = 'ancien' WHERE num = ?", {a});
        QDir(f.session->programDir()).mkpath("photos");
        QImage picture(60, 80, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(f.session->programDir() + "/photos/karim.bmp", "BMP"));
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        QCOMPARE(screen.observations()->toPlainText(), QStringLiteral("ancien"));
        QVERIFY(screen.photo()->pixmap().isNull());
        screen.telephone()->click();
        QCOMPARE(f.ui.urls, QStringList{"tel:(05501234"});
        screen.observations()->setPlainText("  à revoir  ");
        screen.next();
        QCOMPARE(f.field("SELECT obs FROM Agents WHERE num = ?", {a}).toString(), QStringLiteral("à revoir"));
        QVERIFY(!screen.photo()->pixmap().isNull());
        screen.telephone()->click();
        QCOMPARE(f.ui.last(), m("Numéro inconnu", Icon::Information, "ATTENTION"));

        screen.signatoryField("Nom")->setText("  M. HADDAD ");
        screen.signatoryField("Qualité")->setText("Gérant");
        screen.quit();
        QCOMPARE(f.session->signature1, QStringLiteral("M. HADDAD"));
        QCOMPARE(f.session->signature2, QStringLiteral("Gérant"));
    }

    // The number of units of a new pay follows the pay unit of the parameters.
    void unitsOfANewPay()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 150);
        f.db().execute("UPDATE Permn SET Taux_VF = 1, Nb_Heures = 173");
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(11);
        QCOMPARE(screen.entry("Nbre de Jours")->text(), QStringLiteral("173 "));
        QCOMPARE(pay(f, a, 11).number("BRUT"), 25950.0);
    }

    // ---- documents ----------------------------------------------------------------------------------------

    // The month documents print from a closed month; the pay slip screen starts from the screen's texts;
    // the certificate and the statement open their panels, with the tabs and commands disabled.
    void documents()
    {
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000, true, false, 1, 0);
        f.db().execute("UPDATE Agents SET d_entree = '2019-06-15' WHERE num = ?", {a});
        f.addAgent("ZERROUK", "Amine", 800);
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        screen.openMonth(3);
        screen.sauvegarder();
        screen.closingDate()->setText("31/03/2021");
        screen.confirmClosing();
        screen.signatoryField("Nom")->setText("M. HADDAD");
        screen.signatoryField("Qualité")->setText("Gérant");
        QVERIFY(!screen.command("imprimer")->isHidden());

        const QString shots = qEnvironmentVariable("KV_SCREENSHOTS");
        const auto keep = [&](const QString& name) {
            QVERIFY(!f.ui.reports.isEmpty());
            QVERIFY(QFileInfo(f.ui.reports.last()).size() > 0);
            if (!shots.isEmpty())
                QFile::copy(f.ui.reports.last(), shots + "/" + name + ".pdf");
        };
        screen.printOption(Salaires::Emargement)->setChecked(true);
        screen.command("imprimer")->click();
        keep("emargement");
        QCOMPARE(f.field("SELECT ch4 FROM textes").toString(), QStringLiteral("Mars 2021"));
        screen.printOption(Salaires::Bulletins)->setChecked(true);
        screen.command("imprimer")->click();
        keep("bulletins");
        QCOMPARE(f.ui.reports.size(), 2);

        payroll::PaySlipSheet slip;
        f.ui.onScreen("FPaye", [&](QDialog& d) {
            slip = static_cast<FPaye&>(d).sheet();
            return int(QDialog::Rejected);
        });
        screen.printOption(Salaires::FichePaye)->setChecked(true);
        screen.command("imprimer")->click();
        QCOMPARE(f.ui.screens.last(), QStringLiteral("FPaye"));
        QCOMPARE(slip.nom, QStringLiteral("BENALI"));
        QCOMPARE(slip.moisDe, QStringLiteral("Mars 2021"));
        QCOMPARE(slip.cnas, screen.entry("CNAS")->text());
        QCOMPARE(slip.net, screen.total("NET A PAYER")->text());

        screen.printOption(Salaires::Attestation)->setChecked(true);
        screen.command("imprimer")->click();
        QCOMPARE(screen.side()->panel(), screen.certificatePanel());
        QVERIFY(!screen.tabs()->isEnabled());
        QVERIFY(!screen.command("quitter")->isEnabled());
        QCOMPARE(screen.certificateField("En fonction Du")->text(), QStringLiteral("15/06/2019"));
        QCOMPARE(screen.certificateField("Au")->text(), QStringLiteral("à ce jour"));
        settle(screen);
        QCOMPARE(outsideScreen(screen), QStringList());
        saveShot(screen, "Salaires_attestation_800");
        screen.certificateField("Attestation N°")->setText("12/2021");
        screen.findChild<QToolButton*>("imprimer_attestation")->click();
        keep("attestation");
        QCOMPARE(f.field("SELECT ch10 FROM textes").toString(), QStringLiteral("Du  15/06/2019  à ce jour"));
        QCOMPARE(f.field("SELECT ch12 FROM textes").toString(), QStringLiteral("M. HADDAD"));
        screen.findChild<QToolButton*>("fermer_attestation")->click();
        QVERIFY(!screen.side()->isOpen());
        QVERIFY(screen.tabs()->isEnabled());
        QVERIFY(screen.command("quitter")->isEnabled());
        QVERIFY(screen.command("nouveau")->isHidden());

        // The statement: the IRG estimate is there though the agent's IRG box is unticked.
        QCOMPARE(screen.entry("IRG")->text(), QString());
        screen.printOption(Salaires::Releve)->setChecked(true);
        QCOMPARE(screen.side()->panel(), screen.statementPanel());
        QCOMPARE(screen.statementField("Du")->text(), QStringLiteral("01/03/2021"));
        QCOMPARE(screen.statementField("C2")->text(), QStringLiteral("312000.00"));
        QCOMPARE(screen.statementField("C6")->text(), QStringLiteral("28080.00"));
        QCOMPARE(screen.statementField("C7")->text(), QStringLiteral("19670.40"));
        QCOMPARE(screen.statementField("Net")->text(), QStringLiteral("264 249.60"));
        type(screen.statementField("C9"), "1000");
        QCOMPARE(screen.statementField("Net")->text(), QStringLiteral("265 249.60"));
        screen.findChild<QToolButton*>("imprimer_releve")->click();
        keep("releve");
        QCOMPARE(f.field("SELECT C7 FROM Csse WHERE num_produit = ?", {a}).toDouble(), 19670.4);
        screen.findChild<QToolButton*>("fermer_releve")->click();
        QVERIFY(!screen.printOption(Salaires::Releve)->isChecked());
        QVERIFY(!screen.side()->isOpen());
        QVERIFY(!screen.tabs()->isHidden() && screen.tabs()->isEnabled());
    }

    // ---- engine refusals ---------------------------------------------------------------------------------

    void refusedWrite_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("event");
        QTest::newRow("month creation") << "ouvrir_mois" << "Salaires" << "INSERT";
        QTest::newRow("saving on a move") << "suivant" << "Salaires" << "UPDATE";
        QTest::newRow("observations") << "suivant_obs" << "Agents" << "UPDATE";
        QTest::newRow("closing") << "valider_cloture" << "Permn" << "UPDATE";
        QTest::newRow("reopening") << "deverrouiller" << "Salaires" << "UPDATE";
        QTest::newRow("new advance") << "nouveau" << "Depenses" << "INSERT";
        QTest::newRow("changed advance") << "modifier" << "Depenses" << "UPDATE";
        QTest::newRow("deleted advance") << "supprimer" << "Depenses" << "DELETE";
    }
    void refusedWrite()
    {
        QFETCH(QString, command);
        QFETCH(QString, table);
        QFETCH(QString, event);
        PayFixture f;
        const qint64 a = f.addAgent("BENALI", "Karim", 1000);
        f.addAgent("ZERROUK", "Amine", 800);
        f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                       "VALUES (3, '2021-03-10', 3, 500, 0, 'avance', 1, 10, ?)",
                       {a});
        Salaires screen(*f.session);
        showOn(screen, testScreens().first());
        if (command != "ouvrir_mois") {
            screen.openMonth(3);
            if (command == "deverrouiller") {
                screen.sauvegarder();
                screen.closingDate()->setText("31/03/2021");
                screen.confirmClosing();
            }
            type(screen.entry("Panier"), "700");
            if (command == "suivant_obs")
                screen.observations()->setPlainText("nouvelle");
            if (command == "valider_cloture") {
                screen.sauvegarder();
                screen.closingDate()->setText("31/03/2021");
            }
        } else {
            screen.monthChooser()->selectLine(2);
        }
        const QString before = f.db().query("SELECT * FROM " + table).isEmpty()
            ? QString()
            : QString::number(f.db().query("SELECT * FROM " + table).size());
        QList<QVariantList> rows;
        for (const db::Row& r : f.db().query("SELECT * FROM " + table))
            rows << r.values();
        f.db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                           .arg(event, table));
        if (command == "deverrouiller" || command == "supprimer")
            f.ui.answers = {true};
        if (command == "nouveau" || command == "modifier")
            f.ui.onScreen("MVM_FOND", typeMovement("20/03/2021", "250", "refusée"));
        const QString button = command == "suivant_obs" ? QStringLiteral("suivant") : command;
        QToolButton* b = screen.findChild<QToolButton*>(button);
        QVERIFY(b);
        b->click();
        QCOMPARE(f.ui.last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QVERIFY(screen.isVisible());
        QList<QVariantList> after;
        for (const db::Row& r : f.db().query("SELECT * FROM " + table))
            after << r.values();
        QCOMPARE(after, rows);
        Q_UNUSED(before);
        if (command == "suivant" || command == "suivant_obs")
            QCOMPARE(screen.currentAgent(), a); // the move did not happen
        if (command == "valider_cloture") {
            QVERIFY(!screen.locked());
            QCOMPARE(f.field("SELECT COUNT(*) FROM Salaires WHERE regle = 1").toInt(), 0);
        }
        if (command == "deverrouiller")
            QVERIFY(screen.locked());
    }

    // ---- fit ----------------------------------------------------------------------------------------------

    void fitsTheScreenInEveryState()
    {
        PayFixture f;
        const qint64 a = f.addAgent("ABDELHAMID-BENHADJ", "Abdelkader-Mohamed", 12345.5);
        f.db().execute("UPDATE Agents SET Fonction = 'Responsable du parc roulant et de la maintenance', "
                       "obs = 'Avance exceptionnelle accordée pour les frais de scolarité des enfants' WHERE num = ?",
                       {a});
        for (int i = 0; i < 11; ++i)
            f.addAgent(QStringLiteral("AGENT%1").arg(i), "Prénom", 900 + i);
        for (int i = 1; i <= 12; ++i)
            f.db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, Num_Agent) "
                           "VALUES (?, ?, 3, 1234567.5, ?, 'Avance sur salaire pour frais médicaux urgents', 1, 10, ?)",
                           {i, QStringLiteral("2021-03-%1").arg(i, 2, 10, QLatin1Char('0')), i % 2, a});
        for (QScreen* s : testScreens()) {
            const QString size = QStringLiteral("_%1").arg(s->availableGeometry().height());
            Salaires screen(*f.session);
            showOn(screen, s);
            const auto check = [&](const QString& state) {
                settle(screen);
                QCOMPARE(outsideScreen(screen), QStringList());
                saveShot(screen, "Salaires_" + state + size);
            };
            check("choix_mois");
            screen.openMonth(3);
            screen.observations()->setPlainText(screen.observations()->toPlainText());
            check("agent");
            screen.search();
            check("liste");
            screen.closeList();
            screen.sauvegarder();
            check("cloture");
            screen.closingDate()->setText("31/03/2021");
            screen.confirmClosing();
            check("verrouille");
            screen.printOption(Salaires::Releve)->setChecked(true);
            if (screen.side()->panel() == screen.statementPanel())
                check("releve");
            screen.closeStatement();
            f.ui.answers = {true};
            screen.deverrouiller();
            screen.quit();
        }
    }
};

int runSalairesTest(int argc, char** argv)
{
    SalairesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_salaires.moc"
