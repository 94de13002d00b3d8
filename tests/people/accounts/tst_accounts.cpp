// The person accounts ZOOM_Ag, Zoom_Ch and Zoom_Cli: header, the two movement grids with their totals
// and balance, new / changed / deleted lines through the fund movement dialog, the client's rentals,
// and the printed statement.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "people/accounts/AccountScreen.h"
#include "people/accounts/Accounts.h"
#include "people/accounts/FundMovement.h"
#include "people/accounts/MVM_FOND.h"
#include "people/accounts/PersonAccount.h"
#include "harness/ScreenFit.h"

#include "platform/ui/Ui.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QToolButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QSet>
#include <QStyleOption>
#include <QTest>

using namespace kv;
using namespace kv::test;
using ledger::Book;
using ui::Icon;

Q_DECLARE_METATYPE(kv::ledger::Book)

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

/// A screen script that types into the movement dialog and validates it.
ScriptedUi::ScreenScript typeMovement(QString date, QString amount, QString object, int mode = 0)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        dialog.dateField()->setText(date);
        dialog.amountField()->setText(amount);
        dialog.objectField()->setText(object);
        (mode == 0 ? dialog.cashOption() : dialog.chequeOption())->setChecked(true);
        dialog.validateButton()->click();
        return dialog.result();
    };
}

/// A screen script that validates the movement dialog as it was filled.
ScriptedUi::ScreenScript validateAsShown(QStringList* seen = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        if (seen)
            *seen = {dialog.dateField()->text(), dialog.amountField()->text(), dialog.objectField()->text()};
        dialog.validateButton()->click();
        return dialog.result();
    };
}

/// A screen script that cancels the movement dialog.
ScriptedUi::ScreenScript cancelMovement()
{
    return [](QDialog& d) {
        static_cast<MVM_FOND&>(d).cancelButton()->click();
        return d.result();
    };
}

/// Where the pictures of the screens go.
QString shotsDir()
{
    const QString dir = QStringLiteral("/tmp/accounts-shots");
    QDir().mkpath(dir);
    return dir;
}

void shoot(QWidget& w, const QString& name)
{
    w.adjustSize();
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(shotsDir() + u'/' + name + QStringLiteral(".png"));
}

} // namespace

class AccountsTest : public FixtureTest {
    Q_OBJECT


    qint64 addPerson(qint64 num, int kind, const QVariantMap& fields = {})
    {
        return seed::person(db(), {.num = num, .kind = kind, .nom = "BENALI", .prenom = "Karim", .more = fields});
    }
    /// A ledger line written as the booking writes it (date stored ISO).
    void addLine(Book book, qint64 num, qint64 person, int contrepartie, const QString& isoDate, double montant,
                 const QString& ref = QStringLiteral("ligne"), int mode = 0)
    {
        db().execute(QStringLiteral("INSERT INTO %1 (num, date, MM, Montant, mode, ref, contrepartie, Num_Agent) "
                                    "VALUES (?,?,?,?,?,?,?,?)")
                         .arg(ledger::table(book)),
                     {num, isoDate, isoDate.mid(5, 2).toInt(), montant, mode, ref, contrepartie, person});
    }
    db::Row line(Book book, qint64 num)
    {
        return db().queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(ledger::table(book)), {num});
    }
    int count(Book book)
    {
        return db().scalar(QStringLiteral("SELECT count(*) FROM %1").arg(ledger::table(book))).toInt();
    }
    static QStringList column(const AccountScreen& screen, Book book, int c)
    {
        QStringList texts;
        const kit::GridModel* model = screen.grid(book)->grid();
        for (int r = 0; r < model->lineCount(); ++r)
            texts << model->cell(r, c);
        return texts;
    }
    static std::unique_ptr<AccountScreen> screenOf(Session& s, int kind)
    {
        switch (kind) {
        case schema::person::Chauffeur: return std::make_unique<Zoom_Ch>(s);
        case schema::person::Client: return std::make_unique<Zoom_Cli>(s);
        default: return std::make_unique<ZOOM_Ag>(s);
        }
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

    // ---- the road of a new user ----------------------------------------------------------------------

    void driverBooksAReceiptAndAnExpenseThroughNouveau()
    {
        addPerson(7, schema::person::Chauffeur);
        s().num_courant = 7;
        ui().onScreen("MVM_FOND", typeMovement("15/03/2021", "1500", "Versement recette"));
        ui().onScreen("MVM_FOND", typeMovement("20/04/2021", "2000", "Avance frais", 1));
        QString debit, credit, balance, balanceStyle;
        ui().onScreen("Zoom_Ch", [&](QDialog& d) {
            auto& screen = static_cast<AccountScreen&>(d);
            screen.newButton(Book::Recettes)->click();
            screen.newButton(Book::Depenses)->click();
            debit = screen.totalLabel(Book::Depenses)->text();
            credit = screen.totalLabel(Book::Recettes)->text();
            balance = screen.balanceLabel()->text();
            balanceStyle = screen.balanceLabel()->styleSheet();
            shoot(screen, "Zoom_Ch");
            screen.quitButton()->click();
            return screen.result();
        });
        openAccount(s(), schema::person::Chauffeur);

        QCOMPARE(ui().screens, (QStringList{"Zoom_Ch", "MVM_FOND", "MVM_FOND"}));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(debit, QStringLiteral("2 000.00  "));
        QCOMPARE(credit, QStringLiteral("1 500.00  "));
        QCOMPARE(balance, QStringLiteral("-500.00  "));
        QVERIFY2(balanceStyle.contains("#d00000"), qPrintable(balanceStyle));

        const db::Rows receipts = db().query("SELECT * FROM Recettes");
        QCOMPARE(receipts.size(), 1);
        QCOMPARE(receipts[0].integer("Num_Agent"), 7);
        QCOMPARE(receipts[0].integer("contrepartie"), 0);
        QCOMPARE(receipts[0].integer("MM"), 3);
        QCOMPARE(receipts[0].number("Montant"), 1500.0);
        QCOMPARE(receipts[0].text("ref"), QStringLiteral("Versement recette"));
        const db::Rows expenses = db().query("SELECT * FROM Depenses");
        QCOMPARE(expenses.size(), 1);
        QCOMPARE(expenses[0].integer("Num_Agent"), 7);
        QCOMPARE(expenses[0].integer("contrepartie"), 0);
        QCOMPARE(expenses[0].integer("MM"), 4);
        QCOMPARE(expenses[0].number("Montant"), 2000.0);
        QCOMPARE(expenses[0].integer("mode"), 1);
        QVERIFY(expenses[0].isNull("num_vehicule"));
    }

    void aClientLineIsBookedWithContrepartie1()
    {
        addPerson(3, schema::person::Client);
        s().num_courant = 3;
        Zoom_Cli screen(s());
        ui().onScreen("MVM_FOND", typeMovement("02/02/2021", "750.25", "Règlement location"));
        screen.newButton(Book::Recettes)->click();
        const db::Row r = db().queryOne("SELECT * FROM Recettes");
        QCOMPARE(r.integer("contrepartie"), schema::contrepartie::Client);
        QCOMPARE(r.integer("Num_Agent"), 3);
        QCOMPARE(screen.lineNumbers(Book::Recettes), QList<qint64>{r.integer("num")});
        QCOMPARE(screen.balanceLabel()->text(), QStringLiteral("750.25  "));
        QVERIFY(!screen.balanceLabel()->styleSheet().contains("#d00000"));
    }

    void aCancelledNewLineWritesNothing()
    {
        addPerson(1, schema::person::Agent);
        addLine(Book::Depenses, 1, 1, 0, "2021-01-05", 100);
        s().num_courant = 1;
        ZOOM_Ag screen(s());
        ui().onScreen("MVM_FOND", cancelMovement());
        screen.newButton(Book::Depenses)->click();
        QCOMPARE(count(Book::Depenses), 1);
        QCOMPARE(screen.lineNumbers(Book::Depenses), QList<qint64>{1});
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    // ---- opening -------------------------------------------------------------------------------------

    void headerShowsThePersonWithSlashesForEmptyValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("screenName");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<bool>("tabs");
        QTest::newRow("agent") << schema::person::Agent << "ZOOM_Ag" << "Agent"
                               << QStringList{"Nom", "Prénom", "Fonction", "Téléphone", "Localité", "Permis N°",
                                              "Délivré le", "A", "Date d'entrée"}
                               << false;
        QTest::newRow("driver") << schema::person::Chauffeur << "Zoom_Ch" << "Chauffeur"
                                << QStringList{"Nom", "Prénom", "Téléphone", "Localité", "Permis N°", "Délivré le", "A",
                                               "Date d'entrée"}
                                << false;
        QTest::newRow("client") << schema::person::Client << "Zoom_Cli" << "Client"
                                << QStringList{"Nom", "Prénom", "Fonction", "Téléphone", "Localité", "Permis N°",
                                               "Délivré le", "A"}
                                << true;
    }
    void headerShowsThePersonWithSlashesForEmptyValues()
    {
        QFETCH(int, kind);
        QFETCH(QString, screenName);
        QFETCH(QString, label);
        QFETCH(QStringList, captions);
        QFETCH(bool, tabs);
        addPerson(12, kind, {{"Fonction", ""}, {"tel", "0550 11 22 33"}, {"ville", QVariant()}, {"Num_Permis", "P-889"},
                             {"Date_Permis", "2015-06-30"}, {"Ville_Permis", "  "}, {"d_entree", "2020-01-02"}});
        s().num_courant = 12;
        auto screen = screenOf(s(), kind);
        QVERIFY(screen->found());
        QCOMPARE(screen->objectName(), screenName);
        QCOMPARE(screen->windowTitle(), QString());
        QCOMPARE(screen->kindLabel()->text(), label);
        const QMap<QString, QString> expected = {{"Nom", "BENALI"},       {"Prénom", "Karim"},   {"Fonction", "/"},
                                                 {"Téléphone", "0550 11 22 33"}, {"Localité", "/"}, {"Permis N°", "P-889"},
                                                 {"Délivré le", "30/06/2015"},   {"A", "/"},        {"Date d'entrée", "02/01/2020"}};
        for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
            QLabel* value = screen->headerValue(it.key());
            QCOMPARE(value != nullptr, captions.contains(it.key()));
            if (value)
                QCOMPARE(value->text(), it.value());
        }
        QCOMPARE(screen->tabs() != nullptr, tabs);
        if (tabs) {
            QCOMPARE(screen->tabs()->count(), 2);
            QCOMPARE(screen->tabs()->tabText(0), QStringLiteral("Situation Financière"));
            QCOMPARE(screen->tabs()->tabText(1), QStringLiteral("Locations"));
            QCOMPARE(screen->tabs()->currentIndex(), 0);
        }
        shoot(*screen, screenName + QStringLiteral("_entete"));
    }

    void openAccountShowsTheScreenOfTheKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("screenName");
        QTest::newRow("agent") << schema::person::Agent << "ZOOM_Ag";
        QTest::newRow("driver") << schema::person::Chauffeur << "Zoom_Ch";
        QTest::newRow("client") << schema::person::Client << "Zoom_Cli";
    }
    void openAccountShowsTheScreenOfTheKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, screenName);
        addPerson(3, kind);
        addLine(Book::Recettes, 1, 3, kind == schema::person::Client ? 1 : 0, "2021-01-01", 42);
        s().num_courant = 3;
        QList<qint64> shown;
        ui().onScreen(screenName, [&](QDialog& d) {
            shown = static_cast<AccountScreen&>(d).lineNumbers(Book::Recettes);
            return int(QDialog::Accepted);
        });
        openAccount(s(), kind);
        QCOMPARE(ui().screens, QStringList{screenName});
        QCOMPARE(shown, QList<qint64>{1});
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void aPersonNoLongerStoredIsReportedAndNotShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("agent") << schema::person::Agent;
        QTest::newRow("driver") << schema::person::Chauffeur;
        QTest::newRow("client") << schema::person::Client;
    }
    void aPersonNoLongerStoredIsReportedAndNotShown()
    {
        QFETCH(int, kind);
        addPerson(1, kind);
        s().num_courant = 99;
        openAccount(s(), kind);
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Enregistrement introuvable", Icon::NoIcon, "ZEB")}));
        QCOMPARE(ui().screens, QStringList{});
    }

    void aPersonWithoutLinesShowsEmptyDisabledGrids()
    {
        addPerson(4, schema::person::Agent);
        s().num_courant = 4;
        ZOOM_Ag screen(s());
        screen.show();
        for (Book book : {Book::Depenses, Book::Recettes}) {
            QVERIFY(!screen.grid(book)->isEnabled());
            QVERIFY(screen.newButton(book)->isVisible());
            QVERIFY(!screen.changeButton(book)->isVisible());
            QVERIFY(!screen.deleteButton(book)->isVisible());
            QCOMPARE(screen.totalLabel(book)->text(), QString());
            QCOMPARE(screen.grid(book)->model()->rowCount(), 10);
            QCOMPARE(screen.grid(book)->selectedLine(), -1);
        }
        QCOMPARE(screen.balanceLabel()->text(), QString());
        shoot(screen, "ZOOM_Ag_vide");
    }

    // ---- which lines an account shows ----------------------------------------------------------------

    void anAccountListsOnlyItsKindsLines_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<qint64>>("debit");
        QTest::addColumn<QList<qint64>>("credit");
        // Person 5 has lines of both codes: those of code 0 belong to the agent or driver account,
        // those of code 1 (a client account, or an advance on salary) never show there.
        QTest::newRow("agent") << schema::person::Agent << QList<qint64>{3, 1, 4} << QList<qint64>{11};
        QTest::newRow("driver") << schema::person::Chauffeur << QList<qint64>{3, 1, 4} << QList<qint64>{11};
        QTest::newRow("client") << schema::person::Client << QList<qint64>{2} << QList<qint64>{12, 13};
    }
    void anAccountListsOnlyItsKindsLines()
    {
        QFETCH(int, kind);
        QFETCH(QList<qint64>, debit);
        QFETCH(QList<qint64>, credit);
        addPerson(5, kind);
        addPerson(6, kind);
        addLine(Book::Depenses, 1, 5, 0, "2021-02-10", 10, "b");
        addLine(Book::Depenses, 2, 5, 1, "2021-02-10", 20, "avance");
        addLine(Book::Depenses, 3, 5, 0, "2021-01-31", 30, "a");
        addLine(Book::Depenses, 4, 5, 0, "2021-02-10", 40, "c");  // same date as 1: after it
        addLine(Book::Depenses, 5, 6, 0, "2021-01-01", 50, "autre");
        addLine(Book::Recettes, 11, 5, 0, "2021-03-01", 60);
        addLine(Book::Recettes, 12, 5, 1, "2021-03-01", 70);
        addLine(Book::Recettes, 13, 5, 1, "2021-03-02", 80);
        addLine(Book::Recettes, 14, 6, 1, "2021-03-02", 90);
        addLine(Book::Recettes, 15, 5, 3, "2021-03-02", 99);
        s().num_courant = 5;
        auto screen = screenOf(s(), kind);
        QCOMPARE(screen->lineNumbers(Book::Depenses), debit);
        QCOMPARE(screen->lineNumbers(Book::Recettes), credit);
        if (kind != schema::person::Client) {
            QCOMPARE(column(*screen, Book::Depenses, 0), (QStringList{"1", "2", "3"}));
            QCOMPARE(column(*screen, Book::Depenses, 1), (QStringList{"31/01/2021", "10/02/2021", "10/02/2021"}));
            QCOMPARE(column(*screen, Book::Depenses, 2), (QStringList{"30.00 ", "10.00 ", "40.00 "}));
            QCOMPARE(column(*screen, Book::Depenses, 3), (QStringList{" a", " b", " c"}));
            QCOMPARE(screen->totalLabel(Book::Depenses)->text(), QStringLiteral("80.00  "));
        }
        QCOMPARE(screen->grid(Book::Depenses)->selectedLine(), 0);
        QCOMPARE(screen->grid(Book::Recettes)->selectedLine(), 0);
    }

    void balanceIsCreditLessDebitAsShown_data()
    {
        QTest::addColumn<QList<double>>("debits");
        QTest::addColumn<QList<double>>("credits");
        QTest::addColumn<QString>("debitText");
        QTest::addColumn<QString>("creditText");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<bool>("red");
        QTest::newRow("more spent") << QList<double>{2000} << QList<double>{1500} << "2 000.00  " << "1 500.00  "
                                    << "-500.00  " << true;
        QTest::newRow("more received") << QList<double>{250.5} << QList<double>{1000000, 234.5} << "250.50  "
                                       << "1 000 234.50  " << "999 984.00  " << false;
        QTest::newRow("even") << QList<double>{1500} << QList<double>{1000, 500} << "1 500.00  " << "1 500.00  " << ""
                              << false;
        QTest::newRow("even once rounded") << QList<double>{0.1, 0.2} << QList<double>{0.3} << "0.30  " << "0.30  " << ""
                                           << false;
        QTest::newRow("debit only") << QList<double>{1234.5} << QList<double>{} << "1 234.50  " << "" << "-1 234.50  "
                                    << true;
        QTest::newRow("lines of zero") << QList<double>{0} << QList<double>{0} << "" << "" << "" << false;
    }
    void balanceIsCreditLessDebitAsShown()
    {
        QFETCH(QList<double>, debits);
        QFETCH(QList<double>, credits);
        QFETCH(QString, debitText);
        QFETCH(QString, creditText);
        QFETCH(QString, balance);
        QFETCH(bool, red);
        addPerson(2, schema::person::Chauffeur);
        qint64 n = 0;
        for (double v : debits)
            addLine(Book::Depenses, ++n, 2, 0, "2021-05-01", v);
        for (double v : credits)
            addLine(Book::Recettes, ++n, 2, 0, "2021-05-01", v);
        s().num_courant = 2;
        Zoom_Ch screen(s());
        QCOMPARE(screen.totalLabel(Book::Depenses)->text(), debitText);
        QCOMPARE(screen.totalLabel(Book::Recettes)->text(), creditText);
        QCOMPARE(screen.balanceLabel()->text(), balance);
        QCOMPARE(screen.balanceLabel()->styleSheet().contains("#d00000"), red);
    }

    // ---- modification --------------------------------------------------------------------------------

    void aChangedLineStartsFromItsTextsAndKeepsItsCodes_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<QStringList>("shown");
        // An expense starts from the texts of its row; a receipt from its stored values.
        QTest::newRow("expense") << Book::Depenses << QStringList{"07/06/2021", "1 234.50", "Plein gasoil"};
        QTest::newRow("receipt") << Book::Recettes << QStringList{"07/06/2021", "1234.50", "Plein gasoil"};
    }
    void aChangedLineStartsFromItsTextsAndKeepsItsCodes()
    {
        QFETCH(Book, book);
        QFETCH(QStringList, shown);
        addPerson(9, schema::person::Client);
        addLine(book, 1, 9, 1, "2021-01-01", 10, "premier");
        addLine(book, 2, 9, 1, "2021-06-07", 1234.5, "  Plein gasoil ", 1);
        s().num_courant = 9;
        Zoom_Cli screen(s());
        screen.grid(book)->selectLine(1);
        QStringList seen;
        ui().onScreen("MVM_FOND", validateAsShown(&seen));
        screen.changeButton(book)->click();
        QCOMPARE(seen, shown);
        QCOMPARE(s().echange.get(1), QStringLiteral("1"));
        QCOMPARE(s().echange.get(2), fund::bookSlot(book));
        const db::Row r = line(book, 2);
        QCOMPARE(r.number("Montant"), 1234.5);
        QCOMPARE(r.text("date"), QStringLiteral("2021-06-07"));
        QCOMPARE(r.integer("mode"), 1);
        QCOMPARE(r.text("ref"), QStringLiteral("Plein gasoil"));
        QCOMPARE(r.integer("contrepartie"), 1);
        QCOMPARE(r.integer("Num_Agent"), 9);
        QCOMPARE(count(book), 2);
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void aChangedLineIsRefilledInDateOrder()
    {
        addPerson(9, schema::person::Agent);
        addLine(Book::Recettes, 1, 9, 0, "2021-01-01", 10, "janvier");
        addLine(Book::Recettes, 2, 9, 0, "2021-02-01", 20, "février");
        s().num_courant = 9;
        ZOOM_Ag screen(s());
        ui().onScreen("MVM_FOND", typeMovement("15/12/2020", "25", "décembre"));
        ui().answers = {true}; // the date is not in the exercise: recorded all the same
        screen.changeButton(Book::Recettes)->click();   // the first row is selected after opening
        QCOMPARE(screen.lineNumbers(Book::Recettes), (QList<qint64>{1, 2}));
        QCOMPARE(column(screen, Book::Recettes, 2), (QStringList{"25.00 ", "20.00 "}));
        QCOMPARE(line(Book::Recettes, 1).integer("MM"), 12);
        QCOMPARE(screen.balanceLabel()->text(), QStringLiteral("45.00  "));
    }

    void aDoubleClickChangesTheLineAndABlankRowSelectsTheLast()
    {
        addPerson(9, schema::person::Chauffeur);
        addLine(Book::Depenses, 1, 9, 0, "2021-01-01", 10, "un");
        addLine(Book::Depenses, 2, 9, 0, "2021-01-02", 20, "deux");
        addLine(Book::Depenses, 3, 9, 0, "2021-01-03", 30, "trois");
        s().num_courant = 9;
        Zoom_Ch screen(s());
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        kit::GridView* grid = screen.grid(Book::Depenses);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(7, 1)).center());
        QCOMPARE(grid->selectedLine(), 2);
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid->selectionModel()->selectedRows().first().row(), 2);

        QStringList seen;
        ui().onScreen("MVM_FOND", validateAsShown(&seen));
        const QPoint second = grid->visualRect(grid->model()->index(1, 3)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QCOMPARE(seen, (QStringList{"02/01/2021", "20.00", "deux"}));
        QCOMPARE(grid->selectedLine(), 0);   // refilled: the first row again
    }

    void aLineGoneFromTheLedgerIsReportedOnChangeAndDelete_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<bool>("remove");
        QTest::newRow("change expense") << Book::Depenses << false;
        QTest::newRow("change receipt") << Book::Recettes << false;
        QTest::newRow("delete expense") << Book::Depenses << true;
        QTest::newRow("delete receipt") << Book::Recettes << true;
    }
    void aLineGoneFromTheLedgerIsReportedOnChangeAndDelete()
    {
        QFETCH(Book, book);
        QFETCH(bool, remove);
        addPerson(9, schema::person::Agent);
        addLine(book, 1, 9, 0, "2021-01-01", 10);
        addLine(book, 2, 9, 0, "2021-01-02", 20);
        s().num_courant = 9;
        ZOOM_Ag screen(s());
        screen.grid(book)->selectLine(1);
        db().execute(QStringLiteral("DELETE FROM %1 WHERE num = 2").arg(ledger::table(book)));
        if (remove)
            ui().answers = {true};
        (remove ? screen.deleteButton(book) : screen.changeButton(book))->click();
        QList<ShownMessage> expected;
        if (remove)
            expected << m("Confirmer suppression de la ligne N° 2", Icon::Question, "Confirmation", true);
        expected << m("Mouvement altéré", Icon::Information, "ATTENTION");
        QCOMPARE(ui().messages, expected);
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(count(book), 1);
        QCOMPARE(line(book, 1).number("Montant"), 10.0);
        QCOMPARE(screen.lineNumbers(book), QList<qint64>{1});
    }

    // ---- deletion ------------------------------------------------------------------------------------

    void deletingALineAsksWithItsPosition_data()
    {
        QTest::addColumn<Book>("book");
        QTest::addColumn<bool>("yes");
        QTest::newRow("expense, yes") << Book::Depenses << true;
        QTest::newRow("expense, no") << Book::Depenses << false;
        QTest::newRow("receipt, yes") << Book::Recettes << true;
        QTest::newRow("receipt, no") << Book::Recettes << false;
    }
    void deletingALineAsksWithItsPosition()
    {
        QFETCH(Book, book);
        QFETCH(bool, yes);
        addPerson(8, schema::person::Chauffeur);
        const Book other = book == Book::Depenses ? Book::Recettes : Book::Depenses;
        for (int i = 1; i <= 8; ++i)
            addLine(book, i, 8, 0, QStringLiteral("2021-03-%1").arg(i, 2, 10, QLatin1Char('0')), i * 100.0,
                    QStringLiteral("ligne %1").arg(i));
        addLine(other, 1, 8, 0, "2021-03-01", 5);
        s().num_courant = 8;
        Zoom_Ch screen(s());
        screen.grid(book)->selectLine(3);
        ui().answers = {yes};
        screen.deleteButton(book)->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Confirmer suppression de la ligne N° 4", Icon::Question,
                                                       "Confirmation", true)}));
        QCOMPARE(ui().defaultNoQuestions, QStringList{"Confirmer suppression de la ligne N° 4"}); // Return answers "Non"
        QCOMPARE(count(book), yes ? 7 : 8);
        QCOMPARE(line(book, 4).size() == 0, yes);
        QCOMPARE(count(other), 1);
        if (yes) {
            QCOMPARE(screen.lineNumbers(book), (QList<qint64>{1, 2, 3, 5, 6, 7, 8}));
            QCOMPARE(column(screen, book, 0), (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
            QVERIFY(!column(screen, book, 3).contains(" ligne 4"));
            QCOMPARE(screen.grid(book)->model()->rowCount(), 10);
            QCOMPARE(screen.grid(book)->grid()->cell(7, 1), QString());
            QCOMPARE(screen.totalLabel(book)->text(), QStringLiteral("3 200.00  "));
            QCOMPARE(screen.grid(book)->selectedLine(), 0);
        } else {
            QCOMPARE(screen.lineNumbers(book).size(), 8);
            QCOMPARE(screen.grid(book)->selectedLine(), 3);
        }
    }

    void everyCommandOfBothGridsHasItsOwnAltKey()
    {
        addPerson(8, schema::person::Chauffeur);
        addLine(Book::Depenses, 1, 8, 0, "2021-03-01", 100, "ligne 1");
        addLine(Book::Recettes, 1, 8, 0, "2021-03-02", 300, "ligne 1");
        s().num_courant = 8;
        Zoom_Ch screen(s());
        ui::prepareScreen(screen); // as the ui seam does before showing it
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QSet<QKeyCombination> keys;
        for (Book book : {Book::Depenses, Book::Recettes})
            for (QToolButton* b : {screen.newButton(book), screen.changeButton(book), screen.deleteButton(book)}) {
                QVERIFY2(!b->shortcut().isEmpty(), qPrintable(b->objectName()));
                QCOMPARE(b->shortcut()[0].keyboardModifiers(), Qt::AltModifier);
                keys.insert(b->shortcut()[0]);
            }
        QSet<QKeyCombination> others;
        for (QToolButton* b : {screen.printButton(), screen.quitButton()})
            others.insert(b->shortcut()[0]);
        QCOMPARE(keys.size(), 6);
        QVERIFY(!keys.intersects(others));

        // The keys do what the buttons do, each on its own grid.
        ui().answers = {false};
        QTest::keySequence(&screen, screen.deleteButton(Book::Recettes)->shortcut());
        QTRY_COMPARE(ui().defaultNoQuestions, QStringList{"Confirmer suppression de la ligne N° 1"});
        ui().onScreen("MVM_FOND", cancelMovement());
        QTest::keySequence(&screen, screen.newButton(Book::Depenses)->shortcut());
        QTRY_COMPARE(ui().screens, QStringList{"MVM_FOND"});
        QCOMPARE(s().echange.get(2), QStringLiteral("1")); // an expense
        QCOMPARE(count(Book::Recettes), 1);
        QCOMPARE(count(Book::Depenses), 1);
    }

    void deletingTheLastLineDisablesTheGrid()
    {
        addPerson(8, schema::person::Client);
        addLine(Book::Recettes, 1, 8, 1, "2021-03-01", 300);
        addLine(Book::Depenses, 1, 8, 1, "2021-03-01", 100);
        s().num_courant = 8;
        Zoom_Cli screen(s());
        screen.show();
        QVERIFY(screen.changeButton(Book::Recettes)->isVisible());
        QCOMPARE(screen.balanceLabel()->text(), QStringLiteral("200.00  "));
        ui().answers = {true};
        screen.deleteButton(Book::Recettes)->click();
        QCOMPARE(count(Book::Recettes), 0);
        QVERIFY(!screen.grid(Book::Recettes)->isEnabled());
        QVERIFY(!screen.changeButton(Book::Recettes)->isVisible());
        QVERIFY(!screen.deleteButton(Book::Recettes)->isVisible());
        QCOMPARE(screen.totalLabel(Book::Recettes)->text(), QString());
        QCOMPARE(screen.balanceLabel()->text(), QStringLiteral("-100.00  "));
        QVERIFY(screen.grid(Book::Depenses)->isEnabled());
        QVERIFY(screen.changeButton(Book::Depenses)->isVisible());
    }

    // ---- the client's rentals ------------------------------------------------------------------------

    void rentalsListTheClientsRentalsWithTheirVehicles()
    {
        addPerson(3, schema::person::Client);
        addPerson(4, schema::person::Client);
        db().execute("INSERT INTO Marques (num, denom, ordre) VALUES (2, 'Renault', 2)");
        db().execute("INSERT INTO Modeles (num, denom, ordre) VALUES (5, 'Kangoo', 2)");
        seed::vehicle(db(), {.num = 10, .matricule = "12345-116-31", .marque = 2, .modele = 5});
        db().execute("INSERT INTO Locations (num, num_vehicule, Num_Client, du, au, Nb, montant, flag_regl, obs) VALUES "
                     "(1, 10, 3, '2021-04-10', '2021-04-12', 3, 12500, 1, 'Sans chauffeur'),"
                     "(2, 77, 3, '2021-02-01', '2021-02-01', 0, 0, 0, NULL),"
                     "(3, 10, 4, '2021-01-01', '2021-01-02', 1, 100, 1, NULL)");
        s().num_courant = 3;
        Zoom_Cli screen(s());
        const kit::GridModel* model = screen.rentalGrid()->grid();
        QCOMPARE(model->lineCount(), 2);
        QCOMPARE(model->rowCount(), 10);
        const QStringList deleted = {"1", "01/02/2021", "01/02/2021", "", "", "", "", "", "", ""};
        const QStringList rented = {"2", "10/04/2021", "12/04/2021", "3", "12 500 ", "OUI", "Renault", "Kangoo",
                                    "12345-116-31", "Sans chauffeur"};
        for (int c = 0; c < 10; ++c) {
            QCOMPARE(model->cell(0, c), deleted[c]);
            QCOMPARE(model->cell(1, c), rented[c]);
        }
        QCOMPARE(screen.rentalVehicles(), (QList<qint64>{77, 10}));
        QVERIFY(screen.rentalGrid()->isEnabled());
        QCOMPARE(screen.rentalGrid()->selectedLine(), 0);
        screen.tabs()->setCurrentIndex(1);
        shoot(screen, "Zoom_Cli_locations");
    }

    void theRentalColumnsFitEveryRental()
    {
        // Two hundred short rentals, then one of a long make and model far down the list.
        addPerson(3, schema::person::Client);
        db().execute("INSERT INTO Marques (num, denom, ordre) VALUES (2, 'Kia', 2), (3, 'Mercedes-Benz Utilitaires', 3)");
        db().execute("INSERT INTO Modeles (num, denom, ordre) VALUES (5, 'Rio', 2), (6, 'Sprinter 516 CDI Long', 3)");
        seed::vehicle(db(), {.num = 10, .matricule = "1-116-31", .marque = 2, .modele = 5});
        seed::vehicle(db(), {.num = 11, .matricule = "12345-116-31", .marque = 3, .modele = 6});
        {
            db::Transaction t(db());
            for (int i = 1; i <= 205; ++i)
                db().execute("INSERT INTO Locations (num, num_vehicule, Num_Client, du, au, Nb, montant, flag_regl) VALUES "
                             "(?, ?, 3, ?, ?, ?, ?, 1)",
                             {i, i == 205 ? 11 : 10, i == 205 ? "2021-12-30" : "2021-01-10", i == 205 ? "2021-12-31" : "2021-01-11",
                              i == 205 ? 1234 : 1, i == 205 ? 1234567 : 5});
            t.commit();
        }
        s().num_courant = 3;
        Zoom_Cli screen(s());
        screen.show();
        screen.tabs()->setCurrentIndex(1);
        test::settle(screen);
        kit::GridView* grid = screen.rentalGrid();
        const int last = grid->grid()->lineCount() - 1;
        QCOMPARE(grid->grid()->cell(last, 6), QStringLiteral("Mercedes-Benz Utilitaires"));
        for (int column = 0; column < 9; ++column) {
            QStyleOptionViewItem option;
            option.initFrom(grid);
            option.font = grid->font();
            option.widget = grid;
            const QModelIndex cell = grid->model()->index(last, column);
            const int needed = grid->itemDelegateForIndex(cell)->sizeHint(option, cell).width();
            QVERIFY2(grid->columnWidth(column) >= needed,
                     qPrintable(QStringLiteral("column %1: %2 wide for a cell of %3").arg(column).arg(grid->columnWidth(column)).arg(needed)));
        }
    }

    // A rental let at a flat rate shows the flat rate, what the client pays, not its days × price per day.
    void aFlatRateRentalShowsItsFlatRate_data()
    {
        QTest::addColumn<int>("forfait");
        QTest::addColumn<double>("montantForfait");
        QTest::addColumn<QString>("shown");
        QTest::newRow("flat rate with a price per day") << 1 << 6000.0 << "6 000 ";
        QTest::newRow("flat rate of nothing") << 1 << 0.0 << "";
        QTest::newRow("day rate beside a typed flat rate") << 0 << 6000.0 << "6 800 ";
    }
    void aFlatRateRentalShowsItsFlatRate()
    {
        QFETCH(int, forfait);
        QFETCH(double, montantForfait);
        QFETCH(QString, shown);
        addPerson(3, schema::person::Client);
        db().execute("INSERT INTO Locations (num, num_vehicule, Num_Client, du, au, Nb, PU, montant, flag_forfait,"
                     " montant_forfait, flag_regl) VALUES (1, 10, 3, '2021-03-01', '2021-03-05', 4, 1700, 6800, ?, ?, 0)",
                     {forfait, montantForfait});
        s().num_courant = 3;
        Zoom_Cli screen(s());
        QCOMPARE(screen.rentalGrid()->grid()->cell(0, 4), shown);
    }

    void aClientWithoutRentalsHasADisabledRentalsGrid()
    {
        addPerson(3, schema::person::Client);
        s().num_courant = 3;
        Zoom_Cli screen(s());
        QVERIFY(!screen.rentalGrid()->isEnabled());
        QCOMPARE(screen.rentalGrid()->grid()->lineCount(), 0);
    }

    // ---- the statement -------------------------------------------------------------------------------

    void printingGivesAStatementOfTheAccount()
    {
        addPerson(5, schema::person::Chauffeur, {{"tel", "0661 22 33 44"}, {"ville", "Oran"}});
        addPerson(6, schema::person::Chauffeur);
        addLine(Book::Depenses, 1, 5, 0, "2021-03-02", 2000, "Avance frais de route", 1);
        addLine(Book::Depenses, 2, 5, 1, "2021-03-02", 777, "avance sur salaire");
        addLine(Book::Depenses, 3, 6, 0, "2021-03-02", 888, "autre chauffeur");
        addLine(Book::Recettes, 1, 5, 0, "2021-03-15", 1500, "Versement recette");
        addLine(Book::Recettes, 2, 5, 0, "2021-01-15", 1234.5, "Versement <janvier>");
        s().num_courant = 5;
        Zoom_Ch screen(s());
        screen.printButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(ui().reportTitles, QStringList{"Relevé de compte"});
        const db::Row textes = db().queryOne("SELECT * FROM textes");
        QCOMPARE(textes.text("ch4"), QStringLiteral("Chauffeur"));
        QCOMPARE(textes.text("ch5"), QStringLiteral("2 000.00"));
        QCOMPARE(textes.text("ch6"), QStringLiteral("2 734.50"));
        QCOMPARE(textes.text("ch7"), QStringLiteral("734.50"));

        const QString pdf = ui().reports.first();
        QFile::remove(shotsDir() + "/Releve_Compte.pdf");
        QVERIFY(QFile::copy(pdf, shotsDir() + "/Releve_Compte.pdf"));
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        if (!text.waitForFinished(60000) || text.exitCode() != 0)
            QSKIP("pdftotext is not available");
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* expected : {"BENALI Karim", "0661 22 33 44", "Oran", "Avance frais de route", "02/03/2021",
                                     "Versement <janvier>", "15/01/2021", "Versement recette", "734.50"})
            QVERIFY2(page.contains(QString::fromUtf8(expected)), expected);
        for (const char* absent : {"avance sur salaire", "autre chauffeur"})
            QVERIFY2(!page.contains(QString::fromUtf8(absent)), absent);
        // January's receipt comes before March's.
        QVERIFY(page.indexOf("Versement <janvier>") < page.indexOf("Versement recette"));
    }

    // ---- large accounts ------------------------------------------------------------------------------

    void anAccountOfTwentyThousandLinesOpensWhole()
    {
        addPerson(1, schema::person::Agent);
        {
            db::Transaction t(db());
            for (int i = 1; i <= 20000; ++i) {
                addLine(Book::Depenses, i, 1, 0, QStringLiteral("2021-%1-01").arg(i % 12 + 1, 2, 10, QLatin1Char('0')),
                        1.25, "frais");
                addLine(Book::Recettes, i, 1, 0, "2021-06-01", 1, "versement");
            }
            t.commit();
        }
        s().num_courant = 1;
        ZOOM_Ag screen(s());
        QCOMPARE(screen.lineNumbers(Book::Depenses).size(), 20000);
        QCOMPARE(screen.grid(Book::Depenses)->model()->rowCount(), 20000);
        QCOMPARE(screen.totalLabel(Book::Depenses)->text(), QStringLiteral("25 000.00  "));
        QCOMPARE(screen.totalLabel(Book::Recettes)->text(), QStringLiteral("20 000.00  "));
        QCOMPARE(screen.balanceLabel()->text(), QStringLiteral("-5 000.00  "));
        QCOMPARE(screen.grid(Book::Depenses)->grid()->cell(19999, 0), QStringLiteral("20000"));
    }

    void theWidestCellsFarDownTheListShowWhole_data()
    {
        QTest::addColumn<bool>("negative");
        QTest::newRow("highest amount last") << false;
        QTest::newRow("lowest amount last") << true;
    }
    void theWidestCellsFarDownTheListShowWhole()
    {
        // A thousand small lines, then the widest amount and the widest number at the very end: the
        // columns fit them though no view shows them at first.
        QFETCH(bool, negative);
        addPerson(1, schema::person::Agent);
        {
            db::Transaction t(db());
            for (int i = 1; i <= 1004; ++i)
                addLine(Book::Recettes, i, 1, 0, "2021-02-01", 1, "versement");
            addLine(Book::Recettes, 1005, 1, 0, "2021-12-31", negative ? -1234567.5 : 1234567.5, "le dernier");
            t.commit();
        }
        s().num_courant = 1;
        ZOOM_Ag screen(s());
        screen.show();
        test::settle(screen);
        kit::GridView* grid = screen.grid(Book::Recettes);
        const int last = grid->grid()->lineCount() - 1;
        QCOMPARE(grid->grid()->cell(last, 0), QStringLiteral("1005"));
        QCOMPARE(grid->grid()->cell(last, 2), negative ? QStringLiteral("-1 234 567.50 ") : QStringLiteral("1 234 567.50 "));
        for (int column : {0, 1, 2}) {
            // The width the cell asks for, measured by the list's own delegate in the list's font.
            QStyleOptionViewItem option;
            option.initFrom(grid);
            option.font = grid->font();
            option.widget = grid;
            const QModelIndex cell = grid->model()->index(last, column);
            const int needed = grid->itemDelegateForIndex(cell)->sizeHint(option, cell).width();
            QVERIFY2(grid->columnWidth(column) >= needed,
                     qPrintable(QStringLiteral("column %1: %2 wide for a cell of %3").arg(column).arg(grid->columnWidth(column)).arg(needed)));
        }
    }

    // ---- texts of the grids --------------------------------------------------------------------------

    void gridModelKeepsTenRowsAndOnlyLinesSelectable()
    {
        kit::GridModel model({Qt::AlignHCenter, Qt::AlignRight});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 10);
        QList<QStringList> lines;
        for (int i = 0; i < 12; ++i)
            lines.append({QString::number(i + 1), QStringLiteral("%1.00 ").arg(i)});
        model.setLines(lines);
        QCOMPARE(model.rowCount(), 12);
        model.setLines({{"1", "5.00 "}});
        QCOMPARE(model.rowCount(), 10);
        QVERIFY(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsSelectable));
        QVERIFY(!model.flags(model.index(1, 1)).testFlag(Qt::ItemIsSelectable));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("5.00 "));
        QCOMPARE(model.data(model.index(5, 0)).toString(), QString());
        QVERIFY(Qt::Alignment(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt()).testFlag(Qt::AlignRight));
    }

    void cellAndTotalTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("total");
        QTest::newRow("zero") << 0.0 << "0.00 " << "";
        QTest::newRow("below one") << 0.5 << "0.50 " << "0.50  ";
        QTest::newRow("thousands") << 1234.5 << "1 234.50 " << "1 234.50  ";
        QTest::newRow("millions") << 1234567.891 << "1 234 567.89 " << "1 234 567.89  ";
        QTest::newRow("negative") << -500.0 << "-500.00 " << "-500.00  ";
        QTest::newRow("rounds to zero") << 0.004 << "0.00 " << "";
    }
    void cellAndTotalTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, cell);
        QFETCH(QString, total);
        QCOMPARE(accounts::amountCell(value), cell);
        QCOMPARE(accounts::totalText(value), total);
    }

    // ---- engine errors -------------------------------------------------------------------------------

    void aRefusedWriteLeavesTheScreenAndTheLines_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<Book>("book");
        QTest::addColumn<QString>("command"); // nouveau, modifier, supprimer
        QTest::newRow("agent, delete an expense") << 0 << Book::Depenses << "supprimer";
        QTest::newRow("driver, delete a receipt") << 1 << Book::Recettes << "supprimer";
        QTest::newRow("client, delete a receipt") << 2 << Book::Recettes << "supprimer";
        QTest::newRow("client, new expense") << 2 << Book::Depenses << "nouveau";
        QTest::newRow("agent, changed receipt") << 0 << Book::Recettes << "modifier";
    }
    void aRefusedWriteLeavesTheScreenAndTheLines()
    {
        QFETCH(int, kind);
        QFETCH(Book, book);
        QFETCH(QString, command);
        const int code = kind == schema::person::Client ? 1 : 0;
        addPerson(6, kind);
        addLine(book, 1, 6, code, "2021-01-05", 150, "premier");
        addLine(book, 2, 6, code, "2021-02-05", 250, "second");
        const QString event = command == "supprimer" ? "DELETE" : command == "nouveau" ? "INSERT" : "UPDATE";
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(event, ledger::table(book)));
        s().num_courant = 6;
        auto screen = screenOf(s(), kind);
        test::showOn(*screen, test::testScreens().first());
        if (command == "supprimer")
            ui().answers = {true};
        else
            ui().onScreen("MVM_FOND", typeMovement("01/03/2021", "999", "refusé"));
        const QString suffix = book == Book::Depenses ? "_debit" : "_credit";
        auto* button = screen->findChild<QToolButton*>(command + suffix);
        QVERIFY(button);
        button->click();
        QCOMPARE(ui().last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QVERIFY(screen->isVisible());
        QCOMPARE(count(book), 2);
        QCOMPARE(line(book, 1).number("Montant"), 150.0);
        QCOMPARE(line(book, 1).text("ref"), QStringLiteral("premier"));
        QCOMPARE(screen->lineNumbers(book), (QList<qint64>{1, 2}));
        QCOMPARE(screen->totalLabel(book)->text(), QStringLiteral("400.00  "));
    }

    // ---- the screens on the screens they must fit ----------------------------------------------------

    void fitsTheScreenInEveryState_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("ZOOM_Ag") << 0;
        QTest::newRow("Zoom_Ch") << 1;
        QTest::newRow("Zoom_Cli") << 2;
    }
    void fitsTheScreenInEveryState()
    {
        QFETCH(int, kind);
        const int code = kind == schema::person::Client ? 1 : 0;
        addPerson(4, kind, {{"nom", "SARL TRANSPORTS ET TRAVAUX PUBLICS DU GRAND SUD ET FILS"},
                            {"Prenom", "Abdelkader-Mohamed Ben Youcef"}, {"Fonction", "Responsable du parc roulant"},
                            {"tel", "0550 12 34 56 / 021 44 55 66"}, {"ville", "Sidi Bel Abbès"},
                            {"Num_Permis", "P-2012-778899"}, {"Date_Permis", "2012-05-06"}, {"Ville_Permis", "Tizi Ouzou"},
                            {"d_entree", "2019-06-15"}});
        for (int i = 1; i <= 14; ++i) {
            addLine(Book::Depenses, i, 4, code, QStringLiteral("2021-03-%1").arg(i, 2, 10, QLatin1Char('0')), 1234567.5,
                    QStringLiteral("Règlement de la facture 2021-%1 du garage Amrani et fils").arg(i));
            addLine(Book::Recettes, i, 4, code, "2021-04-01", 99.5, QStringLiteral("Versement %1").arg(i));
        }
        db().execute("INSERT INTO Marques (num, denom, ordre) VALUES (2, 'Mercedes-Benz', 2)");
        db().execute("INSERT INTO Modeles (num, denom, ordre) VALUES (5, 'Sprinter 316 CDI', 2)");
        seed::vehicle(db(), {.num = 10, .matricule = "12345-116-31", .marque = 2, .modele = 5});
        for (int i = 1; i <= 12; ++i)
            db().execute("INSERT INTO Locations (num, num_vehicule, Num_Client, du, au, Nb, montant, flag_regl, obs) VALUES "
                         "(?, 10, 4, '2021-04-10', '2021-04-12', 3, 125000, 1, 'Avec chauffeur, retour à Oran')",
                         {i});
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            s().num_courant = 4;
            auto account = screenOf(s(), kind);
            test::showOn(*account, screen);
            const QString name = account->objectName();
            test::settle(*account);
            QCOMPARE(test::outsideScreen(*account), QStringList());
            test::saveShot(*account, name + size);

            // Header values stay within their own cells: no two header texts overlap.
            const QList<QLabel*> texts = account->findChild<QWidget*>("entete")->findChildren<QLabel*>();
            for (QLabel* a : texts)
                for (QLabel* b : texts)
                    QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + " / " + b->objectName()));
            QCOMPARE(account->headerValue("Nom")->text(), QStringLiteral("SARL TRANSPORTS ET TRAVAUX PUBLICS DU GRAND SUD ET FILS"));

            // The amounts and dates are shown whole; the object takes the spare width.
            for (Book book : {Book::Depenses, Book::Recettes}) {
                kit::GridView* grid = account->grid(book);
                QHeaderView* header = grid->horizontalHeader();
                const QFontMetrics amounts(grid->model()->index(0, 2).data(Qt::FontRole).value<QFont>());
                QVERIFY(header->sectionSize(2) > amounts.horizontalAdvance(grid->grid()->cell(0, 2)));
                QVERIFY(header->sectionSize(1) > grid->fontMetrics().horizontalAdvance(grid->grid()->cell(0, 1)));
                QVERIFY(header->sectionSize(3) > header->sectionSize(1) + header->sectionSize(2));
            }
            if (account->tabs()) {
                account->tabs()->setCurrentIndex(1);
                test::settle(*account);
                QCOMPARE(test::outsideScreen(*account), QStringList());
                test::saveShot(*account, name + "_locations" + size);
                QHeaderView* header = account->rentalGrid()->horizontalHeader();
                for (int c = 0; c < 9; ++c)
                    QVERIFY2(header->sectionSize(c) >
                                 account->rentalGrid()->fontMetrics().horizontalAdvance(account->rentalGrid()->grid()->cell(0, c)),
                             qPrintable(QString::number(c)));
            }
        }
    }
};

KV_SCREEN_TEST_MAIN(AccountsTest)
#include "tst_accounts.moc"
