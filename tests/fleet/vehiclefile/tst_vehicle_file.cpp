// The vehicle file: header, the six lists with their panels, numbering, checks and deletes, the oil
// change saved by the close command, the purchase voucher and its signer, through the real widgets and
// the scripted ui seam, with the database checked afterwards.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/startup/Startup.h"
#include "core/kit/GridModel.h"
#include "fleet/vehiclefile/Zoom_V.h"
#include "harness/ScreenFit.h"
#include "platform/db/Database.h"

#include "platform/ui/Ui.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QToolButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QSet>
#include <QTest>

using namespace kv;
using namespace kv::test;
using namespace kv::vehiclefile;
using ui::Icon;

namespace {

constexpr qint64 kVehicle = 5;

/// The day a new entry of the exercise 2021 starts with: today in 2021, else the exercise's last day.
QDate entryDay() { return QDate::currentDate().year() == 2021 ? QDate::currentDate() : QDate(2021, 12, 31); }
QString today() { return entryDay().toString(QStringLiteral("dd/MM/yyyy")); }
QString todayIso() { return entryDay().toString(Qt::ISODate); }

ShownMessage attention(const QString& text) { return {text, Icon::Critical, QStringLiteral("ATTENTION"), false}; }

} // namespace

class VehicleFileTest : public FixtureTest {
    Q_OBJECT


    std::unique_ptr<Zoom_V> open(qint64 vehicle = kVehicle)
    {
        s().vehicule_courant = vehicle;
        auto w = std::make_unique<Zoom_V>(s());
        if (w->found()) {
            w->show();
            w->activateWindow();
            [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(w.get());
        }
        return w;
    }

    void exec(const QString& sql, const QVariantList& params = {}) { db().execute(sql, params); }
    QVariant value(const QString& sql, const QVariantList& params = {}) { return db().scalar(sql, params); }
    db::Row row(const QString& sql, const QVariantList& params = {}) { return db().queryOne(sql, params); }

    static QString cell(const Zoom_V& w, Zoom_V::List list, int r, int c) { return w.part(list).model->cell(r, c); }

    /// One line in each of the vehicle's lists, and a driver.
    void addLines()
    {
        seed::person(db(), {.num = 1, .kind = schema::person::Chauffeur, .nom = "BENALI-BOUMEDIENE", .prenom = "Mohamed Amine"});
        exec("INSERT INTO Depenses (num, date, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Km) VALUES "
             "(1, '2021-01-04', 4500, 0, 'Plein gasoil', 0, 0, 5, 118250), (2, '2021-01-09', 1250.5, 1, 'Filtre a huile', 0, 2, 5, 0),"
             "(3, '2021-02-11', 1212000, 2, 'Pneus arriere Michelin', 0, 4, 5, 121300), (4, '2021-02-20', 3800, 0, 'Vidange', 0, 1, 5, 122000)");
        exec("INSERT INTO Recettes (num, date, Montant, mode, ref, num_vehicule) VALUES (1, '2021-01-15', 25000, 1, 'Transport Oran', 5)");
        exec("INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES (1, 5, 'SAA Blida', '2021-01-01', '2021-12-31')");
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 5, '2021-01-20', '2021-07-20')");
        exec("INSERT INTO Vignettes (num, num_vehicule, Date, montant) VALUES (1, 5, '2021-03-31', 6000)");
        exec("INSERT INTO Affectations (num, num_vehicule, num_Chauffeur, du, au, obs) VALUES "
             "(1, 5, 1, '2021-01-01', NULL, 'Tournées de la zone industrielle ')");
    }

    /// Fills a list's panel with what it accepts.
    static void fillValid(Zoom_V& w, Zoom_V::List list)
    {
        switch (list) {
        case Zoom_V::List::Depenses:
            w.depMontant->setText("150");
            w.depDate->setText("02/03/2021");
            break;
        case Zoom_V::List::Recettes:
            w.recMontant->setText("300");
            w.recDate->setText("02/03/2021");
            break;
        case Zoom_V::List::Assurances:
            w.assAgence->setText("CAAR");
            w.assDu->setText("01/01/2022");
            w.assAu->setText("31/12/2022");
            break;
        case Zoom_V::List::Controles:
            w.ctlVisite->setText("01/02/2022");
            w.ctlSuivante->setText("01/08/2022");
            break;
        case Zoom_V::List::Vignettes:
            w.vigDate->setText("31/03/2022");
            w.vigMontant->setText("6500");
            break;
        case Zoom_V::List::Affectations:
            w.affDu->setText("01/02/2022");
            break;
        }
    }

    QList<QVariantMap> rowsOf(const QString& table)
    {
        QList<QVariantMap> rows;
        for (const db::Row& r : db().query("SELECT * FROM " + table + " ORDER BY num"))
            rows << r.toMap();
        return rows;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        exec("INSERT INTO Genres (num, denom) VALUES (2, 'Camionnette')");
        exec("INSERT INTO Marques (num, denom) VALUES (2, 'Renault  ')");
        exec("INSERT INTO Modeles (num, denom) VALUES (2, ' Master')");
        exec("INSERT INTO Carburants (num, denom) VALUES (2, 'Gasoil')");
        seed::vehicle(db(), {.num = 5, .matricule = "01234 119 16", .annee = "2019", .genre = 2, .marque = 2, .modele = 2,
                             .carburant = 99, .dateCirculation = "2019-04-01", .carteGrise = "CG-778", .dateCarte = "2019-04-10",
                             .more = {{"Date_vidange", "2021-02-01"}, {"Km_Vidange", 45000}, {"oil_vidange", "Total 15W40"}}});
        seed::vehicle(db(), {.num = 6, .matricule = "AUTRE"});
    }
    void cleanup() { f_.reset(); }

    // ---- opening ------------------------------------------------------------------------------------------

    void headerShowsTheVehicleAndItsReferences()
    {
        auto w = open();
        QVERIFY(w->found());
        QCOMPARE(w->windowTitle(), QStringLiteral(" "));
        const QList<QPair<QString, QString>> expected = {
            {"Matricule ->", "01234 119 16"}, {"Année", "2019"},   {"Mise en circulation", "01/04/2019"},
            {"N° Carte Grise", "CG-778"},     {"En date du", "10/04/2019"}, {"Type", "Camionnette"},
            {"Marque", "Renault  "},          {"Modèle", " Master"}, {"Carburant", ""}};
        for (const auto& [label, text] : expected)
            QCOMPARE(w->headerValue(label)->text(), text);
        QCOMPARE(w->oilDate->text(), QStringLiteral("01/02/2021"));
        QCOMPARE(w->oilKm->text(), QStringLiteral("45000"));
        QCOMPARE(w->oilHuile->text(), QStringLiteral("Total 15W40"));
        QVERIFY(!w->oilModified());
        QCOMPARE(w->tabs()->currentIndex(), 0);
        QStringList tabs;
        for (int i = 0; i < w->tabs()->count(); ++i)
            tabs << w->tabs()->tabText(i);
        QCOMPARE(tabs, QStringList({"Dépenses", "Recettes", "Assur. / Contrôles", "Chauffeurs"}));
        QCOMPARE(w->depMode->currentText(), QStringLiteral("Espèces"));
        QCOMPARE(w->recMode->currentText(), QStringLiteral("Espèces"));
        QCOMPARE(w->depAffectation->currentText(), QStringLiteral(" Gasoil/Ess."));
        QVERIFY(ui().messages.isEmpty());
    }

    void missingVehicleShowsAMessageAndCloses()
    {
        s().vehicule_courant = 77;
        Zoom_V w(s());
        QVERIFY(!w.found());
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Enregistrement introuvable", Icon::NoIcon, "ZEB", false}}));
        w.show();
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    void listsShowOnlyTheVehiclesLinesInDateOrder()
    {
        exec("INSERT INTO Depenses (num, date, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Km) VALUES "
             "(1, '2021-03-05', 1234567.5, 0, 'Plein', 0, 0, 5, 0),"
             "(2, '2021-01-02', 0.5, 1, 'Filtre', 0, 2, 5, 120500),"
             "(3, '2021-02-02', 10, 0, 'Autre', 0, 0, 6, 0),"
             "(4, '2021-02-03', 10, 0, 'Bizarre', 0, 9, 5, NULL)");
        exec("INSERT INTO Recettes (num, date, Montant, mode, ref, num_vehicule) VALUES (1, '2021-04-01', 300, 2, 'Transport', 5)");
        auto w = open();
        const auto& dep = w->part(Zoom_V::List::Depenses);
        QCOMPARE(dep.model->lineCount(), 3);
        const QList<QStringList> expected = {{"1", "02/01/2021", " Filtre", ".50 ", " Pièces ", "120500"},
                                             {"2", "03/02/2021", " Bizarre", "10.00 ", "", ""},
                                             {"3", "05/03/2021", " Plein", "1234 567.50 ", " Gasoil/Ess. ", ""}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 6; ++c)
                QCOMPARE(cell(*w, Zoom_V::List::Depenses, r, c), expected[r][c]);
        QCOMPARE(dep.model->keyAt(0), 2);
        QCOMPARE(w->currentRow(Zoom_V::List::Depenses), 0);
        QVERIFY(dep.view->selectionModel()->isRowSelected(0));
        QCOMPARE(dep.model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Kilométrage"));
        QCOMPARE(Qt::Alignment(dep.model->data(dep.model->index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>()) & Qt::AlignRight,
                 Qt::AlignRight);
        QCOMPARE(cell(*w, Zoom_V::List::Recettes, 0, 4), QStringLiteral("Virement "));
        QCOMPARE(cell(*w, Zoom_V::List::Recettes, 0, 2), QStringLiteral(" Transport"));
        QAbstractItemModelTester tester(dep.model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void emptyListsShowOneBlankRowWithoutChangeOrDelete()
    {
        auto w = open();
        for (Zoom_V::List list : kLists) {
            const auto& p = w->part(list);
            QCOMPARE(p.model->rowCount(), 1);
            QCOMPARE(p.model->lineCount(), 0);
            QVERIFY(!p.add->isHidden());
            QVERIFY(p.change->isHidden());
            QVERIFY(p.remove->isHidden());
        }
    }

    void tenThousandLinesOpenInOneQueryPerList()
    {
        {
            db::Transaction t(db());
            for (int i = 1; i <= 10000; ++i)
                exec("INSERT INTO Depenses (num, date, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Km) "
                     "VALUES (?, ?, ?, 0, 'x', 0, ?, 5, ?)",
                     {i, QDate(2021, 1, 1).addDays(i % 365).toString(Qt::ISODate), i * 1.5, i % 6, i});
            t.commit();
        }
        auto w = open();
        QCOMPARE(w->part(Zoom_V::List::Depenses).model->lineCount(), 10000);
        QCOMPARE(cell(*w, Zoom_V::List::Depenses, 9999, 0), QStringLiteral("10000"));
    }

    // ---- expenses -----------------------------------------------------------------------------------------

    void fuelExpenseThroughThePanel()
    {
        auto w = open();
        w->part(Zoom_V::List::Depenses).add->click();
        QVERIFY(w->part(Zoom_V::List::Depenses).panel->isVisible());
        QCOMPARE(w->part(Zoom_V::List::Depenses).panel->title(), QStringLiteral("Nouvelle dépense"));
        QVERIFY(!w->tabs()->isEnabled());
        QCOMPARE(w->depDate->text(), today());
        QVERIFY(w->depMontant->hasFocus());
        QTest::keyClicks(w->depMontant, "1234,50");
        QCOMPARE(w->depMontant->text(), QStringLiteral("1234.50"));
        QTest::keyClick(w->depMontant, Qt::Key_Return);
        QVERIFY(w->depDate->hasFocus());
        QTest::keyClick(w->depDate, Qt::Key_Return);
        QVERIFY(w->depObjet->hasFocus());
        QTest::keyClick(w->depObjet, Qt::Key_Return);
        QVERIFY(w->depKm->hasFocus());
        QTest::keyClicks(w->depKm, "12a5.00");
        QCOMPARE(w->depKm->text(), QStringLiteral("12500"));
        QTest::keyClick(w->depKm, Qt::Key_Down);   // stops at the last field
        QVERIFY(w->depKm->hasFocus());
        QTest::keyClick(w->depKm, Qt::Key_Return); // confirms

        QVERIFY(ui().messages.isEmpty());
        QVERIFY(!w->part(Zoom_V::List::Depenses).panel->isVisible());
        QVERIFY(w->tabs()->isEnabled());
        QCOMPARE(value("SELECT count(*) FROM Depenses").toInt(), 1);
        const db::Row r = row("SELECT * FROM Depenses");
        QCOMPARE(r.integer("num"), 1);
        QCOMPARE(r.integer("num_vehicule"), kVehicle);
        QCOMPARE(r.integer("contrepartie"), 0);
        QCOMPARE(r.integer("Type_Dep"), 0);
        QCOMPARE(r.integer("mode"), 0);
        QCOMPARE(r.number("Montant"), 1234.5);
        QCOMPARE(r.integer("MM"), entryDay().month());
        QCOMPARE(r.text("date"), todayIso());
        QCOMPARE(r.text("ref"), QStringLiteral("/"));
        QCOMPARE(r.number("Km"), 12500.0);
        QVERIFY(r.isNull("Num_Agent"));
        QCOMPARE(cell(*w, Zoom_V::List::Depenses, 0, 2), QStringLiteral(" /"));
        QCOMPARE(cell(*w, Zoom_V::List::Depenses, 0, 3), QStringLiteral("1 234.50 "));
        QVERIFY(!w->part(Zoom_V::List::Depenses).change->isHidden());
    }

    void amountsAreReadAsNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::newRow("grouped") << "1 234.50" << 1234.5;
        QTest::newRow("no integer digit") << ".50" << 0.5;
        QTest::newRow("negative") << "-20" << -20.0;
        QTest::newRow("zero") << "0" << 0.0;
    }
    void amountsAreReadAsNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(double, stored);
        auto w = open();
        w->part(Zoom_V::List::Depenses).add->click();
        QTest::keyClick(w->depMontant, Qt::Key_Up); // the first field keeps the focus
        QVERIFY(w->depMontant->hasFocus());
        w->depMontant->setText(typed); // as pasted
        w->part(Zoom_V::List::Depenses).confirm->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(value("SELECT Montant FROM Depenses").toDouble(), stored);
        // Shown back for a change and saved again, the amount does not move.
        w->part(Zoom_V::List::Depenses).change->click();
        w->part(Zoom_V::List::Depenses).confirm->click();
        QCOMPARE(value("SELECT Montant FROM Depenses").toDouble(), stored);
    }

    void changeShowsTheLineAndWritesItBack()
    {
        exec("INSERT INTO Depenses (num, date, MM, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Km) VALUES "
             "(4, '2021-01-10', 1, 1234567.5, 1, 'Pneus AV', 0, 4, 5, 0)");
        auto w = open();
        w->part(Zoom_V::List::Depenses).change->click();
        QCOMPARE(w->part(Zoom_V::List::Depenses).panel->title(), QStringLiteral("Modifier"));
        QCOMPARE(w->depMontant->text(), QStringLiteral("1 234 567.50")); // shown whole
        QCOMPARE(w->depDate->text(), QStringLiteral("10/01/2021"));
        QCOMPARE(w->depObjet->text(), QStringLiteral("Pneus AV"));
        QCOMPARE(w->depKm->text(), QString());                      // Km 0 shows empty
        QCOMPARE(w->depMode->currentText(), QStringLiteral("Chèque"));
        QCOMPARE(w->depAffectation->currentText(), QStringLiteral(" Pneus"));
        w->depDate->setText("05/03/2020"); // a date of the year before: asked, and kept
        w->depAffectation->setCurrentIndex(5);
        ui().answers = {true};
        w->part(Zoom_V::List::Depenses).confirm->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{{kit::outsideExerciseQuestion("05/03/2020", 2021), Icon::Exclamation,
                                                      QStringLiteral("Confirmation"), true}}));
        QCOMPARE(ui().defaultNoQuestions.size(), 1);
        QCOMPARE(value("SELECT count(*) FROM Depenses").toInt(), 1);
        const db::Row r = row("SELECT * FROM Depenses WHERE num = 4");
        QCOMPARE(r.number("Montant"), 1234567.5);
        QCOMPARE(r.integer("MM"), 3);
        QCOMPARE(r.text("date"), QStringLiteral("2020-03-05"));
        QCOMPARE(r.integer("Type_Dep"), 5);
        QCOMPARE(r.integer("mode"), 1);
        QCOMPARE(r.number("Km"), 0.0);
        QCOMPARE(r.integer("contrepartie"), 0);
        // A new line afterwards types at most 10 characters again.
        w->part(Zoom_V::List::Depenses).add->click();
        QCOMPARE(w->depMontant->maxLength(), 10);
        QCOMPARE(w->depMontant->text(), QString());
    }

    void panelChecks_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QStringList>("texts"); // field object name = text, in order
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // the field that takes the focus back, when the check gives it
        using L = Zoom_V::List;
        QTest::newRow("expense amount blank") << int(L::Depenses) << QStringList{"Depenses_montant=  ", "Depenses_date=01/02/2021"} << "Montant omis" << QString();
        QTest::newRow("expense date short") << int(L::Depenses) << QStringList{"Depenses_montant=5", "Depenses_date=01/02/21"} << "Date incorrecte" << QString();
        QTest::newRow("expense date not a day") << int(L::Depenses) << QStringList{"Depenses_montant=5", "Depenses_date=31/02/2021"} << "Date incorrecte" << QString();
        QTest::newRow("receipt amount blank") << int(L::Recettes) << QStringList{"Recettes_montant=", "Recettes_date=01/02/2021"} << "Montant omis" << QString();
        QTest::newRow("receipt date empty") << int(L::Recettes) << QStringList{"Recettes_montant=5", "Recettes_date="} << "Date incorrecte" << QString();
        QTest::newRow("insurance without agency") << int(L::Assurances)
                                                  << QStringList{"Assurances_agence= ", "Assurances_du=01/01/2021", "Assurances_au=31/12/2021"} << "Agence omise" << QString();
        QTest::newRow("insurance end short") << int(L::Assurances)
                                             << QStringList{"Assurances_agence=SAA", "Assurances_du=01/01/2021", "Assurances_au=31/12"} << "Date incorrecte" << QString();
        QTest::newRow("control next empty") << int(L::Controles) << QStringList{"Controles_visite=01/01/2021", "Controles_suivante="} << "Date incorrecte" << QString();
        QTest::newRow("sticker date first") << int(L::Vignettes) << QStringList{"Vignettes_date=", "Vignettes_montant="} << "Date incorrecte" << QString();
        QTest::newRow("sticker amount") << int(L::Vignettes) << QStringList{"Vignettes_date=01/01/2021", "Vignettes_montant="} << "Montant omis" << QString();
        QTest::newRow("assignment start") << int(L::Affectations) << QStringList{"Affectations_du=1/1/2021", "Affectations_au="} << "Date (1) incorrecte" << QString();
        QTest::newRow("assignment end") << int(L::Affectations)
                                        << QStringList{"Affectations_du=01/01/2021", "Affectations_au=02/01/20"} << "Date (2) incorrecte" << QString();
        // A date that passes the typing rules but is not a day of the calendar, in every date field.
        QTest::newRow("expense 29/02/1900") << int(L::Depenses) << QStringList{"Depenses_montant=5", "Depenses_date=29/02/1900"} << "Date incorrecte" << QString();
        QTest::newRow("receipt 29/02/1900") << int(L::Recettes) << QStringList{"Recettes_montant=5", "Recettes_date=29/02/1900"} << "Date incorrecte" << QString();
        QTest::newRow("insurance from 29/02/1900") << int(L::Assurances)
                                                   << QStringList{"Assurances_agence=SAA", "Assurances_du=29/02/1900", "Assurances_au=31/12/2021"} << "Date incorrecte" << QString();
        QTest::newRow("control 29/02/1900") << int(L::Controles) << QStringList{"Controles_visite=01/01/2021", "Controles_suivante=29/02/1900"} << "Date incorrecte" << QString();
        QTest::newRow("sticker 29/02/1900") << int(L::Vignettes) << QStringList{"Vignettes_date=29/02/1900", "Vignettes_montant=5"} << "Date incorrecte" << QString();
        QTest::newRow("assignment start 29/02/1900") << int(L::Affectations) << QStringList{"Affectations_du=29/02/1900", "Affectations_au="} << "Date (1) incorrecte" << QString();
        QTest::newRow("assignment end 29/02/2100") << int(L::Affectations)
                                                   << QStringList{"Affectations_du=01/01/2021", "Affectations_au=29/02/2100"} << "Date (2) incorrecte" << QString();
        // An amount that is not a well-formed number would be stored as another figure.
        for (const char* typed : {"12-50", "1.2.3", "--5", "12,5"}) {
            QTest::addRow("expense amount %s", typed) << int(L::Depenses) << QStringList{QString("Depenses_montant=") + typed, "Depenses_date=01/02/2021"}
                                                       << "Montant incorrect" << "Depenses_montant";
            QTest::addRow("receipt amount %s", typed) << int(L::Recettes) << QStringList{QString("Recettes_montant=") + typed, "Recettes_date=01/02/2021"}
                                                       << "Montant incorrect" << "Recettes_montant";
            QTest::addRow("sticker amount %s", typed) << int(L::Vignettes) << QStringList{"Vignettes_date=01/01/2021", QString("Vignettes_montant=") + typed}
                                                       << "Montant incorrect" << "Vignettes_montant";
        }
    }
    void panelChecks()
    {
        QFETCH(int, list);
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        const auto l = Zoom_V::List(list);
        auto w = open();
        w->part(l).add->click();
        for (const QString& t : texts) {
            auto* field = w->findChild<QLineEdit*>(t.section(u'=', 0, 0));
            QVERIFY2(field, qPrintable(t));
            field->setText(t.section(u'=', 1));
        }
        w->part(l).confirm->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{attention(message)});
        if (!focus.isEmpty())
            QVERIFY(w->findChild<QLineEdit*>(focus)->hasFocus());
        QVERIFY(w->part(l).panel->isVisible());
        QVERIFY(!w->tabs()->isEnabled());
        QCOMPARE(value(QStringLiteral("SELECT count(*) FROM %1").arg(tableOf(l))).toInt(), 0);
        w->part(l).cancel->click();
        QVERIFY(!w->part(l).panel->isVisible());
        QVERIFY(w->tabs()->isEnabled());
        QCOMPARE(value(QStringLiteral("SELECT count(*) FROM %1").arg(tableOf(l))).toInt(), 0);
    }

    void numberingRunsOverTheWholeTableOfEachBook()
    {
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, num_vehicule) VALUES (7, '2021-01-01', 1, 1, NULL)");
        exec("INSERT INTO Recettes (num, date, Montant, num_vehicule) VALUES (3, '2021-01-01', 1, 6)");
        exec("INSERT INTO Vignettes (num, num_vehicule, Date, montant) VALUES (12, 6, '2021-01-01', 1)");
        auto w = open();
        // A line booked elsewhere after the file opened is counted too.
        exec("INSERT INTO Depenses (num, date, Montant, contrepartie, Num_Agent) VALUES (9, '2021-01-01', 1, 0, 3)");
        w->part(Zoom_V::List::Depenses).add->click();
        w->depMontant->setText("10");
        w->part(Zoom_V::List::Depenses).confirm->click();
        w->part(Zoom_V::List::Recettes).add->click();
        w->recMontant->setText("20");
        w->recObjet->setText("  Location  ");
        w->recMode->setCurrentIndex(1);
        QTest::keyClick(w->recObjet, Qt::Key_Return); // Enter in "Objet" confirms a receipt
        w->part(Zoom_V::List::Vignettes).add->click();
        w->vigDate->setText("02/01/2021");
        w->vigMontant->setText("0");
        QTest::keyClick(w->vigMontant, Qt::Key_Return);
        w->part(Zoom_V::List::Controles).add->click();
        w->ctlVisite->setText("02/01/2021");
        w->ctlSuivante->setText("02/07/2021");
        w->part(Zoom_V::List::Controles).confirm->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(value("SELECT num FROM Depenses WHERE num_vehicule = 5").toInt(), 10);
        const db::Row receipt = row("SELECT * FROM Recettes WHERE num_vehicule = 5");
        QCOMPARE(receipt.integer("num"), 4);
        QCOMPARE(receipt.text("ref"), QStringLiteral("Location"));
        QCOMPARE(receipt.integer("mode"), 1);
        QCOMPARE(receipt.number("Montant"), 20.0);
        QCOMPARE(receipt.text("date"), todayIso());
        QVERIFY(receipt.isNull("contrepartie")); // the vehicle file writes no counterpart on a receipt
        QCOMPARE(cell(*w, Zoom_V::List::Recettes, 0, 4), QStringLiteral("Chèque "));
        QCOMPARE(value("SELECT num FROM Vignettes WHERE num_vehicule = 5").toInt(), 13);
        QCOMPARE(value("SELECT montant FROM Vignettes WHERE num_vehicule = 5").toDouble(), 0.0); // 0 is an amount
        QCOMPARE(value("SELECT num FROM Controles WHERE num_vehicule = 5").toInt(), 1);
        QCOMPARE(cell(*w, Zoom_V::List::Controles, 0, 1), QStringLiteral("02/07/2021"));
        QCOMPARE(cell(*w, Zoom_V::List::Vignettes, 0, 1), QStringLiteral(".00 "));
    }

    void changeOfALineDeletedMeanwhile()
    {
        exec("INSERT INTO Assurances (num, num_vehicule, agence, du, au) VALUES (3, 5, 'SAA', '2021-01-01', '2021-12-31')");
        auto w = open();
        exec("DELETE FROM Assurances");
        w->part(Zoom_V::List::Assurances).change->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Enregistrement introuvable", Icon::NoIcon, "ZEB", false}}));
        QVERIFY(!w->part(Zoom_V::List::Assurances).panel->isVisible());
        QVERIFY(w->tabs()->isEnabled());
    }

    void deleteAsksWithTheRowNumber()
    {
        exec("INSERT INTO Recettes (num, date, Montant, mode, ref, num_vehicule) VALUES "
             "(1, '2021-01-01', 1, 0, 'a', 5), (2, '2021-01-02', 2, 0, 'b', 5)");
        auto w = open();
        const auto& p = w->part(Zoom_V::List::Recettes);
        w->selectRow(Zoom_V::List::Recettes, 1);
        ui().answers = {false};
        p.remove->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Supprimer la ligne N° 2", Icon::Question, "Confirmation", true}}));
        QCOMPARE(ui().defaultNoQuestions, QStringList{"Supprimer la ligne N° 2"}); // Return answers "Non"
        QCOMPARE(value("SELECT count(*) FROM Recettes").toInt(), 2);
        ui().clear();
        w->selectRow(Zoom_V::List::Recettes, 1);
        ui().answers = {true};
        p.remove->click();
        QCOMPARE(value("SELECT group_concat(num) FROM Recettes").toString(), QStringLiteral("1"));
        QCOMPARE(p.model->lineCount(), 1);
        QVERIFY(!p.remove->isHidden());
        ui().answers = {true};
        p.remove->click();
        QCOMPARE(ui().messages.last().text, QStringLiteral("Supprimer la ligne N° 1"));
        QCOMPARE(value("SELECT count(*) FROM Recettes").toInt(), 0);
        QCOMPARE(p.model->rowCount(), 1);
        QCOMPARE(p.model->lineCount(), 0);
        QVERIFY(p.change->isHidden());
        QVERIFY(p.remove->isHidden());
    }

    void theFollowUpsCommandsHaveTheirOwnAltKeys()
    {
        auto w = open();
        ui::prepareScreen(*w); // as the ui seam does before showing it
        const Zoom_V::List followUps[] = {Zoom_V::List::Assurances, Zoom_V::List::Controles, Zoom_V::List::Vignettes};
        QSet<QKeyCombination> keys;
        for (Zoom_V::List list : followUps) {
            const auto& p = w->part(list);
            for (QToolButton* b : {p.add, p.change, p.remove}) {
                QVERIFY2(!b->shortcut().isEmpty(), qPrintable(b->objectName()));
                QCOMPARE(b->shortcut()[0].keyboardModifiers(), Qt::AltModifier);
                keys.insert(b->shortcut()[0]);
            }
        }
        QCOMPARE(keys.size(), 9);
        QVERIFY(!keys.contains(w->closeButton()->shortcut()[0]));

        // On their tab, the key of the inspections' "Nouveau" opens the inspections' entry.
        const auto& controles = w->part(Zoom_V::List::Controles);
        for (int i = 0; i < w->tabs()->count(); ++i)
            if (w->tabs()->widget(i)->isAncestorOf(controles.view))
                w->tabs()->setCurrentIndex(i);
        QTest::keySequence(w.get(), controles.add->shortcut());
        QTRY_VERIFY(controles.panel->isVisible()); // a command's key clicks it after a short animation
        QVERIFY(!w->part(Zoom_V::List::Assurances).panel->isVisible());
        QVERIFY(!w->part(Zoom_V::List::Vignettes).panel->isVisible());
    }

    void doubleClickChangesTheRow()
    {
        exec("INSERT INTO Controles (num, num_vehicule, Date1, Date2) VALUES (1, 5, '2021-01-01', '2021-06-01'), "
             "(2, 5, '2020-01-01', '2020-06-01')");
        auto w = open();
        const auto& p = w->part(Zoom_V::List::Controles);
        w->tabs()->setCurrentIndex(2);
        QCoreApplication::processEvents();
        const QRect rect = p.view->visualRect(p.model->index(1, 0));
        QTest::mouseClick(p.view->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(w->currentRow(Zoom_V::List::Controles), 1);
        QTest::mouseDClick(p.view->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(p.panel->isVisible());
        QCOMPARE(w->ctlVisite->text(), QStringLiteral("01/01/2021"));
        w->ctlSuivante->setText("15/07/2021");
        QTest::keyClick(w->ctlSuivante, Qt::Key_Return);
        QCOMPARE(value("SELECT Date2 FROM Controles WHERE num = 1").toString(), QStringLiteral("2021-07-15"));
        QCOMPARE(value("SELECT Date2 FROM Controles WHERE num = 2").toString(), QStringLiteral("2020-06-01"));
    }

    // ---- follow-ups ---------------------------------------------------------------------------------------

    void insuranceDatesAreNotCompared()
    {
        auto w = open();
        w->part(Zoom_V::List::Assurances).add->click();
        QTest::keyClicks(w->assAgence, " CAAR ");
        QTest::keyClick(w->assAgence, Qt::Key_Return);
        QVERIFY(w->assDu->hasFocus());
        QTest::keyClicks(w->assDu, "01062021");
        QCOMPARE(w->assDu->text(), QStringLiteral("01/06/2021"));
        QTest::keyClick(w->assDu, Qt::Key_Return);
        QTest::keyClicks(w->assAu, "01012021");
        QTest::keyClick(w->assAu, Qt::Key_Up);
        QVERIFY(w->assDu->hasFocus());
        QTest::keyClick(w->assDu, Qt::Key_Down);
        QTest::keyClick(w->assAu, Qt::Key_Return);
        QVERIFY(ui().messages.isEmpty());
        const db::Row r = row("SELECT * FROM Assurances");
        QCOMPARE(r.text("agence"), QStringLiteral("CAAR"));
        QCOMPARE(r.text("du"), QStringLiteral("2021-06-01"));
        QCOMPARE(r.text("au"), QStringLiteral("2021-01-01"));
        QCOMPARE(r.integer("num_vehicule"), kVehicle);
        QCOMPARE(cell(*w, Zoom_V::List::Assurances, 0, 0), QStringLiteral("CAAR"));
    }

    void openAssignmentWithoutObservation()
    {
        seed::person(db(), {.num = 1, .kind = schema::person::Chauffeur, .nom = "ZIANI ", .prenom = "Ali", .archived = true});
        seed::person(db(), {.num = 2, .kind = schema::person::Chauffeur, .nom = "BENALI", .prenom = "Omar"});
        seed::person(db(), {.num = 3, .kind = schema::person::Agent, .nom = "AGENT", .prenom = "Pas chauffeur"});
        auto w = open();
        QCOMPARE(w->affChauffeur->count(), 2);
        QCOMPARE(w->affChauffeur->itemText(0), QStringLiteral("BENALI Omar"));
        QCOMPARE(w->affChauffeur->itemText(1), QStringLiteral("ZIANI Ali")); // archived drivers included
        w->part(Zoom_V::List::Affectations).add->click();
        QCOMPARE(w->affChauffeur->currentIndex(), 0);
        w->affChauffeur->setCurrentIndex(1);
        w->affDu->setText("01/03/2021");
        QTest::keyClick(w->affObs, Qt::Key_Return);
        QVERIFY(ui().messages.isEmpty());
        const db::Row r = row("SELECT * FROM Affectations");
        QCOMPARE(r.integer("num"), 1);
        QCOMPARE(r.integer("num_Chauffeur"), 1);
        QVERIFY(r.text("au").isEmpty());
        QCOMPARE(r.text("obs"), QStringLiteral(" / "));
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 0, 1), QString());
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 0, 2), QStringLiteral(" ZIANI  Ali"));
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 0, 3), QStringLiteral(" / "));

        // Reopened for a change: "Au" empty, the observation " / ", the driver selected; closing it
        // with an observation stores it with one blank after it, and no more when saved again.
        w->part(Zoom_V::List::Affectations).add->click();
        w->part(Zoom_V::List::Affectations).cancel->click();
        w->part(Zoom_V::List::Affectations).change->click();
        QCOMPARE(w->affAu->text(), QString());
        QCOMPARE(w->affObs->text(), QStringLiteral(" / "));
        QCOMPARE(w->affChauffeur->currentText(), QStringLiteral("ZIANI Ali"));
        w->part(Zoom_V::List::Affectations).confirm->click();
        QCOMPARE(value("SELECT obs FROM Affectations").toString(), QStringLiteral(" / "));
        w->part(Zoom_V::List::Affectations).change->click();
        w->affAu->setText("31/03/2021");
        w->affObs->setText("Mission Oran");
        w->part(Zoom_V::List::Affectations).confirm->click();
        w->part(Zoom_V::List::Affectations).change->click();
        QCOMPARE(w->affObs->text(), QStringLiteral("Mission Oran "));
        w->part(Zoom_V::List::Affectations).confirm->click();
        const db::Row again = row("SELECT * FROM Affectations");
        QCOMPARE(again.text("obs"), QStringLiteral("Mission Oran "));
        QCOMPARE(again.text("au"), QStringLiteral("2021-03-31"));
        QCOMPARE(value("SELECT count(*) FROM Affectations").toInt(), 1);
    }

    // An assignment whose end comes before its start is refused, as a rental is ("Dates inversées").
    void assignmentDatesInOrder_data()
    {
        QTest::addColumn<QString>("du");
        QTest::addColumn<QString>("au");
        QTest::addColumn<bool>("refused");
        QTest::newRow("inverted") << "10/03/2021" << "01/03/2021" << true;
        QTest::newRow("one day") << "10/03/2021" << "10/03/2021" << false;
        QTest::newRow("in order") << "01/03/2021" << "10/03/2021" << false;
        QTest::newRow("open end") << "01/03/2021" << "" << false;
        QTest::newRow("across the year") << "20/12/2021" << "05/01/2021" << true;
    }
    void assignmentDatesInOrder()
    {
        QFETCH(QString, du);
        QFETCH(QString, au);
        QFETCH(bool, refused);
        seed::person(db(), {.num = 2, .kind = schema::person::Chauffeur, .nom = "BENALI", .prenom = "Omar"});
        auto w = open();
        w->part(Zoom_V::List::Affectations).add->click();
        w->affDu->setText(du);
        w->affAu->setText(au);
        w->part(Zoom_V::List::Affectations).confirm->click();
        QCOMPARE(ui().messages, refused ? QList<ShownMessage>{attention(QStringLiteral("Dates inversées"))} : QList<ShownMessage>{});
        QCOMPARE(value("SELECT count(*) FROM Affectations").toInt(), refused ? 0 : 1);
        QCOMPARE(w->part(Zoom_V::List::Affectations).panel->isVisible(), refused);
        if (refused)
            QVERIFY(w->affAu->hasFocus());
    }

    void changeKeepsTheDriverChoiceWhenItsDriverIsGone()
    {
        seed::person(db(), {.num = 1, .kind = schema::person::Chauffeur, .nom = "A", .prenom = "a"});
        seed::person(db(), {.num = 2, .kind = schema::person::Chauffeur, .nom = "B", .prenom = "b"});
        exec("INSERT INTO Affectations (num, num_vehicule, num_Chauffeur, du, au, obs) VALUES "
             "(1, 5, 99, '2021-01-01', '2021-01-31', 'x '), (2, 5, 2, '2021-02-01', NULL, NULL)");
        auto w = open();
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 0, 2), QString()); // driver 99 is not found
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 1, 2), QStringLiteral(" B b"));
        w->selectRow(Zoom_V::List::Affectations, 1);
        w->changeLine(Zoom_V::List::Affectations);
        QCOMPARE(w->affChauffeur->currentText(), QStringLiteral("B b"));
        QCOMPARE(w->affObs->text(), QString()); // none stored
        w->cancel(Zoom_V::List::Affectations);
        w->selectRow(Zoom_V::List::Affectations, 0);
        w->changeLine(Zoom_V::List::Affectations);
        QCOMPARE(w->affChauffeur->currentText(), QStringLiteral("B b"));
        QCOMPARE(w->affAu->text(), QStringLiteral("31/01/2021"));
        w->confirm(Zoom_V::List::Affectations);
        QCOMPARE(value("SELECT num_Chauffeur FROM Affectations WHERE num = 1").toInt(), 2);
    }

    void assignmentWithoutAnyDriver()
    {
        auto w = open();
        QCOMPARE(w->affChauffeur->count(), 0);
        w->part(Zoom_V::List::Affectations).add->click();
        w->affDu->setText("01/03/2021");
        w->part(Zoom_V::List::Affectations).confirm->click();
        QCOMPARE(value("SELECT num_Chauffeur FROM Affectations").toInt(), -1);
        QCOMPARE(cell(*w, Zoom_V::List::Affectations, 0, 2), QString());
    }

    // ---- oil change ------------------------------------------------------------------------------------------

    void oilChangeSavedByTheCloseCommand_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("km");
        QTest::addColumn<QString>("huile");
        QTest::addColumn<QString>("storedDate");
        QTest::addColumn<double>("storedKm");
        QTest::addColumn<QString>("storedOil");
        QTest::newRow("all three") << "15/06/2021" << "52000" << "Elf" << "2021-06-15" << 52000.0 << "Elf";
        QTest::newRow("cleared mileage keeps it") << "15/06/2021" << "" << "Elf" << "2021-06-15" << 45000.0 << "Elf";
        QTest::newRow("blank date and oil keep them") << "" << "60000" << " " << "2021-02-01" << 60000.0 << "Total 15W40";
    }
    void oilChangeSavedByTheCloseCommand()
    {
        QFETCH(QString, date);
        QFETCH(QString, km);
        QFETCH(QString, huile);
        auto w = open();
        w->oilKm->setFocus();
        QTest::keyClick(w->oilKm, Qt::Key_End);
        QTest::keyClicks(w->oilKm, "1"); // an edit
        QVERIFY(w->oilModified());
        w->oilDate->setText(date);
        w->oilKm->setText(km);
        w->oilHuile->setText(huile);
        w->closeButton()->click();
        QCOMPARE(w->result(), int(QDialog::Accepted));
        const db::Row r = row("SELECT * FROM Vehicules WHERE num = 5");
        QFETCH(QString, storedDate);
        QFETCH(double, storedKm);
        QFETCH(QString, storedOil);
        QCOMPARE(r.text("Date_vidange"), storedDate);
        QCOMPARE(r.number("Km_Vidange"), storedKm);
        QCOMPARE(r.text("oil_vidange"), storedOil);
    }

    // Escape and the window's close button leave without saving, after asking when something was typed:
    // "Non" drops the oil change, "Oui" saves it as "Fermer" does.
    void oilChangeLeftByEscapeIsAskedAbout_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("save");
        for (const char* way : {"escape", "window", "panel"})
            for (bool save : {false, true})
                QTest::addRow("%s, %s", way, save ? "Oui" : "Non") << QString::fromLatin1(way) << save;
    }
    void oilChangeLeftByEscapeIsAskedAbout()
    {
        QFETCH(QString, way);
        QFETCH(bool, save);
        auto w = open();
        w->oilHuile->setFocus();
        QTest::keyClick(w->oilHuile, Qt::Key_End);
        QTest::keyClick(w->oilHuile, Qt::Key_Backspace); // an edit
        QTest::keyClicks(w->oilHuile, "X");
        w->oilKm->setText("99");
        ui().answers = {save};
        if (way == "window") {
            w->close();
        } else {
            if (way == "panel") {
                w->part(Zoom_V::List::Recettes).add->click();
                QTest::keyClick(w->recMontant, Qt::Key_Escape); // closes the panel, not the file
                QVERIFY(!w->part(Zoom_V::List::Recettes).panel->isVisible());
                QVERIFY(w->isVisible());
                QVERIFY(ui().messages.isEmpty());
            }
            QTest::keyClick(w.get(), Qt::Key_Escape);
        }
        QVERIFY(!w->isVisible());
        QCOMPARE(ui().messages, (QList<ShownMessage>{{kit::kSaveChangesQuestion, Icon::Question, QStringLiteral("Z.E.B."), true}}));
        QCOMPARE(value("SELECT Km_Vidange FROM Vehicules WHERE num = 5").toDouble(), save ? 99.0 : 45000.0);
    }

    void escapeWithNothingTypedAsksNothing()
    {
        auto w = open();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(ui().messages.isEmpty());
    }

    void oilChangeWithoutAnEditWritesNothing()
    {
        exec("UPDATE Vehicules SET oil_vidange = 'Changed elsewhere' WHERE num = 5");
        auto again = open();
        again->closeButton()->click();
        QCOMPARE(value("SELECT oil_vidange FROM Vehicules WHERE num = 5").toString(), QStringLiteral("Changed elsewhere"));
    }

    void oilChangeKeys()
    {
        auto w = open();
        w->oilDate->setFocus();
        QTest::keyClick(w->oilDate, Qt::Key_Return);
        QVERIFY(w->oilKm->hasFocus());
        QTest::keyClicks(w->oilKm, "a");
        QCOMPARE(w->oilKm->text(), QStringLiteral("45000")); // digits only (the text was selected)
        QTest::keyClick(w->oilKm, Qt::Key_Down);
        QVERIFY(w->oilHuile->hasFocus());
        QTest::keyClick(w->oilHuile, Qt::Key_Up);
        QTest::keyClick(w->oilKm, Qt::Key_Up);
        QVERIFY(w->oilDate->hasFocus());
    }

    // ---- purchase voucher ----------------------------------------------------------------------------------

    void voucherOpensPrefilled()
    {
        auto w = open();
        w->bonAchat->click();
        QVERIFY(w->voucherPanel()->isVisible());
        QVERIFY(!w->tabs()->isEnabled());
        QCOMPARE(w->bon[0]->text(), today());
        QCOMPARE(w->bon[2]->text(), QStringLiteral("Renault Master (01234 119 16)"));
        QCOMPARE(w->bon[7]->text(), QStringLiteral("Le Comptable"));
        QCOMPARE(w->bon[8]->text(), QString());
        for (int i : {1, 3, 4, 5, 6, 9})
            QVERIFY(w->bon[i]->text().isEmpty());
        QVERIFY(w->deuxExemplaires->isChecked());
        QVERIFY(w->bon[0]->hasFocus());
        // Keys: Enter and Down to the next field, wrapping from N° to Date; Up back; capitals.
        QTest::keyClick(w->bon[0], Qt::Key_Return);
        QVERIFY(w->bon[1]->hasFocus());
        QTest::keyClicks(w->bon[1], "sarl pieces");
        QCOMPARE(w->bon[1]->text(), QStringLiteral("Sarl pieces"));
        w->bon[9]->setFocus();
        QTest::keyClick(w->bon[9], Qt::Key_Down);
        QVERIFY(w->bon[0]->hasFocus());
        QTest::keyClick(w->bon[0], Qt::Key_Up);
        QVERIFY(w->bon[9]->hasFocus());
        w->bonFermer->click();
        QVERIFY(!w->voucherPanel()->isVisible());
        QVERIFY(w->tabs()->isEnabled());
    }

    void voucherPrintsItsTextsAndRemembersTheSigner()
    {
        auto w = open();
        w->bonAchat->click();
        w->bon[1]->setText(" Sarl Pieces ");
        w->bon[3]->setText("Filtre a huile");
        w->bon[7]->setText(" Le Gérant ");
        w->bon[8]->setText("K. Saidi");
        w->bonImprimer->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(s().reportTemplate, QStringLiteral("B2_Achat.RPT"));
        const db::Row t = row("SELECT * FROM textes");
        QCOMPARE(t.text("ch4"), today());
        QCOMPARE(t.text("ch5"), QStringLiteral("Sarl Pieces"));
        QCOMPARE(t.text("ch6"), QStringLiteral("Renault Master (01234 119 16)"));
        QCOMPARE(t.text("ch7"), QStringLiteral("Filtre a huile"));
        QCOMPARE(t.text("ch8"), QStringLiteral("..............DA"));
        QCOMPARE(t.text("ch11"), QStringLiteral("Le Gérant"));
        QCOMPARE(t.text("ch12"), QStringLiteral("K. Saidi"));
        QCOMPARE(t.text("ch13"), QStringLiteral("................."));
        QVERIFY(w->voucherPanel()->isVisible()); // the panel stays open

        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.first()), QPdfDocument::Error::None);
        QCOMPARE(pdf.pageCount(), 1);
        QVERIFY(pdf.getAllText(0).text().count(QStringLiteral("BON D'ACHAT")) == 2);
        if (const QString shots = qEnvironmentVariable("KV_SHOTS"); !shots.isEmpty())
            QFile::copy(ui().reports.first(), shots + "/B2_Achat.pdf");

        w->unExemplaire->setChecked(true);
        w->bon[4]->setText("1500.00");
        w->bon[9]->setText("A-17");
        w->bonImprimer->click();
        QCOMPARE(s().reportTemplate, QStringLiteral("B_Achat.RPT"));
        QCOMPARE(value("SELECT ch8 FROM textes").toString(), QStringLiteral("1500.00 DA"));
        QCOMPARE(value("SELECT ch13 FROM textes").toString(), QStringLiteral("A-17"));
        QCOMPARE(pdf.load(ui().reports.last()), QPdfDocument::Error::None);
        QCOMPARE(pdf.getAllText(0).text().count(QStringLiteral("BON D'ACHAT")), 1);
        if (const QString shots = qEnvironmentVariable("KV_SHOTS"); !shots.isEmpty())
            QFile::copy(ui().reports.last(), shots + "/B_Achat.pdf");

        QVERIFY(!f_->folder->exists("SignData.TXT"));
        w->closeButton()->click();
        QCOMPARE(readSigner(f_->folder->file("SignData.TXT")), (Signer{"Le Gérant", "K. Saidi"}));
        // The next opening reads it back.
        auto again = open();
        again->bonAchat->click();
        QCOMPARE(again->bon[7]->text(), QStringLiteral("Le Gérant"));
        QCOMPARE(again->bon[8]->text(), QStringLiteral("K. Saidi"));
    }

    void signerFileWrittenOnlyWhenChangedOnAPrintedVoucher()
    {
        f_->folder->write("SignData.TXT", "\"Le Directeur\"\r\n\"M. Amrani\"\r\n");
        const QByteArray before = f_->folder->read("SignData.TXT");
        auto w = open();
        w->bonAchat->click();
        QCOMPARE(w->bon[7]->text(), QStringLiteral("Le Directeur"));
        QCOMPARE(w->bon[8]->text(), QStringLiteral("M. Amrani"));
        w->bon[8]->setText("Typed but not printed");
        w->bonFermer->click();
        w->closeButton()->click();
        QCOMPARE(f_->folder->read("SignData.TXT"), before);
        // Printed, then the window closed by Escape: asked first, and "Non" writes nothing.
        auto other = open();
        other->bonAchat->click();
        other->bon[8]->setText("Printed");
        other->bonImprimer->click();
        ui().messages.clear();
        ui().answers = {false};
        other->reject();
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().text, kit::kSaveChangesQuestion);
        QCOMPARE(f_->folder->read("SignData.TXT"), before);
        auto third = open();
        third->bonAchat->click();
        third->bon[8]->setText("Printed");
        third->bonImprimer->click();
        third->closeButton()->click();
        QCOMPARE(readSigner(f_->folder->file("SignData.TXT")), (Signer{"Le Directeur", "Printed"}));
    }

    void missingVoucherTemplatePrintsNothing()
    {
        QFile::remove(f_->folder->file("B2_Achat.RPT"));
        exec("UPDATE textes SET ch5 = 'avant'");
        auto w = open();
        w->bonAchat->click();
        w->bon[8]->setText("Nouveau nom");
        w->bonImprimer->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Fichier 'B2_Achat.RPT' absent", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(value("SELECT ch5 FROM textes").toString(), QStringLiteral("avant"));
        QCOMPARE(w->signer(), (Signer{"Le Comptable", ""}));
        w->closeButton()->click();
        QVERIFY(!f_->folder->exists("SignData.TXT"));
    }

    // ---- engine refusals, focus, voucher checks ------------------------------------------------------------

    void engineRefusalLeavesTheLines_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("operation");
        using L = Zoom_V::List;
        for (L l : kLists)
            for (const char* op : {"INSERT", "UPDATE", "DELETE"})
                QTest::addRow("%s %s", qPrintable(tableOf(l)), op) << int(l) << QString(op);
    }
    void engineRefusalLeavesTheLines()
    {
        QFETCH(int, list);
        QFETCH(QString, operation);
        const auto l = Zoom_V::List(list);
        addLines();
        const QString table = tableOf(l);
        const auto before = rowsOf(table);
        auto w = open();
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END").arg(operation, table));
        const Zoom_V::ListPart& p = w->part(l);
        w->tabs()->setCurrentIndex(l == Zoom_V::List::Depenses ? 0 : l == Zoom_V::List::Recettes ? 1 : l == Zoom_V::List::Affectations ? 3 : 2);
        if (operation == "DELETE") {
            ui().answers = {true};
            p.remove->click();
        } else {
            (operation == "INSERT" ? p.add : p.change)->click();
            fillValid(*w, l);
            p.confirm->click();
            QVERIFY(p.panel->isVisible()); // what was typed stays, to confirm again or cancel
        }
        QCOMPARE(ui().messages.last(), (ShownMessage{"écriture refusée", Icon::Critical, "Z.E.B.", false}));
        QVERIFY(w->isVisible());
        QCOMPARE(rowsOf(table), before);
        QCOMPARE(p.model->lineCount(), int(before.size()));
    }

    void oilChangeRefusedByTheEngineKeepsTheFileOpen()
    {
        auto w = open();
        w->oilKm->setFocus();
        QTest::keyClick(w->oilKm, Qt::Key_End);
        QTest::keyClicks(w->oilKm, "7");
        exec("CREATE TRIGGER refuse BEFORE UPDATE ON Vehicules BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        w->closeButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{{"écriture refusée", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(w->isVisible());
        QCOMPARE(w->oilKm->text(), QStringLiteral("450007"));
        QCOMPARE(value("SELECT Km_Vidange FROM Vehicules WHERE num = 5").toDouble(), 45000.0);
        exec("DROP TRIGGER refuse");
        w->closeButton()->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(value("SELECT Km_Vidange FROM Vehicules WHERE num = 5").toDouble(), 450007.0);
    }

    void oilDateThatIsNotADayIsRefusedOnClosing()
    {
        auto w = open();
        w->oilKm->setFocus();
        QTest::keyClick(w->oilKm, Qt::Key_End);
        QTest::keyClicks(w->oilKm, "7");
        w->oilDate->setText("29/02/1900");
        w->closeButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{attention("Date incorrecte")});
        QVERIFY(w->isVisible());
        QVERIFY(w->oilDate->hasFocus());
        QCOMPARE(value("SELECT Date_vidange FROM Vehicules WHERE num = 5").toString(), QStringLiteral("2021-02-01"));
    }

    void savedLineGivesTheFocusBackToItsList_data()
    {
        QTest::addColumn<int>("list");
        for (Zoom_V::List l : kLists)
            QTest::newRow(qPrintable(tableOf(l))) << int(l);
    }
    void savedLineGivesTheFocusBackToItsList()
    {
        QFETCH(int, list);
        const auto l = Zoom_V::List(list);
        auto w = open();
        w->part(l).add->click();
        fillValid(*w, l);
        w->part(l).confirm->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(w->part(l).model->lineCount(), 1);
        QVERIFY(w->part(l).view->hasFocus());
        QVERIFY(!w->oilDate->hasFocus());
    }

    void voucherRefusesWhatWouldPrintWrong_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("amount 12-50") << 4 << "12-50" << "Montant incorrect";
        QTest::newRow("amount 1.2.3") << 4 << "1.2.3" << "Montant incorrect";
        QTest::newRow("amount --5") << 4 << "--5" << "Montant incorrect";
        QTest::newRow("date 29/02/1900") << 0 << "29/02/1900" << "Date incorrecte";
    }
    void voucherRefusesWhatWouldPrintWrong()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        exec("UPDATE textes SET ch8 = 'avant'");
        auto w = open();
        w->bonAchat->click();
        w->bon[field]->setText(typed);
        w->bonImprimer->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{attention(message)});
        QVERIFY(w->bon[field]->hasFocus());
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(value("SELECT ch8 FROM textes").toString(), QStringLiteral("avant"));
    }

    void voucherCarriesTheFourthIdentityField()
    {
        f_->folder->write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("TRANSPORTS ATLAS SARL")},
                                               {40, ProtectedSettings::encodeText("RC 31/00-123456")}}));
        s().settings.load(f_->folder->file("ZEB.CFG"));
        exec("UPDATE textes SET ch30 = 'ancien'");
        auto w = open();
        w->bonAchat->click();
        w->bonImprimer->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(value("SELECT ch1 FROM textes").toString(), QStringLiteral("TRANSPORTS ATLAS SARL"));
        QCOMPARE(value("SELECT ch30 FROM textes").toString(), QStringLiteral("(RC 31/00-123456)"));
    }

    // ---- a screen that fits ------------------------------------------------------------------------------------

    void fitsTheScreenInEveryState()
    {
        addLines();
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            s().vehicule_courant = kVehicle;
            Zoom_V w(s());
            test::showOn(w, screen);
            const QSize shown = w.size();
            auto check = [&](const QString& state) {
                test::settle(w);
                QCOMPARE(w.size(), shown);
                QCOMPARE(test::outsideScreen(w), QStringList());
                test::saveShot(w, "Zoom_V_" + state + "_" + size);
            };
            check("depenses");
            if (QTest::currentTestFailed())
                return;
            static const int tabOf[] = {0, 1, 2, 2, 2, 3};
            for (Zoom_V::List l : kLists) {
                const Zoom_V::ListPart& p = w.part(l);
                w.tabs()->setCurrentIndex(tabOf[int(l)]);
                p.add->click();
                check(tableOf(l) + "_nouveau");
                // Every column of the list stays in sight beside the panel (the last one too).
                QHeaderView* h = p.view->horizontalHeader();
                const int last = h->count() - 1;
                QVERIFY2(h->sectionViewportPosition(last) + h->sectionSize(last) <= p.view->viewport()->width(),
                         qPrintable(tableOf(l)));
                p.cancel->click();
                p.change->click();
                check(tableOf(l) + "_modifier");
                p.cancel->click();
                if (QTest::currentTestFailed())
                    return;
            }
            w.tabs()->setCurrentIndex(0);
            w.bonAchat->click();
            check("bon");
            w.bonFermer->click();
            check("depenses_apres");
            w.closeButton()->click();
        }
    }
};

KV_SCREEN_TEST_MAIN(VehicleFileTest)
#include "tst_vehicle_file.moc"
