// What each vehicle costs: the figures against a hand-computed fleet (headings, receipts, margin,
// kilometres, cost per kilometre, totals, months), the lines that must not count, the charts, the
// "Coût par véhicule" screen with its period checks, the printed report with its charts, an engine
// refusal and the fit on both test screens.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "fleet/costs/CostCharts.h"
#include "fleet/costs/F_CoutVehicules.h"
#include "fleet/costs/VehicleCosts.h"
#include "harness/KeptTotals.h"
#include "harness/ScreenFit.h"
#include "core/formats/Numbers.h"
#include "core/ledger/KeptTotals.h"
#include "platform/db/Database.h"

#include <QRandomGenerator>
#include <cmath>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPdfDocument>
#include <QScreen>
#include <QStackedBarSeries>
#include <QTableView>
#include <QAbstractItemModelTester>
#include <QGraphicsTextItem>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

const QDate kJan1(2021, 1, 1), kDec31(2021, 12, 31);

QList<qreal> valuesOf(const QBarSet* set)
{
    QList<qreal> out;
    for (int i = 0; i < set->count(); ++i)
        out << set->at(i);
    return out;
}

QString plain(QString text) { return text.replace(QChar(0x00A0), u' '); }

} // namespace

class VehicleCostsTest : public FixtureTest {
    Q_OBJECT

    void exec(const QString& sql, const QVariantList& params = {}) { db().execute(sql, params); }

    /// Two vehicles at work, an archived one idle, an archived one with a receipt, lines of a vehicle
    /// deleted since, and ledger lines that are no vehicle's (a person's account, an advance, a client).
    void fleet()
    {
        exec("INSERT INTO Marques (num, denom) VALUES (2, 'Renault'), (3, 'Peugeot')");
        exec("INSERT INTO Modeles (num, denom) VALUES (2, 'Master'), (3, 'Partner')");
        seed::vehicle(db(), {.num = 1, .matricule = "01234 119 16", .marque = 2, .modele = 2, .ordre = 1});
        seed::vehicle(db(), {.num = 2, .matricule = "05678 120 31", .marque = 3, .modele = 3, .ordre = 2});
        seed::vehicle(db(), {.num = 3, .matricule = "09999 115 16", .marque = 2, .modele = 2, .archived = true, .ordre = 3});
        seed::vehicle(db(), {.num = 4, .matricule = "04444 110 16", .marque = 3, .modele = 3, .archived = true, .ordre = 4});
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Num_Agent, Km) VALUES "
             "(1, '2021-01-04', 4500, 0, 0, 1, NULL, 118250), (2, '2021-01-09', 1250.5, 0, 2, 1, NULL, 0),"
             "(3, '2021-02-11', 12000, 0, 4, 1, NULL, 121300), (4, '2021-02-20', 3800, 0, 1, 1, NULL, 122000),"
             "(5, '2021-03-05', 2000, 0, 0, 2, NULL, 50000), (6, '2021-03-25', 1000, 0, 5, 2, NULL, 50800),"
             "(7, '2020-12-31', 999, 0, 0, 1, NULL, 110000),"   // before the period
             "(8, '2021-03-01', 700, 0, NULL, NULL, 5, NULL),"   // a driver's account
             "(9, '2021-04-01', 300, 1, 10, NULL, 5, NULL),"     // an advance on salary
             "(10, '2021-05-01', 450, 0, 3, 9, NULL, 0)");        // a vehicle deleted since
        exec("INSERT INTO Recettes (num, date, Montant, contrepartie, num_vehicule, Num_Agent) VALUES "
             "(1, '2021-01-15', 25000, NULL, 1, NULL), (2, '2021-02-15', 1500, NULL, 2, NULL),"
             "(3, '2021-03-01', 800, NULL, 4, NULL), (4, '2021-03-02', 5000, 1, NULL, 3),"
             "(5, '2020-12-30', 7000, NULL, 1, NULL)");
    }

    std::unique_ptr<F_CoutVehicules> openScreen()
    {
        auto w = std::make_unique<F_CoutVehicules>(s());
        w->show();
        return w;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise(2021);
    }
    void cleanup() { f_.reset(); }

    // ---- the figures ----------------------------------------------------------------------------------------

    void figuresOfTheYear()
    {
        fleet();
        const costs::CostReport r = costs::compute(db(), kJan1, kDec31);
        QCOMPARE(r.vehicles.size(), 4);
        const costs::VehicleCost& v1 = r.vehicles[0];
        QCOMPARE(v1.vehicle, qint64(1));
        QCOMPARE(v1.matricule, QStringLiteral("01234 119 16"));
        QCOMPARE(v1.name, QStringLiteral("Renault Master"));
        QCOMPARE(v1.figures.byHeading, (std::array<double, 6>{4500, 3800, 1250.5, 0, 12000, 0}));
        QCOMPARE(v1.figures.expenses, 21550.5);
        QCOMPARE(v1.figures.receipts, 25000.0);
        QCOMPARE(v1.figures.margin(), 3449.5);
        QCOMPARE(v1.figures.km, 3750.0);           // 122000 - 118250; the reading of December 2020 is outside
        QCOMPARE(costs::money(*v1.figures.costPerKm()), QStringLiteral("5.75"));

        const costs::VehicleCost& v2 = r.vehicles[1];
        QCOMPARE(v2.figures.byHeading, (std::array<double, 6>{2000, 0, 0, 0, 0, 1000}));
        QCOMPARE(v2.figures.margin(), -1500.0);
        QCOMPARE(v2.figures.km, 800.0);
        QCOMPARE(*v2.figures.costPerKm(), 3.75);

        // The archived vehicle with a receipt is listed; the idle archived one is not.
        QCOMPARE(r.vehicles[2].vehicle, qint64(4));
        QVERIFY(r.vehicles[2].archived);
        QCOMPARE(r.vehicles[2].figures.margin(), 800.0);
        QVERIFY(!r.vehicles[2].figures.costPerKm());
        // The lines of a deleted vehicle still count.
        QCOMPARE(r.vehicles[3].name, QStringLiteral("Véhicule supprimé (N° 9)"));
        QCOMPARE(r.vehicles[3].figures.byHeading[3], 450.0);

        // Totals of the fleet: every vehicle expense and receipt of the year, nothing else.
        QCOMPARE(r.fleet.byHeading, (std::array<double, 6>{6500, 3800, 1250.5, 450, 12000, 1000}));
        QCOMPARE(r.fleet.expenses, 25000.5);
        QCOMPARE(r.fleet.receipts, 27300.0);
        QCOMPARE(r.fleet.margin(), 2299.5);
        QCOMPARE(r.fleet.km, 4550.0);
        QCOMPARE(costs::money(*r.fleet.costPerKm()), QStringLiteral("5.49"));
    }

    void periods_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<double>("expenses");
        QTest::addColumn<double>("receipts");
        QTest::addColumn<double>("km");
        QTest::newRow("february") << QDate(2021, 2, 1) << QDate(2021, 2, 28) << 15800.0 << 1500.0 << 700.0;
        QTest::newRow("one day, both bounds included") << QDate(2021, 1, 4) << QDate(2021, 1, 4) << 4500.0 << 0.0 << 0.0;
        QTest::newRow("across the years") << QDate(2020, 12, 1) << QDate(2021, 1, 31) << 6749.5 << 32000.0 << 8250.0;
        QTest::newRow("nothing booked") << QDate(2021, 7, 1) << QDate(2021, 7, 31) << 0.0 << 0.0 << 0.0;
    }
    void periods()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(double, expenses);
        QFETCH(double, receipts);
        QFETCH(double, km);
        fleet();
        const costs::CostReport r = costs::compute(db(), from, to);
        QCOMPARE(r.fleet.expenses, expenses);
        QCOMPARE(r.fleet.receipts, receipts);
        QCOMPARE(r.fleet.km, km);
        // The two vehicles at work are listed whatever the period.
        QCOMPARE(r.vehicles.value(0).vehicle, qint64(1));
        QCOMPARE(r.vehicles.value(1).vehicle, qint64(2));
    }

    void expensesByMonth()
    {
        fleet();
        const costs::CostReport year = costs::compute(db(), kJan1, kDec31);
        QCOMPARE(year.months.size(), 12);
        QCOMPARE(year.months[0].byHeading, (std::array<double, 6>{4500, 0, 1250.5, 0, 0, 0}));
        QCOMPARE(year.months[1].byHeading, (std::array<double, 6>{0, 3800, 0, 0, 12000, 0}));
        QCOMPARE(year.months[2].byHeading, (std::array<double, 6>{2000, 0, 0, 0, 0, 1000}));
        QCOMPARE(year.months[4].byHeading[3], 450.0);
        QCOMPARE(year.months[11].byHeading, (std::array<double, 6>{}));
        const costs::CostReport across = costs::compute(db(), QDate(2020, 11, 15), QDate(2021, 2, 10));
        QStringList captions;
        for (const costs::MonthExpenses& m : across.months)
            captions << costs::monthCaption(m.year, m.month);
        QCOMPARE(captions, QStringList({"nov. 2020", "déc. 2020", "janv. 2021", "févr. 2021"}));
        QCOMPARE(across.months[1].byHeading[0], 999.0);
    }

    void headingOutsideTheSixCountsUnderDivers()
    {
        seed::vehicle(db(), {.num = 1, .matricule = "A"});
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule) VALUES "
             "(1, '2021-03-01', 100, 0, -1, 1), (2, '2021-03-01', 50, 0, 6, 1)");
        const costs::CostReport r = costs::compute(db(), kJan1, kDec31);
        QCOMPARE(r.fleet.byHeading, (std::array<double, 6>{0, 0, 0, 0, 0, 100}));
        QCOMPARE(r.fleet.expenses, 100.0); // heading 6 is no vehicle heading
        QCOMPARE(r.months[2].byHeading[5], 100.0);
    }

    // ---- the totals kept by vehicle, month and heading ------------------------------------------------------

    /// The figures of a period counted here line by line from the ledger, each line rounded to the cent.
    static costs::CostReport byHand(const db::Database& db, const QDate& from, const QDate& to)
    {
        const auto cents = [](double v) { return qint64(std::llround(round2(v) * 100)); };
        struct Acc {
            std::array<qint64, costs::kHeadings> h{};
            qint64 receipts = 0;
            double kmMin = 0, kmMax = 0;
        };
        QMap<qint64, Acc> acc;
        QMap<int, std::array<qint64, costs::kHeadings>> months;
        const auto inPeriod = [&](const QVariant& d) {
            const QDate day = QDate::fromString(d.toString(), Qt::ISODate);
            return !d.isNull() && day >= from && day <= to;
        };
        for (const db::Row& r : db.query("SELECT date, Montant, contrepartie, Type_Dep, num_vehicule, Km FROM Depenses")) {
            if (!inPeriod(r.value(0)) || r.value(2).isNull() || r.value(2).toInt() != 0 || r.value(3).isNull() || r.value(3).toInt() >= 6)
                continue;
            const int t = r.value(3).toInt();
            const int h = t >= 0 && t < 6 ? t : 5;
            Acc& a = acc[r.value(4).toLongLong()];
            a.h[h] += cents(r.value(1).toDouble());
            const QDate day = QDate::fromString(r.value(0).toString(), Qt::ISODate);
            months[day.year() * 100 + day.month()][h] += cents(r.value(1).toDouble());
            const double km = r.value(5).toDouble();
            if (km > 0) {
                a.kmMin = a.kmMin == 0 ? km : std::min(a.kmMin, km);
                a.kmMax = std::max(a.kmMax, km);
            }
        }
        for (const db::Row& r : db.query("SELECT date, Montant, num_vehicule FROM Recettes WHERE num_vehicule > 0"))
            if (inPeriod(r.value(0)))
                acc[r.value(2).toLongLong()].receipts += cents(r.value(1).toDouble());
        costs::CostReport out;
        for (auto it = acc.constBegin(); it != acc.constEnd(); ++it) {
            costs::VehicleCost c;
            c.vehicle = it.key();
            qint64 expenses = 0;
            for (int h = 0; h < costs::kHeadings; ++h) {
                c.figures.byHeading[h] = it->h[h] / 100.0;
                expenses += it->h[h];
            }
            c.figures.expenses = expenses / 100.0;
            c.figures.receipts = it->receipts / 100.0;
            c.figures.km = it.key() != 0 ? it->kmMax - it->kmMin : 0;
            out.vehicles << c;
        }
        for (auto it = months.constBegin(); it != months.constEnd(); ++it) {
            costs::MonthExpenses m{it.key() / 100, it.key() % 100, {}};
            for (int h = 0; h < costs::kHeadings; ++h)
                m.byHeading[h] = (*it)[h] / 100.0;
            out.months << m;
        }
        return out;
    }

    /// Both kept tables, row by row.
    QStringList keptTotals() { return test::keptTotalsRows(db()); }

    void keptTotalsFollowEveryBookingChangeAndDeletion_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 5u, 2021u, 4242u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void keptTotalsFollowEveryBookingChangeAndDeletion()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        kv::test::seed::vehicle(db(), {.num = 1, .matricule = "A", .ordre = 1}); // (`seed` here is the row's)
        kv::test::seed::vehicle(db(), {.num = 2, .matricule = "B", .ordre = 2});
        kv::test::seed::vehicle(db(), {.num = 3, .matricule = "C", .archived = true, .ordre = 3});
        const QDate first(2020, 12, 1);
        const auto anyDate = [&]() -> QVariant {
            if (rng.bounded(40) == 0)
                return QVariant(QMetaType::fromType<QString>());
            return first.addDays(rng.bounded(430)).toString(Qt::ISODate);
        };
        const auto anyAmount = [&]() -> double {
            static const double edges[] = {0.005, 1.005, 2.675, 0.125, -12.5, 0};
            return rng.bounded(4) == 0 ? edges[rng.bounded(6)] : double(rng.bounded(10000000)) / 1000.0;
        };
        const auto anyVehicle = [&]() -> QVariant {
            const int v = int(rng.bounded(6));
            return v == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(qint64(v == 5 ? 9 : v % 4));
        };
        const auto anyHeading = [&]() -> QVariant {
            const int h = int(rng.bounded(10));
            return h == 9 ? QVariant(QMetaType::fromType<int>()) : QVariant(h == 8 ? -1 : h == 7 ? 10 : h);
        };
        const auto anyKm = [&]() -> QVariant { return rng.bounded(3) == 0 ? QVariant(0) : QVariant(double(10000 + rng.bounded(90000))); };
        qint64 next = 1;
        for (int round = 0; round < 6; ++round) {
            for (int i = 0; i < 80; ++i) {
                const int op = int(rng.bounded(10));
                const qint64 line = 1 + rng.bounded(quint32(next));
                if (op < 5 || next < 5) {
                    exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule, Km) VALUES (?, ?, ?, ?, ?, ?, ?)",
                         {next++, anyDate(), anyAmount(), rng.bounded(5) == 0 ? 1 : 0, anyHeading(), anyVehicle(), anyKm()});
                    exec("INSERT INTO Recettes (num, date, Montant, num_vehicule) VALUES (?, ?, ?, ?)",
                         {next, anyDate(), anyAmount(), anyVehicle()});
                } else if (op < 8) {
                    static const char* columns[] = {"date", "Montant", "Type_Dep", "num_vehicule", "Km", "contrepartie"};
                    const int c = int(rng.bounded(6));
                    const QVariant value = c == 0 ? anyDate() : c == 1 ? anyAmount() : c == 2 ? anyHeading() : c == 3 ? anyVehicle()
                                         : c == 4 ? anyKm() : QVariant(int(rng.bounded(2)));
                    exec(QStringLiteral("UPDATE Depenses SET %1 = ? WHERE num = ?").arg(QLatin1String(columns[c])), {value, line});
                    if (c < 2 || c == 3)
                        exec(QStringLiteral("UPDATE Recettes SET %1 = ? WHERE num = ?").arg(QLatin1String(columns[c])), {value, line});
                } else {
                    exec("DELETE FROM Depenses WHERE num = ?", {line});
                    exec("DELETE FROM Recettes WHERE num = ?", {line});
                }
            }
            // What the triggers kept is what the ledger gives counted afresh.
            const QStringList kept = keptTotals();
            ledger::rebuildKeptTotals(db());
            QCOMPARE(keptTotals(), kept);
            // And the screen's figures are the ledger's, line by line, over whole and cut months.
            for (const auto& [from, to] : {std::pair{QDate(2021, 1, 1), QDate(2021, 12, 31)}, std::pair{QDate(2020, 12, 17), QDate(2021, 3, 4)},
                                           std::pair{QDate(2021, 2, 3), QDate(2021, 2, 20)}, std::pair{QDate(2021, 6, 30), QDate(2021, 8, 1)},
                                           std::pair{QDate(2020, 1, 1), QDate(2022, 12, 31)}}) {
                const costs::CostReport r = costs::compute(db(), from, to);
                const costs::CostReport expected = byHand(db(), from, to);
                QMap<qint64, costs::Figures> shown;
                for (const costs::VehicleCost& c : r.vehicles)
                    shown[c.vehicle] = c.figures;
                for (const costs::VehicleCost& c : expected.vehicles) {
                    const costs::Figures& f = shown.value(c.vehicle);
                    const QString where = QStringLiteral("vehicle %1, %2 to %3").arg(c.vehicle).arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
                    QVERIFY2(f.byHeading == c.figures.byHeading, qPrintable(where));
                    QVERIFY2(f.expenses == c.figures.expenses && f.receipts == c.figures.receipts, qPrintable(where));
                    QVERIFY2(f.km == c.figures.km, qPrintable(where + QStringLiteral(": km %1, expected %2").arg(f.km).arg(c.figures.km)));
                }
                for (const costs::MonthExpenses& m : expected.months) {
                    const auto it = std::find_if(r.months.begin(), r.months.end(),
                                                 [&](const costs::MonthExpenses& x) { return x.year == m.year && x.month == m.month; });
                    QVERIFY(it != r.months.end());
                    QCOMPARE(it->byHeading, m.byHeading);
                }
            }
        }
    }

    void chartsShowTheFigures()
    {
        fleet();
        const costs::CostReport r = costs::compute(db(), kJan1, kDec31);
        std::unique_ptr<QChart> margin(costs::marginChart(r));
        auto* series = qobject_cast<QStackedBarSeries*>(margin->series().value(0));
        QVERIFY(series);
        QCOMPARE(valuesOf(series->barSets()[0]), QList<qreal>({3449.5, 0, 800, 0}));
        QCOMPARE(valuesOf(series->barSets()[1]), QList<qreal>({0, -1500, 0, -450}));
        auto* x = qobject_cast<QBarCategoryAxis*>(margin->axes(Qt::Horizontal).value(0));
        QCOMPARE(x->categories(), QStringList({"01234 119 16", "05678 120 31", "04444 110 16", "Véhicule supprimé (N° 9)"}));

        std::unique_ptr<QChart> monthly(costs::monthlyChart(r));
        auto* stacked = qobject_cast<QStackedBarSeries*>(monthly->series().value(0));
        QCOMPARE(stacked->count(), 6);
        QCOMPARE(stacked->barSets()[4]->label(), QStringLiteral("Pneus"));
        QCOMPARE(stacked->barSets()[4]->at(1), 12000.0);
        const QImage picture = costs::renderChart(*monthly, QSize(500, 200), 1.0);
        QCOMPARE(picture.size(), QSize(500, 200));
    }

    // ---- the screen ---------------------------------------------------------------------------------------

    void screenShowsTheYearOfTheExercise()
    {
        fleet();
        auto w = openScreen();
        QCOMPARE(w->fromField()->text(), QStringLiteral("01/01/2021"));
        QCOMPARE(w->toField()->text(), QStringLiteral("31/12/2021"));
        kit::GridModel* m = w->model();
        QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        using M = costs::CostList;
        QCOMPARE(m->rowCount(), 4);
        QCOMPARE(QStringList({m->cell(0, M::ColMatricule), m->cell(0, M::ColHeading0 + 4), m->cell(0, M::ColDepenses),
                              m->cell(0, M::ColMarge), m->cell(0, M::ColKm), m->cell(0, M::ColCoutKm)}),
                 QStringList({"01234 119 16", "12 000.00", "21 550.50", "3 449.50", "3 750", "5.75"}));
        QCOMPARE(m->cell(2, M::ColVehicule), QStringLiteral("Peugeot Partner (archivé)"));
        QCOMPARE(m->cell(2, M::ColKm), QString());
        QCOMPARE(m->data(m->index(1, M::ColMarge), Qt::ForegroundRole).value<QColor>(), QColor(0xc0, 0, 0));
        QVERIFY(!m->data(m->index(0, M::ColMarge), Qt::ForegroundRole).isValid());
        QCOMPARE(m->data(m->index(0, M::ColDepenses), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
        QCOMPARE(w->total("totDepenses")->text(), QStringLiteral("25 000.50"));
        QCOMPARE(w->total("totRecettes")->text(), QStringLiteral("27 300.00"));
        QCOMPARE(w->total("totMarge")->text(), QStringLiteral("2 299.50"));
        QCOMPARE(w->total("totKm")->text(), QStringLiteral("4 550"));
        QCOMPARE(w->total("totCoutKm")->text(), QStringLiteral("5.49"));
        QVERIFY(w->marginView()->chart()->series().size() == 1);

        w->fromField()->setText("01/02/2021");
        w->toField()->setText("28/02/2021");
        w->command("calculer")->click();
        QCOMPARE(w->total("totDepenses")->text(), QStringLiteral("15 800.00"));
        QCOMPARE(w->report().months.size(), 1);
        QVERIFY(ui().messages.isEmpty());
    }

    void periodChecks_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a day") << "29/02/2021" << "31/12/2021" << "Date incorrecte";
        QTest::newRow("1900 had no 29 February") << "01/01/2021" << "29/02/1900" << "Date incorrecte";
        QTest::newRow("blank") << "" << "31/12/2021" << "Date incorrecte";
        QTest::newRow("inverted") << "01/03/2021" << "28/02/2021" << "Dates inversées";
    }
    void periodChecks()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        fleet();
        auto w = openScreen();
        const QString before = w->total("totDepenses")->text();
        w->fromField()->setText(from);
        w->toField()->setText(to);
        QVERIFY(!w->calculate());
        QCOMPARE(ui().messages, QList<ShownMessage>({{message, Icon::Critical, "ATTENTION", false}}));
        QCOMPARE(w->total("totDepenses")->text(), before); // the figures shown stay those of the last period
    }

    void printsTheTableAndTheCharts()
    {
        fleet();
        auto w = openScreen();
        w->command("imprimer")->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(s().reportTemplate, QStringLiteral("Cout_Vehicules.RPT"));
        QCOMPARE(db().scalar("SELECT ch4 FROM textes").toString(), QStringLiteral("Période du 01/01/2021 au 31/12/2021"));
        if (const QString shots = qEnvironmentVariable("KV_SCREENSHOTS"); !shots.isEmpty()) {
            QFile::remove(shots + "/Cout_Vehicules.pdf");
            QFile::copy(ui().reports.first(), shots + "/Cout_Vehicules.pdf");
        }
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.first()), QPdfDocument::Error::None);
        QCOMPARE(pdf.pageCount(), 2);
        const QString table = plain(pdf.getAllText(0).text());
        // The printed figures are the screen's.
        for (const QString& figure : {QStringLiteral("21 550.50"), QStringLiteral("-1 500.00"), QStringLiteral("3 750"),
                                      QStringLiteral("5.75"), QStringLiteral("25 000.50"), QStringLiteral("27 300.00"),
                                      QStringLiteral("2 299.50"), QStringLiteral("4 550"), QStringLiteral("5.49"),
                                      QStringLiteral("Véhicule supprimé"), QStringLiteral("Total du parc")})
            QVERIFY2(table.contains(figure), qPrintable(figure));
        QVERIFY(!table.contains("09999 115 16")); // the idle archived vehicle
        // The second page holds the two charts: pictures, no text but the page number, with the colours of the bars.
        QCOMPARE(pdf.getAllText(1).text().trimmed(), QStringLiteral("Page 2 / 2"));
        const QImage page = pdf.render(1, QSize(842, 595));
        int red = 0, blue = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                red += c.red() > 170 && c.green() < 40 && c.blue() < 40;
                blue += c.blue() > 150 && c.red() < 80 && c.green() > 90 && c.green() < 130;
            }
        QVERIFY2(red > 100 && blue > 100, qPrintable(QStringLiteral("red %1 blue %2").arg(red).arg(blue)));
    }

    void refusedReportTextsKeepTheScreen()
    {
        fleet();
        auto w = openScreen();
        const QVariant before = db().scalar("SELECT ch4 FROM textes");
        exec("CREATE TRIGGER refuse BEFORE UPDATE ON textes BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        w->command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"écriture refusée", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(ui().reports.isEmpty());
        QVERIFY(w->isVisible());
        QCOMPARE(db().scalar("SELECT ch4 FROM textes"), before);
    }

    void aLargeFleetStaysReadable()
    {
        // Sixty vehicles at work, each with its own margin (vehicle 10 + i earns i * 100 - 2 500).
        for (int i = 0; i < 60; ++i) {
            seed::vehicle(db(), {.num = 10 + i, .matricule = QStringLiteral("%1 119 16").arg(10000 + i), .ordre = i});
            exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Type_Dep, num_vehicule) VALUES (?, '2021-05-02', 2500, 0, 0, ?)",
                 {1 + i, 10 + i});
            exec("INSERT INTO Recettes (num, date, Montant, num_vehicule) VALUES (?, '2021-05-03', ?, ?)", {1 + i, i * 100.0, 10 + i});
        }
        const costs::CostReport r = costs::compute(db(), kJan1, kDec31);
        QCOMPARE(r.vehicles.size(), 60);
        std::unique_ptr<QChart> margin(costs::marginChart(r));
        auto* series = qobject_cast<QStackedBarSeries*>(margin->series().value(0));
        auto* x = qobject_cast<QBarCategoryAxis*>(margin->axes(Qt::Horizontal).value(0));
        QCOMPARE(x->count(), costs::kChartVehicles);
        // The fourteen largest margins, losses or profits, in the register's order (the first vehicle loses
        // the most), then the others in one bar: the bars still add up to the fleet's margin.
        QCOMPARE(x->categories().first(), QStringLiteral("10000 119 16"));
        QCOMPARE(x->categories().last(), QStringLiteral("Autres (46)"));
        double shown = 0;
        for (QBarSet* set : series->barSets())
            for (qreal v : valuesOf(set))
                shown += v;
        QCOMPARE(shown, r.fleet.margin());
        // The table lists every vehicle, with ten lines or more in sight on either screen.
        for (QScreen* screen : test::testScreens()) {
            auto w = openScreen();
            test::showOn(*w, screen);
            test::settle(*w);
            QCOMPARE(test::outsideScreen(*w), QStringList());
            QTableView* g = w->grid();
            QCOMPARE(g->model()->rowCount(), 60);
            QVERIFY2(g->viewport()->height() >= 10 * g->verticalHeader()->defaultSectionSize(),
                     qPrintable(QString::number(g->viewport()->height())));
            // Every bar of the margin chart is named in full: no registration number cut short.
            QStringList cut;
            for (QGraphicsItem* item : w->marginView()->scene()->items())
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                    if (text->isVisible() && (text->toPlainText().endsWith(QStringLiteral("...")) || text->toPlainText().contains(QChar(0x2026))))
                        cut << text->toPlainText();
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
            test::saveShot(*w, "F_CoutVehicules_60_" + QString::number(screen->availableGeometry().height()));
        }
    }

    void fitsTheScreen()
    {
        fleet();
        for (int i = 10; i < 40; ++i) // a fleet of some thirty vehicles
            seed::vehicle(db(), {.num = i, .matricule = QStringLiteral("%1 119 16").arg(10000 + i), .marque = 2, .modele = 2, .ordre = i});
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            auto w = openScreen();
            test::showOn(*w, screen);
            test::settle(*w);
            QCOMPARE(test::outsideScreen(*w), QStringList());
            // Every column of the table in sight.
            QTableView* g = w->grid();
            const int last = g->model()->columnCount() - 1;
            QVERIFY(g->columnViewportPosition(last) + g->columnWidth(last) <= g->viewport()->width());
            test::saveShot(*w, "F_CoutVehicules_" + size);
        }
    }
};

KV_SCREEN_TEST_MAIN(VehicleCostsTest)
#include "tst_vehicle_costs.moc"
