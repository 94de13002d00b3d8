// The vehicle search (`Q_Vehicule`): the search function over a table of criteria, and the dialog
// through its real widgets and the scripted ui seam, with its outcome in saisie and Echange slots 1-3.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/startup/Startup.h"
#include "fleet/search/Q_Vehicule.h"
#include "fleet/search/VehicleSearch.h"
#include "harness/ScreenFit.h"

#include "platform/ui/Ui.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;
using vehicles::ArchiveChoice;
using vehicles::RefCriterion;

Q_DECLARE_METATYPE(ArchiveChoice)

namespace {

const QString kNothingFound = QStringLiteral("Aucun véhicule selon ces critères");
/// No match is told in a plain box: the OK button, no picture, the default title.
const ShownMessage kNothingFoundBox{kNothingFound, Icon::NoIcon, "ZEB", false};

void showActive(QDialog& d)
{
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

/// A reference criterion of a data row: 0 = box unticked, otherwise the entry's number.
RefCriterion ref(int num) { return num == 0 ? RefCriterion::off() : RefCriterion::on(num); }

QString cellText(const QTableView* grid, int row, int column) { return grid->model()->index(row, column).data().toString(); }

QStringList rowTexts(const QTableView* grid, int row)
{
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts << cellText(grid, row, c);
    return texts;
}

int alignment(const QTableView* grid, int row, int column)
{
    return int(grid->model()->index(row, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>());
}

QFont cellFont(const QTableView* grid, int row, int column)
{
    const QVariant font = grid->model()->index(row, column).data(Qt::FontRole);
    return font.isValid() ? font.value<QFont>() : grid->font();
}

QStringList listed(const QComboBox* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->itemText(i);
    return names;
}

} // namespace

class VehicleSearchTest : public FixtureTest {
    Q_OBJECT


    void setTable(const QString& table, const QList<std::tuple<int, QString, int>>& rows)
    {
        db().execute("DELETE FROM " + table);
        for (const auto& [num, denom, ordre] : rows)
            db().execute("INSERT INTO " + table + " (num, denom, ordre) VALUES (?, ?, ?)", {num, denom, ordre});
    }
    void addVehicle(int num, int genre, int marque, int modele, const QString& annee, const QString& matricule, int arch,
                    int ordre)
    {
        seed::vehicle(db(), {.num = num, .matricule = matricule, .annee = annee, .genre = genre, .marque = marque, .modele = modele,
                             .carburant = 1, .archived = arch != 0, .ordre = ordre, .more = {{"flag_Arch", arch}}});
    }

    /// Types 1 "Non précisé", 3 "Bus", 2 "Camion"; makes 1, 4 "Renault", 5 "Iveco"; models 1, 7 "Master",
    /// 8 "Daily" (list order by `ordre`, not by number). Register order of the vehicles: 11 12 10 13 14 15.
    void addFleet()
    {
        setTable("Genres", {{1, "Non précisé", 0}, {2, "Camion", 2}, {3, "Bus", 1}});
        setTable("Marques", {{1, "Non précisée", 0}, {4, "Renault", 1}, {5, "Iveco", 2}});
        setTable("Modeles", {{1, "Non précisé", 0}, {7, "Master", 1}, {8, "Daily", 2}});
        addVehicle(10, 2, 4, 7, "2018", "00012   5 31", 0, 3);
        addVehicle(11, 2, 5, 8, "2015", "00345  16 16", 1, 1);
        addVehicle(12, 3, 4, 8, "2020", "01234 123 31", 0, 2);
        addVehicle(13, -1, -1, -1, "2010", "00007   1 16", 0, 4); // nothing chosen
        addVehicle(14, 2, 4, 7, "2019", "00099   9 09", 1, 5);
        addVehicle(15, 99, 5, 7, "2021", "00101  20 16", 0, 6);   // its type no longer exists
    }

    static void setCriteria(Q_Vehicule& d, ArchiveChoice archive, int genre, int marque, int modele)
    {
        (archive == ArchiveChoice::Actuels ? d.actuelsOption() : archive == ArchiveChoice::Archives ? d.archivesOption()
                                                                                                 : d.ensembleOption())
            ->click();
        // An unticked box's list shows an entry that would exclude vehicles, to prove it is ignored.
        const std::tuple<QCheckBox*, QComboBox*, int, int> refs[] = {{d.typeBox(), d.typeList(), genre, 3},
                                                                     {d.marqueBox(), d.marqueList(), marque, 5},
                                                                     {d.modeleBox(), d.modeleList(), modele, 8}};
        for (const auto& [box, list, num, other] : refs) {
            box->setChecked(num != 0);
            list->setCurrentIndex(list->findData(qint64(num != 0 ? num : other)));
            QVERIFY(list->currentIndex() >= 0);
        }
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ---- the search ------------------------------------------------------------------------------------

    void search_data()
    {
        QTest::addColumn<ArchiveChoice>("archive");
        QTest::addColumn<int>("genre"); // 0: box unticked
        QTest::addColumn<int>("marque");
        QTest::addColumn<int>("modele");
        QTest::addColumn<QList<qint64>>("found");
        const auto E = ArchiveChoice::Ensemble, C = ArchiveChoice::Actuels, A = ArchiveChoice::Archives;
        QTest::newRow("ensemble: every vehicle in ordre order") << E << 0 << 0 << 0 << QList<qint64>{11, 12, 10, 13, 14, 15};
        QTest::newRow("actuels") << C << 0 << 0 << 0 << QList<qint64>{12, 10, 13, 15};
        QTest::newRow("archives") << A << 0 << 0 << 0 << QList<qint64>{11, 14};
        QTest::newRow("archives and a type") << A << 2 << 0 << 0 << QList<qint64>{11, 14};
        QTest::newRow("actuels and a make") << C << 0 << 4 << 0 << QList<qint64>{12, 10};
        QTest::newRow("type and model, no archive condition") << E << 2 << 0 << 7 << QList<qint64>{10, 14};
        QTest::newRow("a model alone") << E << 0 << 0 << 8 << QList<qint64>{11, 12};
        QTest::newRow("all four conditions") << C << 2 << 4 << 7 << QList<qint64>{10};
        QTest::newRow("make whose type is gone") << C << 0 << 5 << 7 << QList<qint64>{15};
        QTest::newRow("no vehicle of that type and make") << E << 3 << 5 << 0 << QList<qint64>{};
        QTest::newRow("the 'not given' entry is not 'nothing chosen'") << E << 1 << 0 << 0 << QList<qint64>{};
        QTest::newRow("archives and a model") << A << 0 << 0 << 8 << QList<qint64>{11};
    }
    void search()
    {
        QFETCH(ArchiveChoice, archive);
        QFETCH(int, genre);
        QFETCH(int, marque);
        QFETCH(int, modele);
        QFETCH(QList<qint64>, found);
        addFleet();

        QList<qint64> nums;
        for (const vehicles::VehicleFound& v : vehicles::searchVehicles(db(), {archive, ref(genre), ref(marque), ref(modele)}))
            nums << v.num;
        QCOMPARE(nums, found);

        // The same through the criteria panel.
        Q_Vehicule d(s());
        showActive(d);
        d.criteriaButton()->click();
        QVERIFY(d.criteriaPanel()->isVisible());
        setCriteria(d, archive, genre, marque, modele);
        d.searchButton()->click();
        if (found.isEmpty()) {
            QCOMPARE(ui().messages, (QList<ShownMessage>{kNothingFoundBox}));
            QVERIFY(d.criteriaPanel()->isVisible());
            QCOMPARE(d.vehicleNumbers(), (QList<qint64>{11, 12, 10, 13, 14, 15})); // the list as it was
            return;
        }
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(d.resultPanel()->isVisible());
        QVERIFY(!d.criteriaPanel()->isVisible());
        QCOMPARE(d.vehicleNumbers(), found);
        QCOMPARE(d.resultList()->model()->rowCount(), found.size());
        QCOMPARE(d.resultList()->selectionModel()->selectedRows().value(0).row(), 0);
        QCOMPARE(cellText(d.resultList(), found.size() - 1, 0), QString::number(found.size()));
    }

    void searchTakesTypedTextAsAValue()
    {
        // A reference name that looks like SQL is only ever a value.
        addFleet();
        setTable("Marques", {{4, "x' OR 1=1 --", 0}});
        const auto found = vehicles::searchVehicles(db(), {ArchiveChoice::Ensemble, RefCriterion::off(), RefCriterion::on(4),
                                                           RefCriterion::off()});
        QCOMPARE(found.size(), 3);
        QCOMPARE(found[0].marque, QStringLiteral(" x' OR 1=1 --"));
        QCOMPARE(vehicles::searchVehicles(db(), {}).size(), 6);
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Vehicules").toInt(), 6);
    }

    void tickedBoxWithAnEmptyListMatchesNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("which");
        QTest::newRow("types") << "Genres" << 0;
        QTest::newRow("makes") << "Marques" << 1;
        QTest::newRow("models") << "Modeles" << 2;
    }
    void tickedBoxWithAnEmptyListMatchesNothing()
    {
        QFETCH(QString, table);
        QFETCH(int, which);
        addFleet();
        db().execute("DELETE FROM " + table);
        vehicles::SearchCriteria c;
        RefCriterion* refs[] = {&c.genre, &c.marque, &c.modele};
        *refs[which] = RefCriterion::on(std::nullopt);
        QVERIFY(vehicles::searchVehicles(db(), c).isEmpty());

        Q_Vehicule d(s());
        showActive(d);
        QCheckBox* boxes[] = {d.typeBox(), d.marqueBox(), d.modeleBox()};
        QComboBox* lists[] = {d.typeList(), d.marqueList(), d.modeleList()};
        QCOMPARE(lists[which]->count(), 0);
        QCOMPARE(lists[which]->currentIndex(), -1);
        // The vehicles still show, their references to the emptied table as empty cells.
        QCOMPARE(d.vehicleNumbers().size(), 6);
        QCOMPARE(cellText(d.resultList(), 0, 1 + which), QString());
        d.criteriaButton()->click();
        boxes[which]->click();
        d.searchButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{kNothingFoundBox}));
        QVERIFY(d.criteriaPanel()->isVisible());
        // Unticked again, the same empty list adds no condition.
        boxes[which]->click();
        d.searchButton()->click();
        QVERIFY(d.resultPanel()->isVisible());
        QCOMPARE(d.vehicleNumbers().size(), 6);
    }

    // ---- the dialog ------------------------------------------------------------------------------------

    void opensOnEveryVehicle()
    {
        addFleet();
        s().saisie = "OK";
        Q_Vehicule d(s());
        QCOMPARE(d.objectName(), QStringLiteral("Q_Vehicule"));
        QCOMPARE(d.windowTitle(), QStringLiteral(" "));
        QCOMPARE(s().saisie, QStringLiteral("NON"));
        showActive(d);
        QVERIFY(d.resultPanel()->isVisible());
        QVERIFY(!d.criteriaPanel()->isVisible());
        QVERIFY(d.resultPanel()->findChild<QLabel*>("titreResultats"));
        QCOMPARE(d.resultPanel()->findChild<QLabel*>("titreResultats")->text(), QStringLiteral("Recherche Rapide (Véhicules)"));
        QCOMPARE(d.criteriaPanel()->findChild<QLabel*>("titreCriteres")->text(), QStringLiteral("Recherche  Rapide"));
        for (QToolButton* b : {d.closeButton(), d.criteriaButton(), d.chooseButton()})
            QVERIFY(b->toolTip().isEmpty());

        const QTableView* grid = d.resultList();
        // The grid of every list: its captions in its own header.
        QVERIFY(!grid->horizontalHeader()->isHidden());
        QCOMPARE(grid->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Matricule"));
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{11, 12, 10, 13, 14, 15}));
        QCOMPARE(rowTexts(grid, 0), (QStringList{"1", " Camion", " Iveco", " Daily", "2015", "00345  16 16", "OUI"}));
        QCOMPARE(rowTexts(grid, 1), (QStringList{"2", " Bus", " Renault", " Daily", "2020", "01234 123 31", " "}));
        QCOMPARE(rowTexts(grid, 3), (QStringList{"4", "", "", "", "2010", "00007   1 16", " "}));
        QCOMPARE(rowTexts(grid, 5), (QStringList{"6", "", " Iveco", " Master", "2021", "00101  20 16", " "}));
        for (int c : {0, 4, 5, 6})
            QCOMPARE(alignment(grid, 0, c), int(Qt::AlignCenter));
        QVERIFY(alignment(grid, 0, 1) != int(Qt::AlignCenter));
        QCOMPARE(grid->selectionModel()->selectedRows().value(0).row(), 0);

        // The criteria panel as it opens.
        d.criteriaButton()->click();
        QVERIFY(d.ensembleOption()->isChecked());
        QVERIFY(!d.actuelsOption()->isChecked() && !d.archivesOption()->isChecked());
        QCOMPARE(d.actuelsOption()->text(), QStringLiteral("Actuels"));
        QCOMPARE(d.archivesOption()->text(), QStringLiteral("Archivés"));
        QCOMPARE(d.ensembleOption()->text(), QStringLiteral("Ensemble"));
        QCOMPARE(d.modeleBox()->text(), QStringLiteral("Modèle"));
        const std::tuple<QCheckBox*, QComboBox*, QStringList, qint64> refs[] = {
            {d.typeBox(), d.typeList(), {"Non précisé", "Bus", "Camion"}, 1},
            {d.marqueBox(), d.marqueList(), {"Non précisée", "Renault", "Iveco"}, 1},
            {d.modeleBox(), d.modeleList(), {"Non précisé", "Master", "Daily"}, 1}};
        for (const auto& [box, list, names, first] : refs) {
            QVERIFY(!box->isChecked());
            QVERIFY(!list->isVisible());
            QCOMPARE(listed(list), names);
            QCOMPARE(list->currentIndex(), 0);
            QCOMPARE(list->currentData().toLongLong(), first);
            box->click();
            QVERIFY(list->isVisible());
            box->click();
            QVERIFY(!list->isVisible());
        }
        for (QToolButton* b : {d.searchButton(), d.cancelButton()})
            QVERIFY(b->toolTip().isEmpty());
    }

    void criteriaPanelComesBackAsLeft()
    {
        addFleet();
        Q_Vehicule d(s());
        showActive(d);
        d.criteriaButton()->click();
        setCriteria(d, ArchiveChoice::Actuels, 0, 4, 0);
        d.searchButton()->click();
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{12, 10}));
        // A search that finds nothing keeps the panel open and the list as it was.
        d.criteriaButton()->click();
        setCriteria(d, ArchiveChoice::Archives, 3, 0, 0);
        d.searchButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{kNothingFoundBox}));
        QVERIFY(d.criteriaPanel()->isVisible());
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{12, 10}));
        // Cancel shows the list as it was.
        d.cancelButton()->click();
        QVERIFY(d.resultPanel()->isVisible());
        QVERIFY(d.isVisible());
        QCOMPARE(d.resultList()->model()->rowCount(), 2);
        QCOMPARE(rowTexts(d.resultList(), 1).value(5), QStringLiteral("00012   5 31"));
        // The criteria come back as they were last left.
        d.criteriaButton()->click();
        QVERIFY(d.archivesOption()->isChecked());
        QVERIFY(d.typeBox()->isChecked());
        QVERIFY(d.typeList()->isVisible());
        QCOMPARE(d.typeList()->currentText(), QStringLiteral("Bus"));
        QVERIFY(!d.marqueBox()->isChecked());
        QVERIFY(!d.marqueList()->isVisible());
    }

    void eachOpeningStartsAfresh()
    {
        addFleet();
        {
            Q_Vehicule d(s());
            showActive(d);
            d.criteriaButton()->click();
            setCriteria(d, ArchiveChoice::Archives, 2, 0, 0);
            d.searchButton()->click();
            QCOMPARE(d.vehicleNumbers(), (QList<qint64>{11, 14}));
            d.resultList()->selectRow(1);
            d.closeButton()->click();
        }
        Q_Vehicule d(s());
        showActive(d);
        QVERIFY(d.resultPanel()->isVisible());
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{11, 12, 10, 13, 14, 15}));
        QCOMPARE(d.resultList()->selectionModel()->selectedRows().value(0).row(), 0);
        QVERIFY(d.ensembleOption()->isChecked());
        QVERIFY(!d.typeBox()->isChecked());
        QCOMPARE(d.typeList()->currentIndex(), 0);
    }

    void choosingReturnsTheCurrentRow_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("choose command") << 0;
        QTest::newRow("double click") << 1;
        QTest::newRow("Return on the line") << 2;
        QTest::newRow("Enter of the keypad on the line") << 3;
        QTest::newRow("the choose command's Alt key") << 4;
    }
    void choosingReturnsTheCurrentRow()
    {
        QFETCH(int, way);
        addFleet();
        s().echange.set(4, "kept");
        Q_Vehicule d(s());
        showActive(d);
        d.criteriaButton()->click();
        setCriteria(d, ArchiveChoice::Actuels, 0, 0, 0);
        d.searchButton()->click();
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{12, 10, 13, 15}));
        QTableView* grid = d.resultList();
        const QRect cell = grid->visualRect(grid->model()->index(1, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(grid->selectionModel()->selectedRows().value(0).row(), 1);
        QCOMPARE(grid->selectionModel()->selectedIndexes().size(), grid->model()->columnCount()); // the whole row
        ui::prepareScreen(d); // the Alt keys, as the ui seam gives them
        if (way == 1)
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        else if (way == 2)
            QTest::keyClick(grid, Qt::Key_Return);
        else if (way == 3)
            QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
        else if (way == 4)
            QTest::keySequence(&d, d.chooseButton()->shortcut());
        else
            d.chooseButton()->click();
        QTRY_VERIFY(!d.isVisible()); // a command's key clicks it after a short animation
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(s().saisie, QStringLiteral("OK"));
        QCOMPARE(s().echange.get(1), QStringLiteral("10"));
        QCOMPARE(s().echange.raw(2), QStringLiteral(" Camion").leftJustified(40));
        QCOMPARE(s().echange.raw(3), QStringLiteral(" Renault").leftJustified(40));
        QCOMPARE(s().echange.get(3), QStringLiteral("Renault"));
        QCOMPARE(s().echange.get(4), QStringLiteral("kept"));
    }

    void choosingAVehicleWithoutReferencesGivesEmptySlots()
    {
        addFleet();
        for (int slot : {1, 2, 3})
            s().echange.set(slot, "avant");
        Q_Vehicule d(s());
        showActive(d);
        d.resultList()->selectRow(3); // vehicle 13: nothing chosen
        d.chooseButton()->click();
        QCOMPARE(s().saisie, QStringLiteral("OK"));
        QCOMPARE(s().echange.get(1), QStringLiteral("13"));
        QCOMPARE(s().echange.raw(2), QString(40, u' '));
        QCOMPARE(s().echange.raw(3), QString(40, u' '));
    }

    void longNamesAreCutToTheSlotWidth()
    {
        addFleet();
        const QString longName = QString(50, u'M');
        db().execute("UPDATE Marques SET denom = ? WHERE num = 5", {longName});
        Q_Vehicule d(s());
        showActive(d);
        d.chooseButton()->click(); // row 1: vehicle 11, make 5
        QCOMPARE(s().echange.raw(3), (u' ' + longName).left(40));
    }

    void closingWithoutChoosingReturnsNon_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("close command") << 0;
        QTest::newRow("window closed") << 1;
        QTest::newRow("Escape on the list") << 2;
        QTest::newRow("Escape on the criteria") << 3;
    }
    void closingWithoutChoosingReturnsNon()
    {
        QFETCH(int, way);
        addFleet();
        for (int slot : {1, 2, 3})
            s().echange.set(slot, QStringLiteral("avant %1").arg(slot));
        Q_Vehicule d(s());
        showActive(d);
        d.criteriaButton()->click();
        setCriteria(d, ArchiveChoice::Archives, 0, 0, 0);
        d.searchButton()->click();
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{11, 14}));
        s().saisie = "OK"; // whatever was there, closing answers NON
        switch (way) {
        case 0: d.closeButton()->click(); break;
        case 1: d.close(); break;
        case 2: QTest::keyClick(d.resultList(), Qt::Key_Escape); break;
        default:
            d.criteriaButton()->click();
            QTest::keyClick(d.searchButton(), Qt::Key_Escape);
        }
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(s().saisie, QStringLiteral("NON"));
        for (int slot : {1, 2, 3})
            QCOMPARE(s().echange.get(slot), QStringLiteral("avant %1").arg(slot));
    }

    void withoutVehiclesNothingCanBeChosen()
    {
        s().echange.set(1, "avant");
        Q_Vehicule d(s());
        showActive(d);
        QTableView* grid = d.resultList();
        QCOMPARE(grid->model()->rowCount(), 1); // one empty row
        QCOMPARE(rowTexts(grid, 0), QStringList(7, QString()));
        QVERIFY(d.vehicleNumbers().isEmpty());
        d.chooseButton()->click();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
        QVERIFY(d.isVisible());
        QCOMPARE(s().saisie, QStringLiteral("NON"));
        QCOMPARE(s().echange.get(1), QStringLiteral("avant"));
        // Every search finds nothing and says so.
        d.criteriaButton()->click();
        d.searchButton()->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{kNothingFoundBox}));
    }

    void openedThroughTheUiSeam()
    {
        addFleet();
        ui().onScreen("Q_Vehicule", [](QDialog& screen) {
            auto& d = static_cast<Q_Vehicule&>(screen);
            d.resultList()->selectRow(2);
            d.chooseButton()->click();
            return d.result();
        });
        Q_Vehicule d(s());
        QCOMPARE(s().ui().showModal(d), int(QDialog::Accepted));
        QCOMPARE(ui().screens, QStringList{"Q_Vehicule"});
        QCOMPARE(s().saisie, QStringLiteral("OK"));
        QCOMPARE(s().echange.get(1), QStringLiteral("10"));
        QCOMPARE(s().echange.get(2), QStringLiteral("Camion"));
    }

    // ---- a screen that fits ------------------------------------------------------------------------------

    void returnOnTheCriteriaSearches()
    {
        addFleet();
        Q_Vehicule d(s());
        showActive(d);
        d.criteriaButton()->click();
        setCriteria(d, ArchiveChoice::Actuels, 0, 0, 0);
        d.actuelsOption()->setFocus();
        QTest::keyClick(d.actuelsOption(), Qt::Key_Return);
        QVERIFY(d.resultPanel()->isVisible());
        QCOMPARE(d.vehicleNumbers(), (QList<qint64>{12, 10, 13, 15}));
        QVERIFY(d.isVisible());
    }

    void everyListIsNamedByItsBox()
    {
        Q_Vehicule d(s());
        const auto name = [](QWidget* w) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            return a ? a->text(QAccessible::Name) : QString();
        };
        // A list tells its chosen entry as its value and its box's words as its name.
        QCOMPARE(d.typeList()->accessibleName(), QStringLiteral("Type"));
        QCOMPARE(d.marqueList()->accessibleName(), QStringLiteral("Marque"));
        QCOMPARE(d.modeleList()->accessibleName(), QStringLiteral("Modèle"));
        QCOMPARE(name(d.typeBox()), QStringLiteral("Type"));
    }

    void fitsTheScreenInBothPanels()
    {
        addFleet();
        setTable("Marques", {{1, "Non précisée", 0}, {4, "Renault Trucks", 1}, {5, "Mercedes-Benz Trucks", 2}});
        for (int i = 0; i < 30; ++i)
            addVehicle(20 + i, 2 + i % 2, 4 + i % 2, 7 + i % 2, QString::number(2005 + i % 17),
                       QStringLiteral("%1 %2 16").arg(100 + i * 977, 5, 10, QChar('0')).arg(i + 1, 3), i % 3 == 0, 10 + i);
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            Q_Vehicule d(s());
            test::showOn(d, screen);
            const QSize shown = d.size();
            QCOMPARE(test::outsideScreen(d), QStringList());
            test::saveShot(d, "Q_Vehicule_resultats_" + size);
            // Names and registration numbers are seen whole.
            const QTableView* grid = d.resultList();
            for (int c = 1; c <= 5; ++c)
                for (int r = 0; r < grid->model()->rowCount(); ++r)
                    QVERIFY2(QFontMetrics(cellFont(grid, r, c)).horizontalAdvance(cellText(grid, r, c))
                                 < grid->columnWidth(c),
                             qPrintable(cellText(grid, r, c)));
            d.criteriaButton()->click();
            setCriteria(d, ArchiveChoice::Actuels, 2, 4, 7);
            test::settle(d);
            QCOMPARE(d.size(), shown);
            QCOMPARE(test::outsideScreen(d), QStringList());
            test::saveShot(d, "Q_Vehicule_criteres_" + size);
            d.searchButton()->click();
            test::settle(d);
            QCOMPARE(test::outsideScreen(d), QStringList());
            test::saveShot(d, "Q_Vehicule_resultats_filtres_" + size);
        }
    }
};

KV_SCREEN_TEST_MAIN(VehicleSearchTest)
#include "tst_vehicle_search.moc"
