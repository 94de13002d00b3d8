// The fund movement dialog and the booking of its line, and the client search.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "people/accounts/FundMovement.h"
#include "people/accounts/MVM_FOND.h"
#include "people/search/Q_Client.h"
#include "platform/db/Dates.h"
#include "harness/ScreenFit.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace kv;
using namespace kv::test;
using ledger::Book;
using ui::Icon;

Q_DECLARE_METATYPE(kv::ledger::Book)
Q_DECLARE_METATYPE(kv::people::ClientCriteria)

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title) { return {text, icon, title, false}; }

/// Shows a dialog for real, so that focus and key events behave as on the desktop.
void showActive(QDialog& d)
{
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

/// A screen script that types into the movement dialog and validates it.
ScriptedUi::ScreenScript typeMovement(QString date, QString amount, QString object, int mode = -1)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        dialog.dateField()->setText(date);
        dialog.amountField()->setText(amount);
        dialog.objectField()->setText(object);
        if (mode == 0)
            dialog.cashOption()->setChecked(true);
        if (mode == 1)
            dialog.chequeOption()->setChecked(true);
        dialog.validateButton()->click();
        return dialog.result();
    };
}

/// Saves a picture of a screen when KV_SHOTS_DIR names a folder.
void shoot(QWidget& w, const QString& name)
{
    const QString dir = qEnvironmentVariable("KV_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w.adjustSize();
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace

class FundMovementTest : public FixtureTest {
    Q_OBJECT


    db::Row line(Book book, qint64 num)
    {
        return db().queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(ledger::table(book)), {num});
    }
    int count(Book book) { return db().scalar(QStringLiteral("SELECT count(*) FROM %1").arg(ledger::table(book))).toInt(); }

    void setSlots(const QString& s1, const QString& s2, const QString& s3, const QString& s4, const QString& s7,
                  const QString& s8)
    {
        s().echange.set(1, s1);
        s().echange.set(2, s2);
        s().echange.set(3, s3);
        s().echange.set(4, s4);
        s().echange.set(7, s7);
        s().echange.set(8, s8);
    }

    qint64 addClient(qint64 num, const QVariant& nom, const QVariant& prenom, int kind = schema::person::Client,
                     int archived = 0, const QVariant& tel = {}, const QVariant& ville = {})
    {
        return seed::person(db(), {.num = num, .kind = kind, .nom = nom.toString(), .prenom = prenom.toString(),
                                   .tel = tel.toString(), .ville = ville.toString(), .archived = archived != 0});
    }
    void addClients()
    {
        addClient(1, "DUPONT", "Jean", schema::person::Client, 0, "0550 12 34 56", "Oran");
        addClient(2, "Dupuis", "Marie");
        addClient(3, "abadie", "Paul");
        addClient(4, "Tabard", "Abel");
        addClient(5, "ABOU", "Karim", schema::person::Client, schema::archive::Archived);
        addClient(6, "O'Brien", "Anne");
        addClient(7, "A_B", "Lina");
        addClient(8, "AXB", "Omar");
        addClient(9, "100%", "Sami");
        addClient(10, "Dupont", "Aline");
        addClient(11, "Abel", "Agent", schema::person::Agent);
        addClient(12, "Abid", "Chauffeur", schema::person::Chauffeur);
        addClient(13, "Écrivain", "élise");
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        QVERIFY(s().isOpen());
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ---- the dialog ----------------------------------------------------------------------------------

    void headingAndFieldsFromTheSlots_data()
    {
        QTest::addColumn<QString>("s1");
        QTest::addColumn<QString>("s2");
        QTest::addColumn<QString>("s3");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<int>("selected");   // 0 cash, 1 cheque, -1 none
        QTest::newRow("new expense") << "0" << "1" << "0" << "Nouvelle Dépense" << 0;
        QTest::newRow("new receipt") << "0" << "0" << "1" << "Nouvelle Recette" << 1;
        QTest::newRow("changed expense") << "1" << "1" << "2" << "MODIFICATION (Dépense)" << -1;
        QTest::newRow("changed receipt") << "1" << "0" << " 1" << "MODIFICATION (Recette)" << 1;
        QTest::newRow("expense of another code") << "0" << "5" << "" << "Nouvelle Dépense" << 0;
    }
    void headingAndFieldsFromTheSlots()
    {
        QFETCH(QString, s1);
        QFETCH(QString, s2);
        QFETCH(QString, s3);
        QFETCH(QString, heading);
        QFETCH(int, selected);
        setSlots(s1, s2, s3, "  Plein du camion ", "05/11/2020", " 1 234.50");
        s().echange.set(10, "OK");
        MVM_FOND d(s());
        QCOMPARE(d.objectName(), QStringLiteral("MVM_FOND"));
        QCOMPARE(d.windowTitle().trimmed(), QString());
        QCOMPARE(d.heading()->text(), heading);
        QCOMPARE(d.dateField()->text(), QStringLiteral("05/11/2020"));
        QCOMPARE(d.amountField()->text(), QStringLiteral("1 234.50"));
        QCOMPARE(d.objectField()->text(), QStringLiteral("Plein du camion"));
        QCOMPARE(d.cashOption()->isChecked(), selected == 0);
        QCOMPARE(d.chequeOption()->isChecked(), selected == 1);
        QCOMPARE(s().echange.get(10), QStringLiteral("Annulé")); // nothing validated yet
    }

    void validationRefusesAnIncompleteEntry_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::newRow("nine-character date") << "1/03/2020" << "100";
        QTest::newRow("empty date") << "" << "100";
        QTest::newRow("blank amount") << "01/03/2020" << "   ";
    }
    void validationRefusesAnIncompleteEntry()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        setSlots("0", "1", "0", "", "01/01/2021", "");
        MVM_FOND d(s());
        showActive(d);
        d.dateField()->setText(date);
        d.amountField()->setText(amount);
        d.objectField()->setText("Pneus");
        d.validateButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Saisie incomplète", Icon::Information, "Attention")}));
        QVERIFY(d.isVisible());
        QCOMPARE(s().echange.get(10), QStringLiteral("Annulé"));
        QCOMPARE(s().echange.get(7), QStringLiteral("01/01/2021"));
        QCOMPARE(s().echange.get(4), QString());
    }

    void malformedDateOrAmountIsRefused_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("field");
        QTest::newRow("no leap day in 1900") << "29/02/1900" << "100" << "Date incorrecte" << "Date";
        QTest::newRow("no such day") << "31/02/2021" << "100" << "Date incorrecte" << "Date";
        QTest::newRow("minus inside") << "01/03/2021" << "12-50" << "Montant incorrect" << "Montant";
        QTest::newRow("two points") << "01/03/2021" << "1.2.3" << "Montant incorrect" << "Montant";
        QTest::newRow("two minus") << "01/03/2021" << "--5" << "Montant incorrect" << "Montant";
    }
    void malformedDateOrAmountIsRefused()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        QFETCH(QString, field);
        setSlots("0", "0", "0", "", "01/01/2021", "");
        {
            MVM_FOND d(s());
            showActive(d);
            d.dateField()->setText(date);
            d.amountField()->setText(amount); // pasted: no key filter sees it
            d.objectField()->setText("Versement");
            // Validated with the focus still in the date, so that leaving it checks nothing first.
            d.dateField()->setFocus();
            d.validateButton()->click();
            QCOMPARE(ui().messages, (QList<ShownMessage>{m(message, Icon::Critical, "ATTENTION")}));
            QVERIFY(d.isVisible());
            QTRY_COMPARE(QApplication::focusWidget()->objectName(), field);
            QCOMPARE(s().echange.get(10), QStringLiteral("Annulé"));
            QCOMPARE(s().echange.get(8), QString());
        }
        // Through the booking: the receipt is not written at all, rather than as a wrong figure.
        ui().clear();
        ui().onScreen("MVM_FOND", typeMovement(date, amount, "Versement"));
        const fund::Outcome outcome = fund::enterNew(s(), {Book::Recettes, 4, 0, std::nullopt});
        QCOMPARE(outcome.status, fund::Status::Cancelled);
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(count(Book::Recettes), 0);
    }

    void validationWritesTheSlots_data()
    {
        QTest::addColumn<QString>("s3");
        QTest::addColumn<int>("choice");   // -1 leaves the options alone
        QTest::addColumn<QString>("mode");
        QTest::newRow("cash chosen") << "1" << 0 << "0";
        QTest::newRow("cheque chosen") << "0" << 1 << "1";
        QTest::newRow("neither: unchanged") << "7" << -1 << "7";
    }
    void validationWritesTheSlots()
    {
        QFETCH(QString, s3);
        QFETCH(int, choice);
        QFETCH(QString, mode);
        setSlots("1", "0", s3, "old", "01/01/2021", "5");
        const QString object50 = QStringLiteral("Règlement de la facture 2021-0457 du garage Amrani");
        QCOMPARE(object50.size(), 50);
        MVM_FOND d(s());
        showActive(d);
        d.dateField()->setText("05/11/2021"); // a day of the open exercise: nothing asked
        d.amountField()->setText("1 234.50");
        d.objectField()->setText(object50);
        if (choice == 0)
            d.cashOption()->setChecked(true);
        if (choice == 1)
            d.chequeOption()->setChecked(true);
        d.validateButton()->click();
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(s().echange.get(10), QStringLiteral("OK"));
        QCOMPARE(s().echange.raw(7), QStringLiteral("05/11/2021").leftJustified(40));
        QCOMPARE(s().echange.raw(8), QStringLiteral("1 234.50").leftJustified(40));
        QCOMPARE(s().echange.raw(4), object50.left(40));
        QCOMPARE(s().echange.get(3), mode);
        QCOMPARE(s().echange.get(1), QStringLiteral("1")); // the inputs stay
        QCOMPARE(s().echange.get(2), QStringLiteral("0"));
    }

    void cancellingLeavesTheSlots_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("cancel command") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("window closed") << 2;
    }
    void cancellingLeavesTheSlots()
    {
        QFETCH(int, way);
        setSlots("1", "1", "1", "Vidange", "03/04/2021", "2500.00");
        s().echange.set(10, "OK");
        MVM_FOND d(s());
        showActive(d);
        d.dateField()->setText("04/04/2021");
        d.amountField()->setText("99");
        d.objectField()->setText("Autre");
        d.chequeOption()->setChecked(false);
        d.cashOption()->setChecked(true);
        if (way == 0)
            d.cancelButton()->click();
        else if (way == 1)
            QTest::keyClick(d.amountField(), Qt::Key_Escape);
        else
            d.close();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(s().echange.get(10), QStringLiteral("Annulé"));
        QCOMPARE(s().echange.get(3), QStringLiteral("1"));
        QCOMPARE(s().echange.get(4), QStringLiteral("Vidange"));
        QCOMPARE(s().echange.get(7), QStringLiteral("03/04/2021"));
        QCOMPARE(s().echange.get(8), QStringLiteral("2500.00"));
        QVERIFY(ui().messages.isEmpty());
    }

    void typingRules()
    {
        setSlots("0", "0", "0", "", "", "");
        MVM_FOND d(s());
        showActive(d);
        QLineEdit* date = d.dateField();
        QLineEdit* amount = d.amountField();
        QLineEdit* object = d.objectField();

        // The date is shaped as typed; Enter moves on to the amount.
        date->setFocus();
        QTest::keyClicks(date, "05112020");
        QCOMPARE(date->text(), QStringLiteral("05/11/2020"));
        QTest::keyClick(date, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), amount);

        // The amount takes a decimal number only; a comma becomes the point.
        QTest::keyClicks(amount, "1a2 3,5x");
        QCOMPARE(amount->text(), QStringLiteral("123.5"));
        QTest::keyClick(amount, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), object);
        QTest::keyClick(object, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), amount);
        QCOMPARE(amount->selectedText(), QStringLiteral("123.5")); // entering the amount selects it
        QTest::keyClick(amount, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), object);

        // The object's first letter becomes a capital; the following ones stay as typed.
        QTest::keyClicks(object, "avance bis");
        QCOMPARE(object->text(), QStringLiteral("Avance bis"));
        object->clear();
        QTest::sendKeyEvent(QTest::Click, object, Qt::Key_Eacute, QStringLiteral("é"), Qt::NoModifier);
        QTest::keyClicks(object, "te");
        QCOMPARE(object->text(), QStringLiteral("éte")); // only a to z

        // An invalid date is emptied when the focus leaves it, and keeps the focus.
        date->setFocus();
        date->setText("31/04/2021");
        amount->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), date);
        QCOMPARE(date->text(), QString());
        QVERIFY(ui().beeps > 0);

        // Enter in the object validates.
        date->setText("30/04/2021");
        object->setFocus();
        QTest::keyClick(object, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(s().echange.get(10), QStringLiteral("OK"));
        QCOMPARE(s().echange.get(7), QStringLiteral("30/04/2021"));
        QCOMPARE(s().echange.get(8), QStringLiteral("123.5"));
        QCOMPARE(s().echange.get(4), QStringLiteral("éte"));
    }

    // ---- the booking ---------------------------------------------------------------------------------

    void newLineBookedWithTheCallersCodes_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<qint64>("agent");
        QTest::addColumn<int>("contrepartie");
        QTest::addColumn<int>("typeDep");   // -1: not set
        QTest::newRow("agent or driver, Débit") << Book::Depenses << qint64(4) << 0 << -1;
        QTest::newRow("agent or driver, Crédit") << Book::Recettes << qint64(4) << 0 << -1;
        QTest::newRow("client, Débit") << Book::Depenses << qint64(9) << 1 << -1;
        QTest::newRow("client, Crédit") << Book::Recettes << qint64(9) << 1 << -1;
        QTest::newRow("miscellaneous receipt") << Book::Recettes << qint64(-1) << 3 << -1;
        QTest::newRow("advance on salary") << Book::Depenses << qint64(12) << 1 << 10;
    }
    void newLineBookedWithTheCallersCodes()
    {
        QFETCH(Book, book);
        QFETCH(qint64, agent);
        QFETCH(int, contrepartie);
        QFETCH(int, typeDep);
        fund::Codes codes{book, agent, contrepartie, typeDep < 0 ? std::nullopt : std::optional<int>(typeDep)};
        const QString today = s().defaultDay().toString("dd/MM/yyyy");
        const QString object50 = QStringLiteral("Règlement de la facture 2021-0457 du garage Amrani");
        ui().onScreen("MVM_FOND", [&](QDialog& d) {
            auto& dialog = static_cast<MVM_FOND&>(d);
            // A new line opens dated today, with no amount and cash selected.
            [&] {
                QCOMPARE(dialog.heading()->text(), book == Book::Recettes ? QStringLiteral("Nouvelle Recette")
                                                                          : QStringLiteral("Nouvelle Dépense"));
                QCOMPARE(dialog.dateField()->text(), today);
                QCOMPARE(dialog.amountField()->text(), QString());
                QCOMPARE(dialog.objectField()->text(), QString());
                QVERIFY(dialog.cashOption()->isChecked());
            }();
            return typeMovement("05/11/2020", " 1 234.50", object50, 1)(d);
        });
        ui().answers = {true}; // "La date 05/11/2020 n'est pas dans l'exercice 2021. Enregistrer quand même ?"
        const fund::Outcome outcome = fund::enterNew(s(), codes);
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QVERIFY(outcome.written());
        QCOMPARE(outcome.num, qint64(1));
        QCOMPARE(count(book), 1);
        QCOMPARE(count(book == Book::Recettes ? Book::Depenses : Book::Recettes), 0);
        const db::Row row = line(book, 1);
        QCOMPARE(row.integer("Num_Agent"), agent);
        QCOMPARE(row.integer("contrepartie"), qint64(contrepartie));
        QCOMPARE(row.text("date"), QStringLiteral("2020-11-05"));
        QCOMPARE(row.integer("MM"), qint64(11));
        QCOMPARE(row.number("Montant"), 1234.5);
        QCOMPARE(row.integer("mode"), qint64(1));
        QCOMPARE(row.text("ref"), object50.left(40));
        QVERIFY(row.isNull("num_vehicule"));
        if (book == Book::Depenses) {
            QCOMPARE(row.isNull("Type_Dep"), typeDep < 0);
            if (typeDep >= 0)
                QCOMPARE(row.integer("Type_Dep"), qint64(typeDep));
            QVERIFY(row.isNull("Km"));
        }
    }

    void newLinesAreNumberedOverTheWholeTable()
    {
        // Lines booked elsewhere (a vehicle's expense, a receipt of another account), with a gap.
        db().execute("INSERT INTO Depenses (num, num_vehicule, contrepartie, Type_Dep, Montant) VALUES (3, 1, 0, 0, 10)");
        db().execute("INSERT INTO Depenses (num, Num_Agent, contrepartie, Montant) VALUES (17, 5, 1, 20)");
        db().execute("INSERT INTO Recettes (num, Num_Agent, contrepartie, Montant) VALUES (2, -1, 3, 30)");
        const fund::Codes expense{Book::Depenses, 4, 0, std::nullopt};
        const fund::Codes receipt{Book::Recettes, 4, 0, std::nullopt};
        for (int i = 0; i < 2; ++i)
            ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "100", "x"));
        ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "200", "y"));
        QCOMPARE(fund::enterNew(s(), expense).num, qint64(18));
        QCOMPARE(fund::enterNew(s(), expense).num, qint64(19));
        QCOMPARE(fund::enterNew(s(), receipt).num, qint64(3));  // receipts have their own series
        QCOMPARE(count(Book::Depenses), 4);
        QCOMPARE(count(Book::Recettes), 2);
    }

    void newLineReestablishesTheConnection()
    {
        // Another connection to the same file wrote a line since the session opened.
        {
            db::Database other;
            if (s().server)
                other.openServer(*s().server, db::exerciseSchema(s().exerciceOuvert));
            else
                other.open(s().exercisePath(s().exerciceOuvert));
            other.execute("INSERT INTO Recettes (num, Montant) VALUES (41, 5)");
        }
        // A mark that lives as long as the session's connection.
        db().execute("CREATE TEMP TABLE connection_mark (x)");
        auto marked = [this] {
            return db().scalar("SELECT count(*) FROM sqlite_temp_master WHERE name = 'connection_mark'").toInt() == 1;
        };
        ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "100", "x"));
        fund::Options refusing;
        refusing.accept = [](const Echange&) { return false; };
        QVERIFY(!fund::enterNew(s(), {Book::Recettes, 2, 1, std::nullopt}, refusing).written());
        QVERIFY(marked()); // nothing booked: the connection stays
        ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "100", "x"));
        QCOMPARE(fund::enterNew(s(), {Book::Recettes, 2, 1, std::nullopt}).num, qint64(42));
        QVERIFY(s().isOpen());
        QVERIFY(!marked());
    }

    void nothingWrittenWhenNotConfirmed_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("cancelled") << 0;
        QTest::newRow("dialog not driven (closed)") << 1;
        QTest::newRow("caller refuses") << 2;
    }
    void nothingWrittenWhenNotConfirmed()
    {
        QFETCH(int, way);
        db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, Num_Agent, contrepartie) "
                     "VALUES (5, '2021-03-02', 3, 700, 0, 'Avance', 12, 1)");
        s().echange.set(10, "OK"); // a former outcome must not count
        if (way == 0)
            ui().onScreen("MVM_FOND", [](QDialog& d) {
                static_cast<MVM_FOND&>(d).cancelButton()->click();
                return d.result();
            });
        if (way == 2)
            ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "100", "Avance"));
        int checks = 0;
        fund::Options options;
        options.accept = [&](const Echange& block) {
            ++checks;
            return block.get(7).mid(3, 2) == QStringLiteral("03");   // the pay month
        };
        const fund::Codes codes{Book::Depenses, 12, 1, 10};
        const fund::Outcome added = fund::enterNew(s(), codes, options);
        QVERIFY(!added.written());
        QCOMPARE(added.status, way == 2 ? fund::Status::Refused : fund::Status::Cancelled);
        if (way == 2)
            ui().onScreen("MVM_FOND", typeMovement("01/02/2021", "100", "Avance"));
        else if (way == 0)
            ui().onScreen("MVM_FOND", [](QDialog& d) {
                static_cast<MVM_FOND&>(d).cancelButton()->click();
                return d.result();
            });
        const fund::Outcome changed = fund::enterChange(s(), codes, 5, options);
        QVERIFY(!changed.written());
        QCOMPARE(checks, way == 2 ? 2 : 0);
        QCOMPARE(count(Book::Depenses), 1);
        const db::Row row = line(Book::Depenses, 5);
        QCOMPARE(row.text("date"), QStringLiteral("2021-03-02"));
        QCOMPARE(row.number("Montant"), 700.0);
        QCOMPARE(row.text("ref"), QStringLiteral("Avance"));
        QVERIFY(row.isNull("Type_Dep"));
        // The dialog was validated when the caller refused; only its own check stopped the booking.
        QCOMPARE(s().echange.get(10), way == 2 ? QStringLiteral("OK") : QStringLiteral("Annulé"));
    }

    void modificationKeepsNumberPersonAndCounterpart_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<bool>("shownTexts");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("amountShown");
        QTest::newRow("receipt from the stored line") << Book::Recettes << false << "MODIFICATION (Recette)" << "1234.50";
        QTest::newRow("expense from the cells shown") << Book::Depenses << true << "MODIFICATION (Dépense)" << "1 234.50";
    }
    void modificationKeepsNumberPersonAndCounterpart()
    {
        QFETCH(Book, book);
        QFETCH(bool, shownTexts);
        QFETCH(QString, heading);
        QFETCH(QString, amountShown);
        const QString t = ledger::table(book);
        db().execute(QStringLiteral("INSERT INTO %1 (num, date, MM, Montant, mode, ref, Num_Agent, contrepartie) "
                                    "VALUES (8, '2021-06-14', 6, 1234.5, 1, '  Loyer juin ', 9, 1)").arg(t));
        db().execute(QStringLiteral("INSERT INTO %1 (num, Montant, Num_Agent, contrepartie) VALUES (9, 1, 9, 1)").arg(t));
        fund::Options options;
        if (shownTexts)
            options.shown = fund::ShownLine{"14/06/2021", "1 234.50", "Loyer juin"};
        QString seenDate, seenAmount, seenObject;
        bool cheque = false;
        ui().onScreen("MVM_FOND", [&](QDialog& d) {
            auto& dialog = static_cast<MVM_FOND&>(d);
            seenDate = dialog.dateField()->text();
            seenAmount = dialog.amountField()->text();
            seenObject = dialog.objectField()->text();
            cheque = dialog.chequeOption()->isChecked();
            [&] { QCOMPARE(dialog.heading()->text(), heading); }();
            return typeMovement("05/11/2021", dialog.amountField()->text(), "Loyer novembre", 0)(d);
        });
        // The codes given for a modification do not change the line's person or counterpart.
        const fund::Outcome outcome = fund::enterChange(s(), {book, 77, 3, std::nullopt}, 8, options);
        QCOMPARE(seenDate, QStringLiteral("14/06/2021"));
        QCOMPARE(seenAmount, amountShown);
        QCOMPARE(seenObject, QStringLiteral("Loyer juin"));
        QVERIFY(cheque);
        QVERIFY(outcome.written());
        QCOMPARE(outcome.num, qint64(8));
        QCOMPARE(count(book), 2);
        const db::Row row = line(book, 8);
        QCOMPARE(row.integer("Num_Agent"), qint64(9));
        QCOMPARE(row.integer("contrepartie"), qint64(1));
        QCOMPARE(row.text("date"), QStringLiteral("2021-11-05"));
        QCOMPARE(row.integer("MM"), qint64(11));
        QCOMPARE(row.number("Montant"), 1234.5);
        QCOMPARE(row.integer("mode"), qint64(0));
        QCOMPARE(row.text("ref"), QStringLiteral("Loyer novembre"));
        QCOMPARE(line(book, 9).number("Montant"), 1.0);
    }

    void modificationOfAMissingLine()
    {
        const fund::Outcome outcome = fund::enterChange(s(), {Book::Recettes, 9, 1, std::nullopt}, 31);
        QCOMPARE(outcome.status, fund::Status::Missing);
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Mouvement altéré", Icon::Information, "ATTENTION")}));
        QVERIFY(ui().screens.isEmpty());
        QCOMPARE(count(Book::Recettes), 0);
    }

    void engineFailureShowsItsMessageAndWritesNothing_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<bool>("change");
        QTest::newRow("new expense") << Book::Depenses << false;
        QTest::newRow("new receipt") << Book::Recettes << false;
        QTest::newRow("changed expense") << Book::Depenses << true;
        QTest::newRow("changed receipt") << Book::Recettes << true;
    }
    void engineFailureShowsItsMessageAndWritesNothing()
    {
        QFETCH(Book, book);
        QFETCH(bool, change);
        const QString t = ledger::table(book);
        db().execute(QStringLiteral("INSERT INTO %1 (num, date, MM, Montant, mode, ref, Num_Agent, contrepartie) "
                                    "VALUES (5, '2021-03-02', 3, 700, 0, 'Avance', 12, 1)").arg(t));
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(change ? "UPDATE" : "INSERT", t));
        ui().onScreen("MVM_FOND", typeMovement("01/04/2021", "900", "Autre"));
        const fund::Codes codes{book, 12, 1, std::nullopt};
        const fund::Outcome outcome = change ? fund::enterChange(s(), codes, 5) : fund::enterNew(s(), codes);
        QCOMPARE(outcome.status, fund::Status::Failed);
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("écriture refusée", Icon::Critical, "Z.E.B.")}));
        QCOMPARE(count(book), 1);
        const db::Row row = line(book, 5);
        QCOMPARE(row.number("Montant"), 700.0);
        QCOMPARE(row.text("date"), QStringLiteral("2021-03-02"));
        QCOMPARE(row.text("ref"), QStringLiteral("Avance"));
    }

    void aLineDeletedWhileTheDialogIsOpen()
    {
        db().execute("INSERT INTO Recettes (num, date, MM, Montant, mode, ref, Num_Agent, contrepartie) "
                     "VALUES (5, '2021-03-02', 3, 700, 0, 'Versement', 12, 1)");
        ui().onScreen("MVM_FOND", [this](QDialog& d) {
            db().execute("DELETE FROM Recettes WHERE num = 5"); // another screen, meanwhile
            return typeMovement("01/04/2021", "900", "Autre")(d);
        });
        const fund::Outcome outcome = fund::enterChange(s(), {Book::Recettes, 12, 1, std::nullopt}, 5);
        QCOMPARE(outcome.status, fund::Status::Missing);
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Mouvement altéré", Icon::Information, "ATTENTION")}));
        QCOMPARE(count(Book::Recettes), 0); // not re-created
    }

    void storedAmountsAsAModificationShowsThem_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero is empty") << 0.0 << "";
        QTest::newRow("no blanks") << 1234567.5 << "1234567.50";
        QTest::newRow("below one") << 0.5 << "0.50";
        QTest::newRow("negative") << -12.0 << "-12.00";
    }
    void storedAmountsAsAModificationShowsThem()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(fund::amountText(value), text);
    }

    void lineFromTheSlots_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("month");
        QTest::addColumn<double>("montant");
        QTest::newRow("blanks in the amount") << "05/11/2020" << "1 234.50" << 11 << 1234.5;
        QTest::newRow("leading blanks") << "  01/02/2021" << "   7" << 2 << 7.0;
        QTest::newRow("empty amount") << "31/12/2021" << "" << 12 << 0.0;
    }
    void lineFromTheSlots()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(int, month);
        QFETCH(double, montant);
        Echange block;
        block.set(7, date);
        block.set(8, amount);
        block.set(3, "1");
        block.set(4, "  Objet ");
        const ledger::Line l = fund::lineFromSlots(block, {Book::Recettes, -1, 3, 10});
        QCOMPARE(ledger::monthOf(l.date), month);
        QCOMPARE(l.montant, montant);
        QCOMPARE(l.mode, 1);
        QCOMPARE(l.ref, QStringLiteral("Objet"));
        QCOMPARE(l.contrepartie, std::optional<int>(3));
        QCOMPARE(l.numAgent, std::optional<qint64>(-1));
        QVERIFY(!l.typeDep); // receipts have no heading
    }

    // ---- client search -------------------------------------------------------------------------------

    void clientSearch_data()
    {
        QTest::addColumn<QVariant>("nom");      // invalid: box not checked
        QTest::addColumn<QVariant>("prenom");
        QTest::addColumn<QList<qint64>>("found");
        const QVariant off;
        QTest::newRow("no criterion: every client, archived too")
            << off << off << QList<qint64>{9, 7, 3, 5, 8, 10, 1, 2, 13, 6, 4};
        QTest::newRow("surname ab, any case, at the start only") << QVariant("ab") << off << QList<qint64>{3, 5};
        QTest::newRow("both prefixes") << QVariant("dup") << QVariant("j") << QList<qint64>{1};
        QTest::newRow("first name only") << off << QVariant("A") << QList<qint64>{10, 6, 4};
        QTest::newRow("empty text matches all") << QVariant("  ") << QVariant("") << QList<qint64>{9, 7, 3, 5, 8, 10, 1, 2, 13, 6, 4};
        QTest::newRow("quote") << QVariant("o'") << off << QList<qint64>{6};
        QTest::newRow("underscore is a plain letter") << QVariant("a_") << off << QList<qint64>{7};
        QTest::newRow("percent is a plain letter") << QVariant("100%") << off << QList<qint64>{9};
        QTest::newRow("star is a plain letter") << QVariant("A*") << off << QList<qint64>{};
        QTest::newRow("accents and case") << QVariant("éCRI") << QVariant("É") << QList<qint64>{13};
    }
    void clientSearch()
    {
        QFETCH(QVariant, nom);
        QFETCH(QVariant, prenom);
        QFETCH(QList<qint64>, found);
        addClients();
        people::ClientCriteria criteria;
        if (nom.isValid())
            criteria.nom = nom.toString();
        if (prenom.isValid())
            criteria.prenom = prenom.toString();
        QList<qint64> nums;
        for (const people::ClientFound& c : people::searchClients(db(), criteria))
            nums << c.num;
        QCOMPARE(nums, found);

        // The same through the screen.
        Q_Client d(s());
        d.nomBox()->setChecked(nom.isValid());
        d.nomField()->setText(nom.toString());
        d.prenomBox()->setChecked(prenom.isValid());
        d.prenomField()->setText(prenom.toString());
        d.searchButton()->click();
        if (found.isEmpty()) {
            QCOMPARE(ui().messages, (QList<ShownMessage>{m("Aucun client selon ces critères", Icon::NoIcon, "ZEB")}));
            QVERIFY(!d.criteriaPanel()->isHidden());
            QVERIFY(d.resultPanel()->isHidden());
            return;
        }
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(d.criteriaPanel()->isHidden());
        QVERIFY(!d.resultPanel()->isHidden());
        QCOMPARE(d.clientNumbers(), found);
        QCOMPARE(d.resultList()->model()->rowCount(), found.size());
        QCOMPARE(d.resultList()->selectionModel()->selectedRows().value(0).row(), 0);
    }

    void resultRowsHoldBlankAndValue()
    {
        addClients();
        Q_Client d(s());
        d.nomBox()->setChecked(true);
        d.nomField()->setText("dupo");
        d.searchButton()->click();
        const QAbstractItemModel* model = d.resultList()->model();
        QCOMPARE(model->rowCount(), 2);
        auto cells = [&](int r) {
            QStringList texts;
            for (int c = 0; c < 5; ++c)
                texts << model->index(r, c).data().toString();
            return texts;
        };
        QCOMPARE(cells(0), (QStringList{"1", " Dupont", " Aline", "", ""}));
        QCOMPARE(cells(1), (QStringList{"2", " DUPONT", " Jean", " 0550 12 34 56", " Oran"}));
        QCOMPARE(model->index(0, 0).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(model->index(0, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    }

    void choosingReturnsTheSelectedClient_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("choose command") << 0;
        QTest::newRow("double click") << 1;
        QTest::newRow("Return on the line") << 2;
        QTest::newRow("Enter of the keypad on the line") << 3;
        QTest::newRow("the choose command's Alt key") << 4;
    }
    void choosingReturnsTheSelectedClient()
    {
        QFETCH(int, way);
        addClients();
        s().echange.set(4, "kept");
        Q_Client d(s());
        showActive(d);
        d.nomBox()->setChecked(true);
        d.nomField()->setText("dup");
        d.searchButton()->click();
        QCOMPARE(d.clientNumbers(), (QList<qint64>{10, 1, 2}));
        QTableView* list = d.resultList();
        const QRect cell = list->visualRect(list->model()->index(1, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(list->selectionModel()->selectedRows().value(0).row(), 1);
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 5); // the whole row
        ui::prepareScreen(d); // the Alt keys, as the ui seam gives them
        if (way == 1)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        else if (way == 2)
            QTest::keyClick(list, Qt::Key_Return);
        else if (way == 3)
            QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        else if (way == 4)
            QTest::keySequence(&d, d.chooseButton()->shortcut());
        else
            d.chooseButton()->click();
        QTRY_COMPARE(d.result(), int(QDialog::Accepted)); // a command's key clicks it after a short animation
        QCOMPARE(s().saisie, QStringLiteral("OK"));
        QCOMPARE(s().echange.get(1), QStringLiteral("1"));
        QCOMPARE(s().echange.raw(2).left(7), QStringLiteral(" DUPONT"));
        QCOMPARE(s().echange.raw(3).left(5), QStringLiteral(" Jean"));
        QCOMPARE(s().echange.get(4), QStringLiteral("kept"));
    }

    void cancellingReturnsNon_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("cancel from the criteria") << 0;
        QTest::newRow("window closed on the results") << 1;
        QTest::newRow("Escape on the results") << 2;
    }
    void cancellingReturnsNon()
    {
        QFETCH(int, way);
        addClients();
        for (int slot : {1, 2, 3})
            s().echange.set(slot, QStringLiteral("avant %1").arg(slot));
        s().saisie = "OK";
        Q_Client d(s());
        showActive(d);
        QCOMPARE(s().saisie, QStringLiteral("NON"));
        d.searchButton()->click();
        if (way == 0) {
            d.backButton()->click();
            d.cancelButton()->click();
        } else if (way == 1) {
            d.close();
        } else {
            QTest::keyClick(d.resultList(), Qt::Key_Escape);
        }
        QVERIFY(!d.isVisible());
        QCOMPARE(s().saisie, QStringLiteral("NON"));
        for (int slot : {1, 2, 3})
            QCOMPARE(s().echange.get(slot), QStringLiteral("avant %1").arg(slot));
    }

    void criteriaPanelBehaviour()
    {
        addClients();
        Q_Client d(s());
        showActive(d);
        QCOMPARE(d.windowTitle(), QStringLiteral("Recherche client"));
        QCOMPARE(d.criteriaHeading()->text(), QStringLiteral("Recherche  Rapide"));
        QCOMPARE(d.resultHeading()->text(), QStringLiteral("Recherche  Rapide (Clients)"));
        QVERIFY(!d.nomField()->isVisible());
        QVERIFY(!d.prenomField()->isVisible());
        d.nomBox()->click();
        QVERIFY(d.nomField()->isVisible());
        d.nomField()->setFocus();
        // The first-name field is hidden: Down stays, Enter searches.
        QTest::keyClick(d.nomField(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), d.nomField());
        d.prenomBox()->click();
        QVERIFY(d.prenomField()->isVisible());
        d.nomField()->setFocus();
        QTest::keyClick(d.nomField(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), d.prenomField());
        QTest::keyClick(d.prenomField(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), d.nomField());
        QTest::keyClicks(d.nomField(), "zz");
        d.prenomBox()->click();
        QVERIFY(!d.prenomField()->isVisible());
        // Nothing found: the message, and the criteria stay.
        d.nomField()->setFocus();
        QTest::keyClick(d.nomField(), Qt::Key_Return);
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Aucun client selon ces critères", Icon::NoIcon, "ZEB")}));
        QVERIFY(d.criteriaPanel()->isVisible());
        // Back returns to the criteria as they were.
        d.nomField()->setText("du");
        d.searchButton()->click();
        QVERIFY(d.resultPanel()->isVisible());
        QVERIFY(!d.criteriaPanel()->isVisible());
        d.backButton()->click();
        QVERIFY(d.criteriaPanel()->isVisible());
        QVERIFY(!d.resultPanel()->isVisible());
        QVERIFY(d.nomBox()->isChecked());
        QCOMPARE(d.nomField()->text(), QStringLiteral("du"));
        QVERIFY(!d.prenomBox()->isChecked());
        QVERIFY(d.isVisible());
    }

    void returnOnTheCriteriaSearches()
    {
        addClients();
        Q_Client d(s());
        showActive(d);
        d.nomBox()->setFocus();
        QTest::keyClick(d.nomBox(), Qt::Key_Return); // no criterion: every client
        QVERIFY(d.resultPanel()->isVisible());
        QCOMPARE(d.clientNumbers().size(), 11);
        QVERIFY(d.isVisible());
        // On the list, Return chooses the line.
        QTest::keyClick(d.resultList(), Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void everyFieldIsNamedByItsLabel()
    {
        const auto name = [](QWidget* w) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            return a ? a->text(QAccessible::Name) : QString();
        };
        setSlots("0", "1", "0", "", "05/11/2020", "");
        MVM_FOND movement(s());
        QCOMPARE(name(movement.dateField()), QStringLiteral("Date"));
        QCOMPARE(name(movement.amountField()), QStringLiteral("Montant"));
        QCOMPARE(name(movement.objectField()), QStringLiteral("Objet"));
        QCOMPARE(name(movement.cashOption()), QStringLiteral("Espèces"));
        QCOMPARE(name(movement.chequeOption()), QStringLiteral("Cheque"));
        Q_Client search(s());
        QCOMPARE(name(search.nomField()), QStringLiteral("Nom"));
        QCOMPARE(name(search.prenomField()), QStringLiteral("Prénom"));
    }

    // ---- pictures --------------------------------------------------------------------------------------

    void pictures()
    {
        if (qEnvironmentVariableIsEmpty("KV_SHOTS_DIR"))
            QSKIP("KV_SHOTS_DIR not set");
        addClients();
        setSlots("0", "1", "0", "", "05/11/2020", "");
        {
            MVM_FOND d(s());
            shoot(d, "MVM_FOND_nouvelle_depense");
        }
        setSlots("1", "0", "1", "Loyer du mois de juin", "14/06/2021", "1 234.50");
        {
            MVM_FOND d(s());
            shoot(d, "MVM_FOND_modification_recette");
        }
        Q_Client d(s());
        d.nomBox()->setChecked(true);
        d.nomField()->setText("D");
        shoot(d, "Q_Client_criteres");
        d.nomField()->clear();
        d.searchButton()->click();
        shoot(d, "Q_Client_resultats");
    }

    // ---- the dialogs on the screens they must fit ---------------------------------------------------------

    void dialogsFitTheScreenInEveryState()
    {
        addClients();
        db().execute("UPDATE Agents SET nom = 'SARL TRANSPORTS DU GRAND SUD ET FILS', ville = 'Sidi Bel Abbès' WHERE num = 2");
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            const auto check = [&](QWidget& w, const QString& state) {
                test::settle(w);
                QCOMPARE(test::outsideScreen(w), QStringList());
                test::saveShot(w, state + size);
            };
            setSlots("0", "1", "0", "", "05/11/2020", "");
            {
                MVM_FOND d(s());
                test::showOn(d, screen);
                check(d, "MVM_FOND_nouvelle_depense");
            }
            setSlots("1", "0", "1", "Loyer du mois de juin, garage Amrani", "14/06/2021", "1 234.50");
            {
                MVM_FOND d(s());
                test::showOn(d, screen);
                check(d, "MVM_FOND_modification_recette");
            }
            Q_Client d(s());
            test::showOn(d, screen);
            const QSize shown = d.size();
            d.nomBox()->setChecked(true);
            d.prenomBox()->setChecked(true);
            d.nomField()->setText("D");
            check(d, "Q_Client_criteres");
            d.nomField()->clear();
            d.prenomField()->clear();
            d.searchButton()->click();
            check(d, "Q_Client_resultats");
            QCOMPARE(d.size(), shown); // the results take the criteria's place
            // The telephone and the town are shown whole.
            const QFontMetrics metrics = d.resultList()->fontMetrics();
            QHeaderView* header = d.resultList()->horizontalHeader();
            for (int c : {3, 4})
                for (int r = 0; r < d.resultList()->model()->rowCount(); ++r)
                    QVERIFY(header->sectionSize(c) > metrics.horizontalAdvance(d.resultList()->model()->index(r, c).data().toString()));
        }
    }
};

KV_SCREEN_TEST_MAIN(FundMovementTest)
#include "tst_fund_movement.moc"
