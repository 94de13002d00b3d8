// The miscellaneous receipts J_Recettes: the list and its total, new and changed lines through the fund
// movement dialog, deletion, the period filter, the printed list, engine refusals, and the screen on
// the screens it must fit.
#include "harness/TestServer.h"
#include "harness/FixtureTest.h"

#include "core/formats/Numbers.h"
#include "harness/ScreenFit.h"
#include "people/accounts/MVM_FOND.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "treasury/receipts/J_Recettes.h"
#include "treasury/receipts/ReceiptList.h"
#include "treasury/receipts/Receipts.h"
#include "core/kit/ScreenKit.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QAbstractItemModelTester>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using receipts::ReceiptList;
using ui::Icon;

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

/// What the movement dialog showed when it opened.
struct Shown {
    QString heading, date, amount, object;
    bool cash = false, cheque = false;
};

/// A script that types into the movement dialog and validates it; `shown` receives what it opened with.
ScriptedUi::ScreenScript typeMovement(QString date, QString amount, QString object, int mode = 0, Shown* shown = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        if (shown)
            *shown = {dialog.heading()->text(), dialog.dateField()->text(), dialog.amountField()->text(),
                      dialog.objectField()->text(), dialog.cashOption()->isChecked(), dialog.chequeOption()->isChecked()};
        dialog.dateField()->setText(date);
        dialog.amountField()->setText(amount);
        dialog.objectField()->setText(object);
        (mode == 0 ? dialog.cashOption() : dialog.chequeOption())->setChecked(true);
        dialog.validateButton()->click();
        return dialog.result();
    };
}

ScriptedUi::ScreenScript cancelMovement(Shown* shown = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<MVM_FOND&>(d);
        if (shown)
            *shown = {dialog.heading()->text(), dialog.dateField()->text(), dialog.amountField()->text(),
                      dialog.objectField()->text(), dialog.cashOption()->isChecked(), dialog.chequeOption()->isChecked()};
        dialog.cancelButton()->click();
        return dialog.result();
    };
}

QStringList column(const J_Recettes& screen, int c)
{
    QStringList texts;
    for (int r = 0; r < screen.model()->rowCount(); ++r)
        texts << screen.model()->index(r, c).data().toString();
    return texts;
}

} // namespace

class ReceiptsTest : public FixtureTest {
    Q_OBJECT


    /// A receipt written as the booking writes it (date stored ISO); a miscellaneous one by default.
    void addReceipt(qint64 num, const QString& isoDate, double montant, const QVariant& ref = QStringLiteral("vente"),
                    int mode = 0, const QVariant& contrepartie = 3, qint64 numAgent = -1)
    {
        db().execute("INSERT INTO Recettes (num, date, MM, Montant, mode, ref, contrepartie, Num_Agent) VALUES (?,?,?,?,?,?,?,?)",
                     {num, isoDate, isoDate.mid(5, 2).toInt(), montant, mode, ref, contrepartie, numAgent});
    }
    /// A receipt of a vehicle: `contrepartie` never written.
    void addVehicleReceipt(qint64 num, const QString& isoDate, double montant)
    {
        db().execute("INSERT INTO Recettes (num, date, MM, Montant, mode, ref, num_vehicule) VALUES (?,?,?,?,0,'location',4)",
                     {num, isoDate, isoDate.mid(5, 2).toInt(), montant});
    }
    db::Row receipt(qint64 num) { return db().queryOne("SELECT * FROM Recettes WHERE num = ?", {num}); }
    int count() { return db().scalar("SELECT count(*) FROM Recettes").toInt(); }

    /// Four miscellaneous receipts in March and April 2021 and lines of other kinds around them.
    void march()
    {
        addReceipt(1, "2021-03-10", 1500, "vente de ferraille");
        addReceipt(2, "2021-04-02", 250.5, "photocopies", 1);
        addVehicleReceipt(3, "2021-03-11", 9000);
        addReceipt(4, "2021-03-01", 100, "location de la cour");
        addReceipt(5, "2021-03-31", 40, "frais de dossier");
        addReceipt(6, "2021-03-15", 777, "versement du chauffeur", 0, 0, 8); // a driver's account
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

    // ---- first use -----------------------------------------------------------------------------------

    void anEmptyLedgerOpensNouvelleRecetteAndBooksAMiscellaneousReceipt()
    {
        // Lines of other kinds take numbers but are not listed; a person's receipt with Num_Agent -1 neither.
        addVehicleReceipt(7, "2021-02-01", 9000);
        addReceipt(12, "2021-02-03", 300, "compte", 0, 1, -1);
        Shown shown;
        const QString entryDay = s().defaultDay().toString("dd/MM/yyyy"); // a day of the open exercise
        ui().onScreen("MVM_FOND", typeMovement("05/11/2021", "1 234.50", "vente de ferraille", 1, &shown));
        J_Recettes screen(s());

        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(shown.heading, QStringLiteral("Nouvelle Recette"));
        QCOMPARE(shown.date, entryDay);
        QCOMPARE(shown.amount, QString());
        QCOMPARE(shown.object, QString());
        QVERIFY(shown.cash && !shown.cheque);

        const db::Row r = receipt(13);
        QVERIFY(r.size() > 0);
        QCOMPARE(r.integer("Num_Agent"), -1);
        QCOMPARE(r.integer("contrepartie"), 3);
        QCOMPARE(r.text("date"), QStringLiteral("2021-11-05"));
        QCOMPARE(r.integer("MM"), 11);
        QCOMPARE(r.number("Montant"), 1234.5);
        QCOMPARE(r.integer("mode"), 1);
        QCOMPARE(r.text("ref"), QStringLiteral("vente de ferraille"));
        QVERIFY(r.isNull("num_vehicule"));
        QCOMPARE(count(), 3);

        QCOMPARE(screen.nums(), QList<qint64>{13});
        QVERIFY(screen.grid()->isEnabled());
        QCOMPARE(column(screen, ReceiptList::ColAmount), QStringList{"1 234.50 "});
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 234.50"));
        QCOMPARE(screen.selectedRow(), 0);
    }

    void cancellingTheFirstReceiptLeavesAnEmptyDisabledList()
    {
        addVehicleReceipt(1, "2021-02-01", 9000);
        ui().onScreen("MVM_FOND", cancelMovement());
        J_Recettes screen(s());
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QCOMPARE(count(), 1);
        QCOMPARE(screen.model()->rowCount(), 0);
        QVERIFY(!screen.grid()->isEnabled());
        QCOMPARE(screen.totalField()->text(), QString());
        QCOMPARE(screen.selectedRow(), -1);

        // "Modifier", "Supprimer" and "Imprimer" have nothing to act on.
        ui().clear();
        for (const char* name : {"modifier", "supprimer", "imprimer"})
            screen.command(name)->click();
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(ui().reports, QStringList{});
    }

    // ---- the list ------------------------------------------------------------------------------------

    void theListShowsTheMiscellaneousReceiptsByDateThenNumber()
    {
        addReceipt(9, "2021-03-10", 1500, "vente de ferraille");
        addReceipt(4, "2021-03-10", 0, QVariant());        // same day, lower number; amount 0, no observation
        addReceipt(2, "2021-05-01", 1234567.891, "", 2);     // any mode but 0 is a cheque here
        addReceipt(7, "2021-01-20", -200, "correction", 1); // a correction counts in the total and shows
        addVehicleReceipt(3, "2021-01-01", 9000);
        addReceipt(5, "2021-02-01", 777, "compte", 0, 0, -1);
        addReceipt(6, "2021-02-01", 888, "client", 0, 1, -1);
        J_Recettes screen(s());
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(screen.nums(), (QList<qint64>{7, 4, 9, 2}));
        QAbstractItemModelTester tester(screen.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(column(screen, ReceiptList::ColPosition), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(column(screen, ReceiptList::ColDate), (QStringList{"20/01/2021", "10/03/2021", "10/03/2021", "01/05/2021"}));
        QCOMPARE(column(screen, ReceiptList::ColPayer), QStringList(4, " Client passager"));
        QCOMPARE(column(screen, ReceiptList::ColAmount), (QStringList{"-200.00 ", "", "1 500.00 ", "1234 567.89 "}));
        QCOMPARE(column(screen, ReceiptList::ColMode), (QStringList{" Chèque", " Espèces", " Espèces", " Chèque"}));
        QCOMPARE(column(screen, ReceiptList::ColObservation), (QStringList{" correction", "", " vente de ferraille", " "}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 235 867.89"));
        QCOMPARE(screen.selectedRow(), 0);
        QCOMPARE(screen.periodLabel()->text(), QString());

        const QHeaderView* header = screen.grid()->horizontalHeader();
        QCOMPARE(header->sectionResizeMode(ReceiptList::ColObservation), QHeaderView::Stretch);
        QVERIFY(Qt::Alignment(screen.model()->index(2, ReceiptList::ColAmount).data(Qt::TextAlignmentRole).toInt())
                    .testFlag(Qt::AlignRight));
        QCOMPARE(screen.model()->index(2, ReceiptList::ColAmount).data(Qt::FontRole).value<QFont>(), kit::amountFont());
    }

    void cellAndTotalTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("total");
        QTest::newRow("zero") << 0.0 << "" << "";
        QTest::newRow("below one") << 0.5 << ".50 " << ".50";
        QTest::newRow("thousands") << 1234.5 << "1 234.50 " << "1 234.50";
        QTest::newRow("millions") << 1234567.891 << "1234 567.89 " << "1 234 567.89";
        QTest::newRow("negative") << -500.0 << "-500.00 " << "-500.00";
        QTest::newRow("rounds to zero") << 0.004 << "" << "";
    }
    void cellAndTotalTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, cell);
        QFETCH(QString, total);
        QCOMPARE(receipts::amountCell(value), cell);
        QCOMPARE(receipts::totalText(value), total);
    }

    void theTotalIsTheSumOfTheAmountsShown()
    {
        // Two amounts typed with three decimals show 12.35 each: the total shows what they add up to.
        const QList<receipts::Receipt> lines = {{1, "01/03/2021", 12.345, 0, {}}, {2, "02/03/2021", 12.345, 0, {}},
                                                {3, "03/03/2021", 0.1, 0, {}},    {4, "04/03/2021", 0.2, 0, {}},
                                                {5, "05/03/2021", -0.3, 0, {}}};
        QCOMPARE(receipts::total(lines), 24.7);
        QCOMPARE(receipts::totalText(receipts::total(lines.mid(2))), QString());   // 0.1 + 0.2 - 0.3 is nothing
    }

    void readingAPeriodGivesItsLinesInOrder_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QList<qint64>>("nums");
        QTest::addColumn<QString>("text");
        QTest::newRow("no period") << "" << "" << QList<qint64>{4, 1, 5, 2} << "";
        QTest::newRow("March, bounds included") << "01/03/2021" << "31/03/2021" << QList<qint64>{4, 1, 5}
                                                << "du 01/03/2021 au 31/03/2021";
        QTest::newRow("from a day") << "10/03/2021" << "" << QList<qint64>{1, 5, 2} << "à partir du 10/03/2021";
        QTest::newRow("up to a day") << "" << "10/03/2021" << QList<qint64>{4, 1} << "jusqu'au 10/03/2021";
        QTest::newRow("one day") << "31/03/2021" << "31/03/2021" << QList<qint64>{5} << "du 31/03/2021 au 31/03/2021";
        QTest::newRow("nothing in it") << "01/06/2021" << "30/06/2021" << QList<qint64>{} << "du 01/06/2021 au 30/06/2021";
    }
    void readingAPeriodGivesItsLinesInOrder()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QList<qint64>, nums);
        QFETCH(QString, text);
        march();
        const receipts::Period period{from, to};
        QList<qint64> read;
        for (const receipts::Receipt& r : receipts::read(db(), period))
            read << r.num;
        QCOMPARE(read, nums);
        QCOMPARE(receipts::periodText(period), text);
        QCOMPARE(period.isSet(), !from.isEmpty() || !to.isEmpty());
        QVERIFY(!receipts::isInverted(period));
    }

    void theListIsReadWithTheLedgersIndexes()
    {
        KV_FILE_ONLY("SQLite's query plans");
        // Whatever the period, the engine finds the lines through an index, never by reading the table.
        for (const receipts::Period& p : {receipts::Period{}, receipts::Period{"01/03/2021", "31/03/2021"}}) {
            QString sql = "EXPLAIN QUERY PLAN SELECT num, date, Montant, mode, ref FROM Recettes WHERE contrepartie = ?";
            QVariantList params{3};
            if (p.isSet()) {
                sql += " AND date >= ? AND date <= ?";
                params << "2021-03-01" << "2021-03-31";
            }
            sql += " ORDER BY date, num";
            QStringList plan;
            for (const db::Row& r : db().query(sql, params))
                plan << r.text("detail");
            QVERIFY2(plan.join(' ').contains("SEARCH Recettes USING INDEX"), qPrintable(plan.join(" / ")));
            QVERIFY2(!plan.join(' ').contains("SCAN Recettes"), qPrintable(plan.join(" / ")));
        }
    }

    // ---- new and changed lines -----------------------------------------------------------------------

    void nouveauBooksAfterTheWholeTableAndRefills()
    {
        march();
        J_Recettes screen(s());
        addVehicleReceipt(20, "2021-03-20", 5000);   // booked by another screen meanwhile
        ui().onScreen("MVM_FOND", typeMovement("20/03/2021", "60", "clés perdues"));
        screen.command("nouveau")->click();
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        const db::Row r = receipt(21);
        QCOMPARE(r.integer("contrepartie"), 3);
        QCOMPARE(r.integer("Num_Agent"), -1);
        QCOMPARE(r.integer("MM"), 3);
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 21, 5, 2}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 950.50"));
    }

    void aCancelledOrIncompleteNewLineWritesNothing()
    {
        march();
        J_Recettes screen(s());
        ui().onScreen("MVM_FOND", [](QDialog& d) {
            auto& dialog = static_cast<MVM_FOND&>(d);
            dialog.dateField()->setText("1/03/2021");   // 9 characters
            dialog.amountField()->setText("50");
            dialog.validateButton()->click();
            dialog.cancelButton()->click();
            return dialog.result();
        });
        screen.command("nouveau")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Saisie incomplète", Icon::Information, "Attention")}));
        QCOMPARE(count(), 6);
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
    }

    void aChangedLineStartsFromItsStoredValuesAndKeepsItsCodes()
    {
        march();
        addReceipt(8, "2021-03-05", 1234.5, "  loyer du parking  ", 1);
        J_Recettes screen(s());
        QCOMPARE(screen.nums(), (QList<qint64>{4, 8, 1, 5, 2}));
        screen.selectRow(1);
        Shown shown;
        ui().onScreen("MVM_FOND", typeMovement("05/11/2021", "99.9", "loyer de novembre", 0, &shown));
        screen.command("modifier")->click();
        QCOMPARE(shown.heading, QStringLiteral("MODIFICATION (Recette)"));
        QCOMPARE(shown.date, QStringLiteral("05/03/2021"));
        QCOMPARE(shown.amount, QStringLiteral("1234.50"));
        QCOMPARE(shown.object, QStringLiteral("loyer du parking"));
        QVERIFY(shown.cheque && !shown.cash);

        const db::Row r = receipt(8);
        QCOMPARE(r.integer("num"), 8);
        QCOMPARE(r.integer("contrepartie"), 3);
        QCOMPARE(r.integer("Num_Agent"), -1);
        QCOMPARE(r.text("date"), QStringLiteral("2021-11-05"));
        QCOMPARE(r.integer("MM"), 11);
        QCOMPARE(r.number("Montant"), 99.9);
        QCOMPARE(r.integer("mode"), 0);
        QCOMPARE(r.text("ref"), QStringLiteral("loyer de novembre"));
        QCOMPARE(count(), 7);
        // Refilled: the line moved to its new date.
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2, 8}));
        QCOMPARE(screen.selectedRow(), 0);
    }

    void aDoubleClickChangesTheLineAndCancelWritesNothing()
    {
        march();
        J_Recettes screen(s());
        test::showOn(screen, test::testScreens().first());
        Shown shown;
        ui().onScreen("MVM_FOND", cancelMovement(&shown));
        const QPoint third = screen.grid()->visualRect(screen.model()->index(2, ReceiptList::ColObservation)).center();
        QTest::mouseClick(screen.grid()->viewport(), Qt::LeftButton, {}, third);
        QTest::mouseDClick(screen.grid()->viewport(), Qt::LeftButton, {}, third);
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QCOMPARE(shown.object, QStringLiteral("frais de dossier"));
        QCOMPARE(shown.amount, QStringLiteral("40.00"));
        QCOMPARE(receipt(5).number("Montant"), 40.0);
        QCOMPARE(receipt(5).text("date"), QStringLiteral("2021-03-31"));
    }

    void aLineGoneFromTheLedgerIsReported_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<bool>("numberTaken");
        QTest::newRow("change, line deleted") << false << false;
        QTest::newRow("change, number taken by a vehicle receipt") << false << true;
        QTest::newRow("delete, line deleted") << true << false;
        QTest::newRow("delete, number taken by a vehicle receipt") << true << true;
    }
    void aLineGoneFromTheLedgerIsReported()
    {
        QFETCH(bool, remove);
        QFETCH(bool, numberTaken);
        addReceipt(1, "2021-03-01", 100, "premier");
        addReceipt(2, "2021-03-02", 200, "second");
        J_Recettes screen(s());
        screen.selectRow(1);
        db().execute("DELETE FROM Recettes WHERE num = 2");
        if (numberTaken)   // the last number is given again to the next line booked
            addVehicleReceipt(2, "2021-03-03", 9000);
        if (remove)
            ui().answers = {true};
        screen.command(remove ? "supprimer" : "modifier")->click();
        QList<ShownMessage> expected;
        if (remove)
            expected << m("Confirmer suppression de la ligne N° 2", Icon::Question, "Confirmation", true);
        expected << m("Mouvement altéré", Icon::Information, "ATTENTION");
        QCOMPARE(ui().messages, expected);
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(screen.nums(), QList<qint64>{1});
        if (numberTaken) {
            const db::Row r = receipt(2);
            QCOMPARE(r.number("Montant"), 9000.0);
            QCOMPARE(r.text("ref"), QStringLiteral("location"));
            QVERIFY(r.isNull("contrepartie"));
        }
        QCOMPARE(receipt(1).number("Montant"), 100.0);
    }

    // ---- deletion ------------------------------------------------------------------------------------

    void deletingALineAsksWithItsPosition_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deletingALineAsksWithItsPosition()
    {
        QFETCH(bool, yes);
        march();
        J_Recettes screen(s());
        screen.selectRow(2);   // the receipt of 31/03, number 5
        ui().answers = {yes};
        screen.command("supprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Confirmer suppression de la ligne N° 3", Icon::Question,
                                                       "Confirmation", true)}));
        QCOMPARE(receipt(5).size() == 0, yes);
        QCOMPARE(count(), yes ? 5 : 6);
        QCOMPARE(receipt(3).number("Montant"), 9000.0);   // other kinds untouched
        QCOMPARE(receipt(6).number("Montant"), 777.0);
        if (yes) {
            QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 2}));
            QCOMPARE(column(screen, ReceiptList::ColPosition), (QStringList{"1", "2", "3"}));
            QCOMPARE(screen.totalField()->text(), QStringLiteral("1 850.50"));
            QCOMPARE(screen.selectedRow(), 0);
        } else {
            QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
            QCOMPARE(screen.totalField()->text(), QStringLiteral("1 890.50"));
            QCOMPARE(screen.selectedRow(), 2);
        }
    }

    void deletionNeverTouchesALineOfAnotherKind()
    {
        march();
        QVERIFY(!receipts::remove(db(), 3));   // a vehicle's receipt
        QVERIFY(!receipts::remove(db(), 6));   // a driver's receipt
        QVERIFY(!receipts::remove(db(), 99));
        QCOMPARE(count(), 6);
        QVERIFY(receipts::remove(db(), 4));
        QCOMPARE(count(), 5);
        QVERIFY(!receipts::isListed(db(), 4));
        QVERIFY(!receipts::isListed(db(), 3));
        QVERIFY(receipts::isListed(db(), 1));
    }

    void deletingTheLastReceiptOpensANewOne()
    {
        addReceipt(1, "2021-03-01", 100, "seul");
        J_Recettes screen(s());
        ui().onScreen("MVM_FOND", cancelMovement());
        ui().answers = {true};
        screen.command("supprimer")->click();
        QCOMPARE(count(), 0);
        QCOMPARE(ui().screens, QStringList{"MVM_FOND"});
        QVERIFY(!screen.grid()->isEnabled());
        QCOMPARE(screen.totalField()->text(), QString());
    }

    // ---- the period filter ---------------------------------------------------------------------------

    void theFilterRestrictsTheListAndItsTotalToAPeriod()
    {
        march();
        J_Recettes screen(s());
        screen.command("filtre")->click();
        QCOMPARE(screen.side()->panel(), screen.filterPanel());
        QVERIFY(!screen.command("nouveau")->isEnabled() || !screen.command("nouveau")->parentWidget()->isEnabled());
        QCOMPARE(screen.fromField()->text(), QString());
        screen.fromField()->setText("01/03/2021");
        screen.toField()->setText("31/03/2021");
        screen.filterConfirm()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QVERIFY(!screen.side()->isOpen());
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 640.00"));
        QCOMPARE(screen.periodLabel()->text(), QStringLiteral("Période du 01/03/2021 au 31/03/2021"));
        QCOMPARE(screen.period(), (receipts::Period{"01/03/2021", "31/03/2021"}));

        // A receipt booked within the period joins the list; one outside it is booked but not listed.
        ui().onScreen("MVM_FOND", typeMovement("20/03/2021", "10", "dans la période"));
        ui().onScreen("MVM_FOND", typeMovement("20/04/2021", "20", "hors période"));
        screen.command("nouveau")->click();
        screen.command("nouveau")->click();
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 7, 5}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 650.00"));
        QCOMPARE(receipt(8).text("ref"), QStringLiteral("hors période"));

        // The panel opens on the period in force; two blank dates show every receipt again.
        screen.command("filtre")->click();
        QCOMPARE(screen.fromField()->text(), QStringLiteral("01/03/2021"));
        QCOMPARE(screen.toField()->text(), QStringLiteral("31/03/2021"));
        screen.fromField()->clear();
        screen.toField()->clear();
        screen.filterConfirm()->click();
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 7, 5, 2, 8}));
        QCOMPARE(screen.periodLabel()->text(), QString());
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 920.50"));
    }

    void aPeriodWithoutReceiptIsRefusedAndTheListStays()
    {
        march();
        J_Recettes screen(s());
        screen.command("filtre")->click();
        screen.fromField()->setText("01/06/2021");
        screen.toField()->setText("30/06/2021");
        screen.filterConfirm()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Aucune recette selon ces critères", Icon::Critical, "ATTENTION")}));
        QCOMPARE(screen.side()->panel(), screen.filterPanel());
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 890.50"));
        QCOMPARE(screen.period(), receipts::Period{});
        QCOMPARE(ui().screens, QStringList{});
    }

    void aBadPeriodIsRefused_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("first day not in the calendar") << "31/04/2021" << "" << "Date incorrecte" << "du";
        QTest::newRow("last day not in the calendar") << "01/03/2021" << "29/02/2021" << "Date incorrecte" << "au";
        QTest::newRow("no leap day in 1900") << "29/02/1900" << "" << "Date incorrecte" << "du";
        QTest::newRow("incomplete first day") << "1/03/2021" << "" << "Date incorrecte" << "du";
        QTest::newRow("last day before the first") << "31/03/2021" << "01/03/2021" << "Dates inversées" << "au";
    }
    void aBadPeriodIsRefused()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        march();
        J_Recettes screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.command("filtre")->click();
        screen.fromField()->setText(from);
        screen.toField()->setText(to);
        screen.filterConfirm()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m(message, Icon::Critical, "ATTENTION")}));
        QCOMPARE(screen.side()->panel(), screen.filterPanel());
        QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
        QCOMPARE(screen.period(), receipts::Period{});
    }

    void aDateTypedInTheFilterFollowsTheDateFieldRules()
    {
        march();
        J_Recettes screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.command("filtre")->click();
        QTest::keyClicks(screen.fromField(), "0103");
        QCOMPARE(screen.fromField()->text(), QStringLiteral("01/03/"));
        QTest::keyClicks(screen.fromField(), "2021");
        QTest::keyClick(screen.fromField(), Qt::Key_Return);   // Enter goes to "Au"
        QCOMPARE(QApplication::focusWidget(), screen.toField());
        QTest::keyClicks(screen.toField(), "4");                // no day starts with 4
        QCOMPARE(screen.toField()->text(), QString());
        QTest::keyClicks(screen.toField(), "15032021");
        QTest::keyClick(screen.toField(), Qt::Key_Return);     // Enter in "Au" confirms
        QVERIFY(!screen.side()->isOpen());
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1}));
    }

    void escapeAndCancelCloseThePanelAndKeepThePeriod()
    {
        march();
        J_Recettes screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.command("filtre")->click();
        screen.fromField()->setText("01/04/2021");
        screen.filterConfirm()->click();
        QCOMPARE(screen.nums(), QList<qint64>{2});

        screen.command("filtre")->click();
        screen.fromField()->setText("01/01/2021");
        QTest::keyClick(screen.fromField(), Qt::Key_Escape);
        QVERIFY(!screen.side()->isOpen());
        QVERIFY(screen.isVisible());
        QVERIFY(screen.command("nouveau")->isEnabled() && screen.command("nouveau")->parentWidget()->isEnabled());
        QCOMPARE(screen.nums(), QList<qint64>{2});

        screen.command("filtre")->click();
        QCOMPARE(screen.fromField()->text(), QStringLiteral("01/04/2021"));
        screen.toField()->setText("01/01/2022");
        screen.filterCancel()->click();
        QVERIFY(!screen.side()->isOpen());
        QCOMPARE(screen.period(), (receipts::Period{"01/04/2021", ""}));
        QCOMPARE(screen.periodLabel()->text(), QStringLiteral("Période à partir du 01/04/2021"));

        // With the panel closed, Escape closes the screen.
        QTest::keyClick(screen.grid(), Qt::Key_Escape);
        QVERIFY(!screen.isVisible());
    }

    void aPeriodEmptiedByADeletionStaysEmptyWithoutOpeningANewReceipt()
    {
        march();
        J_Recettes screen(s());
        screen.command("filtre")->click();
        screen.fromField()->setText("01/04/2021");
        screen.filterConfirm()->click();
        QCOMPARE(screen.nums(), QList<qint64>{2});
        ui().answers = {true};
        screen.command("supprimer")->click();
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(screen.nums(), QList<qint64>{});
        QVERIFY(!screen.grid()->isEnabled());
        QCOMPARE(screen.totalField()->text(), QString());
        QCOMPARE(screen.periodLabel()->text(), QStringLiteral("Période à partir du 01/04/2021"));
        ui().clear();
        screen.command("imprimer")->click();
        QCOMPARE(ui().reports, QStringList{});
    }

    // ---- the printed list ----------------------------------------------------------------------------

    void printingGivesTheListedReceiptsAndTheirTotal_data()
    {
        QTest::addColumn<QString>("field4");
        QTest::newRow("fourth identity field empty") << "";
        QTest::newRow("fourth identity field given") << "Oran";
    }
    void printingGivesTheListedReceiptsAndTheirTotal()
    {
        QFETCH(QString, field4);
        f_->reset();
        f_->folder->write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("TRANSPORTS EL AMEL")},
                                               {38, ProtectedSettings::encodeText("Location de véhicules")},
                                               {40, ProtectedSettings::encodeText(field4)}}));
        f_->openExercise();
        march();
        addReceipt(8, "2021-03-20", 1234567.5, "vente <du camion>", 1);
        J_Recettes screen(s());
        screen.command("filtre")->click();
        screen.fromField()->setText("01/03/2021");
        screen.toField()->setText("31/03/2021");
        screen.filterConfirm()->click();
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 8, 5}));
        ui().clear();
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(ui().reportTitles, QStringList{"Liste des recettes diverses"});
        QCOMPARE(s().reportTemplate, QStringLiteral("Liste_RC.RPT"));

        QStringList buffer;
        for (const db::Row& r : db().query("SELECT num FROM Tampon1 ORDER BY rowid"))
            buffer << r.text("num");
        QCOMPARE(buffer, (QStringList{"4", "1", "8", "5"}));
        const db::Row textes = db().queryOne("SELECT * FROM textes");
        QCOMPARE(textes.text("ch4"), QStringLiteral("du 01/03/2021 au 31/03/2021"));
        QCOMPARE(textes.text("ch5"), QStringLiteral("1 236 207.50"));

        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.value(0)), QPdfDocument::Error::None);
        QString text;
        for (int p = 0; p < pdf.pageCount(); ++p)
            text += pdf.getAllText(p).text() + u'\n';
        // The document's text, its blanks (no-break ones included) made plain.
        text.replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
        for (const char* expected : {"TRANSPORTS EL AMEL", "Location de véhicules", "Liste des recettes diverses",
                                     "du 01/03/2021 au 31/03/2021", "location de la cour", "vente de ferraille",
                                     "vente <du camion>", "frais de dossier", "01/03/2021", "20/03/2021",
                                     "1 234 567.50", "1 236 207.50", "Client passager", "Chèque", "Espèces"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + "\n" + text));
        for (const char* absent : {"photocopies", "versement du chauffeur", "9 000.00"})
            QVERIFY2(!text.contains(QString::fromUtf8(absent)), qPrintable(QString::fromUtf8(absent) + "\n" + text));
        QVERIFY(text.indexOf("location de la cour") < text.indexOf("vente de ferraille"));
        QVERIFY(text.indexOf("vente de ferraille") < text.indexOf("vente <du camion>"));
        QVERIFY(text.indexOf("vente <du camion>") < text.indexOf("frais de dossier"));
        if (field4.isEmpty())
            QVERIFY2(!text.contains("()"), qPrintable(text));
        else
            QVERIFY2(text.contains("(Oran)"), qPrintable(text));

        const QString shots = qEnvironmentVariable("KV_SCREENSHOTS");
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            const QString copy = shots + (field4.isEmpty() ? "/Liste_RC.pdf" : "/Liste_RC_identite4.pdf");
            QFile::remove(copy);
            QFile::copy(ui().reports.value(0), copy);
        }
    }

    void printingTheWholeListStatesNoPeriod()
    {
        march();
        J_Recettes screen(s());
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(db().queryOne("SELECT * FROM textes").text("ch4"), QString());
        QCOMPARE(db().queryOne("SELECT * FROM textes").text("ch5"), QStringLiteral("1 890.50"));
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.value(0)), QPdfDocument::Error::None);
        const QString text = pdf.getAllText(0).text();
        QVERIFY2(!text.contains("Période"), qPrintable(text));
        QVERIFY2(text.contains("photocopies"), qPrintable(text));
    }

    void printingWithoutTheTemplateSaysSoAndWritesNothing()
    {
        march();
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        QFile::remove(f_->folder->file("Liste_RC.RPT"));
        J_Recettes screen(s());
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Fichier 'Liste_RC.RPT' absent", Icon::Critical, "Z.E.B.")}));
        QCOMPARE(ui().reports, QStringList{});
        QCOMPARE(db().scalar("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("99"));
    }

    // ---- engine errors -------------------------------------------------------------------------------

    void aRefusedWriteLeavesTheScreenAndTheReceipts_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("command");
        QTest::newRow("new receipt") << "INSERT" << "nouveau";
        QTest::newRow("changed receipt") << "UPDATE" << "modifier";
        QTest::newRow("deleted receipt") << "DELETE" << "supprimer";
    }
    void aRefusedWriteLeavesTheScreenAndTheReceipts()
    {
        QFETCH(QString, event);
        QFETCH(QString, command);
        march();
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON Recettes BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(event));
        const db::Rows before = db().query("SELECT * FROM Recettes ORDER BY num");
        J_Recettes screen(s());
        test::showOn(screen, test::testScreens().first());
        if (command == "supprimer")
            ui().answers = {true};
        else
            ui().onScreen("MVM_FOND", typeMovement("01/05/2021", "999", "refusé"));
        screen.command(command)->click();
        QCOMPARE(ui().last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QVERIFY(screen.isVisible());
        const db::Rows after = db().query("SELECT * FROM Recettes ORDER BY num");
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < after.size(); ++i)
            QCOMPARE(after[i].values(), before[i].values());
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
        QCOMPARE(screen.totalField()->text(), QStringLiteral("1 890.50"));
        QCOMPARE(ui().screens.count("MVM_FOND"), command == "supprimer" ? 0 : 1);   // no second dialog
    }

    void aRefusedReadLeavesTheScreenOpen()
    {
        march();
        J_Recettes screen(s());
        db().execute("ALTER TABLE Recettes RENAME TO Recettes_cachees");
        screen.command("filtre")->click();
        screen.fromField()->setText("01/03/2021");
        screen.filterConfirm()->click();
        QCOMPARE(ui().last().icon, Icon::Critical);
        QCOMPARE(ui().last().title, QStringLiteral("Z.E.B."));
        QVERIFY(ui().last().text.contains("Recettes"));
        QCOMPARE(screen.nums(), (QList<qint64>{4, 1, 5, 2}));
        db().execute("ALTER TABLE Recettes_cachees RENAME TO Recettes");
    }

    // ---- the screen on the screens it must fit -------------------------------------------------------

    void fitsTheScreenInEveryState()
    {
        for (int i = 1; i <= 40; ++i)
            addReceipt(i, QStringLiteral("2021-03-%1").arg((i % 28) + 1, 2, 10, QLatin1Char('0')), i == 3 ? 1234567.5 : 1500 + i,
                       i == 5 ? QStringLiteral("Vente de pièces détachées récupérées sur le camion accidenté de la flotte")
                              : QStringLiteral("Vente %1").arg(i),
                       i % 3 == 0 ? 1 : 0);
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            J_Recettes list(s());
            test::showOn(list, screen);
            test::settle(list);
            QCOMPARE(test::outsideScreen(list), QStringList());
            test::saveShot(list, "J_Recettes" + size);

            // Dates and amounts shown whole; the observation takes the spare width.
            const QHeaderView* header = list.grid()->horizontalHeader();
            const QFontMetrics amounts(kit::amountFont());
            for (int r = 0; r < list.model()->rowCount(); ++r)
                QVERIFY(header->sectionSize(ReceiptList::ColAmount) >
                        amounts.horizontalAdvance(list.model()->cell(r, ReceiptList::ColAmount)));
            QVERIFY(header->sectionSize(ReceiptList::ColDate) > list.grid()->fontMetrics().horizontalAdvance("28/03/2021"));
            QVERIFY(header->sectionSize(ReceiptList::ColObservation) > header->sectionSize(ReceiptList::ColPayer));
            const int width = list.width();

            list.command("filtre")->click();
            test::settle(list);
            QCOMPARE(test::outsideScreen(list), QStringList());
            QCOMPARE(list.width(), width);
            test::saveShot(list, "J_Recettes_filtre" + size);

            list.fromField()->setText("01/03/2021");
            list.toField()->setText("10/03/2021");
            list.filterConfirm()->click();
            test::settle(list);
            QCOMPARE(test::outsideScreen(list), QStringList());
            test::saveShot(list, "J_Recettes_periode" + size);
        }
    }
};

KV_SCREEN_TEST_MAIN(ReceiptsTest)
#include "tst_receipts.moc"
