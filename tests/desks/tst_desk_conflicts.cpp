// What a desk's screens do when another desk changed or deleted, meanwhile, a row they showed: they say
// so ("Enregistrement modifié par un autre poste" / "Enregistrement introuvable"), write nothing, and
// show the row as it now is; and the cash book shows what another desk booked when it is read again
// ("Actualiser", or at once on a server). The other desk is a second connection to the same year: a
// second handle on the year's file, or a second connection to its schema on the test server.
#include "harness/FixtureTest.h"
#include "harness/ScreenFit.h"
#include "harness/Seed.h"

#include "core/ledger/Ledger.h"
#include "core/schema/Schema.h"
#include "fleet/register/Vehicules.h"
#include "fleet/vehiclefile/Zoom_V.h"
#include "payroll/pay/Pay.h"
#include "people/accounts/FundMovement.h"
#include "people/accounts/MVM_FOND.h"
#include "people/registers/j_AGENT.h"
#include "rentals/contracts/F_Location.h"
#include "platform/db/RowWriter.h"
#include "treasury/cashbook/CashListModel.h"
#include "treasury/cashbook/J_CAISSE.h"
#include "treasury/journals/f_jrnl2.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ledger::Book;

namespace {
const QDate kDay(2021, 3, 2);

ledger::Line receipt(double montant, const QString& ref)
{
    ledger::Line line;
    line.date = kDay.toString(db::kShownDateFormat);
    line.montant = montant;
    line.ref = ref;
    line.contrepartie = schema::contrepartie::RecetteDiverse;
    line.numAgent = -1;
    return line;
}
} // namespace

class DeskConflictsTest : public FixtureTest {
    Q_OBJECT

    std::unique_ptr<db::Database> other_;

    /// The other desk: a second connection to the year the session has open.
    db::Database& other()
    {
        if (!other_) {
            other_ = std::make_unique<db::Database>();
            if (s().server)
                other_->openServer(*s().server, db().schema());
            else
                other_->open(db().path());
        }
        return *other_;
    }

    /// The messages shown, questions left out.
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const ShownMessage& m : f_->ui.messages)
            if (!m.question)
                texts << m.text;
        return texts;
    }

private slots:
    void init()
    {
        openExercise();
        QVERIFY(s().isOpen());
    }
    void cleanup()
    {
        other_.reset();
        dropFixture();
    }

    // An account's line changed through the movement dialog while another desk changed or deleted it.
    void aLineChangedMeanwhileIsNotWrittenOver_data()
    {
        QTest::addColumn<QString>("otherDesk"); // the other desk's statement on line `num`, while the dialog is open
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("stored");     // the line's amount afterwards; -1: no line
        QTest::newRow("nobody else") << QString() << QString() << int(fund::Status::Written) << 900.0;
        QTest::newRow("its amount changed")
            << QStringLiteral("UPDATE Recettes SET Montant = 750 WHERE num = ?") << db::kRowChanged << int(fund::Status::Missing) << 750.0;
        QTest::newRow("its object changed")
            << QStringLiteral("UPDATE Recettes SET ref = 'Loyer (corrigé)' WHERE num = ?") << db::kRowChanged << int(fund::Status::Missing) << 700.0;
        QTest::newRow("deleted")
            << QStringLiteral("DELETE FROM Recettes WHERE num = ?") << QStringLiteral("Mouvement altéré") << int(fund::Status::Missing) << -1.0;
    }
    void aLineChangedMeanwhileIsNotWrittenOver()
    {
        QFETCH(QString, otherDesk);
        QFETCH(QString, told);
        QFETCH(int, status);
        QFETCH(double, stored);
        ledger::Line line = receipt(700, QStringLiteral("Loyer"));
        line.contrepartie = schema::contrepartie::Client;
        line.numAgent = 9;
        const qint64 num = ledger::add(db(), Book::Recettes, line);
        ui().onScreen(QStringLiteral("MVM_FOND"), [&](QDialog& d) {
            auto& dialog = static_cast<MVM_FOND&>(d);
            if (!otherDesk.isEmpty())
                other().execute(otherDesk, {num});
            dialog.amountField()->setText(QStringLiteral("900"));
            dialog.validateButton()->click();
            return dialog.result();
        });
        const fund::Outcome outcome = fund::enterChange(s(), {Book::Recettes, 9, schema::contrepartie::Client, std::nullopt}, num);
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
        QVERIFY(!db().inTransaction());
        const db::Row now = db().queryOne(QStringLiteral("SELECT Montant FROM Recettes WHERE num = ?"), {num});
        QCOMPARE(now.size() == 0 ? -1.0 : now.number(QStringLiteral("Montant")), stored);
    }

    // A line deleted from an account's list: the amount the list showed must still be the line's.
    void aLineDeletedFromAListIsTheLineShown_data()
    {
        QTest::addColumn<QString>("otherDesk");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("as shown") << QString() << false << true;
        QTest::newRow("amount changed meanwhile") << QStringLiteral("UPDATE Depenses SET Montant = 1 WHERE num = ?") << true << false;
        QTest::newRow("another object, same amount") << QStringLiteral("UPDATE Depenses SET ref = 'x' WHERE num = ?") << false << true;
        QTest::newRow("moved to another account") << QStringLiteral("UPDATE Depenses SET Num_Agent = 4 WHERE num = ?") << false << false;
        QTest::newRow("deleted meanwhile") << QStringLiteral("DELETE FROM Depenses WHERE num = ?") << false << false;
    }
    void aLineDeletedFromAListIsTheLineShown()
    {
        QFETCH(QString, otherDesk);
        QFETCH(bool, refused);
        QFETCH(bool, deleted);
        ledger::Line line;
        line.date = kDay.toString(db::kShownDateFormat);
        line.montant = 1234.56;
        line.ref = QStringLiteral("Avance");
        line.contrepartie = schema::contrepartie::Client;
        line.numAgent = 3;
        const qint64 num = ledger::add(db(), Book::Depenses, line);
        if (!otherDesk.isEmpty())
            other().execute(otherDesk, {num});
        bool gone = false;
        QString told;
        try {
            gone = ledger::remove(db(), Book::Depenses, num, 3, schema::contrepartie::Client, 1234.56);
        } catch (const db::Conflict& e) {
            told = e.message();
        }
        QCOMPARE(told, refused ? db::kRowChanged : QString());
        QCOMPARE(gone, deleted);
        QVERIFY(!db().inTransaction());
        const bool stillThere = db().queryOne(QStringLiteral("SELECT num FROM Depenses WHERE num = ?"), {num}).size() > 0;
        QCOMPARE(stillThere, !deleted && !otherDesk.startsWith(QLatin1String("DELETE")));
    }

    // The person register: a person changed by another desk while his entry panel was open.
    void aPersonChangedMeanwhileIsShownAsHeNowIs_data()
    {
        QTest::addColumn<QString>("otherDesk");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("storedName"); // empty: no row
        QTest::newRow("nobody else") << QString() << QString() << QStringLiteral("MANSOURI");
        QTest::newRow("his phone changed") << QStringLiteral("UPDATE Agents SET tel = '0555' WHERE num = ?") << db::kRowChanged
                                           << QStringLiteral("BENALI");
        QTest::newRow("only his name's case changed") << QStringLiteral("UPDATE Agents SET nom = 'Benali' WHERE num = ?")
                                                      << db::kRowChanged << QStringLiteral("Benali");
        QTest::newRow("deleted") << QStringLiteral("DELETE FROM Agents WHERE num = ?") << QStringLiteral("Enregistrement introuvable")
                                 << QString();
    }
    void aPersonChangedMeanwhileIsShownAsHeNowIs()
    {
        QFETCH(QString, otherDesk);
        QFETCH(QString, told);
        QFETCH(QString, storedName);
        const qint64 num = seed::person(db(), {.kind = schema::person::Agent, .nom = QStringLiteral("BENALI"), .prenom = QStringLiteral("Samir"),
                                                  .fonction = QStringLiteral("Comptable")});
        j_AGENT r(s());
        r.modifier();
        QVERIFY(!r.isNewPerson());
        if (!otherDesk.isEmpty())
            other().execute(otherDesk, {num});
        r.findChild<QLineEdit*>(QStringLiteral("nom"))->setText(QStringLiteral("MANSOURI"));
        r.findChild<QToolButton*>(QStringLiteral("valider"))->click();
        QCOMPARE(messageTexts(), told.isEmpty() ? QStringList() : QStringList{told});
        const db::Row p = db().queryOne(QStringLiteral("SELECT nom FROM Agents WHERE num = ?"), {num});
        QCOMPARE(p.size() == 0 ? QString() : p.text(QStringLiteral("nom")), storedName);
        // The list shows the person as stored now (or no longer shows him).
        QCOMPARE(r.model()->rowCount(), storedName.isEmpty() ? 0 : 1);
        if (!storedName.isEmpty())
            QVERIFY(r.model()->index(0, 1).data().toString().contains(storedName));
    }

    // The vehicle register: a vehicle changed by another desk while its entry frame was open.
    void aVehicleChangedMeanwhileIsNotWrittenOver()
    {
        const qint64 num = seed::vehicle(db(), {.matricule = QStringLiteral("00012 105 31"), .annee = QStringLiteral("2015")});
        Vehicules w(s());
        w.setCurrentRow(0);
        w.startEdit();
        QVERIFY(w.isEntering());
        other().execute(QStringLiteral("UPDATE Vehicules SET Annee = '2016' WHERE num = ?"), {num});
        w.anneeField()->setText(QStringLiteral("2019"));
        w.confirmEntry();
        QCOMPARE(messageTexts(), QStringList{db::kRowChanged});
        QVERIFY(!w.isEntering());
        QCOMPARE(db().scalar(QStringLiteral("SELECT Annee FROM Vehicules WHERE num = ?"), {num}).toString(), QStringLiteral("2016"));

        // Read again, the change goes through.
        ui().clear();
        w.setCurrentRow(0);
        w.startEdit();
        w.anneeField()->setText(QStringLiteral("2019"));
        w.confirmEntry();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(db().scalar(QStringLiteral("SELECT Annee FROM Vehicules WHERE num = ?"), {num}).toString(), QStringLiteral("2019"));
    }

    // A rental changed by another desk while its entry frame was open.
    void aRentalChangedMeanwhileIsNotWrittenOver()
    {
        const qint64 vehicle = seed::vehicle(db(), {.matricule = QStringLiteral("00012 105 31"), .annee = QStringLiteral("2015")});
        const qint64 client = seed::person(db(), {.kind = schema::person::Client, .nom = QStringLiteral("HADDAD"), .prenom = QStringLiteral("Nora")});
        const qint64 num = seed::rental(db(), vehicle, client, QStringLiteral("01/03/2021"), QStringLiteral("05/03/2021"), 1000);
        F_Location w(s());
        w.setCurrentRow(0);
        w.startEdit();
        other().execute(QStringLiteral("UPDATE Locations SET obs = 'Rayure portière' WHERE num = ?"), {num});
        w.obsField()->setText(QStringLiteral("Rendue propre"));
        w.confirmEntry();
        QCOMPARE(messageTexts(), QStringList{db::kRowChanged});
        QCOMPARE(db().scalar(QStringLiteral("SELECT obs FROM Locations WHERE num = ?"), {num}).toString(), QStringLiteral("Rayure portière"));
    }

    // A vehicle file's line changed by another desk while its panel was open; and one deleted meanwhile.
    void aVehicleFilesLineChangedMeanwhileIsNotWrittenOver()
    {
        const qint64 vehicle = seed::vehicle(db(), {.matricule = QStringLiteral("00012 105 31"), .annee = QStringLiteral("2015")});
        const qint64 num = vehiclefile::save(s(), vehicle, 0, vehiclefile::InsuranceEntry{QStringLiteral("SAA"), QStringLiteral("01/01/2021"),
                                                                                         QStringLiteral("31/12/2021")});
        s().vehicule_courant = vehicle;
        Zoom_V z(s());
        z.selectRow(vehiclefile::List::Assurances, 0);
        z.changeLine(vehiclefile::List::Assurances);
        other().execute(QStringLiteral("UPDATE Assurances SET agence = 'CAAR' WHERE num = ?"), {num});
        z.confirm(vehiclefile::List::Assurances);
        QCOMPARE(messageTexts(), QStringList{db::kRowChanged});
        QCOMPARE(db().scalar(QStringLiteral("SELECT agence FROM Assurances WHERE num = ?"), {num}).toString(), QStringLiteral("CAAR"));
        QCOMPARE(z.part(vehiclefile::List::Assurances).model->index(0, 0).data().toString().contains(QStringLiteral("CAAR"))
                     || z.part(vehiclefile::List::Assurances).model->index(0, 1).data().toString().contains(QStringLiteral("CAAR")),
                 true);

        // Deleted by the other desk, then deleted here: said, and gone from the list.
        ui().clear();
        other().execute(QStringLiteral("DELETE FROM Assurances WHERE num = ?"), {num});
        ui().answers << true; // "Supprimer la ligne N° 1"
        z.selectRow(vehiclefile::List::Assurances, 0);
        z.deleteLine(vehiclefile::List::Assurances);
        QCOMPARE(messageTexts(), QStringList{db::kRowMissing});
        QCOMPARE(z.part(vehiclefile::List::Assurances).model->lineCount(), 0);
    }

    // A pay saved from what the pay screen read: refused when another desk changed its figures since,
    // written when only its closing columns moved or nobody touched it.
    void aPayChangedMeanwhileIsNotWrittenOver_data()
    {
        QTest::addColumn<QString>("otherDesk");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("result");
        QTest::newRow("nobody else") << QString() << false << int(payroll::SaveResult::Written);
        QTest::newRow("days changed") << QStringLiteral("UPDATE Salaires SET nbre_jours = 12 WHERE num = ?") << true << int(payroll::SaveResult::Written);
        QTest::newRow("deleted") << QStringLiteral("DELETE FROM Salaires WHERE num = ?") << false << int(payroll::SaveResult::Missing);
    }
    void aPayChangedMeanwhileIsNotWrittenOver()
    {
        QFETCH(QString, otherDesk);
        QFETCH(bool, refused);
        QFETCH(int, result);
        const qint64 agent = seed::person(db(), {.kind = schema::person::Agent, .nom = QStringLiteral("BENALI"), .prenom = QStringLiteral("Samir"),
                                                 .fonction = QStringLiteral("Comptable"), .salarie = true, .tauxJour = 1000});
        QCOMPARE(seed::pays(db(), 3), 1);
        const std::optional<payroll::PayRow> shown = payroll::readPay(db(), agent, 3);
        QVERIFY(shown);
        if (!otherDesk.isEmpty())
            other().execute(otherDesk, {shown->num});
        payroll::PaySave save = payroll::payOf(*shown, false, false, 0, 0);
        save.entries.nbreJours = 20;
        save.loaded = shown->stored;
        QString told;
        payroll::SaveResult outcome = payroll::SaveResult::Written;
        try {
            outcome = payroll::savePay(db(), agent, 3, save);
        } catch (const db::Conflict& e) {
            told = e.message();
        }
        QCOMPARE(told, refused ? db::kRowChanged : QString());
        if (!refused)
            QCOMPARE(int(outcome), result);
        const QVariant days = db().scalar(QStringLiteral("SELECT nbre_jours FROM Salaires WHERE num = ?"), {shown->num});
        QCOMPARE(days.isNull() ? -1.0 : days.toDouble(), otherDesk.startsWith(QLatin1String("DELETE")) ? -1.0 : refused ? 12.0 : 20.0);
    }

    // The cash book shows what another desk booked: on "Actualiser", and on a server as soon as it is
    // committed.
    void theCashBookShowsWhatAnotherDeskBooked()
    {
        ledger::add(db(), Book::Recettes, receipt(100, QStringLiteral("Première")));
        J_CAISSE screen(s(), kDay);
        QVERIFY(screen.loaded());
        QCOMPARE(screen.model(cashbook::TabReceipts)->rowCount(), 1);
        QCOMPARE(screen.command(QStringLiteral("actualiser"))->text(), QStringLiteral("Actualiser"));
        QCOMPARE(screen.command(QStringLiteral("actualiser"))->shortcut(), QKeySequence(Qt::ALT | Qt::Key_U));
        QCOMPARE(screen.hearsOtherDesks(), s().server.has_value());

        ledger::add(other(), Book::Recettes, receipt(250.5, QStringLiteral("Seconde")));
        if (screen.hearsOtherDesks()) {
            QTRY_COMPARE_WITH_TIMEOUT(screen.model(cashbook::TabReceipts)->rowCount(), 2, 10000);
        } else {
            QTest::qWait(300);
            QCOMPARE(screen.model(cashbook::TabReceipts)->rowCount(), 1); // a file: read on demand
            screen.command(QStringLiteral("actualiser"))->click();
            QCOMPARE(screen.model(cashbook::TabReceipts)->rowCount(), 2);
        }
        QCOMPARE(screen.cashDay().totals().receipts, cashbook::Cents(35050));
        QVERIFY(ui().messages.isEmpty());
    }

    // The activity report of a day computed again on "Actualiser" (only on demand: computing writes).
    void theJournalsShowWhatAnotherDeskBookedWhenComputedAgain()
    {
        if (test::onServer())
            QSKIP("the activity report's statements do not run on the server yet (test_journals runs on files only)");
        ledger::add(db(), Book::Recettes, receipt(100, QStringLiteral("Première")));
        f_jrnl2 screen(s());
        screen.dayField()->setText(kDay.toString(db::kShownDateFormat));
        screen.computeDay();
        QVERIFY2(screen.hasReport(), qPrintable(messageTexts().join(u'\n')));
        QCOMPARE(screen.report().receiptTotal, 100.0);
        ledger::add(other(), Book::Recettes, receipt(250.5, QStringLiteral("Seconde")));
        QTest::qWait(300);
        QCOMPARE(screen.report().receiptTotal, 100.0);
        screen.command(QStringLiteral("actualiser"))->click();
        QCOMPARE(screen.report().receiptTotal, 350.5);
        QCOMPARE(screen.report().selection.from, QStringLiteral("02/03/2021"));
        QVERIFY(ui().messages.isEmpty());
    }
};

KV_SCREEN_TEST_MAIN(DeskConflictsTest)
#include "tst_desk_conflicts.moc"
