// The calendar Q_Date and the cash book J_CAISSE: where each ledger line goes, the day's lists and the
// summary, the balance carried from one day to the next over generated ledgers, the prints, engine
// refusals, and both screens on the screens they must fit.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/formats/Numbers.h"
#include "core/kit/ScreenKit.h"
#include "core/ledger/KeptTotals.h"
#include "core/ledger/Ledger.h"
#include "harness/ScreenFit.h"
#include "payroll/pay/Pay.h"
#include "platform/db/Database.h"
#include "treasury/cashbook/CashDay.h"
#include "treasury/cashbook/CashListModel.h"
#include "treasury/cashbook/CashPrints.h"
#include "treasury/cashbook/Calendar.h"
#include "treasury/cashbook/J_CAISSE.h"
#include "core/ledger/LedgerClasses.h"
#include "treasury/cashbook/Q_Date.h"
#include "platform/ui/Ui.h"

#include <QApplication>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QAbstractItemModelTester>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using namespace kv::cashbook;
using namespace kv::ledger;
using ui::Icon;

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title) { return {text, icon, title, false}; }

const QDate kDay(2021, 3, 10);


/// Keeps a copy of a printed document and its first page as a picture when KV_SCREENSHOTS names a folder.
void keepDocument(const QString& pdf, const QString& name)
{
    const QString shots = qEnvironmentVariable("KV_SCREENSHOTS");
    if (shots.isEmpty())
        return;
    QDir().mkpath(shots);
    const QString copy = shots + u'/' + name + QStringLiteral(".pdf");
    QFile::remove(copy);
    QFile::copy(pdf, copy);
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                    QStringLiteral("1"), copy, shots + u'/' + name});
}

QStringList column(const QList<QStringList>& rows, int c)
{
    QStringList texts;
    for (const QStringList& r : rows)
        texts << r.value(c);
    return texts;
}

} // namespace

class CashBookTest : public FixtureTest {
    Q_OBJECT


    // ---- a ledger written by hand ---------------------------------------------------------------------

    void person(qint64 num, int kind, const QString& nom, const QString& prenom, const QString& fonction = {})
    {
        seed::person(db(), {.num = num, .kind = kind, .nom = nom, .prenom = prenom, .fonction = fonction, .salarie = true});
    }
    void vehicle(qint64 num, const QString& matricule, const QVariant& model)
    {
        seed::vehicle(db(), {.num = num, .matricule = matricule, .modele = model.isNull() ? -1 : model.toLongLong(),
                             .more = model.isNull() ? QVariantMap{{"num_Modele", QVariant()}} : QVariantMap{}});
    }
    /// An expense line as the bookings leave it: a column never written stays null.
    void expense(qint64 num, const QDate& day, double montant, const QVariant& contrepartie, const QVariant& typeDep,
                 const QVariant& vehicule, const QVariant& agent, const QVariant& ref = QStringLiteral("objet"), int mode = 0)
    {
        db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Num_Agent) "
                     "VALUES (?,?,?,?,?,?,?,?,?,?)",
                     {num, day.toString(Qt::ISODate), day.month(), montant, mode, ref, contrepartie, typeDep, vehicule, agent});
    }
    void receipt(qint64 num, const QDate& day, double montant, const QVariant& contrepartie, const QVariant& agent,
                 const QVariant& ref = QStringLiteral("recette"), int mode = 0, const QVariant& vehicule = {})
    {
        db().execute("INSERT INTO Recettes (num, date, MM, Montant, mode, ref, contrepartie, num_vehicule, Num_Agent) "
                     "VALUES (?,?,?,?,?,?,?,?,?)",
                     {num, day.toString(Qt::ISODate), day.month(), montant, mode, ref, contrepartie, vehicule, agent});
    }
    void pay(qint64 num, qint64 agent, int month, double net, const QVariant& day)
    {
        db().execute("INSERT INTO Salaires (num, num_agent, MM, BRUT, Net, regle, date) VALUES (?,?,?,?,?,?,?)",
                     {num, agent, month, net, net, day.isNull() ? 0 : 1,
                      day.isNull() ? QVariant() : QVariant(day.toDate().toString(Qt::ISODate))});
    }
    /// Vehicle 4 (model "Hilux"), vehicle 5 (no model), agent 1, driver 2, client 3.
    void cast()
    {
        db().execute("INSERT INTO Modeles (num, denom, ordre) VALUES (7, 'Hilux', 2)");
        vehicle(4, "01234 116 31", 7);
        vehicle(5, "04321 115 16", -1);
        person(1, 0, "BENALI", "Karim", "Comptable");
        person(2, 1, "HADDAD", "Omar", "Chauffeur");
        person(3, 2, "SARL NOUR", "Transports");
    }

    /// The day of the cash book shown in the screen's tests: a line of every kind.
    void aDayOfEveryKind()
    {
        cast();
        expense(1, kDay, 1500, 0, 0, 4, {}, "plein gasoil");
        expense(2, kDay, 320.75, 0, 2, 5, {}, "  plaquettes ");
        expense(3, kDay, 80, 0, 5, 99, {}, "vehicule disparu");       // its vehicle was deleted
        expense(4, kDay, 2000, 1, 10, {}, 1, "avance");                // advance on salary
        expense(5, kDay, 700, 1, {}, {}, 3, "remboursement client", 1); // client account
        expense(6, kDay, 450, 0, {}, {}, 2, "frais de route");         // driver account
        expense(7, kDay, 90, 1, {}, {}, 88, QVariant());               // a person deleted, no object
        expense(8, kDay.addDays(-1), 999, 0, 1, 4, {}, "veille");      // another day
        pay(1, 1, 2, 31000.4, kDay);
        pay(2, 77, 2, 25000, kDay);                                    // its agent deleted
        pay(3, 1, 1, 30000, {});                                       // month never closed
        receipt(1, kDay, 5000, 0, 2, "versement", 1);
        receipt(2, kDay, 250, 3, -1, "vente ferraille");
        receipt(3, kDay, 1200.5, {}, {}, "location", 0, 4);            // a vehicle's receipt
        receipt(4, kDay.addDays(1), 77, 3, -1, "lendemain");
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise(2021);
        QVERIFY(s().isOpen());
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ---- where each expense line goes -------------------------------------------------------------------

    void everyExpenseLineHasExactlyOneKind_data()
    {
        QTest::addColumn<QVariant>("contrepartie");
        QTest::addColumn<QVariant>("typeDep");
        QTest::addColumn<QVariant>("vehicule");
        QTest::addColumn<QVariant>("agent");
        QTest::addColumn<int>("kind");
        const QVariant none;
        for (int heading = 0; heading < 6; ++heading)
            QTest::addRow("vehicle heading %d", heading) << QVariant(0) << QVariant(heading) << QVariant(4) << none
                                                         << int(ExpenseClass::Vehicle);
        QTest::newRow("vehicle heading, vehicle deleted") << QVariant(0) << QVariant(3) << QVariant(99) << none << int(ExpenseClass::Vehicle);
        QTest::newRow("advance on salary") << QVariant(1) << QVariant(10) << none << QVariant(1) << int(ExpenseClass::SalaryAdvance);
        QTest::newRow("client account") << QVariant(1) << none << none << QVariant(3) << int(ExpenseClass::Other);
        QTest::newRow("client account, heading 0") << QVariant(1) << QVariant(0) << none << QVariant(3) << int(ExpenseClass::Other);
        QTest::newRow("agent account") << QVariant(0) << none << none << QVariant(1) << int(ExpenseClass::Other);
        QTest::newRow("driver account") << QVariant(0) << none << none << QVariant(2) << int(ExpenseClass::Other);
        QTest::newRow("counterpart 0, heading 10") << QVariant(0) << QVariant(10) << none << QVariant(1) << int(ExpenseClass::Other);
        QTest::newRow("counterpart never written") << none << QVariant(2) << QVariant(4) << none << int(ExpenseClass::Other);
        QTest::newRow("unknown counterpart") << QVariant(2) << QVariant(10) << none << QVariant(1) << int(ExpenseClass::Other);
    }
    void everyExpenseLineHasExactlyOneKind()
    {
        QFETCH(QVariant, contrepartie);
        QFETCH(QVariant, typeDep);
        QFETCH(QVariant, vehicule);
        QFETCH(QVariant, agent);
        QFETCH(int, kind);
        cast();
        expense(1, kDay, 100, contrepartie, typeDep, vehicule, agent);
        for (ExpenseClass c : {ExpenseClass::Vehicle, ExpenseClass::SalaryAdvance, ExpenseClass::Other}) {
            const int count = db().scalar("SELECT count(*) FROM Depenses d WHERE " + expenseCondition(c, "d")).toInt();
            QCOMPARE(count, int(c) == kind ? 1 : 0);
        }
        // The day's lists agree with the kinds: the line shows in one list only.
        const CashDay day = readCashDay(db(), kDay, 2021);
        QCOMPARE(day.vehicles.size(), kind == int(ExpenseClass::Vehicle) ? 1 : 0);
        QCOMPARE(day.salaries.size(), kind == int(ExpenseClass::SalaryAdvance) ? 1 : 0);
        QCOMPARE(day.others.size(), kind == int(ExpenseClass::Other) ? 1 : 0);
        QCOMPARE(day.totals().expenses(), Cents(10000));
        QCOMPARE(openingBalance(db(), kDay.addDays(1)), Cents(-10000));
    }

    // ---- the day's lists --------------------------------------------------------------------------------

    void theListsOfTheDay()
    {
        aDayOfEveryKind();
        const CashDay day = readCashDay(db(), kDay, 2021);

        const QList<QStringList> vehicles = vehicleCells(day);
        QCOMPARE(vehicles, (QList<QStringList>{{"1", " Hilux 01234 116 31", " plein gasoil", "1 500.00 "},
                                               {"2", " 04321 115 16", " plaquettes", "320.75 "},
                                               {"3", "", " vehicule disparu", "80.00 "}}));
        QCOMPARE(salaryCells(day), (QList<QStringList>{{"1", "BENALI", "Karim", "Comptable", "2 000.00 ", " Avance sur salaire "},
                                                       {"2", "BENALI", "Karim", "Comptable", "31 000.40 ", " Salaire Février 2021"},
                                                       {"3", "", "", "", "25 000.00 ", " Salaire Février 2021"}}));
        QCOMPARE(otherCells(day), (QList<QStringList>{{"1", " SARL NOUR Transports", "700.00 ", "Chèque", " remboursement client"},
                                                      {"2", " HADDAD Omar", "450.00 ", "Espèces", " frais de route"},
                                                      {"3", " Divers Bénéficiaire", "90.00 ", "Espèces", ""}}));
        QCOMPARE(receiptCells(day), (QList<QStringList>{{"1", " HADDAD Omar", "5 000.00 ", "Chèque", " versement"},
                                                        {"2", " Client Divers", "250.00 ", "Espèces", " vente ferraille"},
                                                        {"3", " Client Divers", "1 200.50 ", "Espèces", " location"}}));
        QCOMPARE(day.vehicles.size(), 3);
        QCOMPARE(day.vehicles[0].num, 1);
        QCOMPARE(day.others[0].num, 5);
        QCOMPARE(day.others[1].num, 6);
        QCOMPARE(day.receipts[2].num, 3);

        const Sums t = day.totals();
        QCOMPARE(t.vehicles, Cents(190075));
        QCOMPARE(t.salaries, Cents(5800040));
        QCOMPARE(t.others, Cents(124000));
        QCOMPARE(t.receipts, Cents(645050));
        QCOMPARE(day.opening, Cents(-99900)); // the vehicle expense of the day before
        QCOMPARE(sumsBetween(db(), kDay, kDay), t);
    }

    void eachAmountCountsAsTheKeptTotalsCountIt_data()
    {
        QTest::addColumn<double>("amount");
        // Typed in cents, halves of a cent, a binary value just below a half, tiny and large ones.
        for (double a : {0.0, 0.01, 1500.0, 320.75, -12.34, 0.005, 0.015, 1.005, 2.675, 0.125, -0.125, 0.12499999999999999,
                         1234567.891, 1e-7, 99999999.995, 3.0000001, -2.5e-3})
            QTest::addRow("%.17g", a) << a;
    }
    void eachAmountCountsAsTheKeptTotalsCountIt()
    {
        QFETCH(double, amount);
        const qint64 engine = db().scalar("SELECT " + centsOf("?1"), {amount}).toLongLong();
        if (const std::optional<qint64> typed = typedCents(amount))
            QCOMPARE(*typed, engine);
        QCOMPARE(centsOfAmounts(db(), {amount}), QList<qint64>{engine});
        // A day holding it in each list counts it so, as the totals kept by day do.
        cast();
        expense(1, kDay, amount, 0, 1, 4, {});
        expense(2, kDay, amount, 1, 10, {}, 1);
        expense(3, kDay, amount, 1, {}, {}, 3);
        receipt(1, kDay, amount, 3, -1);
        pay(1, 1, 2, amount, kDay);
        const Sums t = readCashDay(db(), kDay, 2021).totals();
        QCOMPARE(t, (Sums{engine, engine, 2 * engine, engine}));
        QCOMPARE(sumsBetween(db(), kDay, kDay), t);
    }

    void theEngineCountsManyAmountsInTheirOrder()
    {
        QList<double> amounts;
        for (int i = 0; i < 1000; ++i)
            amounts << (i % 2 ? -1 : 1) * (i * 1.0013 + 0.005);
        const QList<qint64> counted = centsOfAmounts(db(), amounts);
        QCOMPARE(counted.size(), amounts.size());
        for (int i = 0; i < amounts.size(); ++i)
            QCOMPARE(counted[i], db().scalar("SELECT " + centsOf("?1"), {amounts[i]}).toLongLong());
    }

    void aDayWithoutMovementsShowsTheOpeningBalanceOnly()
    {
        cast();
        receipt(1, kDay.addDays(-3), 1234.4, 3, -1);
        const CashDay day = readCashDay(db(), kDay, 2021);
        QVERIFY(day.vehicles.isEmpty() && day.salaries.isEmpty() && day.others.isEmpty() && day.receipts.isEmpty());
        const QList<QStringList> cells = summaryCells(day);
        QCOMPARE(cells[RowOpening], (QStringList{"Report de la veille", "", "", "1 234.40"}));
        QCOMPARE(cells[RowDayTotals], (QStringList{"Totaux de la journée", "", "", ""}));
        QCOMPARE(cells[RowClosing], (QStringList{"Solde de fin de journée", "", "", "1 234.40"}));
        QCOMPARE(day.closing(), day.opening);
    }

    // ---- the summary ------------------------------------------------------------------------------------

    void theSummaryOfTheDay_data()
    {
        QTest::addColumn<double>("before");   ///< a receipt of the day before (negative: an expense)
        QTest::addColumn<double>("receipts");
        QTest::addColumn<double>("vehicles");
        QTest::addColumn<double>("others");
        QTest::addColumn<QStringList>("balance"); ///< the "Solde" column, rows 1 to 7
        QTest::addColumn<QStringList>("totals");  ///< "Totaux de la journée": receipts, expenses, balance
        QTest::newRow("1 000, receipts 200, vehicles 50")
            << 1000.0 << 200.0 << 50.0 << 0.0
            << QStringList{"1 000.00", "200.00", "-50.00", "", "", "150.00", "1 150.00"} << QStringList{"200.00", "50.00", "150.00"};
        QTest::newRow("cents, as the lists count them")
            << 0.4 << 0.4 << 0.0 << 0.0 << QStringList{"0.40", "0.40", "", "", "", "0.40", "0.80"} << QStringList{"0.40", "", "0.40"};
        // In whole units this day showed 13 000 - 1 201 = 11 800.
        QTest::newRow("every row adds up as shown")
            << 13000.0 << 0.0 << 0.0 << 1200.5 << QStringList{"13 000.00", "", "", "", "-1 200.50", "-1 200.50", "11 799.50"}
            << QStringList{"", "1 200.50", "-1 200.50"};
        QTest::newRow("halves of a cent kept")
            << 100.5 << 10.25 << 0.0 << 20.75 << QStringList{"100.50", "10.25", "", "", "-20.75", "-10.50", "90.00"}
            << QStringList{"10.25", "20.75", "-10.50"};
        QTest::newRow("an overdrawn day")
            << -500.0 << 0.0 << 1234567.0 << 0.0
            << QStringList{"-500.00", "", "-1 234 567.00", "", "", "-1 234 567.00", "-1 235 067.00"}
            << QStringList{"", "1 234 567.00", "-1 234 567.00"};
    }
    void theSummaryOfTheDay()
    {
        QFETCH(double, before);
        QFETCH(double, receipts);
        QFETCH(double, vehicles);
        QFETCH(double, others);
        QFETCH(QStringList, balance);
        QFETCH(QStringList, totals);
        cast();
        if (before >= 0)
            receipt(1, kDay.addDays(-1), before, 3, -1);
        else
            expense(9, kDay.addDays(-1), -before, 0, 3, 4, {});
        if (receipts != 0)
            receipt(2, kDay, receipts, 3, -1);
        if (vehicles != 0)
            expense(1, kDay, vehicles, 0, 0, 4, {});
        if (others != 0)
            expense(2, kDay, others, 0, {}, {}, 2);
        const QList<QStringList> cells = summaryCells(readCashDay(db(), kDay, 2021));
        QCOMPARE(column(cells, ColCaption), summaryCaptions());
        QCOMPARE(column(cells, ColBalance), balance);
        QCOMPARE((QStringList{cells[RowDayTotals][ColReceipts], cells[RowDayTotals][ColExpenses], cells[RowDayTotals][ColBalance]}),
                 totals);
        // Receipts and expenses sit in their own columns only.
        QCOMPARE(cells[RowReceipts][ColExpenses], QString());
        QCOMPARE(cells[RowVehicles][ColReceipts], QString());
        QCOMPARE(cells[RowOpening][ColReceipts] + cells[RowOpening][ColExpenses], QString());
        // What is shown adds up: the opening and the day's rows give the day's total and the end.
        double dayRows = 0;
        for (int r = RowReceipts; r <= RowOthers; ++r)
            dayRows += readNumber(cells[r][ColBalance]);
        QCOMPARE(qRound64(dayRows * 100), qRound64(readNumber(cells[RowDayTotals][ColBalance]) * 100));
        QCOMPARE(qRound64((readNumber(cells[RowOpening][ColBalance]) + dayRows) * 100),
                 qRound64(readNumber(cells[RowClosing][ColBalance]) * 100));
    }

    void aVehicleExpenseOfTheDayBeforeLowersTheNextOpeningBalanceOnce()
    {
        cast();
        receipt(1, kDay.addDays(-5), 1000, 3, -1);
        expense(1, kDay.addDays(-1), 50, 0, 0, 4, {});
        const CashDay before = readCashDay(db(), kDay.addDays(-1), 2021);
        QCOMPARE(before.opening, Cents(100000));
        QCOMPARE(before.closing(), Cents(95000));
        const CashDay day = readCashDay(db(), kDay, 2021);
        QCOMPARE(day.opening, Cents(95000));
        QCOMPARE(readCashDay(db(), kDay.addDays(30), 2021).opening, Cents(95000));
    }

    // ---- every line counted once, every day: the balance carried over --------------------------------

    void theEndOfEachDayIsTheNextDaysOpeningBalance_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 2021u, 90210u, 31337u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void theEndOfEachDayIsTheNextDaysOpeningBalance()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        cast();
        for (qint64 n = 10; n < 16; ++n)
            person(n, int(n % 3), QStringLiteral("NOM%1").arg(n), QStringLiteral("Prénom"), QStringLiteral("Agent"));
        const QDate first(2021, 1, 1), last(2021, 3, 31);
        const int span = int(first.daysTo(last)) + 1;
        const auto anyDay = [&] { return first.addDays(rng.bounded(span)); };
        const auto anyAmount = [&] {
            // Cents, halves of cents, whole amounts, large ones, and a few corrections below zero.
            static const double edges[] = {0.005, 0.015, 1.005, 2.675, 0.125, 1234567.89, 0};
            switch (rng.bounded(5)) {
            case 0: return edges[rng.bounded(7)];
            case 1: return -double(rng.bounded(50000)) / 100.0;
            case 2: return double(rng.bounded(100000));
            default: return double(rng.bounded(10000000)) / 1000.0;
            }
        };
        const auto anyPerson = [&] { return qint64(rng.bounded(6) == 0 ? 99 : 10 + rng.bounded(6)); };

        // Lines of every kind, booked as the screens book them.
        int booked = 0;
        for (int i = 0; i < 400; ++i) {
            ledger::Line line;
            line.date = anyDay().toString("dd/MM/yyyy");
            line.montant = anyAmount();
            line.mode = int(rng.bounded(3));
            line.ref = QStringLiteral("ligne %1").arg(i);
            ledger::Book book = ledger::Book::Depenses;
            switch (rng.bounded(9)) {
            case 0: // a vehicle expense
            case 1:
                line.contrepartie = 0;
                line.numVehicule = rng.bounded(3) == 0 ? 5 : 4;
                line.typeDep = int(rng.bounded(6));
                line.km = 0;
                break;
            case 2: // an agent's or a driver's account
                line.contrepartie = 0;
                line.numAgent = anyPerson();
                break;
            case 3: // a client's account
                line.contrepartie = 1;
                line.numAgent = anyPerson();
                break;
            case 4: // an advance on salary
                line.contrepartie = 1;
                line.typeDep = 10;
                line.numAgent = anyPerson();
                break;
            case 5: // a miscellaneous receipt
                book = ledger::Book::Recettes;
                line.contrepartie = 3;
                line.numAgent = -1;
                break;
            case 6: // a vehicle's receipt
                book = ledger::Book::Recettes;
                line.numVehicule = 4;
                break;
            default: // a person's receipt
                book = ledger::Book::Recettes;
                line.contrepartie = int(rng.bounded(2));
                line.numAgent = anyPerson();
                break;
            }
            ledger::add(db(), book, line);
            ++booked;
        }
        // Lines changed and deleted since, as the screens change and delete them.
        for (int i = 0; i < 80; ++i) {
            const ledger::Book book = rng.bounded(2) == 0 ? ledger::Book::Depenses : ledger::Book::Recettes;
            const qint64 num = 1 + rng.bounded(400);
            if (rng.bounded(3) == 0) {
                booked -= db().execute(QStringLiteral("DELETE FROM %1 WHERE num = ?").arg(ledger::table(book)), {num});
            } else {
                ledger::Line change;
                change.date = anyDay().toString("dd/MM/yyyy");
                change.montant = anyAmount();
                ledger::update(db(), book, num, change);
            }
        }
        db().execute("UPDATE Depenses SET contrepartie = 1, Type_Dep = 10 WHERE num % 17 = 0");
        db().execute("UPDATE Depenses SET Type_Dep = 3 WHERE num % 13 = 0");
        // Pays closed on a day of the month after, one month reopened (its dates stay), one never closed.
        for (int month = 1; month <= 3; ++month) {
            payroll::buildMonth(db(), month, 26);
            db().execute("UPDATE Salaires SET Net = ? * num + 0.005 WHERE MM = ?", {double(rng.bounded(5000)) + 0.5, month});
        }
        payroll::closeMonth(db(), 1, first.addDays(int(rng.bounded(40))).toString("dd/MM/yyyy"), 2021);
        payroll::closeMonth(db(), 2, first.addDays(int(rng.bounded(span))).toString("dd/MM/yyyy"), 2021);
        payroll::reopenMonth(db(), 2);
        const int pays = db().scalar("SELECT count(*) FROM Salaires WHERE date IS NOT NULL").toInt();
        QVERIFY(pays > 0);

        // Each day, from before the first line to after the last one.
        int listed = 0;
        Cents previousClosing = 0;
        for (QDate d = first.addDays(-1); d <= last.addDays(1); d = d.addDays(1)) {
            const CashDay day = readCashDay(db(), d, 2021);
            QVERIFY2(day.opening == previousClosing,
                     qPrintable(QStringLiteral("%1: opening %2, closing of the day before %3")
                                    .arg(d.toString(Qt::ISODate)).arg(day.opening).arg(previousClosing)));
            QCOMPARE(summaryCells(day)[RowOpening][ColBalance], summaryCells(readCashDay(db(), d.addDays(-1), 2021))[RowClosing][ColBalance]);
            previousClosing = day.closing();
            listed += day.vehicles.size() + day.salaries.size() + day.others.size() + day.receipts.size();
        }
        // Every line of the ledger and every closed pay shows once in the lists of its day.
        QCOMPARE(listed, booked + pays);
        // And the last balance is the ledger's whole balance, counted here line by line.
        Cents whole = 0;
        const auto cents = [](double v) { return Cents(std::llround(round2(v) * 100)); };
        for (const db::Row& r : db().query("SELECT Montant FROM Recettes"))
            whole += cents(r.number("Montant"));
        for (const db::Row& r : db().query("SELECT Montant FROM Depenses"))
            whole -= cents(r.number("Montant"));
        for (const db::Row& r : db().query("SELECT Net FROM Salaires WHERE date IS NOT NULL"))
            whole -= cents(r.number("Net"));
        QCOMPARE(previousClosing, whole);
        QCOMPARE(sumsBetween(db(), QDate(), last).balance(), whole);
        // The totals kept by day are the ledger's counted afresh.
        const auto days = [&] {
            QStringList rows;
            for (const db::Row& r : db().query("SELECT * FROM Caisse_Jours WHERE recettes <> 0 OR vehicules <> 0 OR salaires <> 0 "
                                               "OR autres <> 0 ORDER BY date"))
                rows << QStringLiteral("%1 %2 %3 %4 %5").arg(r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                                             r.value(3).toString(), r.value(4).toString());
            return rows;
        };
        const QStringList kept = days();
        ledger::rebuildKeptTotals(db());
        QCOMPARE(days(), kept);
    }

    // ---- the calendar -----------------------------------------------------------------------------------

    void theCalendarOfAMonth_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("column"); ///< of the 1st, 0 = Saturday
        QTest::addColumn<int>("days");
        QTest::newRow("February 2020, the 1st a Saturday") << 2020 << 2 << 0 << 29;
        QTest::newRow("February 2021, the 1st a Monday") << 2021 << 2 << 2 << 28;
        QTest::newRow("January 2021, the 1st a Friday") << 2021 << 1 << 6 << 31;
        QTest::newRow("April 2021") << 2021 << 4 << 5 << 30;
        QTest::newRow("February 2000") << 2000 << 2 << 3 << 29;
        QTest::newRow("May 2021, six weeks") << 2021 << 5 << 0 << 31;
        QTest::newRow("August 2021, the 1st a Sunday") << 2021 << 8 << 1 << 31;
    }
    void theCalendarOfAMonth()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, column);
        QFETCH(int, days);
        const std::array<int, calendar::kCells> cells = calendar::cells(year, month);
        for (int i = 0; i < calendar::kCells; ++i) {
            const int expected = i >= column && i < column + days ? i - column + 1 : 0;
            QCOMPARE(cells[i], expected);
        }
        // The column is the weekday of the 1st, Saturday first.
        QCOMPARE(calendar::columnCaptions(), (QStringList{"Sam", "Dim", "Lun", "Mar", "Mer", "Jeu", "Ven"}));
        QCOMPARE(QDate(year, month, 1).dayOfWeek(), column == 0 ? 6 : column == 1 ? 7 : column - 1);
    }

    void theYearButtonsStopAtTheirBounds()
    {
        const int last = QDate::currentDate().year() + 1;
        QCOMPARE(calendar::lastYear(), last);
        QCOMPARE(calendar::stepYear(1990, -1), 1989);
        QCOMPARE(calendar::stepYear(1989, -1), 1989);
        QCOMPARE(calendar::stepYear(last - 1, +1), last);
        QCOMPARE(calendar::stepYear(last, +1), last);

        Q_Date dialog(s(), QDate(1989, 6, 15));
        QVERIFY(!dialog.previousYear()->isEnabled());
        QVERIFY(dialog.nextYear()->isEnabled());
        dialog.previousYear()->click();
        QCOMPARE(dialog.current(), QDate(1989, 6, 15));
        // Up to the year after the current one: today's dates are in reach.
        for (int y = 1989; y < last + 3; ++y)
            dialog.nextYear()->click();
        QCOMPARE(dialog.yearLabel()->text(), QString::number(last));
        QVERIFY(!dialog.nextYear()->isEnabled());
        QVERIFY(dialog.previousYear()->isEnabled());
    }

    void theDateChoiceShowsTheMonthAndKeepsTheDayWithinIt()
    {
        Q_Date dialog(s(), QDate(2020, 3, 31));
        QCOMPARE(dialog.monthList()->count(), 12);
        QCOMPARE(dialog.monthList()->item(0)->text(), QStringLiteral("Janvier"));
        QCOMPARE(dialog.monthList()->currentRow(), 2);
        QCOMPARE(dialog.yearLabel()->text(), QStringLiteral("2020"));
        QCOMPARE(dialog.heading()->text(), QStringLiteral("Mardi 31 Mars 2020"));

        // February 2020: 29 cells shown from the first column, the 31st become the 29th.
        dialog.monthList()->setCurrentRow(1);
        QCOMPARE(dialog.current(), QDate(2020, 2, 29));
        QStringList shown;
        int checked = -1;
        for (int i = 0; i < dialog.dayCells().size(); ++i) {
            QToolButton* cell = dialog.dayCells()[i];
            if (!cell->isHidden())
                shown << cell->text();
            if (cell->isChecked())
                checked = i;
        }
        QCOMPARE(shown.size(), 29);
        QCOMPARE(shown.first(), QStringLiteral("1"));
        QCOMPARE(dialog.dayCells()[0]->text(), QStringLiteral("1"));
        QCOMPARE(checked, 28);
        QCOMPARE(dialog.columnHeadings()[0]->text(), QStringLiteral("Sam"));

        // A year later February has 28 days; the day follows.
        dialog.nextYear()->click();
        QCOMPARE(dialog.current(), QDate(2021, 2, 28));
        QVERIFY(dialog.dayCells()[2 + 27]->isChecked());
        QVERIFY(dialog.dayCells()[2 + 28]->isHidden());
        QVERIFY(dialog.dayCells()[0]->isHidden() && dialog.dayCells()[1]->isHidden());

        // Clicking a day chooses it.
        dialog.dayCells()[2 + 9]->click();
        QCOMPARE(dialog.current(), QDate(2021, 2, 10));
        QCOMPARE(dialog.heading()->text(), QStringLiteral("Mercredi 10 Février 2021"));
    }

    // The calendar takes the keyboard: arrows move the day (a week up and down), Page Up/Down the month,
    // Home/End the month's first and last day, Enter chooses; a double click on a day chooses it.
    void theCalendarTakesTheKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QDate>("chosen");
        QTest::newRow("right") << QList<int>{Qt::Key_Right} << QDate(2021, 3, 16);
        QTest::newRow("left over the month") << QList<int>{Qt::Key_Home, Qt::Key_Left} << QDate(2021, 2, 28);
        QTest::newRow("down a week") << QList<int>{Qt::Key_Down} << QDate(2021, 3, 22);
        QTest::newRow("up two weeks") << QList<int>{Qt::Key_Up, Qt::Key_Up} << QDate(2021, 3, 1);
        QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << QDate(2021, 4, 15);
        QTest::newRow("page up over the year") << QList<int>{Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp} << QDate(2020, 12, 15);
        QTest::newRow("end") << QList<int>{Qt::Key_End} << QDate(2021, 3, 31);
    }
    void theCalendarTakesTheKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QDate, chosen);
        ui().onScreen("Q_Date", [keys](QDialog& d) {
            d.show();
            [[maybe_unused]] const bool shown = QTest::qWaitForWindowActive(&d);
            for (int key : keys)
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key(key));
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Return);
            return d.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2021, 3, 15)), chosen);
    }

    void aDoubleClickChoosesTheDay()
    {
        ui().onScreen("Q_Date", [](QDialog& d) {
            auto& dialog = static_cast<Q_Date&>(d);
            d.show();
            [[maybe_unused]] const bool shown = QTest::qWaitForWindowExposed(&d);
            QToolButton* tenth = nullptr;
            for (QToolButton* cell : dialog.dayCells())
                if (cell->text() == QStringLiteral("10"))
                    tenth = cell;
            QTest::mouseDClick(tenth, Qt::LeftButton);
            return d.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2021, 3, 15)), QDate(2021, 3, 10));
    }

    void theCalendarOpensInTheExercise()
    {
        // No day given: the open exercise's default day, not a day of another year.
        Q_Date dialog(s(), QDate());
        QCOMPARE(dialog.current(), s().defaultDay());
    }

    void chooseDateGivesTheDayConfirmedAndNothingWhenCancelled()
    {
        ui().onScreen("Q_Date", [](QDialog& d) {
            auto& dialog = static_cast<Q_Date&>(d);
            dialog.monthList()->setCurrentRow(1);
            dialog.dayCells()[14]->click(); // 15 February 2020
            dialog.confirmButton()->click();
            return dialog.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2020, 1, 20)), QDate(2020, 2, 15));
        ui().onScreen("Q_Date", [](QDialog& d) {
            auto& dialog = static_cast<Q_Date&>(d);
            dialog.dayCells()[3]->click();
            dialog.cancelButton()->click();
            return dialog.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2020, 1, 20)), QDate());
        ui().onScreen("Q_Date", [](QDialog& d) {
            QTest::keyClick(&d, Qt::Key_Escape);
            return d.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2020, 1, 20)), QDate());
        ui().onScreen("Q_Date", [](QDialog& d) {
            QTest::keyClick(&d, Qt::Key_Return);
            return d.result();
        });
        QCOMPARE(chooseDate(s(), QDate(2020, 1, 20)), QDate(2020, 1, 20));
        QCOMPARE(ui().screens, (QStringList{"Q_Date", "Q_Date", "Q_Date", "Q_Date"}));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    // ---- the screen -------------------------------------------------------------------------------------

    void theScreenShowsTheDay()
    {
        aDayOfEveryKind();
        J_CAISSE screen(s(), kDay);
        QVERIFY(screen.loaded());
        QCOMPARE(screen.titleLabel()->text(), QStringLiteral("Mouvements de trésorerie du 10/03/2021"));
        QStringList tabs;
        for (int i = 0; i < screen.tabs()->count(); ++i)
            tabs << screen.tabs()->tabText(i);
        QCOMPARE(tabs, (QStringList{"Récapitulatif Général", "Dép. Véhicules", "Salaires", "Autres Dépenses", "Recettes"}));
        QCOMPARE(screen.tabs()->currentIndex(), 0);
        QCOMPARE(screen.model(TabSummary)->rows(), summaryCells(screen.cashDay()));
        QCOMPARE(screen.model(TabSalaries)->rows(), salaryCells(screen.cashDay()));
        QCOMPARE(screen.model(TabReceipts)->rowCount(), 3);
        QCOMPARE(screen.totalField(TabVehicles)->text(), QStringLiteral("1 900.75"));
        QCOMPARE(screen.totalField(TabSalaries)->text(), QStringLiteral("58 000.40"));
        QCOMPARE(screen.totalField(TabOthers)->text(), QStringLiteral("1 240.00"));
        QCOMPARE(screen.totalField(TabReceipts)->text(), QStringLiteral("6 450.50"));
        // Each list's total is the summary's figure of that list, to the cent.
        const std::array<std::pair<Tab, int>, 4> listRows{{{TabVehicles, RowVehicles}, {TabSalaries, RowSalaries},
                                                           {TabOthers, RowOthers}, {TabReceipts, RowReceipts}}};
        for (const auto& [tab, row] : listRows) {
            const int column = tab == TabReceipts ? ColReceipts : ColExpenses;
            QCOMPARE(screen.totalField(tab)->text(), screen.model(TabSummary)->cell(row, column));
        }
        QCOMPARE(screen.model(TabSummary)->cell(RowClosing, ColBalance), QStringLiteral("-55 689.65"));
        QCOMPARE(screen.model(TabVehicles)->data(screen.model(TabVehicles)->index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>()
                     & Qt::AlignRight,
                 Qt::AlignRight);
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void otherDateShowsTheDayChosenAndACancelledChoiceChangesNothing()
    {
        aDayOfEveryKind();
        J_CAISSE screen(s(), kDay);
        ui::prepareScreen(screen); // as when it is shown
        QCOMPARE(screen.windowTitle(), QStringLiteral("Mouvements de trésorerie du 10/03/2021 — Kavorel"));
        QString calendarTitle;
        ui().onScreen("Q_Date", [&calendarTitle](QDialog& d) {
            auto& dialog = static_cast<Q_Date&>(d);
            if (dialog.current() != kDay)
                return int(QDialog::Rejected);
            dialog.dayCells()[calendar::firstColumn(2021, 3) + 10]->click(); // the 11th
            calendarTitle = dialog.windowTitle();
            dialog.confirmButton()->click();
            return dialog.result();
        });
        screen.command("autreDate")->click();
        QCOMPARE(screen.cashDay().day, kDay.addDays(1));
        QCOMPARE(screen.titleLabel()->text(), QStringLiteral("Mouvements de trésorerie du 11/03/2021"));
        // A window list names the day shown, the calendar's window the day chosen in it.
        QCOMPARE(screen.windowTitle(), QStringLiteral("Mouvements de trésorerie du 11/03/2021 — Kavorel"));
        QCOMPARE(calendarTitle, QStringLiteral("Jeudi 11 Mars 2021 — Kavorel"));
        QCOMPARE(screen.model(TabReceipts)->rows(), (QList<QStringList>{{"1", " Client Divers", "77.00 ", "Espèces", " lendemain"}}));
        QCOMPARE(screen.model(TabVehicles)->rowCount(), 0);
        QCOMPARE(screen.totalField(TabVehicles)->text(), QString());
        QCOMPARE(screen.model(TabSummary)->cell(RowOpening, ColBalance), QStringLiteral("-55 689.65"));

        ui().onScreen("Q_Date", [](QDialog& d) {
            static_cast<Q_Date&>(d).cancelButton()->click();
            return d.result();
        });
        screen.command("autreDate")->click();
        QCOMPARE(screen.cashDay().day, kDay.addDays(1));
        QCOMPARE(screen.model(TabReceipts)->rowCount(), 1);
        QCOMPARE(ui().screens, (QStringList{"Q_Date", "Q_Date"}));
    }

    void showCashBookOpensTheScreenOnTheDay()
    {
        aDayOfEveryKind();
        QDate shown;
        ui().onScreen("J_CAISSE", [&](QDialog& d) {
            shown = static_cast<J_CAISSE&>(d).cashDay().day;
            return int(QDialog::Rejected);
        });
        showCashBook(s(), kDay);
        QCOMPARE(ui().screens, QStringList{"J_CAISSE"});
        QCOMPARE(shown, kDay);
    }

    // ---- the prints -------------------------------------------------------------------------------------

    void printingTheTabInFront_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("identity4");
        QTest::addColumn<QStringList>("buffer");   ///< Tampon1's num, in order
        QTest::addColumn<QStringList>("expected"); ///< texts of the document
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("summary") << int(TabSummary) << "" << QStringList{"99"}
                                 << QStringList{"Récapitulatif Général", "Report de la veille", "-999.00", "6 450.50", "61 141.15",
                                                "-54 690.65", "-55 689.65", "Solde de fin de journée", "Totaux de la journée"}
                                 << QStringList{"()"};
        QTest::newRow("vehicle expenses") << int(TabVehicles) << "Oran" << QStringList{"1", "2", "3"}
                                          << QStringList{"Hilux 01234 116 31", "plein gasoil", "1 500.00", "320.75", "1 900.75",
                                                         "Pièces", "(Oran)", "Dépenses des véhicules"}
                                          << QStringList{"veille", "999"};
        QTest::newRow("salaries") << int(TabSalaries) << "" << QStringList{"1", "2", "3"}
                                  << QStringList{"BENALI", "Karim", "Comptable", "Avance sur salaire", "Salaire Février 2021",
                                                 "31 000.40", "58 000.40"}
                                  << QStringList{"30 000"};
        QTest::newRow("other expenses") << int(TabOthers) << "" << QStringList{"5", "6", "7"}
                                        << QStringList{"SARL NOUR Transports", "HADDAD Omar", "Divers Bénéficiaire", "Chèque",
                                                       "remboursement client", "1 240.00"}
                                        << QStringList{"avance"};
        QTest::newRow("receipts") << int(TabReceipts) << "" << QStringList{"1", "2", "3"}
                                  << QStringList{"HADDAD Omar", "Client Divers", "vente ferraille", "1 200.50", "6 450.50"}
                                  << QStringList{"lendemain"};
    }
    void printingTheTabInFront()
    {
        QFETCH(int, tab);
        QFETCH(QString, identity4);
        QFETCH(QStringList, buffer);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        f_->reset();
        f_->folder->write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("TRANSPORTS EL AMEL")},
                                               {38, ProtectedSettings::encodeText("Location de véhicules")},
                                               {40, ProtectedSettings::encodeText(identity4)}}));
        f_->openExercise(2021);
        aDayOfEveryKind();
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        J_CAISSE screen(s(), kDay);
        screen.tabs()->setCurrentIndex(tab);
        ui().clear();
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(s().reportTemplate, templateName(Tab(tab)));

        QStringList nums;
        for (const db::Row& r : db().query("SELECT num FROM Tampon1 ORDER BY rowid"))
            nums << r.text("num");
        QCOMPARE(nums, buffer);
        const db::Row textes = db().queryOne("SELECT * FROM textes");
        QCOMPARE(textes.text("ch4"), QStringLiteral("Mouvements de trésorerie du 10/03/2021"));
        if (tab == TabSummary) {
            const QMap<QString, QString> texts = summaryTexts(screen.cashDay());
            QCOMPARE(textes.text("ch10"), QStringLiteral("-999.00"));
            QCOMPARE(textes.text("ch11"), QStringLiteral("6 450.50"));
            QCOMPARE(textes.text("ch15"), QStringLiteral("6 450.50"));
            QCOMPARE(textes.text("ch16"), QString());
            QCOMPARE(textes.text("ch17"), QStringLiteral("1 900.75"));
            QCOMPARE(textes.text("ch18"), QStringLiteral("58 000.40"));
            QCOMPARE(textes.text("ch20"), QStringLiteral("61 141.15"));
            QCOMPARE(textes.text("ch21"), QStringLiteral("6 450.50"));
            QCOMPARE(textes.text("ch22"), QStringLiteral("-1 900.75"));
            QCOMPARE(textes.text("ch25"), QStringLiteral("-54 690.65"));
            QCOMPARE(textes.text("ch26"), QStringLiteral("-55 689.65"));
            for (auto it = texts.constBegin(); it != texts.constEnd(); ++it)
                QCOMPARE(textes.text(it.key()), it.value());
        }
        if (tab == TabSalaries) {
            const db::Row second = db().queryOne("SELECT * FROM Tampon1 WHERE num = '2'");
            QCOMPARE(second.text("qualite"), QStringLiteral("BENALI"));
            QCOMPARE(second.text("ville"), QStringLiteral("Karim"));
            QCOMPARE(second.text("tel"), QStringLiteral("Comptable"));
            QCOMPARE(second.number("depense"), 31000.4);
            QCOMPARE(second.text("objet"), QStringLiteral("Salaire Février 2021"));
        }

        const QString text = pdfText(ui().reports.value(0));
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.value(0)), QPdfDocument::Error::None);
        const QSizeF page = pdf.pagePointSize(0);
        QVERIFY2(qAbs(page.width() - 595) < 3 && qAbs(page.height() - 842) < 3, "an A4 sheet");
        for (const QString& e : expected + QStringList{"TRANSPORTS EL AMEL", "Location de véhicules",
                                                       "Mouvements de trésorerie du 10/03/2021"})
            QVERIFY2(text.contains(e), qPrintable(e + "\n" + text));
        for (const QString& a : absent)
            QVERIFY2(!text.contains(a), qPrintable(a + "\n" + text));
        keepDocument(ui().reports.value(0), templateName(Tab(tab)).chopped(4) + (identity4.isEmpty() ? "" : "_identite4"));
    }

    void anEmptyListPrintsNothing()
    {
        cast();
        receipt(1, kDay, 100, 3, -1);
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        J_CAISSE screen(s(), kDay);
        for (Tab tab : {TabVehicles, TabSalaries, TabOthers}) {
            screen.tabs()->setCurrentIndex(tab);
            screen.command("imprimer")->click();
        }
        QCOMPARE(ui().reports, QStringList{});
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(db().scalar("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("99"));
        // A day without any line still prints its summary.
        screen.tabs()->setCurrentIndex(TabSummary);
        screen.command("imprimer")->click();
        QCOMPARE(ui().reports.size(), 1);
    }

    void aMissingTemplateIsSaidAndNothingIsWritten_data()
    {
        QTest::addColumn<int>("tab");
        for (int t = 0; t < TabCount; ++t)
            QTest::addRow("JCSSE_%d", t) << t;
    }
    void aMissingTemplateIsSaidAndNothingIsWritten()
    {
        QFETCH(int, tab);
        aDayOfEveryKind();
        db().execute("INSERT INTO Tampon1 (num, qualite) VALUES ('99', 'avant')");
        db().execute("UPDATE textes SET ch4 = 'avant'");
        QFile::remove(f_->folder->file(templateName(Tab(tab))));
        J_CAISSE screen(s(), kDay);
        screen.tabs()->setCurrentIndex(tab);
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Fichier '" + templateName(Tab(tab)) + "' absent", Icon::Critical, "Z.E.B.")}));
        QCOMPARE(ui().reports, QStringList{});
        QCOMPARE(db().scalar("SELECT group_concat(num || qualite) FROM Tampon1").toString(), QStringLiteral("99avant"));
        QCOMPARE(db().scalar("SELECT ch4 FROM textes").toString(), QStringLiteral("avant"));
    }

    // ---- engine refusals --------------------------------------------------------------------------------

    void aRefusedPrintLeavesTheScreenAndTheData_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("event");
        QTest::newRow("summary, texts") << int(TabSummary) << "textes" << "UPDATE";
        QTest::newRow("vehicles, buffer emptied") << int(TabVehicles) << "Tampon1" << "DELETE";
        QTest::newRow("salaries, buffer emptied") << int(TabSalaries) << "Tampon1" << "DELETE";
        QTest::newRow("salaries, buffer filled") << int(TabSalaries) << "Tampon1" << "INSERT";
        QTest::newRow("salaries, texts") << int(TabSalaries) << "textes" << "UPDATE";
        QTest::newRow("others, buffer filled") << int(TabOthers) << "Tampon1" << "INSERT";
        QTest::newRow("receipts, texts") << int(TabReceipts) << "textes" << "UPDATE";
    }
    void aRefusedPrintLeavesTheScreenAndTheData()
    {
        QFETCH(int, tab);
        QFETCH(QString, table);
        QFETCH(QString, event);
        aDayOfEveryKind();
        db().execute("INSERT INTO Tampon1 (num, qualite) VALUES ('99', 'avant')");
        db().execute("UPDATE textes SET ch4 = 'avant', ch10 = 'avant'");
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(event, table));
        J_CAISSE screen(s(), kDay);
        test::showOn(screen, test::testScreens().first());
        screen.tabs()->setCurrentIndex(tab);
        ui().clear();
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("écriture refusée", Icon::Critical, "Z.E.B.")}));
        QCOMPARE(ui().reports, QStringList{});
        QVERIFY(screen.isVisible());
        QCOMPARE(db().scalar("SELECT group_concat(num || qualite) FROM Tampon1").toString(), QStringLiteral("99avant"));
        QCOMPARE(db().scalar("SELECT ch4 || ch10 FROM textes").toString(), QStringLiteral("avantavant"));
        QCOMPARE(screen.cashDay().day, kDay);
    }

    void aRefusedReadKeepsTheDayShown()
    {
        aDayOfEveryKind();
        J_CAISSE screen(s(), kDay);
        const QList<QStringList> summary = screen.model(TabSummary)->rows();
        db().execute("ALTER TABLE Salaires RENAME TO Salaires_cachees");
        ui().onScreen("Q_Date", [](QDialog& d) {
            auto& dialog = static_cast<Q_Date&>(d);
            dialog.nextYear()->click();
            dialog.confirmButton()->click();
            return dialog.result();
        });
        screen.command("autreDate")->click();
        QCOMPARE(ui().last().icon, Icon::Critical);
        QCOMPARE(ui().last().title, QStringLiteral("Z.E.B."));
        QVERIFY(ui().last().text.contains("Salaires"));
        QCOMPARE(screen.cashDay().day, kDay);
        QCOMPARE(screen.titleLabel()->text(), QStringLiteral("Mouvements de trésorerie du 10/03/2021"));
        QCOMPARE(screen.model(TabSummary)->rows(), summary);

        // Opened on a ledger that cannot be read, the cash book says so and does not open.
        ui().clear();
        showCashBook(s(), kDay);
        QCOMPARE(ui().screens, QStringList{});
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().title, QStringLiteral("Z.E.B."));
        db().execute("ALTER TABLE Salaires_cachees RENAME TO Salaires");
    }

    // ---- the screens on the screens they must fit -------------------------------------------------------

    void theScreensFit()
    {
        aDayOfEveryKind();
        for (int i = 0; i < 40; ++i)
            expense(100 + i, kDay, 1000 + i * 37.5, 0, i % 6, 4, {},
                    i == 3 ? QStringLiteral("Remplacement complet de l'embrayage et du volant moteur après la panne sur la route d'Oran")
                           : QStringLiteral("Dépense %1").arg(i));
        receipt(10, kDay, 1234567.5, 0, 3, "Règlement de la location du mois de février, camion et chauffeur");
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            J_CAISSE book(s(), kDay);
            test::showOn(book, screen);
            for (int tab = 0; tab < TabCount; ++tab) {
                book.tabs()->setCurrentIndex(tab);
                test::settle(book);
                QCOMPARE(test::outsideScreen(book), QStringList());
                test::saveShot(book, QStringLiteral("J_CAISSE_%1").arg(tab) + size);
                // Amounts shown whole.
                const QTableView* grid = book.grid(Tab(tab));
                const CashListModel* model = book.model(Tab(tab));
                QAbstractItemModelTester tester(book.model(Tab(tab)), QAbstractItemModelTester::FailureReportingMode::QtTest);
                const QFontMetrics amounts(kit::amountFont());
                for (int r = 0; r < model->rowCount(); ++r)
                    for (int c = 0; c < model->columnCount(); ++c)
                        if (model->data(model->index(r, c), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight)
                            QVERIFY(grid->horizontalHeader()->sectionSize(c) > amounts.horizontalAdvance(model->cell(r, c)));
            }

            Q_Date dialog(s(), QDate(2021, 1, 31));
            test::showOn(dialog, screen);
            test::settle(dialog);
            QCOMPARE(test::outsideScreen(dialog), QStringList());
            test::saveShot(dialog, "Q_Date" + size);
            dialog.monthList()->setCurrentRow(1);
            test::settle(dialog);
            QCOMPARE(test::outsideScreen(dialog), QStringList());
            test::saveShot(dialog, "Q_Date_fevrier" + size);
        }
    }
};

KV_SCREEN_TEST_MAIN(CashBookTest)
#include "tst_cashbook.moc"
