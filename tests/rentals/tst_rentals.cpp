// The rentals screen `F_Location` and its logic: the day count and amount, numbering, the list with its
// names, the entry frame through the real widgets with the vehicle and client searches scripted, the
// refusals, the filter, ZOOM, deletion, engine refusals, the screens that fit and the printed contract.
#include "harness/FixtureTest.h"

#include "core/formats/FieldRules.h"
#include "harness/ScreenFit.h"
#include "harness/Seed.h"
#include "people/accounts/AccountScreen.h"
#include "people/search/Q_Client.h"
#include "fleet/search/Q_Vehicule.h"
#include "rentals/contracts/F_Location.h"
#include "rentals/contracts/Rentals.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

ShownMessage attention(const QString& text) { return {text, Icon::Critical, QStringLiteral("ATTENTION"), false}; }
const ShownMessage kIntrouvable{QStringLiteral("Enregistrement introuvable"), Icon::NoIcon, QStringLiteral("ZEB"), false};
const ShownMessage kEngineRefusal{QStringLiteral("écriture refusée"), Icon::Critical, QStringLiteral("Z.E.B."), false};

/// Leaves a field as Tab would: the field's own rules and the screen's run, then what they queued.
void leave(QLineEdit* field)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
    QCoreApplication::processEvents();
}


} // namespace

class RentalsTest : public FixtureTest {
    Q_OBJECT


    // ---- the fleet and the clients -------------------------------------------------------------------------

    /// Three makes and models, three vehicles (ordre 1..3): 10 Renault Kangoo, 11 Peugeot Partner,
    /// 12 Renault without a model; three clients: 20 BENALI Omar, 21 ZIANI Ali, 22 AMRANI Samia (archived).
    void addFleetAndClients()
    {
        db().execute("DELETE FROM Genres");
        db().execute("DELETE FROM Marques");
        db().execute("DELETE FROM Modeles");
        db().execute("INSERT INTO Genres (num, denom, ordre) VALUES (1, 'Utilitaire', 1), (2, 'Tourisme', 2)");
        db().execute("INSERT INTO Marques (num, denom, ordre) VALUES (1, 'Renault', 1), (2, 'Peugeot', 2)");
        db().execute("INSERT INTO Modeles (num, denom, ordre) VALUES (1, 'Kangoo', 1), (2, 'Partner', 2)");
        addVehicle(10, "00123 100 16", 1, 1, 1, 1);
        addVehicle(11, "00456 200 31", 2, 2, 2, 2);
        addVehicle(12, "00789 300 09", 1, 1, -1, 3);
        addClient(20, "BENALI", "Omar");
        addClient(21, "ZIANI", "Ali");
        addClient(22, "AMRANI", "Samia", true);
    }
    void addVehicle(qint64 num, const QString& matricule, qint64 genre, qint64 marque, qint64 modele, int ordre)
    {
        seed::vehicle(db(), {.num = num, .matricule = matricule, .annee = "2019", .genre = genre, .marque = marque,
                             .modele = modele, .more = {{"ordre", ordre}}});
    }
    void addClient(qint64 num, const QString& nom, const QString& prenom, bool archived = false)
    {
        const QString n = QString::number(num);
        seed::person(db(), {.num = num, .kind = schema::person::Client, .nom = nom, .prenom = prenom, .tel = "0550 12 34 56",
                            .ville = "Oran", .permis = true, .numPermis = "P-" + n, .datePermis = "2012-09-15",
                            .villePermis = "Es Senia", .numCni = "CNI-" + n, .dateCni = "2015-06-01", .villeCni = "Oran",
                            .archived = archived});
    }
    qint64 addRental(qint64 vehicle, qint64 client, const QString& du, const QString& au, double pu = 0, bool archived = false,
                     bool regle = false, const QString& obs = {})
    {
        return seed::rental(db(), vehicle, client, du, au, pu, archived, regle, obs);
    }
    QList<QVariantMap> snapshot()
    {
        QList<QVariantMap> rows;
        for (const auto& r : db().query("SELECT * FROM Locations ORDER BY num"))
            rows << r.toMap();
        return rows;
    }

    // ---- the searches, scripted ---------------------------------------------------------------------------

    /// Chooses the vehicle at `row` of the vehicle search (all vehicles in register order).
    void pickVehicle(F_Location& w, int row)
    {
        ui().onScreen("Q_Vehicule", [row](QDialog& screen) {
            auto& d = static_cast<Q_Vehicule&>(screen);
            d.resultList()->selectRow(row);
            d.chooseButton()->click();
            return d.result();
        });
        w.vehicleButton()->click();
    }
    /// Chooses the client at `row` of the client search (all clients by name).
    void pickClient(F_Location& w, int row)
    {
        ui().onScreen("Q_Client", [row](QDialog& screen) {
            auto& d = static_cast<Q_Client&>(screen);
            d.searchButton()->click();
            d.resultList()->selectRow(row);
            d.chooseButton()->click();
            return d.result();
        });
        w.clientButton()->click();
    }
    /// Fills the frame: vehicle row 0 (10 Renault), client row 1 (BENALI, 20), the dates and the price.
    void fillFrame(F_Location& w, const QString& du, const QString& au, const QString& pu)
    {
        pickVehicle(w, 0);
        pickClient(w, 1);
        w.duField()->setText(du);
        w.auField()->setText(au);
        w.puField()->setText(pu);
    }
    QStringList row(F_Location& w, int r)
    {
        QStringList out;
        for (int c = 0; c < F_Location::ColumnCount; ++c)
            out << w.model()->index(r, c).data().toString();
        return out;
    }

    /// A trigger that makes the engine refuse one kind of write on Locations.
    void refuse(const QString& operation)
    {
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON Locations BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(operation));
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        addFleetAndClients();
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ================================================================ the logic

    void dayCount_data()
    {
        QTest::addColumn<QString>("du");
        QTest::addColumn<QString>("au");
        QTest::addColumn<int>("days"); // -999: no count
        QTest::newRow("same day") << "01/03/2020" << "01/03/2020" << 0;
        QTest::newRow("over a leap day") << "28/02/2020" << "01/03/2020" << 2;
        QTest::newRow("over the end of a common February") << "28/02/2021" << "01/03/2021" << 1;
        QTest::newRow("the 1st to the 5th") << "01/03/2020" << "05/03/2020" << 4;
        QTest::newRow("over the new year") << "30/12/2020" << "02/01/2021" << 3;
        QTest::newRow("inverted") << "05/03/2020" << "01/03/2020" << -4;
        QTest::newRow("not a day") << "29/02/1900" << "01/03/1900" << -999;
        QTest::newRow("blank") << "01/03/2020" << "" << -999;
        QTest::newRow("short") << "1/3/2020" << "05/03/2020" << -999;
    }
    void dayCount()
    {
        QFETCH(QString, du);
        QFETCH(QString, au);
        QFETCH(int, days);
        QCOMPARE(rentals::dayCount(du, au).value_or(-999), days);
    }

    void amountIsDaysTimesPriceToTheCent_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("pu");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("shown");
        QTest::newRow("4 days at 1500") << 4 << 1500.0 << 6000.0 << "6 000.00";
        QTest::newRow("2 days at 1500") << 2 << 1500.0 << 3000.0 << "3 000.00";
        QTest::newRow("no day") << 0 << 1500.0 << 0.0 << "0.00";
        QTest::newRow("half a cent up") << 3 << 33.335 << 100.01 << "100.01";
        QTest::newRow("millions") << 30 << 45000.5 << 1350015.0 << "1 350 015.00";
    }
    void amountIsDaysTimesPriceToTheCent()
    {
        QFETCH(int, days);
        QFETCH(double, pu);
        QFETCH(double, amount);
        QFETCH(QString, shown);
        QCOMPARE(rentals::dayAmount(days, pu), amount);
        QCOMPARE(rentals::amountText(amount), shown);
    }

    void storedRentalReadsBackAndIsNumberedAfterTheHighest()
    {
        rentals::Rental r;
        r.vehicle = 11;
        r.client = 21;
        r.du = "28/02/2020";
        r.au = "01/03/2020";
        r.pu = 1500;
        r.nb = 2;
        r.montant = 3000;
        r.forfait = true;
        r.montantForfait = 2500.5;
        r.caution = 10000;
        r.obs = QString(40, u'x');
        r.regle = true;
        r.archived = true;
        QCOMPARE(rentals::add(db(), r), qint64(1));
        db().execute("INSERT INTO Locations (num) VALUES (7)");
        QCOMPARE(rentals::add(db(), r), qint64(8));
        const auto back = rentals::read(db(), 1);
        QVERIFY(back);
        rentals::Rental expected = r;
        expected.obs = QString(rentals::kObsLength, u'x'); // the observation is kept to its width
        QCOMPARE(*back, expected);
        const db::Row stored = db().queryOne("SELECT du, au, Nb, flag_forfait, flag_regl, flag_Arch FROM Locations WHERE num = 1");
        QCOMPARE(stored.toMap(), (QVariantMap{{"du", "2020-02-28"}, {"au", "2020-03-01"}, {"Nb", 2}, {"flag_forfait", 1},
                                              {"flag_regl", 1}, {"flag_Arch", 1}}));
        QVERIFY(!rentals::read(db(), 99));
        QVERIFY(!rentals::update(db(), 99, r));
        QVERIFY(!rentals::remove(db(), 99));
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 3);
    }

    void aDateThatIsNotADayIsNeverStored()
    {
        rentals::Rental r;
        r.vehicle = 10;
        r.client = 20;
        r.du = "29/02/1900";
        r.au = "01/03/1900";
        QVERIFY_THROWS_EXCEPTION(db::Error, rentals::add(db(), r));
        const qint64 num = addRental(10, 20, "01/03/2020", "05/03/2020");
        QVERIFY_THROWS_EXCEPTION(db::Error, rentals::update(db(), num, r));
        QCOMPARE(rentals::read(db(), num)->du, QString("01/03/2020"));
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 1);
    }

    void listJoinsNamesAndFilters()
    {
        addRental(11, 21, "10/03/2020", "12/03/2020", 100, true, true, "Rayure");
        addRental(10, 20, "01/03/2020", "05/03/2020");
        addRental(99, 98, "05/03/2020", "06/03/2020");  // vehicle and client no longer stored
        addRental(12, 20, "05/03/2020", "05/03/2020");  // a vehicle without a model
        const auto all = rentals::list(db(), rentals::Filter::Ensemble);
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[0].num, qint64(2));
        QCOMPARE(all[0].modele, QString("Kangoo"));
        QCOMPARE(all[0].matricule, QString("00123 100 16"));
        QCOMPARE(all[0].nom + "|" + all[0].prenom, QString("BENALI|Omar"));
        QCOMPARE(all[0].nb, 4);
        // Same first day: by number.
        QCOMPARE(all[1].num, qint64(3));
        QCOMPARE(all[1].modele + all[1].matricule + all[1].nom + all[1].prenom, QString());
        QCOMPARE(all[1].client, qint64(98));
        QCOMPARE(all[2].modele, QString());
        QCOMPARE(all[2].matricule, QString("00789 300 09"));
        QCOMPARE(all[3].obs, QString("Rayure"));
        QVERIFY(all[3].regle && all[3].archived);
        const auto archived = rentals::list(db(), rentals::Filter::Archives);
        QCOMPARE(archived.size(), 1);
        QCOMPARE(archived[0].num, qint64(1));
        QCOMPARE(rentals::list(db(), rentals::Filter::Recents).size(), 3);
    }

    void choiceTexts()
    {
        QCOMPARE(rentals::vehicleText(db(), 11), QString("Peugeot Partner"));
        QCOMPARE(rentals::vehicleText(db(), 12), QString("Renault")); // no model: the make only
        QCOMPARE(rentals::vehicleText(db(), 99), QString());
        QCOMPARE(rentals::clientText(db(), 21), QString("ZIANI Ali"));
        QCOMPARE(rentals::clientText(db(), 99), QString());
    }

    // ================================================================ the road of a rental

    void newUserRoad()
    {
        F_Location w(s());
        test::showOn(w, test::testScreens().last());
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // An empty table opens on a new rental; the list and its commands wait.
        QVERIFY(w.isEntering());
        QVERIFY(w.isNewEntry());
        QCOMPARE(w.entryHeading()->text(), QString("Nouvelle location"));
        QVERIFY(!w.grid()->isEnabled());
        QVERIFY(!w.command("nouveau")->isEnabled());
        QCOMPARE(w.vehicleField()->text(), QString("/"));
        QCOMPARE(w.clientField()->text(), QString("/"));
        QVERIFY(w.duField()->hasFocus());

        // The vehicle and the client through their searches.
        pickVehicle(w, 1);
        QCOMPARE(ui().screens, QStringList{"Q_Vehicule"});
        QCOMPARE(w.chosenVehicle(), qint64(11));
        QCOMPARE(w.vehicleField()->text(), QString("Tourisme Peugeot"));
        // Clicking the field opens the search too; closing it without a choice keeps what was chosen.
        QTest::mouseClick(w.vehicleField(), Qt::LeftButton);
        QCOMPARE(ui().screens, (QStringList{"Q_Vehicule", "Q_Vehicule"}));
        QCOMPARE(w.chosenVehicle(), qint64(11));
        pickClient(w, 1);
        QCOMPARE(w.chosenClient(), qint64(20));
        QCOMPARE(w.clientField()->text(), QString("BENALI Omar"));

        // Typed as the user types: the dates shape themselves, Enter goes on to the next field.
        QTest::keyClicks(w.duField(), "28022020");
        QCOMPARE(w.duField()->text(), QString("28/02/2020"));
        QTest::keyClick(w.duField(), Qt::Key_Return);
        QVERIFY(w.auField()->hasFocus());
        QTest::keyClicks(w.auField(), "01032020");
        QTest::keyClick(w.auField(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(w.puField()->hasFocus());
        QCOMPARE(w.daysDisplay()->text(), QString("2"));
        QVERIFY(w.amountDisplay()->text().isEmpty());
        QTest::keyClicks(w.puField(), "1500");
        QTest::keyClick(w.puField(), Qt::Key_Down);
        QCOMPARE(w.amountDisplay()->text(), QString("3 000.00"));
        // The flat-rate field is locked: the next field is the deposit, then the observation.
        QVERIFY(w.cautionField()->hasFocus());
        QTest::keyClicks(w.cautionField(), "20000");
        QTest::keyClick(w.cautionField(), Qt::Key_Return);
        QVERIFY(w.obsField()->hasFocus());
        QTest::keyClicks(w.obsField(), "plein fait");
        QCOMPARE(w.obsField()->text(), QString("Plein fait"));
        QTest::keyClick(w.obsField(), Qt::Key_Up);
        QVERIFY(w.cautionField()->hasFocus());
        QVERIFY(ui().messages.isEmpty());

        w.confirmButton()->click();
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(!w.isEntering());
        const db::Row stored = db().queryOne("SELECT * FROM Locations");
        QCOMPARE(stored.toMap(), (QVariantMap{{"num", 1}, {"num_vehicule", 11}, {"Num_Client", 20}, {"du", "2020-02-28"},
                                              {"au", "2020-03-01"}, {"Nb", 2}, {"PU", 1500.0}, {"montant", 3000.0},
                                              {"flag_forfait", 0}, {"montant_forfait", 0.0}, {"caution", 20000.0},
                                              {"obs", "Plein fait"}, {"flag_regl", 0}, {"flag_Arch", 0}}));
        QCOMPARE(db().scalar("SELECT count(*) FROM Recettes").toInt() + db().scalar("SELECT count(*) FROM Depenses").toInt(), 0);
        QCOMPARE(row(w, 0), (QStringList{"1", " Partner", "00456 200 31", " BENALI", " Omar", "28/02/2020", "01/03/2020", "2",
                                         " ", " ", " Plein fait"}));
        QVERIFY(w.grid()->isEnabled());
        QVERIFY(w.command("nouveau")->isEnabled());

        // ZOOM opens the client's account, whose "Locations" tab lists the rental.
        QStringList rentalCells;
        ui().onScreen("Zoom_Cli", [&](QDialog& screen) {
            auto& account = static_cast<AccountScreen&>(screen);
            for (int c = 0; c < account.rentalGrid()->grid()->columnCount(); ++c)
                rentalCells << account.rentalGrid()->grid()->cell(0, c);
            return int(QDialog::Accepted);
        });
        w.command("zoom")->click();
        QCOMPARE(s().num_courant, qint64(20));
        QCOMPARE(rentalCells.mid(1, 4), (QStringList{"28/02/2020", "01/03/2020", "2", "3 000 "}));
        QVERIFY(s().isOpen());

        // The contract prints.
        w.command("imprimer")->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(ui().reports.size(), 1);
        const QString text = pdfText(ui().reports.first());
        QVERIFY2(text.contains("BENALI Omar"), qPrintable(text));
        QVERIFY(text.contains("Peugeot"));
        QVERIFY(text.contains("Partner"));
        QVERIFY(text.contains("3 000.00"));
    }

    void openingWithRentalsShowsTheList()
    {
        addRental(10, 20, "05/03/2020", "09/03/2020", 1000, false, true);
        addRental(11, 21, "01/03/2020", "02/03/2020", 0, true);
        F_Location w(s());
        QVERIFY(!w.isEntering());
        QCOMPARE(w.nums(), (QList<qint64>{2, 1}));
        QCOMPARE(w.clients(), (QList<qint64>{21, 20}));
        QCOMPARE(w.currentRow(), 0);
        QCOMPARE(row(w, 0), (QStringList{"1", " Partner", "00456 200 31", " ZIANI", " Ali", "01/03/2020", "02/03/2020", "1",
                                         " ", "OUI", ""}));
        QCOMPARE(row(w, 1).mid(7, 3), (QStringList{"4", "OUI", " "}));
        QCOMPARE(w.windowTitle(), QString(" "));
        QCOMPARE(w.command("filtre")->text(), QString("Filte"));
        QCOMPARE(w.command("filtre")->toolTip(), QString("Filte"));
        QStringList headings;
        for (QLabel* l : w.groupHeadings()->findChildren<QLabel*>())
            headings << l->text();
        QCOMPARE(headings, (QStringList{"Véhicule", "Client", "Durée"}));
    }

    // ================================================================ the entry frame

    void refusals_data()
    {
        QTest::addColumn<bool>("vehicle");
        QTest::addColumn<bool>("client");
        QTest::addColumn<QString>("du");
        QTest::addColumn<QString>("au");
        QTest::addColumn<QString>("pu");
        QTest::addColumn<QString>("forfait");
        QTest::addColumn<QString>("caution");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString d1 = "01/03/2020", d2 = "05/03/2020";
        QTest::newRow("no vehicle") << false << true << d1 << d2 << "" << "" << "" << "Véhicule ou client non précisé" << "";
        QTest::newRow("no client") << true << false << d1 << d2 << "" << "" << "" << "Véhicule ou client non précisé" << "";
        QTest::newRow("Du short") << true << true << "01/03/202" << d2 << "" << "" << "" << "Date incorrecte" << "du";
        QTest::newRow("Au blank") << true << true << d1 << "" << "" << "" << "" << "Date incorrecte" << "au";
        QTest::newRow("Au not a day") << true << true << d1 << "29/02/1900" << "" << "" << "" << "Date incorrecte" << "au";
        QTest::newRow("Au before Du") << true << true << d2 << d1 << "" << "" << "" << "Dates inversées" << "";
        QTest::newRow("PU malformed") << true << true << d1 << d2 << "12-50" << "" << "" << "Montant incorrect" << "pu";
        QTest::newRow("flat rate malformed") << true << true << d1 << d2 << "" << "--5" << "" << "Montant incorrect" << "montantForfait";
        QTest::newRow("deposit malformed") << true << true << d1 << d2 << "" << "" << "1.2.3" << "Montant incorrect" << "caution";
        // No amount beyond 999 999 999.99: typed ones, and days × price per day (4 days here).
        const QString tooLarge = kAmountTooLarge;
        QTest::newRow("PU beyond the largest amount") << true << true << d1 << d2 << "1000000000" << "" << "" << tooLarge << "pu";
        QTest::newRow("flat rate beyond") << true << true << d1 << d2 << "" << "99999999999" << "" << tooLarge << "montantForfait";
        QTest::newRow("deposit beyond") << true << true << d1 << d2 << "" << "" << "12345678901" << tooLarge << "caution";
        QTest::newRow("days times price beyond") << true << true << d1 << d2 << "250000000" << "" << "" << tooLarge << "pu";
        QTest::newRow("days times price beyond, at a flat rate")
            << true << true << d1 << d2 << "250000000" << "1000" << "" << tooLarge << "pu";
    }
    void refusals()
    {
        QFETCH(bool, vehicle);
        QFETCH(bool, client);
        QFETCH(QString, du);
        QFETCH(QString, au);
        QFETCH(QString, pu);
        QFETCH(QString, forfait);
        QFETCH(QString, caution);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        F_Location w(s());
        test::showOn(w, test::testScreens().last());
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (vehicle)
            pickVehicle(w, 0);
        if (client)
            pickClient(w, 0);
        w.duField()->setText(du);
        w.auField()->setText(au);
        w.puField()->setText(pu);
        if (!forfait.isEmpty()) {
            w.forfaitBox()->setChecked(true);
            w.forfaitField()->setText(forfait);
        }
        w.cautionField()->setText(caution);
        ui().clear();
        w.confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{attention(message)});
        QVERIFY(w.isEntering());
        QCOMPARE(w.auField()->text(), au);
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 0);
    }

    void leavingTheDates()
    {
        F_Location w(s());
        // Au before Du, on leaving: said, and the days keep what they showed.
        w.duField()->setText("01/03/2020");
        w.auField()->setText("05/03/2020");
        leave(w.auField());
        QCOMPARE(w.daysDisplay()->text(), QString("4"));
        w.auField()->setText("28/02/2020");
        leave(w.auField());
        QCOMPARE(ui().messages, QList<ShownMessage>{attention("Dates inversées")});
        QCOMPARE(w.daysDisplay()->text(), QString("4"));
        // A date that is not a day is emptied on leaving; the days stay.
        ui().clear();
        w.auField()->setText("31/04/2020");
        leave(w.auField());
        QVERIFY(w.auField()->text().isEmpty());
        QVERIFY(ui().beeps > 0);
        QCOMPARE(ui().messages, QList<ShownMessage>());
        QCOMPARE(w.daysDisplay()->text(), QString("4"));
        // The same day: 0 days, and an amount of 0 once a price is left.
        w.auField()->setText("01/03/2020");
        leave(w.auField());
        QCOMPARE(w.daysDisplay()->text(), QString("0"));
        w.puField()->setText("1500");
        leave(w.puField());
        QCOMPARE(w.amountDisplay()->text(), QString("0.00"));
    }

    void amountFollowsThePriceAndTheDays()
    {
        F_Location w(s());
        fillFrame(w, "01/03/2020", "05/03/2020", "");
        leave(w.auField());
        // No price: no amount.
        leave(w.puField());
        QVERIFY(w.amountDisplay()->text().isEmpty());
        w.puField()->setText("1500");
        leave(w.puField());
        QCOMPARE(w.amountDisplay()->text(), QString("6 000.00"));
        // Dates changed after the price: the amount follows the new days (6 days).
        w.auField()->setText("07/03/2020");
        leave(w.auField());
        QCOMPARE(w.daysDisplay()->text(), QString("6"));
        QCOMPARE(w.amountDisplay()->text(), QString("9 000.00"));
        // The price emptied: the amount goes.
        w.puField()->clear();
        leave(w.puField());
        QVERIFY(w.amountDisplay()->text().isEmpty());
        // A price typed and the frame confirmed without leaving a field: what is stored is what the dates
        // and the price say, and the frame showed it.
        w.auField()->setText("09/03/2020");
        w.puField()->setText("1500");
        w.confirmButton()->click();
        QVERIFY(ui().messages.isEmpty());
        const db::Row r = db().queryOne("SELECT Nb, PU, montant FROM Locations");
        QCOMPARE(r.toMap(), (QVariantMap{{"Nb", 8}, {"PU", 1500.0}, {"montant", 12000.0}}));
    }

    void flatRateLocksAndUnlocksItsAmount()
    {
        F_Location w(s());
        test::showOn(w, test::testScreens().last());
        QVERIFY(!w.forfaitField()->isEnabled());
        QVERIFY(w.daysDisplay()->isVisible());
        QVERIFY(w.amountDisplay()->isVisible());
        w.forfaitBox()->click();
        QVERIFY(w.forfaitField()->isEnabled());
        QVERIFY(!w.daysDisplay()->isVisible());
        QVERIFY(!w.amountDisplay()->isVisible());
        w.forfaitBox()->click();
        QVERIFY(!w.forfaitField()->isEnabled());
        QVERIFY(w.daysDisplay()->isVisible());

        // Both amounts stored: the day-rate amount from the days, the flat rate as typed.
        fillFrame(w, "01/03/2020", "05/03/2020", "");
        w.forfaitBox()->click();
        w.forfaitField()->setText("5000");
        w.regleBox()->setChecked(true);
        w.confirmButton()->click();
        QVERIFY(ui().messages.isEmpty());
        const db::Row r = db().queryOne("SELECT Nb, PU, montant, flag_forfait, montant_forfait, flag_regl, flag_Arch FROM Locations");
        QCOMPARE(r.toMap(), (QVariantMap{{"Nb", 4}, {"PU", 0.0}, {"montant", 0.0}, {"flag_forfait", 1}, {"montant_forfait", 5000.0},
                                         {"flag_regl", 1}, {"flag_Arch", 0}}));
        // A new rental starts unticked and locked again.
        w.command("nouveau")->click();
        QVERIFY(!w.forfaitBox()->isChecked());
        QVERIFY(!w.forfaitField()->isEnabled());
        QVERIFY(w.forfaitField()->text().isEmpty());
    }

    // A flat-rate rental is worth its flat rate wherever an amount is shown for it: the entry frame
    // (the flat-rate field, the day-rate amount hidden), the client's "Locations" tab and the contract;
    // the day-rate amount stays stored beside it.
    void aFlatRateRentalShowsItsFlatRateEverywhere()
    {
        F_Location w(s());
        test::showOn(w, test::testScreens().last());
        // 4 days at 1 700 a day (6 800), let at the flat rate of 6 000.
        fillFrame(w, "01/03/2020", "05/03/2020", "1700");
        w.forfaitBox()->click();
        w.forfaitField()->setText("6000");
        w.confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>());
        const db::Row stored = db().queryOne("SELECT Nb, PU, montant, flag_forfait, montant_forfait FROM Locations");
        QCOMPARE(stored.toMap(), (QVariantMap{{"Nb", 4}, {"PU", 1700.0}, {"montant", 6800.0}, {"flag_forfait", 1},
                                              {"montant_forfait", 6000.0}}));
        const std::optional<rentals::Rental> rental = rentals::read(db(), 1);
        QVERIFY(rental);
        QCOMPARE(rental->amount(), 6000.0);

        // The entry frame of the rental shows the flat rate, not days × price per day.
        w.startEdit();
        QCOMPARE(w.forfaitField()->text(), QString("6000"));
        QVERIFY(!w.amountDisplay()->isVisible());
        w.cancelButton()->click();

        // The client's "Locations" tab.
        QStringList rentalCells;
        const auto readAccount = [&](QDialog& screen) {
            auto& account = static_cast<AccountScreen&>(screen);
            rentalCells.clear();
            for (int c = 0; c < account.rentalGrid()->grid()->columnCount(); ++c)
                rentalCells << account.rentalGrid()->grid()->cell(0, c);
            return int(QDialog::Accepted);
        };
        ui().onScreen("Zoom_Cli", readAccount);
        w.command("zoom")->click();
        QCOMPARE(rentalCells.mid(1, 4), (QStringList{"01/03/2020", "05/03/2020", "4", "6 000 "}));

        // The contract: the flat rate is the amount of the rental, the day rate is not offered.
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>());
        QCOMPARE(ui().reports.size(), 1);
        const QString text = pdfText(ui().reports.first());
        QVERIFY2(text.contains("6 000.00"), qPrintable(text));
        QVERIFY2(!text.contains("6 800"), qPrintable(text));

        // The day rate again: every place shows days × price per day.
        w.startEdit();
        w.forfaitBox()->click();
        QVERIFY(w.amountDisplay()->isVisible());
        QCOMPARE(w.amountDisplay()->text(), QString("6 800.00"));
        w.confirmButton()->click();
        ui().onScreen("Zoom_Cli", readAccount);
        w.command("zoom")->click();
        QCOMPARE(rentalCells.value(4), QString("6 800 "));
        w.command("imprimer")->click();
        QCOMPARE(ui().reports.size(), 2);
        QVERIFY(pdfText(ui().reports.last()).contains("6 800.00"));
    }

    void changeFillsTheFrameAndRewritesTheSameRental()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        const qint64 num = addRental(12, 21, "03/03/2020", "07/03/2020", 1250.5, true, true, "Rayure aile");
        db().execute("UPDATE Locations SET caution = 3000, montant_forfait = 0 WHERE num = ?", {num});
        F_Location w(s());
        w.setCurrentRow(1);
        w.command("modifier")->click();
        QVERIFY(w.isEntering());
        QVERIFY(!w.isNewEntry());
        QCOMPARE(w.entryHeading()->text(), QString("MODIFICATION"));
        QCOMPARE(w.vehicleField()->text(), QString("Renault")); // its model is not stored
        QCOMPARE(w.chosenVehicle(), qint64(12));
        QCOMPARE(w.clientField()->text(), QString("ZIANI Ali"));
        QCOMPARE(w.duField()->text(), QString("03/03/2020"));
        QCOMPARE(w.auField()->text(), QString("07/03/2020"));
        QCOMPARE(w.puField()->text(), QString("1250.5"));
        QCOMPARE(w.daysDisplay()->text(), QString("4"));
        QCOMPARE(w.amountDisplay()->text(), QString("5 002.00"));
        QVERIFY(w.forfaitField()->text().isEmpty()); // 0 shows nothing
        QCOMPARE(w.cautionField()->text(), QString("3000"));
        QCOMPARE(w.obsField()->text(), QString("Rayure aile"));
        QVERIFY(w.regleBox()->isChecked());
        QVERIFY(w.archiveBox()->isChecked());
        QVERIFY(!w.forfaitBox()->isChecked());
        QVERIFY(!w.grid()->isEnabled());

        pickVehicle(w, 1);
        w.auField()->setText("10/03/2020");
        w.archiveBox()->setChecked(false);
        w.confirmButton()->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 2);
        const db::Row r = db().queryOne("SELECT num_vehicule, Num_Client, au, Nb, montant, caution, flag_Arch FROM Locations WHERE num = ?", {num});
        QCOMPARE(r.toMap(), (QVariantMap{{"num_vehicule", 11}, {"Num_Client", 21}, {"au", "2020-03-10"}, {"Nb", 7},
                                         {"montant", 8753.5}, {"caution", 3000.0}, {"flag_Arch", 0}}));
        QCOMPARE(w.nums().at(w.currentRow()), num);

        // Cancel writes nothing.
        const auto before = snapshot();
        w.command("modifier")->click();
        w.puField()->setText("1");
        w.cancelButton()->click();
        QVERIFY(!w.isEntering());
        QCOMPARE(snapshot(), before);
    }

    void aRentalDeletedMeanwhile()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        const qint64 gone = addRental(11, 21, "03/03/2020", "04/03/2020");
        F_Location w(s());
        w.setCurrentRow(1);
        w.command("modifier")->click();
        db().execute("DELETE FROM Locations WHERE num = ?", {gone});
        w.puField()->setText("100");
        w.confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{kIntrouvable});
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 1);
        QVERIFY(!w.isEntering());
        QCOMPARE(w.nums(), QList<qint64>{1});

        // Changing, deleting or printing one gone before the command says so too, and writes nothing.
        const qint64 again = addRental(11, 21, "03/03/2020", "04/03/2020");
        for (const char* command : {"modifier", "supprimer", "imprimer"}) {
            F_Location other(s());
            other.setCurrentRow(1);
            db().execute("DELETE FROM Locations WHERE num = ?", {again});
            ui().clear();
            if (QLatin1String(command) == "supprimer")
                ui().answers = {true};
            other.command(command)->click();
            QCOMPARE(ui().messages.last(), kIntrouvable);
            QVERIFY(!other.isEntering());
            QVERIFY(ui().reports.isEmpty());
            QCOMPARE(other.nums(), QList<qint64>{1});
            db().execute("INSERT INTO Locations (num, num_vehicule, Num_Client, du, au) VALUES (?, 11, 21, '2020-03-03', '2020-03-04')", {again});
        }
    }

    void deletion()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        const qint64 second = addRental(11, 21, "03/03/2020", "04/03/2020", 0, true);
        db().execute("INSERT INTO Recettes (num, Montant, Num_Agent, contrepartie) VALUES (1, 500, 21, 1)");
        F_Location w(s());
        w.setCurrentRow(1);
        ui().answers = {false};
        w.command("supprimer")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{{"Confirmer supression de ligne N° 2", Icon::Question, "Confirmation", true}}));
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 2);
        ui().answers = {true};
        w.command("supprimer")->click();
        QVERIFY(rentals::read(db(), second) == std::nullopt);
        QCOMPARE(w.nums(), QList<qint64>{1});
        QCOMPARE(db().scalar("SELECT count(*) FROM Recettes").toInt(), 1);
        // The last one deleted: the screen is on a new rental.
        ui().answers = {true};
        w.command("supprimer")->click();
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), 0);
        QVERIFY(w.isEntering());
        QCOMPARE(w.entryHeading()->text(), QString("Nouvelle location"));
        // Commands of the list do nothing while it is empty.
        w.cancelButton()->click();
        ui().clear();
        for (const char* command : {"modifier", "supprimer", "zoom", "imprimer"})
            w.command(command)->click();
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(ui().screens.isEmpty());
        QVERIFY(ui().reports.isEmpty());
        QVERIFY(!w.isEntering());
    }

    void filter()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        addRental(11, 21, "03/03/2020", "04/03/2020", 0, true);
        addRental(12, 20, "05/03/2020", "06/03/2020");
        F_Location w(s());
        w.command("filtre")->click();
        QVERIFY(w.filterPanel()->isVisible() || !w.filterPanel()->isHidden());
        QVERIFY(!w.grid()->isEnabled());
        QVERIFY(!w.command("nouveau")->isEnabled());
        QVERIFY(w.filterOption(rentals::Filter::Ensemble)->isChecked());
        w.filterOption(rentals::Filter::Archives)->setChecked(true);
        w.findChild<QToolButton*>("filtreValider")->click();
        QCOMPARE(w.nums(), QList<qint64>{2});
        QVERIFY(w.grid()->isEnabled());
        QCOMPARE(w.filter(), rentals::Filter::Archives);
        w.command("filtre")->click();
        QVERIFY(w.filterOption(rentals::Filter::Archives)->isChecked());
        w.filterOption(rentals::Filter::Recents)->setChecked(true);
        w.findChild<QToolButton*>("filtreValider")->click();
        QCOMPARE(w.nums(), (QList<qint64>{1, 3}));
        // No rental meets the criteria: said; the panel stays and the list is as it was.
        db().execute("UPDATE Locations SET flag_Arch = 0");
        w.command("filtre")->click();
        w.filterOption(rentals::Filter::Archives)->setChecked(true);
        w.findChild<QToolButton*>("filtreValider")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{attention("Aucune location selon ces critères")});
        QCOMPARE(w.nums(), (QList<qint64>{1, 3}));
        QCOMPARE(w.filter(), rentals::Filter::Recents);
        QVERIFY(!w.filterPanel()->isHidden());
        w.findChild<QToolButton*>("filtreAnnuler")->click();
        QVERIFY(w.filterPanel()->isHidden());
        QVERIFY(w.grid()->isEnabled());
        QVERIFY(w.command("nouveau")->isEnabled());
        // A filter that keeps nothing after a change gives way to the whole list, not to an empty one.
        db().execute("UPDATE Locations SET flag_Arch = 1");
        ui().answers = {true};
        w.command("supprimer")->click(); // refills the list
        QCOMPARE(w.filter(), rentals::Filter::Ensemble);
        QCOMPARE(w.nums().size(), 2);
        QVERIFY(!w.isEntering());
    }

    void zoomOpensTheClientOfTheRow()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        addRental(11, 21, "03/03/2020", "04/03/2020");
        F_Location w(s());
        qint64 seen = 0;
        ui().onScreen("Zoom_Cli", [&](QDialog&) {
            seen = s().num_courant;
            return int(QDialog::Accepted);
        });
        emit w.grid()->doubleClicked(w.model()->index(1, 3));
        QCOMPARE(ui().screens, QStringList{"Zoom_Cli"});
        QCOMPARE(seen, qint64(21));
        QCOMPARE(w.currentRow(), 1);
        QVERIFY(s().isOpen());
        // A client no longer stored: the account says so and does not open.
        db().execute("DELETE FROM Agents WHERE num = 21");
        ui().clear();
        w.command("zoom")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{kIntrouvable});
        QVERIFY(ui().screens.isEmpty());
    }

    void escapeClosesThePanelFirst()
    {
        addRental(10, 20, "01/03/2020", "02/03/2020");
        F_Location w(s());
        test::showOn(w, test::testScreens().last());
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.command("modifier")->click();
        w.puField()->setFocus();
        QTest::keyClick(w.puField(), Qt::Key_Escape);
        QVERIFY(!w.isEntering());
        QVERIFY(w.isVisible());
        w.command("filtre")->click();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.filterPanel()->isHidden());
        QVERIFY(w.isVisible());
        QCOMPARE(db().queryOne("SELECT PU FROM Locations").value(0).toDouble(), 0.0);
        QTest::keyClick(w.grid(), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    // ================================================================ engine refusals

    void engineRefusalLeavesTheRentals_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("command");
        QTest::newRow("new rental") << "INSERT" << "nouveau";
        QTest::newRow("change") << "UPDATE" << "modifier";
        QTest::newRow("delete") << "DELETE" << "supprimer";
    }
    void engineRefusalLeavesTheRentals()
    {
        QFETCH(QString, operation);
        QFETCH(QString, command);
        addRental(10, 20, "01/03/2020", "02/03/2020");
        addRental(11, 21, "03/03/2020", "04/03/2020", 900);
        const auto before = snapshot();
        F_Location w(s());
        test::showOn(w, test::testScreens().first());
        refuse(operation);
        w.setCurrentRow(1);
        if (command == "supprimer")
            ui().answers = {true};
        w.command(command)->click();
        if (command != "supprimer") {
            if (command == "nouveau")
                fillFrame(w, "10/03/2020", "12/03/2020", "700");
            else
                w.puField()->setText("700");
            w.confirmButton()->click();
            QVERIFY(w.isEntering());
            QCOMPARE(w.puField()->text(), QString("700"));
        }
        QCOMPARE(ui().messages.last(), kEngineRefusal);
        QVERIFY(w.isVisible());
        QCOMPARE(w.result(), 0);
        QCOMPARE(snapshot(), before);
        QCOMPARE(w.model()->rowCount(), 2);
    }

    // ================================================================ the contract

    void contractPrintsTheRental_data()
    {
        QTest::addColumn<bool>("forfait");
        QTest::addColumn<bool>("fourthField");
        QTest::newRow("day rate, no fourth identity field") << false << false;
        QTest::newRow("flat rate, fourth identity field") << true << true;
    }
    void contractPrintsTheRental()
    {
        QFETCH(bool, forfait);
        QFETCH(bool, fourthField);
        QMap<int, CfgRecord> identity{{37, ProtectedSettings::encodeText("TRANSPORTS ATLAS SARL")},
                                      {38, ProtectedSettings::encodeText("12, rue des Oliviers - Oran")},
                                      {39, ProtectedSettings::encodeText("Tél. 041 00 00 00")}};
        if (fourthField)
            identity.insert(40, ProtectedSettings::encodeText("RC 31/00-123456"));
        f_->folder->write("ZEB.CFG", cfgBytes(identity));
        s().settings.load(f_->folder->file("ZEB.CFG"));
        addRental(11, 21, "01/02/2020", "03/02/2020");
        const qint64 num = addRental(10, 20, "28/02/2020", "01/03/2020", 1500, false, true, "Plein fait");
        db().execute("UPDATE Locations SET caution = 20000, flag_forfait = ?, montant_forfait = 2750 WHERE num = ?",
                     {forfait ? 1 : 0, num});
        F_Location w(s());
        w.setCurrentRow(1);
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>());
        QCOMPARE(ui().reports.size(), 1);
        const QString text = pdfText(ui().reports.first());
        for (const char* expected : {"TRANSPORTS ATLAS SARL", "Contrat de location N° 2", "BENALI Omar", "CNI-20", "01/06/2015",
                                     "P-20", "15/09/2012", "Es Senia", "Renault", "Kangoo", "00123 100 16", "28/02/2020",
                                     "01/03/2020", "20 000.00", "Plein fait", "Réglé", "Le client"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY2(!text.contains("ZIANI"), "the contract of the current row only");
        if (forfait) {
            QVERIFY(text.contains("forfait"));
            QVERIFY(text.contains("2 750.00"));
            QVERIFY(!text.contains("Prix par jour"));
        } else {
            QVERIFY(text.contains("Prix par jour"));
            QVERIFY(text.contains("1 500.00"));
            QVERIFY(text.contains("3 000.00"));
        }
        QCOMPARE(text.contains("(RC 31/00-123456)"), fourthField);
        QVERIFY2(!text.contains("()"), qPrintable(text));

        const QString shots = qEnvironmentVariable("KV_SCREENSHOTS");
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            const QString pdf = shots + (forfait ? "/Contrat_Location_forfait.pdf" : "/Contrat_Location.pdf");
            QFile::remove(pdf);
            QFile::copy(ui().reports.first(), pdf);
        }
    }

    void contractOfARentalWhoseVehicleAndClientAreGone()
    {
        addRental(99, 98, "28/02/2020", "01/03/2020", 1500);
        F_Location w(s());
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>());
        const QString text = pdfText(ui().reports.first());
        QVERIFY(text.contains("3 000.00"));
        QVERIFY2(!text.contains("()"), qPrintable(text));
    }

    void contractWithoutItsTemplate()
    {
        addRental(10, 20, "28/02/2020", "01/03/2020", 1500);
        QFile::remove(f_->folder->file("Contrat_Location.RPT"));
        F_Location w(s());
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({{"Fichier 'Contrat_Location.RPT' absent", Icon::Critical, "Z.E.B.", false}}));
        QVERIFY(ui().reports.isEmpty());
    }

    // ================================================================ a screen that fits

    void fitsTheScreenInEveryState()
    {
        db().execute("UPDATE Marques SET denom = 'Mercedes-Benz Trucks' WHERE num = 2");
        db().execute("UPDATE Modeles SET denom = 'Actros 1845 LS 4x2' WHERE num = 2");
        addClient(30, "BOUMEDIENE-KHELIFATI", "Abdelkader Mohamed");
        for (int i = 0; i < 40; ++i)
            addRental(10 + i % 3, i % 5 == 0 ? 30 : 20 + i % 2, QDate(2020, 1, 1).addDays(i * 3).toString("dd/MM/yyyy"),
                      QDate(2020, 1, 1).addDays(i * 3 + 2 + i % 4).toString("dd/MM/yyyy"), 1500, i % 4 == 0, i % 3 == 0,
                      i % 2 ? "Plein fait, rayure aile gauche" : "");
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            F_Location w(s());
            test::showOn(w, screen);
            const QSize shown = w.size();
            auto check = [&](const QString& state) {
                test::settle(w);
                QCOMPARE(w.size(), shown);
                QCOMPARE(test::outsideScreen(w), QStringList());
                test::saveShot(w, "F_Location_" + state + "_" + size);
                // Every column in sight beside the panel, names and registrations whole.
                QHeaderView* h = w.grid()->horizontalHeader();
                const int last = F_Location::ColumnCount - 1;
                QVERIFY(h->sectionViewportPosition(last) + h->sectionSize(last) <= w.grid()->viewport()->width());
                for (int c : {F_Location::ColModele, F_Location::ColMatricule, F_Location::ColNom, F_Location::ColPrenom})
                    for (int r = 0; r < w.model()->rowCount(); ++r) {
                        const QString t = w.model()->index(r, c).data().toString();
                        QVERIFY2(w.grid()->fontMetrics().horizontalAdvance(t) < h->sectionSize(c) + 20, qPrintable(t));
                    }
                // The group headings stand over their columns.
                const auto labels = w.groupHeadings()->findChildren<QLabel*>();
                QCOMPARE(labels[0]->x(), w.grid()->frameWidth() + h->sectionViewportPosition(F_Location::ColModele));
                QCOMPARE(labels[2]->x() + labels[2]->width(),
                         w.grid()->frameWidth() + h->sectionViewportPosition(F_Location::ColNb) + h->sectionSize(F_Location::ColNb));
            };
            check("liste");
            if (QTest::currentTestFailed())
                return;
            w.command("nouveau")->click();
            check("nouvelle");
            w.cancelEntry();
            w.setCurrentRow(0);
            w.command("modifier")->click();
            w.forfaitBox()->setChecked(true);
            check("modification");
            w.cancelEntry();
            w.command("filtre")->click();
            check("filtre");
            w.cancelFilter();
            check("liste_apres");
        }
    }
};

KV_SCREEN_TEST_MAIN(RentalsTest)
#include "tst_rentals.moc"
