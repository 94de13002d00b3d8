// The activity report f_jrnl2 and its journals, computed without widgets and through the screen: the day
// or period, each journal's lines, cells and totals, the advances on salary, every expense counted once,
// the vehicles' average per day, the printed journals, engine refusals, the fit on both test screens.
// Then the monthly running charges Chrges.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/formats/FieldRules.h"
#include "core/kit/Export.h"
#include "core/kit/GridModel.h"
#include "core/kit/ScreenKit.h"
#include "harness/ScreenFit.h"
#include "platform/db/Database.h"
#include "treasury/charges/Chrges.h"
#include "treasury/journals/JournalList.h"
#include "treasury/journals/Journals.h"
#include "platform/db/Dates.h"
#include "treasury/journals/f_jrnl2.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QAbstractItemModelTester>
#include <memory>
#include <vector>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using journals::Journal;
using ui::Icon;

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

template <typename Lines> QList<qint64> nums(const Lines& lines)
{
    QList<qint64> n;
    for (const auto& l : lines)
        n << l.num;
    return n;
}


/// Keeps a copy of a printed document beside the screenshots, for looking at it.
void keepPdf(const QString& path, const QString& name)
{
    const QString shots = qEnvironmentVariable("KV_SCREENSHOTS");
    if (shots.isEmpty())
        return;
    QDir().mkpath(shots);
    QFile::remove(shots + u'/' + name);
    QFile::copy(path, shots + u'/' + name);
}

} // namespace

class JournalsTest : public FixtureTest {
    Q_OBJECT


    void addVehicle(qint64 num, const QString& matricule, QVariant moyenne = {})
    {
        seed::vehicle(db(), {.num = num, .matricule = matricule, .more = {{"ordre", num}, {"moyenne", moyenne}}});
    }
    void addPerson(qint64 num, int kind, const QString& nom, const QString& prenom, const QString& fonction)
    {
        seed::person(db(), {.num = num, .kind = kind, .nom = nom, .prenom = prenom, .fonction = fonction});
    }
    /// An expense line; a null `contrepartie`, `type` or vehicle stays unwritten, as the screens leave them.
    void addExpense(qint64 num, const QString& iso, double montant, QVariant contrepartie, QVariant type, QVariant vehicle,
                    QVariant agent, const QVariant& ref = QStringLiteral("objet"), int mode = 0)
    {
        db().execute("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Num_Agent) "
                     "VALUES (?,?,?,?,?,?,?,?,?,?)",
                     {num, iso, iso.mid(5, 2).toInt(), montant, mode, ref, contrepartie, type, vehicle, agent});
    }
    void addReceipt(qint64 num, const QString& iso, double montant, QVariant contrepartie, QVariant agent, QVariant vehicle,
                    const QVariant& ref = QStringLiteral("recette"), int mode = 0)
    {
        db().execute("INSERT INTO Recettes (num, date, MM, Montant, mode, ref, contrepartie, num_vehicule, Num_Agent) "
                     "VALUES (?,?,?,?,?,?,?,?,?)",
                     {num, iso, iso.mid(5, 2).toInt(), montant, mode, ref, contrepartie, vehicle, agent});
    }
    void addPay(qint64 num, qint64 agent, int mm, const QVariant& iso, double taux, double jours, double brut, double cnas,
                double irg, double avances, double remb, double autres)
    {
        const double net = brut - (irg + cnas + avances + remb + autres);
        db().execute("INSERT INTO Salaires (num, num_agent, MM, Taux_Jour, nbre_jours, BRUT, CNAS, IRG, avances, Remb_prets, "
                     "Autres_Retenues, Net, regle, date) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                     {num, agent, mm, taux, jours, brut, cnas, irg, avances, remb, autres, net, iso.isNull() ? 0 : 1, iso});
    }
    double moyenne(qint64 vehicle)
    {
        return db().scalar("SELECT moyenne FROM Vehicules WHERE num = ?", {vehicle}).toDouble();
    }

    /// March 2021: vehicle expenses under several headings, advances on salary, client, driver and unknown
    /// accounts' expenses, receipts of every kind, closed and open pays; and lines just outside the month.
    void march()
    {
        addVehicle(1, "00123 115 16");
        addVehicle(2, "00456 116 31");
        addVehicle(3, "00789 112 16", 55.0); // no expense in March: its old average goes
        addPerson(10, 0, "BENALI", "Karim", "Comptable");
        addPerson(11, 1, "HAMIDI", "Samir", "Chauffeur");
        addPerson(12, 2, "SARL NOUR", "", "");
        const QVariant none;
        addExpense(1, "2021-03-01", 1500.4, 0, 0, 2, none, "Gasoil");
        addExpense(2, "2021-03-02", 1500, 0, 2, 1, none, "Plaquettes de frein");
        addExpense(3, "2021-03-02", 3000, 0, 0, 1, none, "/");
        addExpense(4, "2021-03-15", 250.6, 0, 5, 1, none, none);
        addExpense(5, "2021-02-28", 999, 0, 0, 1, none);          // the day before
        addExpense(6, "2021-04-01", 777, 0, 1, 2, none);          // the day after
        addExpense(7, "2021-03-05", 5000, 1, 10, none, 10, "Avance sur salaire");
        addExpense(8, "2021-03-06", 800, 1, none, none, 12, "  Règlement fournisseur  ", 1);
        addExpense(9, "2021-03-07", 300, 0, none, none, 11, "Frais de route");      // a driver's account
        addExpense(10, "2021-03-08", 120, 1, none, none, 99, none);                  // a person deleted since
        addExpense(11, "2021-03-09", 400, 0, 3, 99, none, "Vidange");                // a vehicle deleted since
        addExpense(12, "2021-02-10", 2000, 1, 10, none, 10, "Avance sur salaire");   // advance of February
        addReceipt(1, "2021-03-03", 1200, 3, -1, none, "Vente de ferraille");
        addReceipt(2, "2021-03-04", 3500, 1, 12, none, "Location", 1);
        addReceipt(3, "2021-03-04", 900, none, none, 1, "Transport");               // a vehicle's receipt
        addReceipt(4, "2021-05-01", 50, 3, -1, none, "Hors période");
        addPay(1, 10, 2, "2021-03-01", 1000, 26, 26000, 2340, 1639.2, 5000, 0, 0);  // net 17 020.80
        addPay(2, 11, 2, "2021-03-01", 40, 25, 1000, 0, 0, 1500, 0, 0);             // deductions above the gross
        addPay(3, 10, 3, QVariant(), 1000, 26, 26000, 0, 0, 0, 0, 0);               // month not closed
        addPay(4, 98, 3, "2021-03-31", 0, 0, 500, 0, 0, 0, 0, 0);                   // agent deleted since
    }

    journals::Selection marchSelection() { return *journals::period("01/03/2021", "31/03/2021"); }

    /// Runs the screen's computation for a period through its fields.
    void computePeriod(f_jrnl2& screen, const QString& from, const QString& to)
    {
        screen.dateTabs()->setCurrentIndex(1);
        screen.fromField()->setText(from);
        screen.toField()->setText(to);
        screen.computeButton()->click();
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

    // ---- the day or the period -----------------------------------------------------------------------

    void theDayOrPeriodGivesItsDaysAndHeading_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to"); // "-" for "Un Jour"
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("heading");
        const int none = int(journals::DateFault::None), bad = int(journals::DateFault::Incorrect),
                  inverted = int(journals::DateFault::Inverted);
        QTest::newRow("one day") << "02/03/2021" << "-" << none << 1 << "Journée du  02/03/2021";
        QTest::newRow("one day, blanks around") << " 02/03/2021 " << "-" << none << 1 << "Journée du  02/03/2021";
        QTest::newRow("a month") << "01/03/2021" << "31/03/2021" << none << 31 << "Période du  01/03/2021 au 31/03/2021";
        QTest::newRow("a period of one day") << "02/03/2021" << "02/03/2021" << none << 1
                                             << "Période du  02/03/2021 au 02/03/2021";
        QTest::newRow("over a leap day") << "01/02/2020" << "01/03/2020" << none << 30 << "Période du  01/02/2020 au 01/03/2020";
        QTest::newRow("over the year's end") << "31/12/2020" << "01/01/2021" << none << 2
                                             << "Période du  31/12/2020 au 01/01/2021";
        QTest::newRow("inverted") << "02/03/2021" << "01/03/2021" << inverted << 0 << "";
        QTest::newRow("day too short") << "1/3/2021" << "-" << bad << 0 << "";
        QTest::newRow("day empty") << "" << "-" << bad << 0 << "";
        QTest::newRow("no 29 February 2021") << "29/02/2021" << "-" << bad << 0 << "";
        QTest::newRow("no 29 February 1900") << "29/02/1900" << "-" << bad << 0 << "";
        QTest::newRow("from too short") << "01/03/21" << "31/03/2021" << bad << 0 << "";
        QTest::newRow("to not a day") << "01/03/2021" << "31/04/2021" << bad << 0 << "";
        QTest::newRow("to empty") << "01/03/2021" << "" << bad << 0 << "";
    }
    void theDayOrPeriodGivesItsDaysAndHeading()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, fault);
        QFETCH(int, days);
        QFETCH(QString, heading);
        journals::DateFault found = journals::DateFault::None;
        const auto selection = to == "-" ? journals::day(from, &found) : journals::period(from, to, &found);
        QCOMPARE(int(found), fault);
        QCOMPARE(selection.has_value(), fault == int(journals::DateFault::None));
        if (selection) {
            QCOMPARE(selection->days, days);
            QCOMPARE(selection->heading, heading);
        }
        QCOMPARE(journals::faultMessage(journals::DateFault::Incorrect), QStringLiteral("Date incorrecte"));
        QCOMPARE(journals::faultMessage(journals::DateFault::Inverted), QStringLiteral("Dates inversées"));
    }

    // ---- the journals ----------------------------------------------------------------------------------

    void aLongPeriodListsTheSameLinesInTheSameOrder()
    {
        // Above two months the lines are read from the index by vehicle, not the one by date.
        march();
        const journals::Report r = journals::read(db(), *journals::period("01/01/2021", "31/12/2021"));
        QCOMPARE(nums(r.vehicleLines), (QList<qint64>{5, 2, 3, 4, 1, 6, 11}));
        QCOMPARE(r.headingTotals, (std::array<double, 6>{5499.4, 777, 1500, 400, 0, 250.6}));
        QCOMPARE(nums(r.receipts), (QList<qint64>{1, 2, 3, 4}));
    }

    void vehicleExpensesByVehicleWithATotalPerHeading()
    {
        march();
        const journals::Report r = journals::read(db(), marchSelection());
        // By vehicle, then date (then number); lines of other kinds and days are not there.
        QCOMPARE(nums(r.vehicleLines), (QList<qint64>{2, 3, 4, 1, 11}));
        const QList<QStringList> rows = journals::cells(r, Journal::Vehicles);
        QCOMPARE(journals::captions(Journal::Vehicles),
                 (QStringList{"Date", "Véhicule", "Objet", "Carbur.", "Huile", "Pièces", "Entret.", "Pneus", "Divers", "Total"}));
        // An expense of heading 2 of 1500 shows 1 500 in "Pièces" and in "Total", nowhere else.
        QCOMPARE(rows[0], (QStringList{"02/03/2021", "00123 115 16", " Plaquettes de frein", "", "", "1 500 ", "", "", "", "1 500 "}));
        QCOMPARE(rows[1], (QStringList{"02/03/2021", "00123 115 16", " /", "3 000 ", "", "", "", "", "", "3 000 "}));
        QCOMPARE(rows[2], (QStringList{"15/03/2021", "00123 115 16", "", "", "", "", "", "", "251 ", "251 "}));
        QCOMPARE(rows[3], (QStringList{"01/03/2021", "00456 116 31", " Gasoil", "1 500 ", "", "", "", "", "", "1 500 "}));
        QCOMPARE(rows[4], (QStringList{"09/03/2021", "", " Vidange", "", "", "", "400 ", "", "", "400 "})); // vehicle deleted

        // The totals add the amounts as stored, and each heading has its own.
        QCOMPARE(r.headingTotals, (std::array<double, 6>{4500.4, 0, 1500, 400, 0, 250.6}));
        QCOMPARE(r.vehicleTotal, 6651.0);
        QCOMPARE(journals::vehicleTotalText(r.headingTotals[0]), QStringLiteral("4 500"));
        QCOMPARE(journals::vehicleTotalText(r.headingTotals[1]), QString());
        QCOMPARE(journals::vehicleTotalText(r.vehicleTotal), QStringLiteral("6 651"));

        // By vehicle and heading, from one grouped query.
        const QList<journals::VehicleTotals> byVehicle = journals::totalsByVehicle(db(), marchSelection());
        QCOMPARE(byVehicle.size(), 3);
        QCOMPARE(byVehicle[0].vehicle, 1);
        QCOMPARE(byVehicle[0].matricule, QStringLiteral("00123 115 16"));
        QCOMPARE(byVehicle[0].byHeading, (std::array<double, 6>{3000, 0, 1500, 0, 0, 250.6}));
        QCOMPARE(byVehicle[0].total, 4750.6);
        QCOMPARE(byVehicle[1].byHeading, (std::array<double, 6>{1500.4, 0, 0, 0, 0, 0}));
        QCOMPARE(byVehicle[2].vehicle, 99);
        QCOMPARE(byVehicle[2].matricule, QString());
        QCOMPARE(byVehicle[2].total, 400.0);
    }

    void aPeriodTotalsEachHeadingAsItsLinesAddUp()
    {
        // Whatever the lines, each heading's total is the sum of its column, and the whole their sum.
        march();
        for (int i = 0; i < 60; ++i)
            addExpense(100 + i, QStringLiteral("2021-03-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')), 10.25 * (i + 1), 0,
                       i % 6, 1 + i % 2, QVariant());
        const journals::Report r = journals::read(db(), marchSelection());
        std::array<double, 6> columns{};
        double whole = 0;
        for (const journals::VehicleLine& l : r.vehicleLines) {
            columns[l.heading] += l.montant;
            whole += l.montant;
        }
        QCOMPARE(r.headingTotals, columns);
        QCOMPARE(r.vehicleTotal, whole);
        double byVehicle = 0;
        for (const journals::VehicleTotals& v : journals::totalsByVehicle(db(), marchSelection()))
            byVehicle += v.total;
        QCOMPARE(byVehicle, whole);
    }

    void salariesListThePaysClosedInThePeriodAndTheAdvances()
    {
        march();
        const journals::Report r = journals::read(db(), marchSelection());
        // Only the advance on salary of the period: not February's, not the vehicle or account expenses.
        QCOMPARE(r.advances.toDouble(), 5000.0);
        QCOMPARE(journals::advancesText(r.advances), QStringLiteral("5 000"));
        QCOMPARE(journals::kAdvancesLabel, QStringLiteral("Avances sur salaire de la période --->"));
        QCOMPARE(nums(r.pays), (QList<qint64>{1, 2, 4})); // by date then number; the open month is not there
        const QList<QStringList> rows = journals::cells(r, Journal::Pays);
        QCOMPARE(journals::captions(Journal::Pays),
                 (QStringList{"N°", "Date", "Nom", "Prénom", "Fonction", "Mois", "Taux ", "N.J.", "BRUT", "Avances", "Net"}));
        // "Net" is the pay's net: after the CNAS and the income tax too.
        QCOMPARE(rows[0], (QStringList{" 1", "01/03/2021", " BENALI", " Karim", " Comptable", " 2 ", " 1000 ", " 26 ",
                                       "26 000 ", "5 000 ", "17 021 "}));
        // Deductions above the gross: an empty "Net", and the negative net lowers the grand total.
        QCOMPARE(rows[1], (QStringList{" 2", "01/03/2021", " HAMIDI", " Samir", " Chauffeur", " 2 ", " 40 ", " 25 ", "1 000 ",
                                       "1 500 ", ""}));
        QCOMPARE(rows[2], (QStringList{" 3", "31/03/2021", "", "", "", " 3 ", "", "", "500 ", "", "500 "}));
        QCOMPARE(r.payTotal, 5000 + 17020.8 - 500 + 500);
        QCOMPARE(journals::payTotalText(r.payTotal), QStringLiteral("22 021"));

        // A period without advance shows no advances and starts the grand total at 0.
        const journals::Report april = journals::read(db(), *journals::period("01/04/2021", "30/04/2021"));
        QVERIFY(april.advances.isNull());
        QCOMPARE(journals::advancesText(april.advances), QString());
        QCOMPARE(april.payTotal, 0.0);
        QCOMPARE(journals::payTotalText(april.payTotal), QString());
    }

    void otherExpensesAndReceiptsNameTheirPersons()
    {
        march();
        const journals::Report r = journals::read(db(), marchSelection());
        // The client's line, the driver's account line, the line of a deleted person; never an advance.
        QCOMPARE(nums(r.otherExpenses), (QList<qint64>{8, 9, 10}));
        QCOMPARE(journals::cells(r, Journal::Others),
                 (QList<QStringList>{{" 1", "06/03/2021", " SARL NOUR", "800 ", "Chèque", " Règlement fournisseur"},
                                     {" 2", "07/03/2021", " HAMIDI Samir", "300 ", "Espèces", " Frais de route"},
                                     {" 3", "08/03/2021", " Divers Bénéficiaire", "120 ", "Espèces", ""}}));
        QCOMPARE(journals::otherTotalText(r.otherTotal), QStringLiteral("1 220"));

        QCOMPARE(nums(r.receipts), (QList<qint64>{1, 2, 3}));
        QCOMPARE(journals::cells(r, Journal::Receipts),
                 (QList<QStringList>{{" 1", "03/03/2021", " Client Divers", "1 200 ", "Espèces", " Vente de ferraille"},
                                     {" 2", "04/03/2021", " SARL NOUR", "3 500 ", "Chèque", " Location"},
                                     {" 3", "04/03/2021", " Client Divers", "900 ", "Espèces", " Transport"}}));
        QCOMPARE(journals::receiptTotalText(r.receiptTotal), QStringLiteral("5 600"));
        QCOMPARE(journals::captions(Journal::Receipts)[2], QStringLiteral("Partie versante"));
        QCOMPARE(journals::captions(Journal::Others)[2], QStringLiteral("Bénéficiaire"));
    }

    void totalTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("vehicles");
        QTest::addColumn<QString>("others");
        QTest::addColumn<QString>("receipts");
        QTest::newRow("zero") << 0.0 << "" << "" << "";
        QTest::newRow("whole units") << 1234567.4 << "1 234 567" << "1 234 567" << "1 234 567";
        QTest::newRow("half up") << 999.5 << "1 000" << "1 000" << "1 000";
        QTest::newRow("negative") << -250.0 << "-250" << "" << "-250"; // "Autres dépenses" shows a total above 0 only
    }
    void totalTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, vehicles);
        QFETCH(QString, others);
        QFETCH(QString, receipts);
        QCOMPARE(journals::vehicleTotalText(value), vehicles);
        QCOMPARE(journals::payTotalText(value), vehicles);
        QCOMPARE(journals::otherTotalText(value), others);
        QCOMPARE(journals::receiptTotalText(value), receipts);
    }

    void everyExpenseOfThePeriodIsCountedOnce()
    {
        // Generated ledgers with every kind of line, the unwritten columns included: the vehicle journal,
        // the advances and "Autres dépenses" share out the period's expenses, each line once.
        QRandomGenerator random(20210301);
        const QList<QVariant> counterparts = {0, 1, 3, QVariant()};
        const QList<QVariant> types = {0, 1, 2, 3, 4, 5, 7, 10, -1, QVariant()};
        for (int round = 0; round < 20; ++round) {
            db().execute("DELETE FROM Depenses");
            const int lines = random.bounded(1, 60);
            for (int i = 1; i <= lines; ++i) {
                const QDate date = QDate(2021, 2, 20).addDays(random.bounded(50));
                addExpense(i, date.toString(Qt::ISODate), random.bounded(1, 100000) / 100.0,
                           counterparts[random.bounded(counterparts.size())], types[random.bounded(types.size())],
                           random.bounded(2) ? QVariant(random.bounded(1, 4)) : QVariant(),
                           random.bounded(2) ? QVariant(random.bounded(10, 13)) : QVariant());
            }
            const journals::Selection period = marchSelection();
            const journals::Report r = journals::read(db(), period);
            const db::Row all = db().queryOne(
                "SELECT count(*) AS n, coalesce(sum(Montant), 0) AS total FROM Depenses WHERE date >= '2021-03-01' AND date <= '2021-03-31'");
            const qint64 advances = db().scalar(
                "SELECT count(*) FROM Depenses WHERE contrepartie = 1 AND Type_Dep = 10 AND date >= '2021-03-01' AND date <= '2021-03-31'")
                                        .toLongLong();
            QCOMPARE(r.vehicleLines.size() + advances + r.otherExpenses.size(), all.integer("n"));
            QVERIFY(qAbs(r.vehicleTotal + r.advances.toDouble() + r.otherTotal - all.number("total")) < 1e-6);
            QList<qint64> seen = nums(r.vehicleLines) + nums(r.otherExpenses);
            std::sort(seen.begin(), seen.end());
            QVERIFY(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
        }
    }

    // ---- a long journal, read a page at a time ---------------------------------------------------------

    void aLongJournalReadsEveryLineInOrderAcrossItsPages_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("short period, by date then sorted") << "01/03/2021" << "31/03/2021";
        QTest::newRow("long period, in the vehicle index") << "01/01/2021" << "31/12/2021";
    }
    void aLongJournalReadsEveryLineInOrderAcrossItsPages()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        for (int v = 1; v <= 7; ++v)
            addVehicle(v, QStringLiteral("0000%1 115 16").arg(v));
        addPerson(10, 1, "HAMIDI", "Samir", "Chauffeur");
        // More lines than three pages, in March, numbered against their order (by vehicle, date, number).
        const int lines = 3 * journals::Lines<journals::VehicleLine>::kPage + 17;
        QRandomGenerator random(2021);
        {
            db::Transaction t(db());
            for (int i = 1; i <= lines; ++i) {
                const QString iso = QDate(2021, 3, 1).addDays(random.bounded(31)).toString(Qt::ISODate);
                addExpense(lines + 1 - i, iso, i, 0, i % 6, random.bounded(1, 8), QVariant(), QStringLiteral("ligne %1").arg(i));
                addReceipt(lines + 1 - i, iso, i, 1, 10, QVariant(), QStringLiteral("recette %1").arg(i));
            }
            t.commit();
        }
        const journals::Report r = journals::read(db(), *journals::period(from, to));

        QStringList expected;
        for (const db::Row& row : db().query("SELECT d.num, d.date, v.matricule, d.ref, d.Montant FROM Depenses d "
                                             "JOIN Vehicules v ON v.num = d.num_vehicule ORDER BY d.num_vehicule, d.date, d.num"))
            expected << row.values().at(0).toString() + u'|' + db::toShownDate(row.value(1)) + u'|' + row.text("matricule") + u'|'
                            + row.text("ref") + u'|' + QString::number(row.number("Montant"));
        QStringList got;
        for (qsizetype i = 0; i < r.vehicleLines.size(); ++i) {
            const journals::VehicleLine l = r.vehicleLines[i];
            got << QString::number(l.num) + u'|' + l.date + u'|' + l.matricule + u'|' + l.ref.toString() + u'|' + QString::number(l.montant);
        }
        QCOMPARE(got, expected);
        QCOMPARE(r.vehicleTotal, lines * (lines + 1) / 2.0);
        // Lines asked for out of order, far apart, and again after other pages came and went.
        for (const qsizetype i : {qsizetype(lines - 1), qsizetype(0), qsizetype(300), qsizetype(lines - 1), qsizetype(5)})
            QCOMPARE(QString::number(r.vehicleLines[i].num), expected[i].section(u'|', 0, 0));

        QList<qint64> receipts;
        for (const db::Row& row : db().query("SELECT num FROM Recettes ORDER BY date, num"))
            receipts << row.integer("num");
        QCOMPARE(nums(r.receipts), receipts);
        QCOMPARE(r.receipts[lines - 1].nom, QStringLiteral("HAMIDI"));
        QCOMPARE(journals::keys(r, Journal::Receipts).size(), lines);

        // A line deleted after the report was read (its page not read yet) shows blank under its number.
        const journals::Report unread = journals::read(db(), *journals::period(from, to));
        const qint64 gone = unread.receipts.keys().at(lines - 2);
        db().execute("DELETE FROM Recettes WHERE num = ?", {gone});
        const journals::MoneyLine blank = unread.receipts[lines - 2];
        QCOMPARE(blank.num, gone);
        QVERIFY(blank.date.isEmpty() && blank.montant == 0 && !blank.found);
        QCOMPARE(unread.receipts[lines - 1].num, receipts[lines - 1]);
        QVERIFY(unread.receipts[lines - 1].montant > 0);
        QCOMPARE(journals::read(db(), *journals::period(from, to)).receipts.size(), lines - 1);
    }

    // ---- the average per day ---------------------------------------------------------------------------

    void theAverageIsTheVehiclesExpensesPerDay()
    {
        addVehicle(1, "00123 115 16", 7.0);
        addVehicle(2, "00456 116 31", 7.0);
        addVehicle(3, "00789 112 16", 7.0);
        addExpense(1, "2021-03-01", 1000, 0, 0, 1, QVariant());
        addExpense(2, "2021-03-30", 2000, 0, 2, 1, QVariant());
        addExpense(3, "2021-03-31", 9000, 0, 0, 1, QVariant());  // after the period
        addExpense(4, "2021-03-10", 600, 0, QVariant(), 2, QVariant()); // any line of the vehicle counts
        addExpense(5, "2021-03-10", 8000, 1, 10, QVariant(), 10);      // not a vehicle's
        journals::writeAverages(db(), *journals::period("01/03/2021", "30/03/2021"));
        QCOMPARE(moyenne(1), 100.0); // 3000 over 30 days
        QCOMPARE(moyenne(2), 20.0);
        QCOMPARE(moyenne(3), 0.0);   // no expense: 0, not the old figure
        QVERIFY(!db().queryOne("SELECT moyenne FROM Vehicules WHERE num = 3").isNull("moyenne"));

        // One day divides by 1.
        journals::writeAverages(db(), *journals::day("31/03/2021"));
        QCOMPARE(moyenne(1), 9000.0);
        QCOMPARE(moyenne(2), 0.0);
    }

    // ---- the screen ------------------------------------------------------------------------------------

    void theScreenOpensOnTheDatePanelWithToday()
    {
        f_jrnl2 screen(s());
        const QString today = s().defaultDay().toString("dd/MM/yyyy");
        QCOMPARE(screen.dayField()->text(), today);
        QCOMPARE(screen.fromField()->text(), today);
        QCOMPARE(screen.toField()->text(), today);
        QCOMPARE(screen.dateTabs()->currentIndex(), 0);
        QCOMPARE(screen.dateTabs()->tabText(0), QStringLiteral("Un Jour"));
        QCOMPARE(screen.dateTabs()->tabText(1), QStringLiteral("Une Période"));
        QCOMPARE(screen.journalTabs()->currentIndex(), 0);
        QStringList tabs;
        for (int t = 0; t < screen.journalTabs()->count(); ++t)
            tabs << screen.journalTabs()->tabText(t);
        QCOMPARE(tabs, (QStringList{"Dép. véhicules", "Salaires", "Autres dépenses", "Recettes"}));
        QCOMPARE(screen.side()->panel(), screen.datePanel());
        QVERIFY(!screen.journalTabs()->isEnabled());
        QVERIFY(screen.command("autreDate")->isHidden());
        QVERIFY(screen.command("imprimer")->isHidden());
        QCOMPARE(screen.heading()->text(), QString());
        QCOMPARE(screen.windowTitle(), QStringLiteral(" "));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void enterRunsTheComputationOfItsTab()
    {
        march();
        f_jrnl2 screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.dayField()->setFocus();
        screen.dayField()->setText("02/03/2021");
        QTest::keyClick(screen.dayField(), Qt::Key_Return);
        QVERIFY(screen.hasReport());
        QCOMPARE(screen.heading()->text(), QStringLiteral("Journée du  02/03/2021"));
        QCOMPARE(nums(screen.report().vehicleLines), (QList<qint64>{2, 3}));
        QCOMPARE(screen.model(Journal::Vehicles)->rowCount(), 2);
        QCOMPARE(screen.model(Journal::Vehicles)->cell(0, 5), QStringLiteral("1 500 "));
        // The journals' models are sound as models, through the period computed below too.
        std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
        for (int j = 0; j < journals::kJournals; ++j)
            testers.push_back(std::make_unique<QAbstractItemModelTester>(screen.model(Journal(j)), QAbstractItemModelTester::FailureReportingMode::QtTest));
        QCOMPARE(screen.vehicleTotal()->text(), QStringLiteral("4 500"));
        QCOMPARE(screen.headingTotal(0)->text(), QStringLiteral("3 000"));
        QCOMPARE(screen.headingTotal(2)->text(), QStringLiteral("1 500"));
        QCOMPARE(screen.headingTotal(1)->text(), QString());
        QVERIFY(!screen.side()->isOpen());
        QVERIFY(screen.journalTabs()->isEnabled());
        QVERIFY(!screen.command("autreDate")->isHidden());
        QVERIFY(!screen.command("imprimer")->isHidden());

        // "Autre date": the panel again, the journals disabled, the period's dates emptied.
        screen.command("autreDate")->click();
        QCOMPARE(screen.side()->panel(), screen.datePanel());
        QVERIFY(!screen.journalTabs()->isEnabled());
        QVERIFY(screen.command("autreDate")->isHidden());
        QVERIFY(screen.command("imprimer")->isHidden());
        QCOMPARE(screen.fromField()->text(), QString());
        QCOMPARE(screen.toField()->text(), QString());

        // Enter in " Du" goes to " Au"; Enter in " Au" runs the period.
        screen.dateTabs()->setCurrentIndex(1);
        QTest::keyClicks(screen.fromField(), "01032021");
        QCOMPARE(screen.fromField()->text(), QStringLiteral("01/03/2021"));
        QTest::keyClick(screen.fromField(), Qt::Key_Return);
        QVERIFY(screen.toField()->hasFocus());
        QVERIFY(screen.side()->isOpen());
        QTest::keyClicks(screen.toField(), "31032021");
        QTest::keyClick(screen.toField(), Qt::Key_Return);
        QVERIFY(!screen.side()->isOpen());
        QCOMPARE(screen.heading()->text(), QStringLiteral("Période du  01/03/2021 au 31/03/2021"));
        QCOMPARE(screen.model(Journal::Pays)->rowCount(), 3);
        QCOMPARE(screen.advances()->text(), QStringLiteral("5 000"));
        QCOMPARE(screen.payTotal()->text(), QStringLiteral("22 021"));
        QCOMPARE(screen.otherTotal()->text(), QStringLiteral("1 220"));
        QCOMPARE(screen.receiptTotal()->text(), QStringLiteral("5 600"));
        QCOMPARE(screen.model(Journal::Receipts)->cell(2, 2), QStringLiteral(" Client Divers"));
        QCOMPARE(moyenne(1), 4750.6 / 31);
        QCOMPARE(moyenne(3), 0.0);
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void wrongDatesAreRefusedAndTheDatePanelStays_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("day empty") << 0 << "" << "" << "Date incorrecte";
        QTest::newRow("day too short") << 0 << "2/03/2021" << "" << "Date incorrecte";
        QTest::newRow("day not in the calendar") << 0 << "30/02/2021" << "" << "Date incorrecte";
        QTest::newRow("from empty") << 1 << "" << "31/03/2021" << "Date incorrecte";
        QTest::newRow("to too short") << 1 << "01/03/2021" << "31/03/21" << "Date incorrecte";
        QTest::newRow("inverted") << 1 << "31/03/2021" << "01/03/2021" << "Dates inversées";
    }
    void wrongDatesAreRefusedAndTheDatePanelStays()
    {
        QFETCH(int, tab);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        march();
        f_jrnl2 screen(s());
        screen.dateTabs()->setCurrentIndex(tab);
        (tab == 0 ? screen.dayField() : screen.fromField())->setText(from);
        screen.toField()->setText(to);
        screen.computeButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m(message, Icon::Critical, "ATTENTION")}));
        QVERIFY(!screen.hasReport());
        QCOMPARE(screen.side()->panel(), screen.datePanel());
        QVERIFY(!screen.journalTabs()->isEnabled());
        QCOMPARE(moyenne(3), 55.0); // nothing computed, nothing written
    }

    void closeLeavesTheScreen()
    {
        f_jrnl2 screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.closeButton()->click();
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.result(), int(QDialog::Rejected));
    }

    // ---- printing --------------------------------------------------------------------------------------

    void eachJournalPrintsItsLines_data()
    {
        QTest::addColumn<int>("journal");
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("buffer");
        QTest::addColumn<QString>("ch5");
        QTest::addColumn<QString>("ch6");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("vehicles") << 0 << "JRNAL_1.RPT" << "Journal des dépenses des véhicules"
                                  << QStringList{"2", "3", "4", "1", "11"} << "" << ""
                                  << QStringList{"00123 115 16", "00456 116 31", "Plaquettes de frein", "Vidange", "4 500",
                                                 "6 651", "4 751", "Récapitulatif par véhicule", "Totaux"}
                                  << QStringList{"Frais de route", "Avance sur salaire", "999", "777"};
        QTest::newRow("pays") << 1 << "JRNAL_2.RPT" << "Journal des salaires" << QStringList{"1", "2", "4"}
                              << "Avances sur salaires -->  5000" << "Total Général -->  22021"
                              << QStringList{"BENALI", "Karim", "Comptable", "HAMIDI", "26 000", "17 021",
                                             "Avances sur salaires --> 5000", "Total Général --> 22021"}
                              << QStringList{"Vidange"};
        QTest::newRow("other expenses") << 2 << "JRNAL_3.RPT" << "Journal des autres dépenses" << QStringList{"8", "9", "10"}
                                        << "" << ""
                                        << QStringList{"SARL NOUR", "HAMIDI Samir", "Divers Bénéficiaire", "Règlement fournisseur",
                                                       "Frais de route", "1 220", "Chèque"}
                                        << QStringList{"Avance sur salaire", "Plaquettes"};
        QTest::newRow("receipts") << 3 << "JRNAL_4.RPT" << "Journal des recettes" << QStringList{"1", "2", "3"} << "" << ""
                                  << QStringList{"Client Divers", "SARL NOUR", "Vente de ferraille", "Location", "Transport",
                                                 "5 600"}
                                  << QStringList{"Hors période"};
    }
    void eachJournalPrintsItsLines()
    {
        QFETCH(int, journal);
        QFETCH(QString, templateName);
        QFETCH(QString, title);
        QFETCH(QStringList, buffer);
        QFETCH(QString, ch5);
        QFETCH(QString, ch6);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, absent);
        f_->reset();
        f_->folder->write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("TRANSPORTS EL AMEL")},
                                               {38, ProtectedSettings::encodeText("Location de véhicules")},
                                               {40, ProtectedSettings::encodeText(journal % 2 ? "Oran" : "")}}));
        f_->openExercise();
        march();
        f_jrnl2 screen(s());
        computePeriod(screen, "01/03/2021", "31/03/2021");
        screen.journalTabs()->setCurrentIndex(journal);
        ui().clear();
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(s().reportTemplate, templateName);
        QCOMPARE(ui().reportTitles, QStringList{title});

        QStringList keys;
        for (const db::Row& r : db().query("SELECT num FROM Tampon1 ORDER BY rowid"))
            keys << r.text("num");
        QCOMPARE(keys, buffer);
        const db::Row textes = db().queryOne("SELECT * FROM textes");
        QCOMPARE(textes.text("ch4"), QStringLiteral("Période du  01/03/2021 au 31/03/2021"));
        if (journal == 1) {
            QCOMPARE(textes.text("ch5"), ch5);
            QCOMPARE(textes.text("ch6"), ch6);
        }

        QString text = pdfText(ui().reports.value(0));
        QVERIFY2(!text.isEmpty(), "no document");
        text.replace(QRegularExpression(" +"), " ");
        for (const QString& expected : shown + QStringList{"TRANSPORTS EL AMEL", "Location de véhicules", title,
                                                           "Période du 01/03/2021 au 31/03/2021"})
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
        for (const QString& other : absent)
            QVERIFY2(!text.contains(other), qPrintable(other + "\n" + text));
        QVERIFY2(journal % 2 ? text.contains("(Oran)") : !text.contains("()"), qPrintable(text));

        // An A4 sheet, across for the wide journals.
        QPdfDocument pdf;
        pdf.load(ui().reports.value(0));
        const QSizeF page = pdf.pagePointSize(0);
        const QSizeF a4 = journal < 2 ? QSizeF(842, 595) : QSizeF(595, 842);
        QVERIFY2(qAbs(page.width() - a4.width()) < 2 && qAbs(page.height() - a4.height()) < 2,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        keepPdf(ui().reports.value(0), QFileInfo(templateName).completeBaseName() + ".pdf");
    }

    void anEmptyJournalPrintsNothing()
    {
        march();
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        f_jrnl2 screen(s());
        computePeriod(screen, "01/06/2021", "30/06/2021");
        for (int j = 0; j < journals::kJournals; ++j) {
            screen.journalTabs()->setCurrentIndex(j);
            screen.command("imprimer")->click();
        }
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(ui().reports, QStringList{});
        QCOMPARE(db().scalar("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("99"));
    }

    void printingWithoutTheTemplateSaysSoAndWritesNothing()
    {
        march();
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        QFile::remove(f_->folder->file("JRNAL_3.RPT"));
        f_jrnl2 screen(s());
        computePeriod(screen, "01/03/2021", "31/03/2021");
        screen.journalTabs()->setCurrentIndex(2);
        screen.command("imprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Fichier 'JRNAL_3.RPT' absent", Icon::Critical, "Z.E.B.")}));
        QCOMPARE(ui().reports, QStringList{});
        QCOMPARE(db().scalar("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("99"));
    }

    // ---- engine refusals -------------------------------------------------------------------------------

    void aRefusedAverageLeavesTheDatePanelAndTheVehicles()
    {
        march();
        db().execute("CREATE TRIGGER refuse BEFORE UPDATE ON Vehicules BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        const db::Rows before = db().query("SELECT * FROM Vehicules ORDER BY num");
        f_jrnl2 screen(s());
        test::showOn(screen, test::testScreens().first());
        computePeriod(screen, "01/03/2021", "31/03/2021");
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("écriture refusée", Icon::Critical, "Z.E.B.")}));
        QVERIFY(screen.isVisible());
        QVERIFY(!screen.hasReport());
        QCOMPARE(screen.side()->panel(), screen.datePanel());
        const db::Rows after = db().query("SELECT * FROM Vehicules ORDER BY num");
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < after.size(); ++i)
            QCOMPARE(after[i].values(), before[i].values());
    }

    void aRefusedPrintLeavesTheScreenAndTheBuffer_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("event");
        QTest::newRow("print buffer") << "Tampon1" << "INSERT";
        QTest::newRow("report texts") << "textes" << "UPDATE";
    }
    void aRefusedPrintLeavesTheScreenAndTheBuffer()
    {
        QFETCH(QString, table);
        QFETCH(QString, event);
        march();
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        f_jrnl2 screen(s());
        test::showOn(screen, test::testScreens().first());
        computePeriod(screen, "01/03/2021", "31/03/2021");
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(event, table));
        const QVariantList textes = db().queryOne("SELECT * FROM textes").values();
        screen.command("imprimer")->click();
        QCOMPARE(ui().last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QCOMPARE(ui().reports, QStringList{});
        QVERIFY(screen.isVisible());
        QVERIFY(screen.hasReport());
        QCOMPARE(db().scalar("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("99"));
        QCOMPARE(db().queryOne("SELECT * FROM textes").values(), textes);
    }

    // ---- the screen on the screens it must fit ---------------------------------------------------------

    void fitsTheScreenInEveryState()
    {
        march();
        addVehicle(4, "01234 199 16");
        for (int i = 0; i < 40; ++i) {
            addExpense(200 + i, QStringLiteral("2021-03-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')), 1234567.5 / (i + 1), 0,
                       i % 6, 1 + i % 4, QVariant(),
                       i == 3 ? QStringLiteral("Remplacement du pare-brise et des deux rétroviseurs après l'accident du col")
                              : QStringLiteral("Dépense %1").arg(i));
            addReceipt(200 + i, "2021-03-20", 1000 + i, 1, 12, QVariant(), QStringLiteral("Versement %1").arg(i));
        }
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            f_jrnl2 report(s());
            test::showOn(report, screen);
            QCOMPARE(test::outsideScreen(report), QStringList());
            test::saveShot(report, "f_jrnl2_date" + size);
            const int width = report.width();

            report.dateTabs()->setCurrentIndex(1);
            test::settle(report);
            QCOMPARE(test::outsideScreen(report), QStringList());
            test::saveShot(report, "f_jrnl2_periode" + size);

            computePeriod(report, "01/03/2021", "31/03/2021");
            for (int j = 0; j < journals::kJournals; ++j) {
                report.journalTabs()->setCurrentIndex(j);
                test::settle(report);
                QCOMPARE(test::outsideScreen(report), QStringList());
                QCOMPARE(report.width(), width);
                test::saveShot(report, QStringLiteral("f_jrnl2_journal%1").arg(j + 1) + size);
                // Every amount shown whole; the free text takes the spare width.
                const QTableView* grid = report.grid(Journal(j));
                const QHeaderView* header = grid->horizontalHeader();
                const QFontMetrics amounts(kit::amountFont());
                for (int c : journals::rightColumns(Journal(j)))
                    for (int r = 0; r < report.model(Journal(j))->rowCount(); ++r)
                        QVERIFY(header->sectionSize(c) > amounts.horizontalAdvance(report.model(Journal(j))->cell(r, c)));
                QCOMPARE(header->sectionResizeMode(journals::textColumn(Journal(j))), QHeaderView::Stretch);
            }
            report.command("autreDate")->click();
            test::settle(report);
            QCOMPARE(test::outsideScreen(report), QStringList());
            test::saveShot(report, "f_jrnl2_autre_date" + size);
        }
    }

    // ==== the monthly running charges ===================================================================

    void chargesOpenOnTheirStoredValues()
    {
        db().execute("UPDATE Permn SET Charge1 = 25000, Charge2 = 1234567.5, Charge3 = NULL, Charge4 = 0, Charge5 = 0.5, "
                     "Charge6 = NULL, Charge7 = NULL, Charge8 = 1259568, Charge9 = 41985.6");
        Chrges screen(s());
        QStringList shown;
        for (int i = 0; i < charges::kFields; ++i)
            shown << screen.field(i)->text();
        QCOMPARE(shown, (QStringList{"25000.00", "1234567.50", "", ".00", ".50", "", "", "1259568.00", "41985.60"}));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(screen.windowTitle(), QStringLiteral(" "));
    }

    void theMonthlyTotalFollowsTheTyping_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("perDay");
        QTest::newRow("3 000 gives 100 a day") << QStringList{"1000", "2000", "", "", "", "", ""} << "3 000.00" << "100.00";
        QTest::newRow("every charge") << QStringList{"25000", "15000", "8000.50", "3200", "450", "1800.25", "999"}
                                      << "54 449.75" << "1814.99";
        QTest::newRow("millions") << QStringList{"1234567.89", "", "", "", "", "", "1"} << "1 234 568.89" << "41152.30";
        QTest::newRow("all cleared") << QStringList{"", "", "", "", "", "", ""} << "" << ".00";
        QTest::newRow("below nothing") << QStringList{"-500", "", "", "", "", "", ""} << "" << ".00";
    }
    void theMonthlyTotalFollowsTheTyping()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, total);
        QFETCH(QString, perDay);
        Chrges screen(s());
        for (int i = 0; i < charges::kTyped; ++i)
            screen.field(i)->setText(typed[i]);
        QCOMPARE(screen.field(7)->text(), total);
        QCOMPARE(charges::perDayText(total), perDay);
    }

    void savingStoresTheNineCharges()
    {
        db().execute("UPDATE Permn SET Charge1 = 500, Charge8 = 500, Charge9 = 16.67");
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        QTest::keyClicks(screen.field(0), "1000");  // entering the field selected its text: typing replaces it
        QCOMPARE(screen.field(0)->text(), QStringLiteral("1000"));
        QTest::keyClick(screen.field(0), Qt::Key_Return);
        QVERIFY(screen.field(1)->hasFocus());
        QTest::keyClicks(screen.field(1), "1999,5");   // the comma becomes a point
        QTest::keyClick(screen.field(1), Qt::Key_Down);
        QVERIFY(screen.field(2)->hasFocus());
        QTest::keyClick(screen.field(2), Qt::Key_Up);
        QVERIFY(screen.field(1)->hasFocus());
        screen.field(6)->setText(".5");
        QCOMPARE(screen.field(7)->text(), QStringLiteral("3 000.00"));
        screen.command("valider")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Sauvegarde en cours", Icon::NoIcon, "ZEB")}));
        QCOMPARE(screen.field(8)->text(), QStringLiteral("100.00"));
        QVERIFY(!screen.isVisible());
        const db::Row permn = db().queryOne("SELECT * FROM Permn");
        QCOMPARE(permn.number("Charge1"), 1000.0);
        QCOMPARE(permn.number("Charge2"), 1999.5);
        QCOMPARE(permn.number("Charge7"), 0.5);
        for (const char* zero : {"Charge3", "Charge4", "Charge5", "Charge6"}) {
            QVERIFY(!permn.isNull(zero));
            QCOMPARE(permn.number(zero), 0.0);
        }
        QCOMPARE(permn.number("Charge8"), 3000.0);
        QCOMPARE(permn.number("Charge9"), 100.0);
        QCOMPARE(db().scalar("SELECT count(*) FROM Permn").toInt(), 1);
    }

    void enterFromTheSeventhGoesBackToTheFirst()
    {
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.field(6)->setFocus();
        QTest::keyClick(screen.field(6), Qt::Key_Down); // not beyond the seventh
        QVERIFY(screen.field(6)->hasFocus());
        QTest::keyClick(screen.field(6), Qt::Key_Return);
        QVERIFY(screen.field(0)->hasFocus());
        QTest::keyClick(screen.field(0), Qt::Key_Up);
        QVERIFY(screen.field(0)->hasFocus());
    }

    void clearingEveryChargeStoresNothingToPay()
    {
        db().execute("UPDATE Permn SET Charge1 = 1000, Charge2 = 2000, Charge8 = 3000, Charge9 = 100");
        Chrges screen(s());
        screen.field(0)->clear();
        screen.field(1)->clear();
        QCOMPARE(screen.field(7)->text(), QString());
        screen.command("valider")->click();
        const db::Row permn = db().queryOne("SELECT * FROM Permn");
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(permn.number(QStringLiteral("Charge%1").arg(i)), 0.0);
        QVERIFY(!permn.isNull("Charge8") && !permn.isNull("Charge9"));
    }

    void savingWithoutAChangeWritesNothing()
    {
        db().execute("UPDATE Permn SET Charge1 = 1000, Charge8 = 1000");
        db().execute("CREATE TRIGGER refuse BEFORE UPDATE ON Permn BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.field(0)->setText("2000");
        screen.field(0)->setText("1000.00"); // typed again as it was: the total is shown again, the same amount
        screen.command("valider")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.result(), int(QDialog::Accepted));
    }

    // A journal shows whole units; its export writes the amounts themselves.
    void theExportWritesTheExactAmounts()
    {
        march();
        const journals::Report r = journals::read(db(), marchSelection());
        std::unique_ptr<kit::GridModel> vehicles(journals::newJournalList(Journal::Vehicles));
        journals::showJournal(*vehicles, Journal::Vehicles, &r);
        const QByteArray csv = exports::csvBytes(kit::tableOf(*vehicles), exports::CsvStyle::French);
        // 1 500.40 shows "1 500" and 250.60 shows "251"; their texts lose the list's leading blank.
        QVERIFY2(csv.contains("01/03/2021;00456 116 31;Gasoil;1500,4;;;;;;1500,4\r\n"), csv.constData());
        QVERIFY2(csv.contains("15/03/2021;00123 115 16;;;;;;;250,6;250,6\r\n"), csv.constData());

        std::unique_ptr<kit::GridModel> pays(journals::newJournalList(Journal::Pays));
        journals::showJournal(*pays, Journal::Pays, &r);
        const kit::ExportTable table = kit::tableOf(*pays);
        // BENALI's closed pay: gross 26 000, advances 5 000, net 17 020.80 (shown "17 021").
        QCOMPARE(table.rows[0][10].kind, kit::ExportCell::Number);
        QCOMPARE(table.rows[0][10].number, 17020.8);
        QCOMPARE(table.rows[0][10].text, QStringLiteral("17020.8"));
        QCOMPARE(table.rows[0][9].number, 5000.0);
        QCOMPARE(table.rows[0][2].text, QStringLiteral("BENALI"));
    }

    void aChargeBeyondTheLargestAmountIsRefused()
    {
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        const QVariantList before = db().queryOne("SELECT * FROM Permn").values();
        screen.field(3)->setText("12345678901234");   // pasted: the key filter never saw it
        screen.command("valider")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m(kAmountTooLarge, Icon::Critical, "ATTENTION")}));
        QVERIFY(screen.field(3)->hasFocus());
        QCOMPARE(db().queryOne("SELECT * FROM Permn").values(), before);
    }

    // Seven charges each within the largest amount whose monthly total is beyond it: the total would be
    // stored as the eighth charge, so the save is refused and nothing is written.
    void aMonthlyTotalBeyondTheLargestAmountIsRefused()
    {
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        const QVariantList before = db().queryOne("SELECT * FROM Permn").values();
        for (int i = 0; i < 7; ++i)
            screen.field(i)->setText("999999999");
        screen.command("valider")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m(kAmountTooLarge, Icon::Critical, "ATTENTION")}));
        QVERIFY(screen.isVisible());
        QVERIFY(screen.field(6)->hasFocus());
        QCOMPARE(db().queryOne("SELECT * FROM Permn").values(), before);
        // Brought back within the largest amount, the same screen saves.
        for (int i = 1; i < 7; ++i)
            screen.field(i)->setText("");
        screen.command("valider")->click();
        QVERIFY(!screen.isVisible());
        QCOMPARE(db().queryOne("SELECT Charge8 FROM Permn").number("Charge8"), 999999999.0);
    }

    void aMalformedAmountIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("minus inside") << "12-50";
        QTest::newRow("two points") << "1.2.3";
        QTest::newRow("two minus") << "--5";
    }
    void aMalformedAmountIsRefused()
    {
        QFETCH(QString, typed);
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        const QVariantList before = db().queryOne("SELECT * FROM Permn").values();
        screen.field(3)->setText(typed);
        screen.command("valider")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Montant incorrect", Icon::Critical, "ATTENTION")}));
        QVERIFY(screen.isVisible());
        QVERIFY(screen.field(3)->hasFocus());
        QCOMPARE(db().queryOne("SELECT * FROM Permn").values(), before);
    }

    void closingWritesNothing()
    {
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        const QVariantList before = db().queryOne("SELECT * FROM Permn").values();
        screen.field(0)->setText("1000");
        screen.command("fermer")->click();
        QVERIFY(!screen.isVisible());
        QCOMPARE(db().queryOne("SELECT * FROM Permn").values(), before);
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void aRefusedSaveLeavesTheScreenAndTheCharges()
    {
        db().execute("UPDATE Permn SET Charge1 = 1000, Charge8 = 1000");
        db().execute("CREATE TRIGGER refuse BEFORE UPDATE ON Permn BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        const QVariantList before = db().queryOne("SELECT * FROM Permn").values();
        Chrges screen(s());
        test::showOn(screen, test::testScreens().first());
        screen.field(1)->setText("2000");
        screen.command("valider")->click();
        QCOMPARE(ui().last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QVERIFY(screen.isVisible());
        QCOMPARE(screen.field(1)->text(), QStringLiteral("2000"));
        QCOMPARE(db().queryOne("SELECT * FROM Permn").values(), before);
    }

    void chargesFitTheScreen()
    {
        db().execute("UPDATE Permn SET Charge1 = 123456789.5, Charge8 = 123456789.5, Charge9 = 4115226.32");
        for (QScreen* screen : test::testScreens()) {
            Chrges charges(s());
            test::showOn(charges, screen);
            QCOMPARE(test::outsideScreen(charges), QStringList());
            test::saveShot(charges, QStringLiteral("Chrges_%1").arg(screen->availableGeometry().height()));
        }
    }
};

KV_SCREEN_TEST_MAIN(JournalsTest)
#include "tst_journals.moc"
