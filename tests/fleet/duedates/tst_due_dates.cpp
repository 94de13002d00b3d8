// The due dates of the fleet: which insurance, inspection, sticker and oil change is listed (a table of
// cases), the order by urgency, the oil-change intervals of the parameters and their schema step, the
// main window's notice, and the "Échéances" screen: red overdue lines, ZOOM to the vehicle file, the
// printed list, engine refusals and the fit on both test screens.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/schema/ExerciseSchema.h"
#include "fleet/duedates/DueDates.h"
#include "fleet/duedates/F_Echeances.h"
#include "harness/ScreenFit.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"

#include <QColor>
#include <QFontMetrics>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QAbstractItemModelTester>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using duedates::Item;
using duedates::Kind;
using ui::Icon;

namespace {

/// In a table of rows to write: a second vehicle, 2 "B", written by the seed builder.
const QString kSecondVehicle = QStringLiteral("<vehicle 2 B>");

const QDate kToday(2021, 6, 15);

/// A line as the cases write it: kind, days left, overdue ("Assurance -15 retard").
QString brief(const Item& i)
{
    return duedates::kindText(i.kind) + u' ' + (i.due.isNull() ? QStringLiteral("km") : QString::number(i.daysLeft))
           + (i.overdue ? QStringLiteral(" retard") : QString());
}

} // namespace

class DueDatesTest : public FixtureTest {
    Q_OBJECT

    void exec(const QString& sql, const QVariantList& params = {}) { db().execute(sql, params); }
    QVariant value(const QString& sql) { return db().scalar(sql); }

    QStringList briefs(int horizon = 30)
    {
        QStringList out;
        for (const Item& i : duedates::dueItems(db(), kToday, horizon))
            out << brief(i);
        return out;
    }

    /// The fleet of the screen's tests: an insurance ending in 10 days, an inspection ended last month,
    /// an oil change due by kilometres and an archived vehicle whose insurance has ended.
    void fleet()
    {
        exec("INSERT INTO Marques (num, denom) VALUES (2, 'Renault')");
        exec("INSERT INTO Modeles (num, denom) VALUES (2, 'Master')");
        seed::vehicle(db(), {.num = 1, .matricule = "01234 119 16", .marque = 2, .modele = 2,
                             .more = {{"Date_vidange", "2021-05-01"}, {"Km_Vidange", 100000}}});
        seed::vehicle(db(), {.num = 2, .matricule = "05678 120 31", .marque = 2, .modele = 2});
        seed::vehicle(db(), {.num = 3, .matricule = "09999 115 16", .marque = 2, .modele = 2, .archived = true});
        exec("INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES (1, 1, 'SAA Blida', '2020-06-26', '2021-06-25'),"
             "(2, 3, 'CAAR', '2020-01-01', '2020-12-31')");
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 2, '2020-11-20', '2021-05-20')");
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES "
             "(1, '2021-06-10', 4500, 0, 0, 1, 110500)");
    }

    std::unique_ptr<F_Echeances> openScreen()
    {
        auto w = std::make_unique<F_Echeances>(s());
        w->setToday(kToday);
        w->show();
        return w;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
    }
    void cleanup() { f_.reset(); }

    // ---- the selection -----------------------------------------------------------------------------------

    void selection_data()
    {
        QTest::addColumn<QStringList>("rows");     // statements after the vehicle 1 (not archived) exists
        QTest::addColumn<QStringList>("expected"); // briefs, most urgent first
        const QString ass = "INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES ";
        const QString ctl = "INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES ";
        const QString vig = "INSERT INTO Vignettes (num, num_vehicule, Date, montant) VALUES ";
        const QString oil = "UPDATE Vehicules SET Date_vidange = %1, Km_Vidange = %2 WHERE num = 1";
        const QString km = "INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES ";

        QTest::newRow("insurance ended") << QStringList{ass + "(1, 1, 'SAA', '2020-06-01', '2021-05-31')"}
                                         << QStringList{"Assurance -15 retard"};
        QTest::newRow("insurance ending within the days") << QStringList{ass + "(1, 1, 'SAA', '2020-06-26', '2021-06-25')"}
                                                          << QStringList{"Assurance 10"};
        QTest::newRow("insurance ending today is not yet overdue")
            << QStringList{ass + "(1, 1, 'SAA', '2020-06-16', '2021-06-15')"} << QStringList{"Assurance 0"};
        QTest::newRow("insurance ending beyond the days") << QStringList{ass + "(1, 1, 'SAA', '2020-08-01', '2021-07-31')"}
                                                          << QStringList{};
        QTest::newRow("ended insurance replaced by a later one")
            << QStringList{ass + "(1, 1, 'SAA', '2020-06-01', '2021-05-31'), (2, 1, 'CAAR', '2021-06-01', '2022-05-31')"}
            << QStringList{};
        QTest::newRow("later insurance entered first still replaces")
            << QStringList{ass + "(1, 1, 'CAAR', '2021-06-01', '2022-05-31'), (2, 1, 'SAA', '2020-06-01', '2021-05-31')"}
            << QStringList{};
        QTest::newRow("replaced by one that ends within the days")
            << QStringList{ass + "(1, 1, 'SAA', '2020-06-01', '2021-05-31'), (2, 1, 'CAAR', '2021-06-01', '2021-07-01')"}
            << QStringList{"Assurance 16"};
        QTest::newRow("insurance of another vehicle does not replace")
            << QStringList{kSecondVehicle,
                           ass + "(1, 1, 'SAA', '2020-06-01', '2021-05-31'), (2, 2, 'CAAR', '2021-06-01', '2022-05-31')"}
            << QStringList{"Assurance -15 retard"};
        QTest::newRow("inspection ended") << QStringList{ctl + "(1, 1, '2020-11-15', '2021-05-15')"}
                                          << QStringList{"Contrôle technique -31 retard"};
        QTest::newRow("inspection replaced") << QStringList{ctl + "(1, 1, '2020-11-15', '2021-05-15'), (2, 1, '2021-05-20', '2021-11-20')"}
                                             << QStringList{};
        QTest::newRow("sticker older than a year") << QStringList{vig + "(1, 1, '2020-03-31', 6000)"}
                                                   << QStringList{"Vignette -76 retard"};
        QTest::newRow("sticker running out within the days") << QStringList{vig + "(1, 1, '2020-07-01', 6000)"}
                                                             << QStringList{"Vignette 16"};
        QTest::newRow("sticker of this year") << QStringList{vig + "(1, 1, '2021-03-31', 6000)"} << QStringList{};
        QTest::newRow("blank end dates are not due") << QStringList{ass + "(1, 1, 'SAA', '2020-06-01', NULL)",
                                                                    ctl + "(1, 1, '2020-11-15', '')"}
                                                     << QStringList{};
        QTest::newRow("archived vehicle left out")
            << QStringList{"UPDATE Vehicules SET flag_Arch = 1 WHERE num = 1", ass + "(1, 1, 'SAA', '2020-06-01', '2021-05-31')",
                           oil.arg("'2020-01-01'", "1000")}
            << QStringList{};
        QTest::newRow("oil change due by date") << QStringList{oil.arg("'2020-12-01'", "NULL")}
                                                << QStringList{"Vidange -16 retard"};
        QTest::newRow("oil change due by date within the days") << QStringList{oil.arg("'2021-01-01'", "NULL")}
                                                                << QStringList{"Vidange 15"};
        QTest::newRow("oil change due by kilometres")
            << QStringList{oil.arg("'2021-05-01'", "100000"), km + "(1, '2021-06-10', 4500, 0, 0, 1, 110500)"}
            << QStringList{"Vidange km retard"};
        QTest::newRow("kilometres not yet run")
            << QStringList{oil.arg("'2021-05-01'", "100000"), km + "(1, '2021-06-10', 4500, 0, 0, 1, 109999)"}
            << QStringList{};
        QTest::newRow("kilometres of a person's line do not count")
            << QStringList{oil.arg("'2021-05-01'", "100000"), km + "(1, '2021-06-10', 4500, 0, NULL, 1, 150000)"}
            << QStringList{};
        QTest::newRow("oil change due by date and kilometres")
            << QStringList{oil.arg("'2020-12-01'", "100000"), km + "(1, '2021-06-10', 4500, 0, 0, 1, 120000)"}
            << QStringList{"Vidange -16 retard"};
        QTest::newRow("no oil change recorded") << QStringList{km + "(1, '2021-06-10', 4500, 0, 0, 1, 120000)"}
                                                << QStringList{};
        QTest::newRow("most urgent first")
            << QStringList{ass + "(1, 1, 'SAA', '2020-06-26', '2021-06-25')", ctl + "(1, 1, '2020-11-15', '2021-05-15')",
                           vig + "(1, 1, '2020-03-31', 6000)", oil.arg("'2021-05-01'", "100000"),
                           km + "(1, '2021-06-10', 4500, 0, 0, 1, 110500)"}
            << QStringList{"Vignette -76 retard", "Contrôle technique -31 retard", "Vidange km retard", "Assurance 10"};
    }
    void selection()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, expected);
        seed::vehicle(db(), {.num = 1, .matricule = "A"});
        exec("UPDATE Permn SET Vidange_Jours = 180, Vidange_Km = 10000");
        for (const QString& sql : rows) {
            if (sql == kSecondVehicle)
                seed::vehicle(db(), {.num = 2, .matricule = "B"});
            else
                exec(sql);
        }
        QCOMPARE(briefs(), expected);
    }

    void detailsOfEachKind()
    {
        fleet();
        exec("INSERT INTO Vignettes (num, num_vehicule, Date, montant) VALUES (1, 2, '2020-03-31', 6000)");
        const QList<Item> items = duedates::dueItems(db(), kToday, 30);
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0].detail, QStringLiteral("Achetée le 31/03/2020"));
        QCOMPARE(items[0].due, QDate(2021, 3, 31));
        QCOMPARE(items[1].detail, QStringLiteral("Visite du 20/11/2020"));
        QCOMPARE(items[2].detail, QString("Dernière vidange le 01/05/2021 à 100\u00a0000\u00a0km, 10\u00a0500\u00a0km depuis"));
        QCOMPARE(items[2].kmSince, 10500.0);
        QVERIFY(items[2].due.isNull()); // due by its kilometres alone
        QCOMPARE(items[3].detail, QStringLiteral("SAA Blida"));
        QCOMPARE(items[3].matricule, QStringLiteral("01234 119 16"));
        QCOMPARE(items[3].vehicleName, QStringLiteral("Renault Master"));
        QCOMPARE(QStringList({duedates::urgencyText(items[0]), duedates::urgencyText(items[2]), duedates::urgencyText(items[3])}),
                 QStringList({"Dépassée de 76 j", "Kilométrage atteint", "Dans 10 j"}));
    }

    // The oil change's mileage above every mileage booked (typed by hand, or the lines of the year before):
    // the distance since is not known, never negative.
    void distanceSinceNeverNegative_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("detail");
        const QString km = "INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES ";
        QTest::newRow("booked mileage below") << QString(km + "(1, '2021-06-10', 4500, 0, 0, 1, 99500)")
                                              << QString("Dernière vidange le 01/12/2020 à 100\u00a0000\u00a0km, kilométrage actuel inconnu");
        QTest::newRow("no mileage booked") << QString()
                                           << QString("Dernière vidange le 01/12/2020 à 100\u00a0000\u00a0km, kilométrage actuel inconnu");
        QTest::newRow("booked mileage equal") << QString(km + "(1, '2021-06-10', 4500, 0, 0, 1, 100000)")
                                              << QString("Dernière vidange le 01/12/2020 à 100\u00a0000\u00a0km, 0\u00a0km depuis");
    }
    void distanceSinceNeverNegative()
    {
        QFETCH(QString, lines);
        QFETCH(QString, detail);
        seed::vehicle(db(), {.num = 1, .matricule = "A", .more = {{"Date_vidange", "2020-12-01"}, {"Km_Vidange", 100000}}});
        exec("UPDATE Permn SET Vidange_Jours = 180, Vidange_Km = 10000");
        if (!lines.isEmpty())
            exec(lines);
        const QList<Item> items = duedates::dueItems(db(), kToday, 30);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].detail, detail);
        QVERIFY(items[0].kmSince >= 0);
        QVERIFY(!items[0].dueByKm);
    }

    void horizonWidensTheList()
    {
        fleet();
        exec("INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES (3, 2, 'GAM', '2020-08-01', '2021-07-31')");
        QCOMPARE(briefs(30).size(), 3);
        QCOMPARE(briefs(46).size(), 4);
        QCOMPARE(briefs(0), QStringList({"Contrôle technique -26 retard", "Vidange km retard"}));
    }

    // ---- the intervals -----------------------------------------------------------------------------------

    void intervalsOfZeroLeaveTheCriterionOut_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("km");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("both") << 180 << 10000.0 << QStringList{"Vidange -16 retard"};
        QTest::newRow("days only") << 180 << 0.0 << QStringList{"Vidange -16 retard"};
        QTest::newRow("km only") << 0 << 10000.0 << QStringList{"Vidange km retard"};
        QTest::newRow("km only, not run") << 0 << 30000.0 << QStringList{};
        QTest::newRow("neither") << 0 << 0.0 << QStringList{};
        QTest::newRow("longer interval in days") << 365 << 0.0 << QStringList{};
    }
    void intervalsOfZeroLeaveTheCriterionOut()
    {
        QFETCH(int, days);
        QFETCH(double, km);
        QFETCH(QStringList, expected);
        seed::vehicle(db(), {.num = 1, .matricule = "A", .more = {{"Date_vidange", "2020-12-01"}, {"Km_Vidange", 100000}}});
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES (1, '2021-06-01', 1, 0, 1, 1, 125000)");
        duedates::writeIntervals(db(), {days, km});
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{days, km}));
        QCOMPARE(briefs(), expected);
    }

    void newExerciseHasTheDefaultIntervals()
    {
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{180, 10000}));
        // A parameters row missing: the defaults, and writing adds the row.
        exec("DELETE FROM Permn");
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{180, 10000}));
        duedates::writeIntervals(db(), {90, 5000});
        QCOMPARE(value("SELECT count(*) FROM Permn").toInt(), 1);
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{90, 5000}));
    }

    void olderExerciseFileGetsTheIntervals()
    {
        // A year of the first schema (a file or a server schema): the parameters row without the interval
        // columns.
        db().execute("UPDATE Permn SET Taux_CNAS = 9");
        db().executeScript("ALTER TABLE Permn DROP COLUMN Vidange_Jours; ALTER TABLE Permn DROP COLUMN Vidange_Km;");
        db().setUserVersion(1);
        QVERIFY(!db().columns("Permn").contains("Vidange_Km", Qt::CaseInsensitive));
        s().fermer_exercice();
        s().ouvrir_exercice();
        QCOMPARE(db().userVersion(), schema::kSchemaVersion);
        QVERIFY(schema::kSchemaVersion >= 2);
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{180, 10000}));
        QCOMPARE(value("SELECT Taux_CNAS FROM Permn").toDouble(), 9.0); // the row kept its values
        // Opening it again changes nothing.
        s().reconnect();
        QCOMPARE(db().columns("Permn").filter("Vidange", Qt::CaseInsensitive), QStringList({"Vidange_Jours", "Vidange_Km"}));
    }

    // ---- the notice of the main window ---------------------------------------------------------------------

    void noticeCountsOverdueAndComing()
    {
        QCOMPARE(duedates::noticeText(db(), kToday), QString());
        QCOMPARE(duedates::overdueCount(db(), kToday), 0);
        fleet();
        QCOMPARE(duedates::overdueCount(db(), kToday), 2);
        QCOMPARE(duedates::noticeText(db(), kToday), QStringLiteral("Échéances : 2 dépassées, 1 dans les 30 jours"));
        exec("DELETE FROM Controles");
        exec("UPDATE Vehicules SET Km_Vidange = NULL");
        QCOMPARE(duedates::noticeText(db(), kToday), QStringLiteral("Échéances : 1 dans les 30 jours"));
        exec("UPDATE Assurances SET au = '2021-06-01' WHERE num = 1");
        QCOMPARE(duedates::noticeText(db(), kToday), QStringLiteral("Échéances : 1 dépassée"));
    }

    // ---- the screen ---------------------------------------------------------------------------------------

    void screenListsOverdueFirstInRed()
    {
        fleet();
        auto w = openScreen();
        kit::GridModel* m = w->model();
        QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(m->rowCount(), 3);
        using M = duedates::DueList;
        QCOMPARE(QStringList({m->cell(0, M::ColObjet), m->cell(0, M::ColDate), m->cell(0, M::ColUrgence), m->cell(0, M::ColMatricule)}),
                 QStringList({"Contrôle technique", "20/05/2021", "Dépassée de 26 j", "05678 120 31"}));
        QCOMPARE(m->cell(1, M::ColUrgence), QStringLiteral("Kilométrage atteint"));
        QCOMPARE(m->cell(2, M::ColObjet), QStringLiteral("Assurance"));
        QCOMPARE(m->cell(2, M::ColDate), QStringLiteral("25/06/2021"));
        for (int r = 0; r < 3; ++r) {
            const QVariant colour = m->data(m->index(r, M::ColDetail), Qt::ForegroundRole);
            QCOMPARE(colour.isValid() && colour.value<QColor>() == QColor(duedates::kOverdueColour), r < 2);
        }
        QCOMPARE(w->countLabel()->text(), QStringLiteral("3 échéances, dont 2 dépassées"));
        QCOMPARE(w->currentRow(), 0);

        w->horizonField()->setValue(0);
        QCOMPARE(m->rowCount(), 2);
        w->horizonField()->setValue(30);
        QCOMPARE(m->rowCount(), 3);
    }

    void longListShowsEveryKindAndVehicleWhole()
    {
        // Sixty oil changes overdue by date fill the top of the list; an inspection of a vehicle with a
        // long name comes after them. The columns fit the texts of the whole list, not only its top.
        exec("INSERT INTO Marques (num, denom) VALUES (2, 'Renault'), (3, 'Mercedes-Benz')");
        exec("INSERT INTO Modeles (num, denom) VALUES (2, 'Master'), (3, 'Sprinter 516 CDI châssis long')");
        for (int i = 0; i < 60; ++i)
            seed::vehicle(db(), {.num = 100 + i, .matricule = QStringLiteral("%1 119 16").arg(10000 + i), .marque = 2, .modele = 2,
                                 .more = {{"Date_vidange", "2020-01-01"}}});
        seed::vehicle(db(), {.num = 1, .matricule = "01234 119 16", .marque = 3, .modele = 3});
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 1, '2020-12-20', '2021-07-05')");
        auto w = openScreen();
        test::settle(*w);
        using M = duedates::DueList;
        const int last = w->model()->rowCount() - 1;
        QCOMPARE(last, 60);
        QCOMPARE(w->model()->cell(last, M::ColObjet), QStringLiteral("Contrôle technique"));
        const QFontMetrics metrics(w->grid()->font());
        QVERIFY(w->grid()->columnWidth(M::ColObjet) > metrics.horizontalAdvance(QStringLiteral("Contrôle technique")));
        QVERIFY(w->grid()->columnWidth(M::ColVehicule) > metrics.horizontalAdvance(w->model()->cell(last, M::ColVehicule)));
    }

    // A vehicle's name is drawn whole in its cell: the column leaves room for the fraction of a pixel
    // of its text's advance (a name whose advance rounds down lost its last letters to "…").
    void vehicleNameIsNotCut_data()
    {
        QTest::addColumn<QString>("marque");
        QTest::addColumn<QString>("modele");
        QTest::newRow("Mercedes-Benz Actros") << "Mercedes-Benz" << "Actros";
        QTest::newRow("Renault Kangoo") << "Renault" << "Kangoo";
        QTest::newRow("Mercedes-Benz Sprinter") << "Mercedes-Benz" << "Sprinter";
    }
    void vehicleNameIsNotCut()
    {
        QFETCH(QString, marque);
        QFETCH(QString, modele);
        exec("INSERT INTO Marques (num, denom) VALUES (3, ?)", {marque});
        exec("INSERT INTO Modeles (num, denom) VALUES (3, ?)", {modele});
        seed::vehicle(db(), {.num = 1, .matricule = "01234 119 16", .marque = 3, .modele = 3});
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 1, '2020-12-20', '2021-07-05')");
        auto w = openScreen();
        test::settle(*w);
        using M = duedates::DueList;
        QCOMPARE(w->model()->rowCount(), 1);
        QTableView* grid = w->grid();
        const int textMargin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
        const QFontMetrics metrics(grid->font());
        for (int column : {int(M::ColObjet), int(M::ColVehicule)}) {
            const QString text = w->model()->cell(0, column);
            const int room = grid->columnWidth(column) - (grid->showGrid() ? 1 : 0) - 2 * textMargin;
            QCOMPARE(metrics.elidedText(text, Qt::ElideRight, room), text);
        }
        QCOMPARE(w->model()->cell(0, M::ColVehicule), marque + u' ' + modele);
    }

    // On the smallest screen, the longest detail (an oil change of a large mileage whose current
    // mileage is not known) beside a long vehicle name and an overdue urgency is read whole, and the
    // cell also gives it as its tooltip.
    void longestDetailIsReadWholeOnTheSmallestScreen()
    {
        exec("INSERT INTO Marques (num, denom) VALUES (3, 'Mercedes-Benz')");
        exec("INSERT INTO Modeles (num, denom) VALUES (3, 'Sprinter')");
        seed::vehicle(db(), {.num = 1, .matricule = "01234 119 16", .marque = 3, .modele = 3,
                             .more = {{"Date_vidange", "2020-10-01"}, {"Km_Vidange", 990000}}});
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 1, '2020-06-01', '2020-12-01')");
        // A second one overdue by date and by kilometres: the longest urgency.
        seed::vehicle(db(), {.num = 2, .matricule = "05678 120 31", .marque = 3, .modele = 3,
                             .more = {{"Date_vidange", "2020-06-01"}, {"Km_Vidange", 100000}}});
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES "
             "(1, '2021-06-10', 4500, 0, 0, 2, 120000)");
        exec("UPDATE Permn SET Vidange_Jours = 180, Vidange_Km = 10000");
        auto w = openScreen();
        test::showOn(*w, test::testScreens().first());
        test::saveShot(*w, "F_Echeances_detail_800");
        using M = duedates::DueList;
        QTableView* grid = w->grid();
        int row = -1;
        for (int r = 0; r < w->model()->rowCount(); ++r)
            if (w->model()->cell(r, M::ColDetail).contains(QStringLiteral("inconnu")))
                row = r;
        QVERIFY(row >= 0);
        const QString detail = w->model()->cell(row, M::ColDetail);
        const int textMargin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
        const int room = grid->columnWidth(M::ColDetail) - (grid->showGrid() ? 1 : 0) - 2 * textMargin;
        QCOMPARE(QFontMetrics(grid->font()).elidedText(detail, Qt::ElideRight, room), detail);
        QCOMPARE(w->model()->index(row, M::ColDetail).data(Qt::ToolTipRole).toString(), detail);
    }

    void emptyListDisablesZoomAndPrint()
    {
        auto w = openScreen();
        QCOMPARE(w->model()->rowCount(), 0);
        QCOMPARE(w->countLabel()->text(), QStringLiteral("Aucune échéance dans les 30 jours"));
        QVERIFY(!w->command("zoom")->isEnabled());
        QVERIFY(!w->command("imprimer")->isEnabled());
        w->zoom();
        w->print();
        QVERIFY(ui().screens.isEmpty());
        QVERIFY(ui().reports.isEmpty());
    }

    void zoomOpensTheVehicleFileAndReadsAgain()
    {
        fleet();
        auto w = openScreen();
        w->setCurrentRow(0); // the inspection of vehicle 2
        qint64 shownFor = 0;
        ui().onScreen("Zoom_V", [&](QDialog&) {
            shownFor = s().vehicule_courant;
            // The user records the new inspection in the vehicle file.
            db().execute("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (2, 2, '2021-06-14', '2021-12-14')");
            return int(QDialog::Accepted);
        });
        w->command("zoom")->click();
        QCOMPARE(ui().screens, QStringList({"Zoom_V"}));
        QCOMPARE(shownFor, qint64(2));
        QCOMPARE(w->model()->rowCount(), 2); // the inspection is no longer due
        QVERIFY(ui().messages.isEmpty());

        // Double-click does the same.
        ui().clear();
        const QModelIndex second = w->model()->index(1, 0);
        QCoreApplication::processEvents();
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, w->grid()->visualRect(second).center());
        QCOMPARE(w->currentRow(), 1);
        QTest::mouseDClick(w->grid()->viewport(), Qt::LeftButton, {}, w->grid()->visualRect(second).center());
        QCOMPARE(ui().screens, QStringList({"Zoom_V"}));
        QCOMPARE(s().vehicule_courant, qint64(1));
    }

    void intervalsPanelWritesTheParameters()
    {
        fleet();
        auto w = openScreen();
        w->command("vidange")->click();
        QVERIFY(w->intervalsPanel()->isVisible());
        QCOMPARE(w->daysField()->text(), QStringLiteral("180"));
        QCOMPARE(w->kmField()->text(), QStringLiteral("10000"));
        QVERIFY(!w->command("zoom")->isEnabled());
        w->kmField()->setText("20000");
        w->daysField()->setText("");
        w->intervalsConfirm()->click();
        QVERIFY(!w->intervalsPanel()->isVisible());
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{0, 20000}));
        QCOMPARE(w->model()->rowCount(), 2); // the oil change is no longer due
        QVERIFY(w->command("zoom")->isEnabled());

        // Cancelling writes nothing.
        w->command("vidange")->click();
        QCOMPARE(w->daysField()->text(), QString());
        w->daysField()->setText("30");
        w->intervalsCancel()->click();
        QCOMPARE(duedates::readIntervals(db()), (duedates::OilIntervals{0, 20000}));
        QVERIFY(ui().messages.isEmpty());
    }

    void refusedWritesKeepTheScreenAndTheData_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("intervals") << "Permn";
        QTest::newRow("print buffer") << "Tampon1";
    }
    void refusedWritesKeepTheScreenAndTheData()
    {
        QFETCH(QString, table);
        fleet();
        auto w = openScreen();
        w->show();
        exec("INSERT INTO Tampon1 (num) VALUES ('avant')");
        const QVariant permnBefore = value("SELECT Vidange_Jours || '/' || Vidange_Km FROM Permn");
        for (const char* op : {"INSERT", "UPDATE", "DELETE"})
            exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END").arg(op, table));
        if (table == "Permn") {
            w->command("vidange")->click();
            w->daysField()->setText("90");
            w->intervalsConfirm()->click();
            QVERIFY(w->intervalsPanel()->isVisible()); // to confirm again or cancel
        } else {
            w->command("imprimer")->click();
            QVERIFY(ui().reports.isEmpty());
        }
        QCOMPARE(ui().messages, QList<ShownMessage>({{"écriture refusée", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(w->isVisible());
        QCOMPARE(value("SELECT Vidange_Jours || '/' || Vidange_Km FROM Permn"), permnBefore);
        QCOMPARE(value("SELECT group_concat(num) FROM Tampon1").toString(), QStringLiteral("avant"));
    }

    void printsTheListAsShown()
    {
        fleet();
        auto w = openScreen();
        w->command("imprimer")->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(s().reportTemplate, QStringLiteral("Echeances.RPT"));
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(value("SELECT group_concat(num, ',') FROM (SELECT num FROM Tampon1 ORDER BY rowid)").toString(),
                 QStringLiteral("C1,H1,A1"));
        QCOMPARE(value("SELECT ch4 FROM textes").toString(), QStringLiteral("Au 15/06/2021, dans les 30 jours"));

        if (const QString shots = qEnvironmentVariable("KV_SCREENSHOTS"); !shots.isEmpty()) {
            QFile::remove(shots + "/Echeances.pdf");
            QFile::copy(ui().reports.first(), shots + "/Echeances.pdf");
        }
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.first()), QPdfDocument::Error::None);
        QCOMPARE(pdf.pageCount(), 1);
        const QString text = pdf.getAllText(0).text();
        for (const char* expected : {"Échéances", "3 échéances, dont 2 dépassées", "20/05/2021",
                                        "Dépassée de 26 j", "05678 120 31", "Kilométrage atteint", "SAA Blida", "Master"})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        // In the screen's order.
        QVERIFY(text.indexOf("Contrôle technique") < text.indexOf("Vidange"));
        QVERIFY(text.indexOf("Vidange") < text.indexOf("SAA Blida"));
        QVERIFY(!text.contains("CAAR")); // the archived vehicle's insurance
    }

    void missingTemplatePrintsNothing()
    {
        fleet();
        QFile::remove(s().programFile("Echeances.RPT"));
        auto w = openScreen();
        w->command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Fichier 'Echeances.RPT' absent", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(ui().reports.isEmpty());
    }

    void fitsTheScreenInEveryState()
    {
        fleet();
        // A long list: thirty vehicles whose insurance ends within the days.
        for (int i = 0; i < 30; ++i) {
            seed::vehicle(db(), {.num = 100 + i, .matricule = QStringLiteral("%1 119 16").arg(10000 + i), .marque = 2, .modele = 2});
            exec("INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES (?, ?, 'Compagnie Algérienne des Assurances', "
                 "'2020-07-01', date('2021-06-16', '+' || ? || ' days'))",
                 {100 + i, 100 + i, i % 29});
        }
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            auto w = openScreen();
            test::showOn(*w, screen);
            const QSize shown = w->size();
            auto check = [&](const QString& state) {
                test::settle(*w);
                QCOMPARE(w->size(), shown);
                QCOMPARE(test::outsideScreen(*w), QStringList());
                test::saveShot(*w, "F_Echeances_" + state + "_" + size);
            };
            check("liste");
            w->command("vidange")->click();
            check("vidange");
            w->intervalsCancel()->click();
            check("liste_apres");
            if (QTest::currentTestFailed())
                return;
        }
    }
};

KV_SCREEN_TEST_MAIN(DueDatesTest)
#include "tst_due_dates.moc"
