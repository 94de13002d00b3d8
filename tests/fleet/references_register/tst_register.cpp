// The reference tables (`Initials`) and the vehicle register (`Vehicules`): lists, entry, numbering,
// refusals, moves, the pick lists, filter, file and printed list, through the real widgets and the
// scripted ui seam, with the database checked afterwards.
#include "harness/FixtureTest.h"

#include "core/startup/Startup.h"
#include "fleet/references/Initials.h"
#include "fleet/register/Vehicules.h"
#include "harness/ScreenFit.h"
#include "platform/db/Dates.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfDocument>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

ShownMessage msg(const QString& text, Icon icon, const QString& title) { return {text, icon, title, false}; }
ShownMessage question(const QString& text, const QString& title) { return {text, Icon::Question, title, true}; }

const QString kTables[] = {"Genres", "Marques", "Modeles", "Carburants"};
QString tableOf(int kind) { return kTables[kind - 1]; }

/// Where screen pictures go when KAVOREL_SHOTS names a folder.
void shoot(QWidget& w, const QString& name)
{
    const QString dir = qEnvironmentVariable("KAVOREL_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    if (!w.testAttribute(Qt::WA_Resized))
        w.adjustSize();
    w.grab().save(dir + "/" + name + ".png");
}

} // namespace

class FleetRegisterTest : public FixtureTest {
    Q_OBJECT


    /// Replaces a reference table's rows by (num, denom, ordre) triples.
    void setEntries(int kind, const QList<std::tuple<int, QString, int>>& rows)
    {
        db().execute("DELETE FROM " + tableOf(kind));
        for (const auto& [num, denom, ordre] : rows)
            db().execute("INSERT INTO " + tableOf(kind) + " (num, denom, ordre) VALUES (?, ?, ?)", {num, denom, ordre});
    }
    QList<std::tuple<qint64, QString, int>> entries(int kind)
    {
        QList<std::tuple<qint64, QString, int>> out;
        for (const auto& r : db().query("SELECT num, denom, ordre FROM " + tableOf(kind) + " ORDER BY num"))
            out.append({r.integer("num"), r.text("denom"), int(r.integer("ordre"))});
        return out;
    }
    std::unique_ptr<Initials> openInitials(int kind)
    {
        s().dialogValue = kind;
        return std::make_unique<Initials>(s());
    }
    static QStringList listed(QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    qint64 addVehicle(const QString& p1, const QString& p2, const QString& p3, const QString& annee, bool archived = false,
                      qint64 genre = -1, qint64 marque = -1, qint64 modele = -1, qint64 carburant = -1)
    {
        vehicles::Entry e;
        e.matricule = {p1, p2, p3};
        e.annee = annee;
        e.archived = archived;
        e.numGenre = genre;
        e.numMarque = marque;
        e.numModele = modele;
        e.numCarburant = carburant;
        return vehicles::add(db(), e);
    }
    static QString cellText(const QTableView* g, int row, int column)
    {
        return g->model()->index(row, column).data().toString();
    }
    static QStringList gridRow(const QTableView* g, int row)
    {
        QStringList out;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            out << cellText(g, row, c);
        return out;
    }
    static int alignment(const QTableView* g, int row, int column)
    {
        return int(g->model()->index(row, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>());
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->clear();
        QTest::keyClicks(field, text);
    }
    void fillEntry(Vehicules& w, const QStringList& values)
    {
        type(w.matriculeField(1), values.value(0));
        type(w.matriculeField(2), values.value(1));
        type(w.matriculeField(3), values.value(2));
        type(w.anneeField(), values.value(3));
    }
    /// Picks the entry at `row` of a pick field's list.
    static void pick(Vehicules& w, int field, int row)
    {
        w.pickButton(field)->click();
        QCOMPARE(w.openPick(), field);
        w.pickList()->setCurrentRow(row);
        w.pickConfirm()->click();
    }

    /// A trigger that makes the engine refuse one kind of write on a table.
    void refuse(const QString& table, const QString& operation)
    {
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(operation, table));
    }
    static ShownMessage engineRefusal() { return {QStringLiteral("écriture refusée"), Icon::Critical, QStringLiteral("Z.E.B."), false}; }

    void fillForPictures()
    {
        f_->folder->write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("TRANSPORTS ATLAS SARL")},
                                               {38, ProtectedSettings::encodeText("12, rue des Oliviers - Oran")},
                                               {39, ProtectedSettings::encodeText("Tél. 041 00 00 00")},
                                               {40, ProtectedSettings::encodeText("نقل الأطلس")}}));
        s().settings.load(f_->folder->file("ZEB.CFG"));
        setEntries(1, {{1, "Non précisé", 1}, {2, "Utilitaire", 2}, {3, "Tourisme", 3}, {4, "Camion frigorifique", 4}});
        setEntries(2, {{1, "Non précisée", 1}, {2, "Renault", 2}, {3, "Peugeot", 3}, {4, "Mercedes-Benz Trucks", 4}});
        setEntries(3, {{1, "Non précisé", 1}, {2, "Kangoo", 2}, {3, "Partner", 3}, {4, "Actros 1845 LS 4x2", 4}});
        setEntries(4, {{1, "Non précisé", 1}, {2, "Gasoil", 2}, {3, "Essence", 3}, {4, "GPL carburant", 4}});
        for (int i = 0; i < 30; ++i)
            addVehicle(QString::number(12 + i * 977), QString::number(100 + i % 900), QString::number(16 + i % 40),
                       QString::number(2005 + i % 17), i % 4 == 0, 2 + i % 3, 2 + i % 3, 2 + i % 3, 2 + i % 3);
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ================================================================ reference tables

    void initialsOpensOnItsTable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::newRow("types") << 1 << "Type des véhicules";
        QTest::newRow("makes") << 2 << "Marques";
        QTest::newRow("models") << 3 << "Modèles";
        QTest::newRow("fuels") << 4 << "Carburants";
    }
    void initialsOpensOnItsTable()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        setEntries(kind, {{1, "Premier", 1}, {7, "Dernier", 0}, {3, "Milieu", 5}, {4, "Avant", 2}});
        auto w = openInitials(kind);
        QCOMPARE(w->objectName(), QString("Initials"));
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(listed(w->list()), QStringList({"Dernier", "Premier", "Avant", "Milieu"}));
        QCOMPARE(w->nums(), QList<qint64>({7, 1, 4, 3}));
        QCOMPARE(w->list()->currentRow(), 0);
        QVERIFY(w->nameField()->text().isEmpty());
        QVERIFY(w->entryPanel()->isHidden());
        // The counters come from the entry with the highest num (7, ordre 0).
        w->newButton()->click();
        w->nameField()->setText("Nouveau nom");
        w->confirmButton()->click();
        QCOMPARE(entries(kind).last(), std::make_tuple(qint64(8), QString("Nouveau nom"), 1));
    }

    void initialsAddsOnEmptyTableWithCapital()
    {
        setEntries(2, {});
        auto w = openInitials(2);
        QCOMPARE(w->list()->count(), 0);
        w->newButton()->click();
        QVERIFY(w->isEntering());
        QVERIFY(!w->list()->isEnabled());
        for (QToolButton* b : {w->newButton(), w->editButton(), w->deleteButton(), w->quitButton(), w->downButton(), w->upButton()})
            QVERIFY(b->isHidden());
        QTest::keyClicks(w->nameField(), "  ");
        w->nameField()->clear();
        QTest::keyClicks(w->nameField(), "renault");
        QCOMPARE(w->nameField()->text(), QString("Renault"));
        QTest::keyClick(w->nameField(), Qt::Key_Return);
        w->newButton()->click();
        QTest::keyClicks(w->nameField(), "  peugeot  ");
        w->confirmButton()->click();
        // Two entries in one opening: consecutive numbers and positions; names stored trimmed; a
        // capital only when the field was empty (a blank was typed first above).
        QCOMPARE(entries(2), (QList<std::tuple<qint64, QString, int>>{{1, "Renault", 1}, {2, "peugeot", 2}}));
        QCOMPARE(listed(w->list()), QStringList({"Renault", "peugeot"}));
        QVERIFY(w->entryPanel()->isHidden());
        QVERIFY(w->list()->isEnabled());
        QVERIFY(ui().messages.isEmpty());
    }

    void initialsRefusesBlankName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
    }
    void initialsRefusesBlankName()
    {
        QFETCH(QString, text);
        setEntries(1, {{1, "Non précisé", 1}, {2, "Camion", 2}});
        auto w = openInitials(1);
        w->list()->setCurrentRow(1);
        w->editButton()->click();
        w->nameField()->setText(text);
        w->confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Saisie omise", Icon::Information, "ZEB")}));
        QVERIFY(w->isEntering());
        QCOMPARE(entries(1), (QList<std::tuple<qint64, QString, int>>{{1, "Non précisé", 1}, {2, "Camion", 2}}));
        w->cancelButton()->click();
        QVERIFY(w->entryPanel()->isHidden());
        QCOMPARE(entries(1).size(), 2);
    }

    void initialsModifies()
    {
        setEntries(3, {{1, "Non précisé", 1}, {2, "Clio", 2}, {3, "Partner", 3}});
        auto w = openInitials(3);
        // The first entry is fixed: neither the command nor a double-click opens the panel.
        w->editButton()->click();
        QVERIFY(w->entryPanel()->isHidden());
        // Clicking a name puts it into the field; double-clicking acts as "Modifier".
        QListWidgetItem* item = w->list()->item(2);
        w->list()->setCurrentItem(item);
        emit w->list()->itemClicked(item);
        QCOMPARE(w->nameField()->text(), QString("Partner"));
        emit w->list()->itemDoubleClicked(item);
        QVERIFY(w->isEntering());
        w->nameField()->setText(" Clio ");
        w->confirmButton()->click();
        QCOMPARE(entries(3), (QList<std::tuple<qint64, QString, int>>{{1, "Non précisé", 1}, {2, "Clio", 2}, {3, "Clio", 3}}));
        QCOMPARE(w->list()->currentRow(), 0);
        QVERIFY(w->nameField()->text().isEmpty());
    }

    void initialsDeleteRefusedWhileUsed_data()
    {
        QTest::addColumn<int>("kind");
        for (int k = 1; k <= 4; ++k)
            QTest::newRow(qPrintable(tableOf(k))) << k;
    }
    void initialsDeleteRefusedWhileUsed()
    {
        QFETCH(int, kind);
        setEntries(kind, {{1, "Non précisé", 1}, {2, "Utilisé", 2}, {3, "Libre", 3}});
        qint64 refs[4] = {-1, -1, -1, -1};
        refs[kind - 1] = 2;
        addVehicle("1", "2", "3", "2020", false, refs[0], refs[1], refs[2], refs[3]);
        auto w = openInitials(kind);
        w->list()->setCurrentRow(1);
        w->deleteButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Suppression refusée", Icon::Critical, "ATTENTION")}));
        QCOMPARE(entries(kind).size(), 3);

        ui().clear();
        ui().answers = {false, true};
        w->list()->setCurrentRow(2);
        w->deleteButton()->click();
        QCOMPARE(entries(kind).size(), 3);
        w->list()->setCurrentRow(2);
        w->deleteButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({question("Confirmer la suppression de : Libre", "Attention"),
                                                     question("Confirmer la suppression de : Libre", "Attention")}));
        QCOMPARE(entries(kind), (QList<std::tuple<qint64, QString, int>>{{1, "Non précisé", 1}, {2, "Utilisé", 2}}));
        QCOMPARE(listed(w->list()), QStringList({"Non précisé", "Utilisé"}));

        // The first entry cannot be deleted, even when no vehicle uses it.
        ui().clear();
        w->list()->setCurrentRow(0);
        w->deleteButton()->click();
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(entries(kind).size(), 2);
    }

    void initialsDeletedNumberNotReusedInOpening()
    {
        setEntries(4, {{1, "Non précisé", 1}, {2, "Diesel", 2}, {3, "GPL", 3}});
        auto w = openInitials(4);
        w->list()->setCurrentRow(2);
        ui().answers = {true};
        w->deleteButton()->click();
        w->newButton()->click();
        w->nameField()->setText("Essence");
        w->confirmButton()->click();
        QCOMPARE(entries(4).last(), std::make_tuple(qint64(4), QString("Essence"), 4));
    }

    void initialsArrows_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QList<qint64>>("after");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("two entries, down") << 2 << 1 << true << QList<qint64>{1, 2} << 1;
        QTest::newRow("two entries, up") << 2 << 1 << false << QList<qint64>{1, 2} << 1;
        QTest::newRow("three, first down") << 3 << 0 << true << QList<qint64>{1, 2, 3} << 0;
        QTest::newRow("three, second down") << 3 << 1 << true << QList<qint64>{1, 3, 2} << 2;
        QTest::newRow("three, second up") << 3 << 1 << false << QList<qint64>{1, 2, 3} << 1;
        QTest::newRow("three, last down") << 3 << 2 << true << QList<qint64>{1, 2, 3} << 2;
        QTest::newRow("three, last up") << 3 << 2 << false << QList<qint64>{1, 3, 2} << 1;
        QTest::newRow("four, third up") << 4 << 2 << false << QList<qint64>{1, 3, 2, 4} << 1;
    }
    void initialsArrows()
    {
        QFETCH(int, count);
        QFETCH(int, selected);
        QFETCH(bool, down);
        QFETCH(QList<qint64>, after);
        QFETCH(int, selectedAfter);
        QList<std::tuple<int, QString, int>> rows;
        for (int n = 1; n <= count; ++n)
            rows.append({n, QString("E%1").arg(n), n});
        setEntries(1, rows);
        auto w = openInitials(1);
        w->list()->setCurrentRow(selected);
        (down ? w->downButton() : w->upButton())->click();
        QCOMPARE(w->nums(), after);
        QCOMPARE(w->list()->currentRow(), selectedAfter);
        QCOMPARE(w->list()->currentItem()->text(), QString("E%1").arg(after[selectedAfter]));
        // Moves stay on screen until "Quitter".
        for (int n = 1; n <= count; ++n)
            QCOMPARE(std::get<2>(entries(1)[n - 1]), n);
    }

    void initialsQuitWritesOrder()
    {
        setEntries(2, {{1, "A", 1}, {2, "B", 2}, {3, "C", 3}, {4, "D", 4}});
        auto w = openInitials(2);
        w->list()->setCurrentRow(3);
        w->upButton()->click();
        w->upButton()->click();
        QCOMPARE(w->nums(), QList<qint64>({1, 4, 2, 3}));
        s().dialogValue = 0;
        w->quitButton()->click();
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(s().dialogValue, 1);
        QCOMPARE(entries(2), (QList<std::tuple<qint64, QString, int>>{{1, "A", 0}, {2, "B", 2}, {3, "C", 3}, {4, "D", 1}}));

        // A later opening numbers after the highest num and places after its position (a tie with C).
        auto again = openInitials(2);
        QCOMPARE(listed(again->list()), QStringList({"A", "D", "B", "C"}));
        again->newButton()->click();
        again->nameField()->setText("E");
        again->confirmButton()->click();
        QCOMPARE(entries(2).last(), std::make_tuple(qint64(5), QString("E"), 2));

        // Leaving other than through "Quitter" writes nothing.
        auto third = openInitials(2);
        third->list()->setCurrentRow(2);
        third->downButton()->click();
        QVERIFY(third->orderChanged());
        third->reject();
        QCOMPARE(std::get<2>(entries(2)[0]), 0);
        QCOMPARE(std::get<2>(entries(2)[4]), 2);
    }

    void initialsReloadDropsPendingMoves()
    {
        setEntries(1, {{1, "A", 1}, {2, "B", 2}, {3, "C", 3}});
        auto w = openInitials(1);
        w->list()->setCurrentRow(2);
        w->upButton()->click();
        w->newButton()->click();
        w->nameField()->setText("D");
        w->confirmButton()->click();
        QCOMPARE(listed(w->list()), QStringList({"A", "B", "C", "D"}));
        QVERIFY(w->orderChanged());
        w->quitButton()->click();
        QCOMPARE(entries(1), (QList<std::tuple<qint64, QString, int>>{{1, "A", 0}, {2, "B", 1}, {3, "C", 2}, {4, "D", 3}}));
    }

    // ================================================================ vehicle register

    void emptyRegisterOpensOnNewVehicle()
    {
        Vehicules w(s());
        QCOMPARE(w.objectName(), QString("Vehicules"));
        QCOMPARE(w.windowTitle(), QString(" "));
        QVERIFY(w.isEntering());
        QVERIFY(w.isNewEntry());
        QCOMPARE(w.entryHeading()->text(), QString("Nouveau Véhicule"));
        QVERIFY(!w.grid()->isEnabled());
        QCOMPARE(w.grid()->model()->rowCount(), 0);
        for (const char* name : {"nouveau", "modifier", "supprimer", "filtre", "zoom", "imprimer", "bas", "haut", "quitter"})
            QVERIFY2(!w.command(name)->isEnabled(), name);
        for (int p = 1; p <= 4; ++p) {
            QCOMPARE(w.pickField(p)->text(), QString("/"));
            QCOMPARE(w.pickedNum(p), qint64(-1));
        }
        // Commands on an empty list do nothing.
        w.cancelEntry();
        ui().clear();
        w.startEdit();
        w.deleteCurrent();
        w.zoom();
        w.print();
        QVERIFY(!w.isEntering());
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(ui().screens.isEmpty());
        QVERIFY(ui().reports.isEmpty());
    }

    void newVehicleIsStoredAndListed()
    {
        setEntries(1, {{1, "Non précisé", 1}, {2, "Utilitaire", 2}});
        setEntries(2, {{1, "Non précisée", 1}, {2, "Renault", 2}});
        setEntries(3, {{1, "Non précisé", 1}, {2, "Kangoo", 2}});
        setEntries(4, {{1, "Non précisé", 1}, {2, "Gasoil", 2}});
        Vehicules w(s());
        fillEntry(w, {"12", "5", "31", "2019"});
        pick(w, Vehicules::Type, 1);
        pick(w, Vehicules::Marque, 1);
        pick(w, Vehicules::Modele, 1);
        pick(w, Vehicules::Carburant, 1);
        QCOMPARE(w.pickField(Vehicules::Marque)->text(), QString("Renault"));
        w.circulationField()->setText("05/03/2019");
        QTest::keyClicks(w.carteGriseField(), "ab-123x");
        QCOMPARE(w.carteGriseField()->text(), QString("AB-123X"));
        w.dateCarteField()->setText("10/03/2019");
        w.archiveOui()->setChecked(true);
        w.confirmButton()->click();

        const auto r = db().queryOne("SELECT * FROM Vehicules");
        QCOMPARE(r.integer("num"), 1);
        QCOMPARE(r.integer("ordre"), 1);
        QCOMPARE(r.text("matricule"), QString("00012   5 31"));
        QCOMPARE(r.text("Annee"), QString("2019"));
        QCOMPARE(r.integer("num_Genre"), 2);
        QCOMPARE(r.integer("num_marque"), 2);
        QCOMPARE(r.integer("num_Modele"), 2);
        QCOMPARE(r.integer("num_carburant"), 2);
        QCOMPARE(r.text("Date_circulation"), QString("2019-03-05"));
        QCOMPARE(r.text("C_Grise"), QString("AB-123X"));
        QCOMPARE(r.text("Date"), QString("2019-03-10"));
        QCOMPARE(r.integer("flag_Arch"), 1);

        QVERIFY(!w.isEntering());
        QVERIFY(w.grid()->isEnabled());
        QCOMPARE(gridRow(w.grid(), 0), QStringList({"1", " Utilitaire", " Renault", " Kangoo", "2019", "00012   5 31", "OUI"}));
        QCOMPARE(alignment(w.grid(), 0, 0), int(Qt::AlignCenter));
        QCOMPARE(alignment(w.grid(), 0, 5), int(Qt::AlignCenter));
        QVERIFY(ui().messages.isEmpty());
    }

    void editShowsStoredVehicle()
    {
        setEntries(2, {{1, "Non précisée", 1}, {5, "Peugeot", 2}});
        vehicles::Entry e;
        e.matricule = {"12", "5", "31"};
        e.annee = "2018";
        e.numMarque = 5;
        e.numModele = 99; // no longer in its table
        e.dateCirculation = "01/02/2018";
        e.carteGrise = "CG1";
        e.dateCarte = "03/02/2018";
        const qint64 num = vehicles::add(db(), e);
        Vehicules w(s());
        QCOMPARE(gridRow(w.grid(), 0), QStringList({"1", "", " Peugeot", "", "2018", "00012   5 31", " "}));
        w.command("modifier")->click();
        QVERIFY(!w.isNewEntry());
        QCOMPARE(w.entryHeading()->text(), QString("MODIFICATION"));
        QCOMPARE(w.matriculeField(1)->text(), QString("00012"));
        QCOMPARE(w.matriculeField(2)->text(), QString("  5"));
        QCOMPARE(w.matriculeField(3)->text(), QString("31"));
        QCOMPARE(w.anneeField()->text(), QString("2018"));
        QCOMPARE(w.circulationField()->text(), QString("01/02/2018"));
        QCOMPARE(w.carteGriseField()->text(), QString("CG1"));
        QCOMPARE(w.dateCarteField()->text(), QString("03/02/2018"));
        QVERIFY(w.archiveNon()->isChecked());
        QCOMPARE(w.pickField(Vehicules::Marque)->text(), QString("Peugeot"));
        QCOMPARE(w.pickedNum(Vehicules::Marque), qint64(5));
        QCOMPARE(w.pickField(Vehicules::Modele)->text(), QString("/"));
        QCOMPARE(w.pickedNum(Vehicules::Modele), qint64(-1));
        QVERIFY(!w.grid()->isEnabled());
        QVERIFY(!w.command("nouveau")->isEnabled());

        // Blank dates keep the stored ones; a blank card number is stored blank.
        w.circulationField()->clear();
        w.dateCarteField()->clear();
        w.carteGriseField()->clear();
        w.anneeField()->setText(" 17 ");
        w.archiveOui()->setChecked(true);
        w.confirmButton()->click();
        const auto r = db().queryOne("SELECT * FROM Vehicules WHERE num = ?", {num});
        QCOMPARE(r.text("Date_circulation"), QString("2018-02-01"));
        QCOMPARE(r.text("Date"), QString("2018-02-03"));
        QCOMPARE(r.text("C_Grise"), QString(""));
        QCOMPARE(r.text("Annee"), QString("17"));
        QCOMPARE(r.integer("num_Modele"), -1);
        QCOMPARE(r.integer("num_marque"), 5);
        QCOMPARE(r.integer("flag_Arch"), 1);
        QCOMPARE(r.integer("ordre"), 1);
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules").toInt(), 1);
    }

    void confirmNeedsMatriculeAndYear_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::newRow("part 1") << QStringList{" ", "5", "31", "2019"};
        QTest::newRow("part 2") << QStringList{"12", "", "31", "2019"};
        QTest::newRow("part 3") << QStringList{"12", "5", "  ", "2019"};
        QTest::newRow("year") << QStringList{"12", "5", "31", ""};
    }
    void confirmNeedsMatriculeAndYear()
    {
        QFETCH(QStringList, values);
        Vehicules w(s());
        for (int i = 0; i < 3; ++i)
            w.matriculeField(i + 1)->setText(values[i]);
        w.anneeField()->setText(values[3]);
        w.confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Matricule et année indispensables", Icon::Critical, "ATTENTION")}));
        QVERIFY(w.isEntering());
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules").toInt(), 0);
    }

    void invalidDateOnConfirmKeepsStoredDate_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("circulation, no such day") << 0 << "31/02/2019";
        QTest::newRow("circulation, unfinished") << 0 << "05/03";
        QTest::newRow("card, bad month") << 1 << "05/13/2019";
        QTest::newRow("circulation, no leap day in 1900") << 0 << "29/02/1900";
        QTest::newRow("card, no leap day in 2100") << 1 << "29/02/2100";
    }
    void invalidDateOnConfirmKeepsStoredDate()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        vehicles::Entry e;
        e.matricule = {"1", "2", "3"};
        e.annee = "2018";
        e.dateCirculation = "01/02/2018";
        e.dateCarte = "03/02/2018";
        vehicles::add(db(), e);
        Vehicules w(s());
        w.command("modifier")->click();
        QLineEdit* date = field == 0 ? w.circulationField() : w.dateCarteField();
        date->setText(typed);
        w.anneeField()->setText("2000");
        w.confirmButton()->click();
        QVERIFY(w.isEntering());
        QVERIFY(date->text().isEmpty());
        QVERIFY(ui().beeps > 0);
        const auto r = db().queryOne("SELECT * FROM Vehicules");
        QCOMPARE(r.text("Annee"), QString("2018"));
        QCOMPARE(r.text("Date_circulation"), QString("2018-02-01"));
        QCOMPARE(r.text("Date"), QString("2018-02-03"));
        // Confirmed again with the field now blank, the stored date stays.
        w.confirmButton()->click();
        QVERIFY(!w.isEntering());
        const auto after = db().queryOne("SELECT * FROM Vehicules");
        QCOMPARE(after.text("Annee"), QString("2000"));
        QCOMPARE(after.text("Date_circulation"), QString("2018-02-01"));
        QCOMPARE(after.text("Date"), QString("2018-02-03"));
    }

    void typingRules()
    {
        Vehicules w(s());
        QTest::keyClicks(w.matriculeField(1), "1a2b345678");
        QCOMPARE(w.matriculeField(1)->text(), QString("12345"));
        QTest::keyClicks(w.matriculeField(2), "x9999");
        QCOMPARE(w.matriculeField(2)->text(), QString("999"));
        QTest::keyClicks(w.anneeField(), "20z245");
        QCOMPARE(w.anneeField()->text(), QString("2024"));
        QTest::keyClicks(w.carteGriseField(), QString(30, 'a'));
        QCOMPARE(w.carteGriseField()->text(), QString(25, 'A'));
        // New vehicle: the date is shaped as it is typed.
        QTest::keyClicks(w.circulationField(), "05032019");
        QCOMPARE(w.circulationField()->text(), QString("05/03/2019"));
        // The date-key filter: a first digit above 3 is refused with a beep.
        QTest::keyClicks(w.dateCarteField(), "9");
        QVERIFY(w.dateCarteField()->text().isEmpty());
        QCOMPARE(ui().beeps, 1);

        // A change does not shape the dates as they are typed.
        fillEntry(w, {"1", "2", "3", "2020"});
        w.confirmButton()->click();
        w.command("modifier")->click();
        w.dateCarteField()->clear();
        QTest::keyClicks(w.dateCarteField(), "0511");
        QCOMPARE(w.dateCarteField()->text(), QString("0511"));
    }

    void escapeClosesPanelsFirst()
    {
        setEntries(1, {{1, "Non précisé", 1}, {2, "Car", 2}});
        addVehicle("1", "1", "1", "2001");
        Vehicules w(s());
        w.command("modifier")->click();
        w.pickButton(Vehicules::Type)->click();
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(w.openPick(), 0);
        QVERIFY(w.isEntering());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isEntering());
        QVERIFY(w.grid()->isEnabled());
        w.command("filtre")->click();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.command("filtre")->isEnabled());
        QCOMPARE(w.result(), 0);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    void focusMovesOn()
    {
        Vehicules w(s());
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.matriculeField(1)->setFocus();
        QTest::keyClicks(w.matriculeField(1), "12345");
        QVERIFY(w.matriculeField(2)->hasFocus());
        QTest::keyClicks(w.matriculeField(2), "678");
        QVERIFY(w.matriculeField(3)->hasFocus());
        QTest::keyClicks(w.matriculeField(3), "9");
        QTest::keyClick(w.matriculeField(3), Qt::Key_Return);
        QVERIFY(w.anneeField()->hasFocus());
        QTest::keyClicks(w.anneeField(), "2020");
        QVERIFY(w.circulationField()->hasFocus());
        QTest::keyClicks(w.circulationField(), "01022020");
        QVERIFY(w.carteGriseField()->hasFocus());
        QTest::keyClick(w.carteGriseField(), Qt::Key_Return);
        QVERIFY(w.dateCarteField()->hasFocus());

        // A change does not move on by itself.
        w.confirmButton()->click();
        w.command("modifier")->click();
        w.matriculeField(1)->setFocus();
        w.matriculeField(1)->clear();
        QTest::keyClicks(w.matriculeField(1), "54321");
        QVERIFY(w.matriculeField(1)->hasFocus());
        w.hide();
    }

    void newVehicleNumbering_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("notice"); // the line the deletion question adds
        QTest::newRow("no lines left") << QString() << qint64(3) << QString();
        const QString ledger = "1 ligne de dépenses et de recettes reste attachée à ce véhicule";
        QTest::newRow("Depenses") << "Depenses" << qint64(4) << ledger;
        QTest::newRow("Recettes") << "Recettes" << qint64(4) << ledger;
        QTest::newRow("Assurances") << "Assurances" << qint64(4) << "1 assurance reste attachée à ce véhicule";
        QTest::newRow("Controles") << "Controles" << qint64(4) << "1 contrôle technique reste attaché à ce véhicule";
        QTest::newRow("Vignettes") << "Vignettes" << qint64(4) << "1 vignette reste attachée à ce véhicule";
        QTest::newRow("Affectations") << "Affectations" << qint64(4) << "1 affectation de chauffeur reste attachée à ce véhicule";
        QTest::newRow("Locations") << "Locations" << qint64(4) << "1 location reste attachée à ce véhicule";
    }
    void newVehicleNumbering()
    {
        QFETCH(QString, table);
        QFETCH(qint64, expected);
        QFETCH(QString, notice);
        addVehicle("1", "1", "1", "2001");
        addVehicle("2", "2", "2", "2002");
        addVehicle("3", "3", "3", "2003");
        if (!table.isEmpty())
            db().execute("INSERT INTO " + table + " (num, num_vehicule) VALUES (1, 3)");
        Vehicules w(s());
        w.setCurrentRow(2);
        ui().answers = {true};
        w.command("supprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({question("Confirmer supression de ligne N° 3"
                                                                  + (notice.isEmpty() ? QString() : "\n" + notice),
                                                              "Confirmation")}));
        QCOMPARE(w.grid()->model()->rowCount(), 2);
        // The vehicle's lines stay where they are.
        if (!table.isEmpty())
            QCOMPARE(db().scalar("SELECT count(*) FROM " + table + " WHERE num_vehicule = 3").toInt(), 1);
        w.command("nouveau")->click();
        fillEntry(w, {"9", "9", "9", "2009"});
        w.confirmButton()->click();
        QCOMPARE(db().queryOne("SELECT num, ordre FROM Vehicules WHERE Annee = '2009'").integer("num"), expected);
        QCOMPARE(db().queryOne("SELECT num, ordre FROM Vehicules WHERE Annee = '2009'").integer("ordre"), 3);
    }

    // A registration number already given to another vehicle is asked about before it is saved.
    void duplicateMatriculeIsAsked_data()
    {
        QTest::addColumn<bool>("editing");      // changing vehicle 2 rather than adding one
        QTest::addColumn<QStringList>("typed"); // the matricule's three parts
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("withIt");         // vehicles with 00012   5 31 afterwards
        QTest::newRow("new, same number, Non") << false << QStringList{"12", "5", "31"} << QList<bool>{false} << true << 1;
        QTest::newRow("new, same number, Oui") << false << QStringList{"12", "5", "31"} << QList<bool>{true} << true << 2;
        QTest::newRow("new, same number written differently") << false << QStringList{"00012", "5", "31"} << QList<bool>{false}
                                                              << true << 1;
        QTest::newRow("new, other number") << false << QStringList{"12", "5", "16"} << QList<bool>{} << false << 1;
        QTest::newRow("change of the vehicle itself") << true << QStringList{"7", "7", "7"} << QList<bool>{} << false << 1;
        QTest::newRow("change onto another's number, Non") << true << QStringList{"12", "5", "31"} << QList<bool>{false} << true << 1;
    }
    void duplicateMatriculeIsAsked()
    {
        QFETCH(bool, editing);
        QFETCH(QStringList, typed);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, asked);
        QFETCH(int, withIt);
        addVehicle("12", "5", "31", "2019");
        addVehicle("7", "7", "7", "2020");
        Vehicules w(s());
        if (editing) {
            w.setCurrentRow(1);
            w.command("modifier")->click();
        } else {
            w.command("nouveau")->click();
        }
        QVERIFY(w.isEntering());
        fillEntry(w, {typed[0], typed[1], typed[2], "2021"});
        ui().answers = answers;
        w.confirmButton()->click();
        const QString question = QStringLiteral("Le matricule 00012 5 31 est déjà celui d'un autre véhicule.\nEnregistrer quand même ?");
        QCOMPARE(ui().defaultNoQuestions, asked ? QStringList{question} : QStringList{});
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules WHERE matricule = '00012   5 31'").toInt(), withIt);
        // Refused: the entry stays open with what was typed.
        QCOMPARE(w.isEntering(), asked && !answers.value(0));
    }

    void deleteNotConfirmedKeepsVehicle()
    {
        addVehicle("1", "1", "1", "2001");
        addVehicle("2", "2", "2", "2002");
        Vehicules w(s());
        ui().answers = {false};
        w.setCurrentRow(1);
        w.command("supprimer")->click();
        QCOMPARE(ui().messages.last(), question("Confirmer supression de ligne N° 2", "Confirmation"));
        QCOMPARE(ui().defaultNoQuestions, QStringList{"Confirmer supression de ligne N° 2"}); // Return answers "Non"
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules").toInt(), 2);
        QCOMPARE(w.grid()->model()->rowCount(), 2);
        // Deleting the last vehicle opens the entry of a new one.
        ui().answers = {true, true};
        w.command("supprimer")->click();
        w.command("supprimer")->click();
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules").toInt(), 0);
        QVERIFY(w.isEntering());
        QVERIFY(w.isNewEntry());
    }

    void filter()
    {
        addVehicle("1", "1", "1", "2001", false);
        addVehicle("2", "2", "2", "2002", false);
        Vehicules w(s());
        w.command("filtre")->click();
        QVERIFY(w.filterPanel()->isVisible() || w.filterPanel()->isVisibleTo(&w));
        QVERIFY(!w.grid()->isEnabled());
        QVERIFY(!w.command("nouveau")->isEnabled());
        QVERIFY(w.filterOption(vehicles::Filter::Ensemble)->isChecked());
        w.filterOption(vehicles::Filter::Archives)->setChecked(true);
        w.confirmFilter();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Aucun véhicule selon ces critères", Icon::Critical, "ATTENTION")}));
        QCOMPARE(w.grid()->model()->rowCount(), 2);
        QCOMPARE(w.filter(), vehicles::Filter::Ensemble);
        QVERIFY(!w.grid()->isEnabled());
        w.cancelFilter();
        QVERIFY(w.grid()->isEnabled());

        addVehicle("3", "3", "3", "2003", true);
        w.command("filtre")->click();
        w.filterOption(vehicles::Filter::Archives)->setChecked(true);
        w.confirmFilter();
        QCOMPARE(w.grid()->model()->rowCount(), 1);
        QCOMPARE(cellText(w.grid(), 0, 4), QString("2003"));
        QVERIFY(w.grid()->isEnabled());
        w.command("filtre")->click();
        w.filterOption(vehicles::Filter::Recents)->setChecked(true);
        w.confirmFilter();
        QCOMPARE(w.nums().size(), 2);
        QCOMPARE(cellText(w.grid(), 1, 0), QString("2"));
        w.command("filtre")->click();
        w.filterOption(vehicles::Filter::Ensemble)->setChecked(true);
        w.confirmFilter();
        QCOMPARE(w.nums(), QList<qint64>({1, 2, 3}));
        QCOMPARE(ui().messages.size(), 1);
    }

    void zoomOpensVehicleFile()
    {
        addVehicle("1", "1", "1", "2001");
        const qint64 second = addVehicle("2", "2", "2", "2002");
        Vehicules w(s());
        qint64 seen = 0;
        ui().onScreen("Zoom_V", [&](QDialog&) {
            seen = s().vehicule_courant;
            db().execute("UPDATE Vehicules SET Annee = '1999' WHERE num = ?", {second});
            return int(QDialog::Rejected);
        });
        w.setCurrentRow(1);
        emit w.grid()->doubleClicked(w.grid()->model()->index(1, 2));
        QCOMPARE(ui().screens, QStringList({"Zoom_V"}));
        QCOMPARE(seen, second);
        QCOMPARE(s().vehicule_courant, second);
        QVERIFY(s().isOpen());
        // The list is not refilled after the file closes.
        QCOMPARE(cellText(w.grid(), 1, 4), QString("2002"));
    }

    void bottomAndTopOnlySpeak()
    {
        addVehicle("1", "1", "1", "2001");
        addVehicle("2", "2", "2", "2002");
        Vehicules w(s());
        w.command("bas")->click();
        w.command("haut")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Bas", Icon::NoIcon, "ZEB"), msg("Haut", Icon::NoIcon, "ZEB")}));
        QCOMPARE(w.nums(), QList<qint64>({1, 2}));
        QCOMPARE(db().queryOne("SELECT ordre FROM Vehicules WHERE num = 2").integer("ordre"), 2);
    }

    void printListsVehicles()
    {
        setEntries(2, {{1, "Non précisée", 1}, {2, "Renault", 2}});
        addVehicle("10", "20", "30", "2010", false, -1, 2);
        addVehicle("11", "21", "31", "2011", true);
        db().execute("UPDATE Vehicules SET ordre = 0 WHERE num = 2");
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        Vehicules w(s());
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>());
        QCOMPARE(ui().reports.size(), 1);
        QStringList buffer;
        for (const auto& r : db().query("SELECT num FROM Tampon1 ORDER BY rowid"))
            buffer << r.text("num");
        QCOMPARE(buffer, QStringList({"2", "1"}));
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.first()), QPdfDocument::Error::None);
        const QString text = pdf.getAllText(0).text();
        QVERIFY2(text.contains("Liste des véhicules"), qPrintable(text));
        QVERIFY(text.contains("00010"));
        QVERIFY(text.contains("Renault"));
        QVERIFY(text.indexOf("00011") < text.indexOf("00010"));

        if (!qEnvironmentVariable("KAVOREL_SHOTS").isEmpty())
            QFile::copy(ui().reports.first(), qEnvironmentVariable("KAVOREL_SHOTS") + "/Liste_V.pdf");
    }

    void printWithoutTemplate()
    {
        addVehicle("1", "1", "1", "2001");
        QFile::remove(f_->folder->file("Liste_V.RPT"));
        db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        Vehicules w(s());
        w.command("imprimer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Fichier 'Liste_V.RPT' absent", Icon::Critical, "Z.E.B.")}));
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(db().scalar("SELECT num FROM Tampon1").toString(), QString("99"));
    }

    void pickListOfEmptyTableDoesNothing()
    {
        setEntries(3, {});
        Vehicules w(s());
        w.pickButton(Vehicules::Modele)->click();
        QTest::mouseClick(w.pickField(Vehicules::Modele), Qt::LeftButton);
        QCOMPARE(w.openPick(), 0);
        QVERIFY(w.pickPanel()->isHidden());
        QVERIFY(w.confirmButton()->isEnabled());
        for (int p = 1; p <= 4; ++p)
            QVERIFY(w.pickButton(p)->isEnabled());
    }

    void pickListDisablesEntryCommands()
    {
        setEntries(1, {{1, "Non précisé", 1}, {2, "Car", 2}});
        Vehicules w(s());
        QTest::mouseClick(w.pickField(Vehicules::Type), Qt::LeftButton);
        QCOMPARE(w.openPick(), int(Vehicules::Type));
        QVERIFY(!w.pickPanel()->isHidden());
        QVERIFY(!w.confirmButton()->isEnabled());
        QVERIFY(!w.cancelButton()->isEnabled());
        for (int p = 1; p <= 4; ++p)
            QVERIFY(!w.pickButton(p)->isEnabled());
        QCOMPARE(listed(w.pickList()), QStringList({"Non précisé", "Car"}));
        w.pickList()->setCurrentRow(1);
        w.pickCancel()->click();
        QCOMPARE(w.pickField(Vehicules::Type)->text(), QString("/"));
        QCOMPARE(w.pickedNum(Vehicules::Type), qint64(-1));
        QVERIFY(w.confirmButton()->isEnabled());
        // Double-click confirms.
        w.pickButton(Vehicules::Type)->click();
        emit w.pickList()->itemDoubleClicked(w.pickList()->item(1));
        QCOMPARE(w.pickField(Vehicules::Type)->text(), QString("Car"));
        QCOMPARE(w.pickedNum(Vehicules::Type), qint64(2));
        QCOMPARE(w.openPick(), 0);
        for (int p = 1; p <= 4; ++p)
            QVERIFY(w.pickButton(p)->isEnabled());
        // Enter confirms the current entry too.
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
            w.pickButton(Vehicules::Type)->click();
            w.pickList()->setCurrentRow(0);
            QTest::keyClick(w.pickList(), Qt::Key(key));
            QCOMPARE(w.pickField(Vehicules::Type)->text(), QString("Non précisé"));
            QCOMPARE(w.pickedNum(Vehicules::Type), qint64(1));
            QCOMPARE(w.openPick(), 0);
            QVERIFY(w.confirmButton()->isEnabled());
            w.pickButton(Vehicules::Type)->click();
            w.pickList()->setCurrentRow(1);
            w.pickConfirm()->click();
        }
    }

    void pickListOpensReferenceScreen_data()
    {
        QTest::addColumn<int>("field");
        for (int k = 1; k <= 4; ++k)
            QTest::newRow(qPrintable(tableOf(k))) << k;
    }
    void pickListOpensReferenceScreen()
    {
        QFETCH(int, field);
        setEntries(field, {{1, "Non précisé", 1}, {2, "Ancien", 2}});
        Vehicules w(s());
        pick(w, field, 1);
        int kindSeen = 0;
        ui().onScreen("Initials", [&](QDialog& d) {
            auto& ini = static_cast<Initials&>(d);
            kindSeen = ini.kind();
            ini.list()->setCurrentRow(1);
            ini.editButton()->click();
            ini.nameField()->setText("Renommé");
            ini.confirmButton()->click();
            ini.newButton()->click();
            ini.nameField()->setText("Ajouté");
            ini.confirmButton()->click();
            ini.quitButton()->click();
            return ini.result();
        });
        w.pickButton(field)->click();
        w.pickInitials()->click();
        QCOMPARE(ui().screens, QStringList({"Initials"}));
        QCOMPARE(kindSeen, field);
        QCOMPARE(listed(w.pickList()), QStringList({"Non précisé", "Renommé", "Ajouté"}));
        QCOMPARE(w.pickEntries(field).nums, QList<qint64>({1, 2, 3}));
        // The field keeps what it had until a new choice is confirmed.
        QCOMPARE(w.pickField(field)->text(), QString("Ancien"));
        QCOMPARE(w.pickedNum(field), qint64(2));
        QCOMPARE(w.openPick(), field);
        w.pickList()->setCurrentRow(2);
        w.pickConfirm()->click();
        fillEntry(w, {"1", "2", "3", "2020"});
        w.confirmButton()->click();
        static const char* columns[] = {"num_Genre", "num_marque", "num_Modele", "num_carburant"};
        QCOMPARE(db().queryOne("SELECT * FROM Vehicules").integer(columns[field - 1]), 3);
    }

    // ================================================================ engine refusals, deleted rows, counts

    void initialsEngineRefusalLeavesTheTable_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("command");
        QTest::newRow("new entry") << "INSERT" << "nouveau";
        QTest::newRow("change") << "UPDATE" << "modifier";
        QTest::newRow("delete") << "DELETE" << "supprimer";
        QTest::newRow("order written on leaving") << "UPDATE" << "quitter";
    }
    void initialsEngineRefusalLeavesTheTable()
    {
        QFETCH(QString, operation);
        QFETCH(QString, command);
        setEntries(2, {{1, "Non précisée", 1}, {2, "Renault", 2}, {3, "Peugeot", 3}, {4, "Iveco", 4}});
        const auto before = entries(2);
        auto w = openInitials(2);
        test::showOn(*w, test::testScreens().first());
        refuse("Marques", operation);
        w->list()->setCurrentRow(2);
        if (command == "quitter") {
            w->upButton()->click();
            w->quitButton()->click();
        } else if (command == "supprimer") {
            ui().answers = {true};
            w->deleteButton()->click();
        } else {
            (command == "nouveau" ? w->newButton() : w->editButton())->click();
            w->nameField()->setText("Toyota");
            w->confirmButton()->click();
            QVERIFY(w->isEntering()); // what was typed is still there to confirm again or cancel
            QCOMPARE(w->nameField()->text(), QString("Toyota"));
        }
        QCOMPARE(ui().messages.last(), engineRefusal());
        QVERIFY(w->isVisible());
        QCOMPARE(w->result(), 0);
        QCOMPARE(entries(2), before);
        // Once the engine accepts again, the same command goes through.
        db().execute("DROP TRIGGER refuse");
        if (command == "quitter") {
            w->quitButton()->click();
            QCOMPARE(w->result(), int(QDialog::Accepted));
        } else if (command == "supprimer") {
            w->list()->setCurrentRow(2);
            ui().answers = {true};
            w->deleteButton()->click();
            QCOMPARE(entries(2).size(), 3);
        } else {
            w->confirmButton()->click();
            QVERIFY(!w->isEntering());
            QVERIFY(listed(w->list()).contains("Toyota"));
        }
    }

    void initialsChangeOfAnEntryDeletedMeanwhile()
    {
        setEntries(3, {{1, "Non précisé", 1}, {2, "Clio", 2}, {3, "Partner", 3}});
        auto w = openInitials(3);
        w->list()->setCurrentRow(2);
        w->editButton()->click();
        db().execute("DELETE FROM Modeles WHERE num = 3");
        w->nameField()->setText("Berlingo");
        w->confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Enregistrement introuvable", Icon::NoIcon, "ZEB")}));
        QCOMPARE(entries(3), (QList<std::tuple<qint64, QString, int>>{{1, "Non précisé", 1}, {2, "Clio", 2}}));
        QVERIFY(!w->isEntering());
        QCOMPARE(listed(w->list()), QStringList({"Non précisé", "Clio"}));
    }

    void registerEngineRefusalLeavesTheVehicles_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("command");
        QTest::newRow("new vehicle") << "INSERT" << "nouveau";
        QTest::newRow("new vehicle, its fields") << "UPDATE" << "nouveau";
        QTest::newRow("change") << "UPDATE" << "modifier";
        QTest::newRow("delete") << "DELETE" << "supprimer";
    }
    void registerEngineRefusalLeavesTheVehicles()
    {
        QFETCH(QString, operation);
        QFETCH(QString, command);
        addVehicle("1", "1", "1", "2001");
        addVehicle("2", "2", "2", "2002");
        auto snapshot = [this] {
            QList<QVariantMap> rows;
            for (const auto& r : db().query("SELECT * FROM Vehicules ORDER BY num"))
                rows << r.toMap();
            return rows;
        };
        const auto before = snapshot();
        Vehicules w(s());
        test::showOn(w, test::testScreens().first());
        refuse("Vehicules", operation);
        w.setCurrentRow(1);
        if (command == "supprimer")
            ui().answers = {true};
        w.command(command)->click();
        if (command != "supprimer") {
            fillEntry(w, {"7", "7", "7", "2007"});
            w.confirmButton()->click();
            QVERIFY(w.isEntering());
            QCOMPARE(w.anneeField()->text(), QString("2007"));
        }
        QCOMPARE(ui().messages.last(), engineRefusal());
        QVERIFY(w.isVisible());
        QCOMPARE(w.result(), 0);
        QCOMPARE(snapshot(), before);
        QCOMPARE(w.grid()->model()->rowCount(), 2);
    }

    void registerChangeOfAVehicleDeletedMeanwhile()
    {
        addVehicle("1", "1", "1", "2001");
        const qint64 gone = addVehicle("2", "2", "2", "2002");
        Vehicules w(s());
        w.setCurrentRow(1);
        w.command("modifier")->click();
        db().execute("DELETE FROM Vehicules WHERE num = ?", {gone});
        w.anneeField()->setText("2010");
        w.confirmButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Enregistrement introuvable", Icon::NoIcon, "ZEB")}));
        QCOMPARE(db().scalar("SELECT count(*) FROM Vehicules").toInt(), 1);
        QVERIFY(!w.isEntering());
        QCOMPARE(w.nums(), QList<qint64>({1}));
        // Asking to change it after it went away says so too, and opens nothing.
        addVehicle("3", "3", "3", "2003");
        Vehicules again(s());
        again.setCurrentRow(1);
        db().execute("DELETE FROM Vehicules WHERE Annee = '2003'");
        ui().clear();
        again.command("modifier")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>({msg("Enregistrement introuvable", Icon::NoIcon, "ZEB")}));
        QVERIFY(!again.isEntering());
    }

    void attachedLinesAreCountedPerTable()
    {
        const qint64 v = addVehicle("1", "1", "1", "2001");
        const qint64 other = addVehicle("2", "2", "2", "2002");
        int num = 0;
        auto lines = [&](const QString& table, qint64 vehicle, int n) {
            for (int i = 0; i < n; ++i)
                db().execute("INSERT INTO " + table + " (num, num_vehicule) VALUES (?, ?)", {++num, vehicle});
        };
        lines("Depenses", v, 7);
        lines("Recettes", v, 5);
        lines("Assurances", v, 2);
        lines("Vignettes", v, 1);
        lines("Affectations", v, 3);
        lines("Locations", v, 2);
        for (const char* t : {"Depenses", "Recettes", "Assurances", "Controles", "Vignettes", "Affectations", "Locations"})
            lines(t, other, 1); // another vehicle's lines do not count
        const vehicles::Attached a = vehicles::attached(db(), v);
        QCOMPARE(a.ledger, 12);
        QCOMPARE(a.assurances, 2);
        QCOMPARE(a.controles, 0);
        QCOMPARE(a.vignettes, 1);
        QCOMPARE(a.affectations, 3);
        QCOMPARE(a.locations, 2);
        QCOMPARE(vehicles::attachedNotice(a),
                 QStringList({"12 lignes de dépenses et de recettes restent attachées à ce véhicule",
                              "2 assurances restent attachées à ce véhicule", "1 vignette reste attachée à ce véhicule",
                              "3 affectations de chauffeurs restent attachées à ce véhicule",
                              "2 locations restent attachées à ce véhicule"}));
        vehicles::Attached controls;
        controls.controles = 4;
        QCOMPARE(vehicles::attachedNotice(controls), QStringList({"4 contrôles techniques restent attachés à ce véhicule"}));
        QVERIFY(vehicles::attachedNotice(vehicles::attached(db(), 99)).isEmpty());

        // The question says it; the lines stay after the deletion.
        Vehicules w(s());
        w.setCurrentRow(0);
        ui().answers = {true};
        w.command("supprimer")->click();
        QCOMPARE(ui().messages.last().text, "Confirmer supression de ligne N° 1\n" + vehicles::attachedNotice(a).join('\n'));
        QCOMPARE(db().scalar("SELECT count(*) FROM Depenses WHERE num_vehicule = ?", {v}).toInt(), 7);
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations WHERE num_vehicule = ?", {v}).toInt(), 2);
    }

    // ================================================================ screens that fit

    void initialsFitsTheScreen()
    {
        fillForPictures();
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            auto w = openInitials(4);
            test::showOn(*w, screen);
            const QSize shown = w->size();
            QCOMPARE(test::outsideScreen(*w), QStringList());
            test::saveShot(*w, "Initials_" + size);
            w->list()->setCurrentRow(3);
            w->editButton()->click();
            test::settle(*w);
            QCOMPARE(w->size(), shown);
            QCOMPARE(test::outsideScreen(*w), QStringList());
            test::saveShot(*w, "Initials_saisie_" + size);
            w->cancelButton()->click();
            test::settle(*w);
            QCOMPARE(test::outsideScreen(*w), QStringList());
        }
    }

    void registerFitsTheScreenInEveryState()
    {
        fillForPictures();
        for (QScreen* screen : test::testScreens()) {
            const QString size = QString::number(screen->availableGeometry().height());
            Vehicules w(s());
            test::showOn(w, screen);
            const QSize shown = w.size();
            QCOMPARE(test::outsideScreen(w), QStringList());
            test::saveShot(w, "Vehicules_" + size);
            // The registration number and the names are seen whole.
            QHeaderView* h = w.grid()->horizontalHeader();
            for (int c = 1; c <= 5; ++c)
                for (int r = 0; r < w.grid()->model()->rowCount(); ++r) {
                    const QModelIndex cell = w.grid()->model()->index(r, c);
                    const QVariant font = cell.data(Qt::FontRole);
                    const QString text = cell.data().toString();
                    QVERIFY2(QFontMetrics(font.isValid() ? font.value<QFont>() : w.grid()->font()).horizontalAdvance(text)
                                 < h->sectionSize(c),
                             qPrintable(text));
                }
            QVERIFY(h->sectionSize(6) < w.grid()->viewport()->width() / 8); // "Arch." as narrow as its content

            w.setCurrentRow(3);
            w.command("modifier")->click();
            test::settle(w);
            QCOMPARE(w.size(), shown);
            QCOMPARE(test::outsideScreen(w), QStringList());
            test::saveShot(w, "Vehicules_modification_" + size);
            for (int pick = Vehicules::Type; pick <= Vehicules::Carburant; ++pick) {
                w.pickButton(pick)->click();
                test::settle(w);
                QCOMPARE(test::outsideScreen(w), QStringList());
                if (pick == Vehicules::Carburant)
                    test::saveShot(w, "Vehicules_choix_" + size);
                w.pickCancel()->click();
            }
            w.cancelEntry();
            w.command("filtre")->click();
            test::settle(w);
            QCOMPARE(w.size(), shown);
            QCOMPARE(test::outsideScreen(w), QStringList());
            test::saveShot(w, "Vehicules_filtre_" + size);
            w.cancelFilter();
            test::settle(w);
            QCOMPARE(test::outsideScreen(w), QStringList());
        }
    }
};

KV_SCREEN_TEST_MAIN(FleetRegisterTest)
#include "tst_register.moc"
