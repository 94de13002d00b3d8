// The main window: menu entries, the level-2 guard and the checks before screens, closing and its
// undo, the display choices, the shortcut labels and the exit.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "app/Form1.h"
#include "app/ScreenTable.h"
#include "core/about/MainPictures.h"
#include "core/passwords/Form_v2.h"
#include "core/startup/Startup.h"
#include "platform/os/Display.h"

#include <QAction>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QTest>

using namespace kv;
using namespace kv::test;
using ui::Icon;

/// What a row of a table writes before its entry: vehicles and persons through the seed builders, then
/// statements of its own.
struct Setup {
    QList<kv::test::seed::Vehicle> vehicles;
    QList<kv::test::seed::Person> persons;
    QString sql;
    void write(kv::db::Database& db) const
    {
        for (const auto& v : vehicles)
            kv::test::seed::vehicle(db, v);
        for (const auto& p : persons)
            kv::test::seed::person(db, p);
        if (!sql.isEmpty())
            db.executeScript(sql);
    }
};
Q_DECLARE_METATYPE(Setup)

namespace {

class FakeDisplay : public os::Display {
public:
    QList<QSize> applied;
    QSize currentSize() const override { return {1280, 1024}; }
    void setSize(QSize size) override { applied << size; }
};

ScriptedUi::ScreenScript typePassword(const QStringList& entries)
{
    return [entries](QDialog& d) {
        auto& prompt = static_cast<Form_v2&>(d);
        for (const QString& e : entries) {
            prompt.passwordField()->setText(e);
            prompt.confirmButton()->click();
            if (prompt.result() != 0)
                break;
        }
        return prompt.result();
    };
}

const QStringList kScreenNames = {"Identif0", "Chrges", "Cloturex", "VoirExercice", "F_Arch2_0", "F_Arch2_1", "Mecano2",
                                  "Initials1", "Initials2", "Initials3", "Initials4", "Vehicules", "J_Chauff", "J_clients",
                                  "F_Location", "J_Recettes", "j_AGENT", "Salaires", "Identif1", "Identif2", "f_jrnl2",
                                  "F_HLP", "Auteur", "FP_imge", "F_Echeances", "F_CoutVehicules", "F_Identite", "Connexion"};

ShownMessage m(const QString& text, Icon icon, const QString& title) { return {text, icon, title, false}; }

} // namespace

class Form1Test : public FixtureTest {
    Q_OBJECT

    std::unique_ptr<MainPictures> pictures_;
    FakeDisplay display_;
    QStringList opened_;
    QList<QDate> calendarShown_;
    QDate calendarAnswer_;
    QList<QDate> cashBooks_;
    bool confirmUndo_ = false;
    int undone_ = 0;
    int restarts_ = 0;
    QString dueNotice_;
    std::unique_ptr<Form1> w_;


    /// The main window with every screen (each recorded in opened_ when opened), or with none.
    void makeWindow(bool allScreens = true)
    {
        ScreenOpeners openers;
        if (allScreens) {
            for (const QString& name : kScreenNames)
                openers.screens.insert(name, [this, name] { opened_ << name; });
            openers.confirmUndo = [this] { return confirmUndo_; };
            openers.undoClosing = [this] { ++undone_; };
            openers.chooseDate = [this](QDate first) {
                calendarShown_ << first;
                return calendarAnswer_;
            };
            openers.cashBook = [this](QDate d) { cashBooks_ << d; };
        }
        openers.restart = [this] {
            ++restarts_;
            return true;
        };
        openers.notice = [this] { return dueNotice_; };
        w_ = std::make_unique<Form1>(s(), *pictures_, display_, openers);
    }

    void setLevel2(const QString& password)
    {
        f_->folder->write("ZEB.CFG", cfgBytes({{2, ProtectedSettings::encodePassword(password, 7)}}));
        s().settings.load(f_->folder->file("ZEB.CFG"));
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        pictures_ = std::make_unique<MainPictures>();
        display_.applied.clear();
        opened_.clear();
        calendarShown_.clear();
        cashBooks_.clear();
        calendarAnswer_ = QDate();
        confirmUndo_ = false;
        undone_ = 0;
        restarts_ = 0;
        makeWindow();
    }
    void cleanup()
    {
        w_.reset();
        pictures_.reset();
        f_.reset();
    }

    void menuBarInOrder()
    {
        QStringList titles;
        for (QAction* a : w_->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&Fichiers", "Initialisations", "&Mouvements", "&Editions", "?"}));
        QStringList fichiers;
        for (QAction* a : w_->menuBar()->actions().first()->menu()->actions())
            fichiers << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(fichiers, (QStringList{"&Paramétrages", "&Exercice", "-", "Sauvegarde", "Importation", "-", "&Verrouillage",
                                        "&Réparer une base", "-", "&Quitter"}));
        QStringList initialisations;
        for (QAction* a : w_->menuBar()->actions()[1]->menu()->actions())
            initialisations << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(initialisations, (QStringList{"Types (Véhicule)", "Marques", "Modèles", "Carburants", "-", "Véhicules", "Chauffeurs"}));
        QStringList mouvements;
        for (QAction* a : w_->menuBar()->actions()[2]->menu()->actions())
            mouvements << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(mouvements, (QStringList{"Clients", "Location", "Recettes diverses", "-", "Agents", "&Salaires"}));
        QCOMPARE(w_->action("calcul")->text(), QStringLiteral("Calcul / Correction"));
        QCOMPARE(w_->action("rapport")->text(), QStringLiteral("&Rapport d'activité"));
        QCOMPARE(w_->action("a_propos")->text(), QStringLiteral("&A propos ..."));
        QCOMPARE(w_->action("annuler_cloture")->text(), QStringLiteral("&Annuler derniere clôture"));
        QCOMPARE(w_->windowTitle(), QStringLiteral("Kavorel"));
        QCOMPARE(w_->titleLabel()->text(), QStringLiteral("Kavorel"));
        QCOMPARE(w_->headerLine(3)->text(), QStringLiteral("Année  2021"));
    }

    // Every menu of the bar opens from the keyboard: by the letter of its title, and "Initialisations",
    // whose title has none, by Alt+I.
    void everyMenuOpensByItsAltKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("menu");
        QTest::newRow("Fichiers") << int(Qt::Key_F) << 0;
        QTest::newRow("Initialisations") << int(Qt::Key_I) << 1;
        QTest::newRow("Mouvements") << int(Qt::Key_M) << 2;
        QTest::newRow("Editions") << int(Qt::Key_E) << 3;
    }
    void everyMenuOpensByItsAltKey()
    {
        QFETCH(int, key);
        QFETCH(int, menu);
        w_->show();
        QVERIFY(QTest::qWaitForWindowActive(w_.get()));
        QTest::keyClick(w_.get(), Qt::Key(key), Qt::AltModifier);
        QMenu* opened = w_->menuBar()->actions()[menu]->menu();
        QTRY_VERIFY(opened->isVisible());
        opened->close();
    }

    void entriesWithoutTheirScreenStayEnabled()
    {
        makeWindow(false);
        for (const QString& name : w_->actionNames())
            QVERIFY2(w_->action(name)->isEnabled(), qPrintable(name));
        for (int i = 0; i < 9; ++i)
            QVERIFY(w_->shortcutLabel(i)->isEnabled());
    }

    void checksBeforeThePasswordComeFirst_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<Setup>("setup");            // written first
        QTest::addColumn<QString>("checkMessage");   // the entry's own check that fails first

        const seed::Vehicle vehicle{.num = 1};
        QTest::newRow("another exercise with only one") << "voir_exercice" << Setup{} << "Un seul exercice rencontré";
        QTest::newRow("location without vehicle") << "location" << Setup{} << "Initialisation des véhicules préalable";
        QTest::newRow("location without client") << "location" << Setup{{vehicle}} << "Initialisation des clients préalable";
        QTest::newRow("pay without salaried agent") << "calcul" << Setup{} << "Aucun agent salarié enregistré";
        QTest::newRow("employer charges before any closed month") << "charges_patronales" << Setup{} << "Aucune paye calculée";
    }
    void checksBeforeThePasswordComeFirst()
    {
        QFETCH(QString, entry);
        QFETCH(Setup, setup);
        QFETCH(QString, checkMessage);
        makeWindow();
        setLevel2("CLE");
        setup.write(s().db());
        w_->action(entry)->trigger();
        QCOMPARE(ui().screens, QStringList{});   // no password prompt
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().messages.first().text, checkMessage);   // its icon and title: guardsAndChecks
        QVERIFY(opened_.isEmpty());
        QCOMPARE(restarts_, 0);
        QVERIFY(s().isOpen());
    }

    void theProgramsTableHasEveryScreenTheWindowOpens()
    {
        // Every name a menu entry, a shortcut label or a picture asks for has its screen in the program,
        // and so do the exercise operations the window runs: no entry is left without its screen.
        Form1* window = nullptr;
        const ScreenOpeners openers = screenOpeners(s(), *pictures_, window);
        QStringList names = openers.screens.keys();
        names.sort();
        QStringList expected = kScreenNames;
        expected << "Guide";   // the guide window ("Aide" menu)
        expected.sort();
        QCOMPARE(names, expected);
        for (const QString& name : expected)
            QVERIFY2(bool(openers.screens.value(name)), qPrintable(name));
        QVERIFY(openers.confirmUndo);
        QVERIFY(openers.undoClosing);
        QVERIFY(openers.chooseDate);
        QVERIFY(openers.cashBook);
        QVERIFY(openers.restart);
        QVERIFY(openers.notice);
    }

    void dueNoticeShowsWhatIsDueAndLeadsToIt()
    {
        dueNotice_ = "Échéances : 2 dépassées, 1 dans les 30 jours";
        makeWindow();
        w_->show();
        QVERIFY(w_->noticeLabel()->isVisible());
        QCOMPARE(w_->noticeLabel()->text(), dueNotice_);
        QVERIFY(ui().messages.isEmpty()); // a notice, never a box
        // Once the due items are dealt with, the notice goes when the screen closes.
        dueNotice_.clear();
        QTest::mouseClick(w_->noticeLabel(), Qt::LeftButton);
        QCOMPARE(opened_, QStringList{"F_Echeances"});
        QVERIFY(w_->noticeLabel()->isHidden());
        // Both new entries open their screens.
        w_->action("echeances")->trigger();
        w_->action("cout_vehicules")->trigger();
        QCOMPARE(opened_, (QStringList{"F_Echeances", "F_Echeances", "F_CoutVehicules"}));
    }

    void passwordScreenIsAlwaysThere()
    {
        makeWindow(false);
        setLevel2("CLE");
        ui().onScreen("Form_v2", typePassword({"CLE"}));
        w_->action("verrouillage")->trigger();
        QCOMPARE(ui().screens, (QStringList{"Form_v2", "New_MPS"}));
        QVERIFY(ui().messages.isEmpty());
    }

    void guardsAndChecks_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("level2");       // level-2 password, empty for none
        QTest::addColumn<Setup>("setup");          // written first
        QTest::addColumn<QStringList>("typed");    // answers to the prompt
        QTest::addColumn<QStringList>("screens");  // screens shown through the seam
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");

        const seed::Vehicle vehicle{.num = 1};
        const seed::Person client{.num = 1, .kind = schema::person::Client};
        QTest::newRow("level 2 open without password") << "vehicules" << "" << Setup{} << QStringList{} << QStringList{}
                                                       << QStringList{"Vehicules"} << "" << 0 << "";
        QTest::newRow("level 2 granted") << "vehicules" << "CLE" << Setup{} << QStringList{"cle"} << QStringList{"Form_v2"}
                                         << QStringList{"Vehicules"} << "" << 0 << "";
        QTest::newRow("level 2 refused") << "vehicules" << "CLE" << Setup{} << QStringList{"a", "b", "c"} << QStringList{"Form_v2"}
                                         << QStringList{} << "Mot d'accès incorrect" << int(Icon::Critical) << "Z.E.B.";
        QTest::newRow("unguarded entry") << "chauffeurs" << "CLE" << Setup{} << QStringList{} << QStringList{}
                                         << QStringList{"J_Chauff"} << "" << 0 << "";
        QTest::newRow("identification guarded") << "identification" << "CLE" << Setup{} << QStringList{"CLE"} << QStringList{"Form_v2"}
                                                << QStringList{"Identif0"} << "" << 0 << "";
        QTest::newRow("firm identity guarded") << "identite" << "CLE" << Setup{} << QStringList{"CLE"} << QStringList{"Form_v2"}
                                               << QStringList{"F_Identite"} << "" << 0 << "";
        QTest::newRow("firm identity refused") << "identite" << "CLE" << Setup{} << QStringList{"a", "b", "c"} << QStringList{"Form_v2"}
                                               << QStringList{} << "Mot d'accès incorrect" << int(Icon::Critical) << "Z.E.B.";
        QTest::newRow("connection guarded") << "connexion" << "CLE" << Setup{} << QStringList{"CLE"} << QStringList{"Form_v2"}
                                            << QStringList{"Connexion"} << "" << 0 << "";
        QTest::newRow("connection refused") << "connexion" << "CLE" << Setup{} << QStringList{"a", "b", "c"} << QStringList{"Form_v2"}
                                            << QStringList{} << "Mot d'accès incorrect" << int(Icon::Critical) << "Z.E.B.";
        QTest::newRow("location without vehicle") << "location" << "" << Setup{} << QStringList{} << QStringList{} << QStringList{}
                                                  << "Initialisation des véhicules préalable" << int(Icon::Critical) << "ATTENTION";
        QTest::newRow("location with archived vehicle only")
            << "location" << "" << Setup{{{.num = 1, .archived = true}}, {client}} << QStringList{} << QStringList{}
            << QStringList{} << "Initialisation des véhicules préalable" << int(Icon::Critical) << "ATTENTION";
        QTest::newRow("location with archived clients only")
            << "location" << ""
            << Setup{{vehicle}, {{.num = 1, .kind = schema::person::Client, .archived = true}, {.num = 2, .kind = schema::person::Chauffeur}}}
            << QStringList{}
            << QStringList{} << QStringList{} << "Initialisation des clients préalable" << int(Icon::Critical) << "ATTENTION";
        QTest::newRow("location ready") << "location" << "CLE" << Setup{{vehicle}, {client}} << QStringList{} << QStringList{}
                                        << QStringList{"F_Location"} << "" << 0 << "";
        QTest::newRow("pay without salaried agent checks before the password")
            << "calcul" << "CLE" << Setup{{}, {{.num = 1, .kind = schema::person::Agent}}} << QStringList{} << QStringList{}
            << QStringList{} << "Aucun agent salarié enregistré" << int(Icon::Critical) << "ATTENTION";
        QTest::newRow("pay with a salaried agent")
            << "calcul" << "CLE" << Setup{{}, {{.num = 1, .kind = schema::person::Agent, .salarie = true}}}
                                                   << QStringList{"CLE"} << QStringList{"Form_v2"} << QStringList{"Salaires"} << "" << 0 << "";
        QTest::newRow("employer charges before any closed month")
            << "charges_patronales" << "CLE" << Setup{} << QStringList{} << QStringList{} << QStringList{} << "Aucune paye calculée"
            << int(Icon::Critical) << "Z.E.B.";
        QTest::newRow("delete a pay with a closed month") << "supprimer_paye" << "" << Setup{.sql = "UPDATE Permn SET M3 = 1;"} << QStringList{}
                                                          << QStringList{} << QStringList{"Identif2"} << "" << 0 << "";
        QTest::newRow("cash book asks the password before checking")
            << "caisse" << "CLE" << Setup{} << QStringList{"CLE"} << QStringList{"Form_v2"} << QStringList{}
            << "Aucun mouvement de fonds enregistré" << int(Icon::Information) << "Z.E.B.";
        QTest::newRow("cash book refused password checks nothing")
            << "caisse" << "CLE" << Setup{} << QStringList{"x", "y", "z"} << QStringList{"Form_v2"} << QStringList{}
            << "Mot d'accès incorrect" << int(Icon::Critical) << "Z.E.B.";
    }
    void guardsAndChecks()
    {
        QFETCH(QString, entry);
        QFETCH(QString, level2);
        QFETCH(Setup, setup);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, screens);
        QFETCH(QStringList, opened);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(QString, title);
        if (!level2.isEmpty())
            setLevel2(level2);
        setup.write(s().db());
        if (!typed.isEmpty())
            ui().onScreen("Form_v2", typePassword(typed));
        s().reportTemplate = "JRNAL_1.RPT";
        w_->action(entry)->trigger();
        QCOMPARE(ui().screens, screens);
        QCOMPARE(opened_, opened);
        QCOMPARE(ui().messages, message.isEmpty() ? QList<ShownMessage>{} : QList<ShownMessage>{m(message, Icon(icon), title)});
        if (entry == "calcul" && !opened.isEmpty())
            QVERIFY(s().reportTemplate.isEmpty());
    }

    void levelOnePasswordAloneGuardsNoEntry()
    {
        f_->folder->write("ZEB.CFG", cfgBytes({{1, ProtectedSettings::encodePassword("UN", 7)}}));
        s().settings.load(f_->folder->file("ZEB.CFG"));
        for (const char* entry : {"vehicules", "verrouillage", "identification", "rapport"})
            w_->action(entry)->trigger();
        QVERIFY(!ui().screens.contains("Form_v2"));
        QCOMPARE(opened_, (QStringList{"Vehicules", "Identif0", "f_jrnl2"}));
    }

    // A fresh installation (this start chose the first exercise) with no firm yet asks for it once.
    void firstStartAsksForTheFirmOnce_data()
    {
        QTest::addColumn<bool>("firstStart");
        QTest::addColumn<QString>("firm");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("fresh installation") << true << "" << QStringList{"F_Identite"};
        QTest::newRow("firm already entered") << true << "SARL Amrani" << QStringList{};
        QTest::newRow("later start") << false << "" << QStringList{};
    }
    void firstStartAsksForTheFirmOnce()
    {
        QFETCH(bool, firstStart);
        QFETCH(QString, firm);
        QFETCH(QStringList, opened);
        if (!firm.isEmpty())
            QVERIFY(s().settings.saveIdentity({{1, firm}}, nullptr));
        s().firstStart = firstStart;
        w_->askIdentityOnFirstStart();
        QCOMPARE(opened_, opened);
        w_->askIdentityOnFirstStart(); // once
        QCOMPARE(opened_, opened);
        QVERIFY(!s().firstStart);
    }

    void cashBookOpensOnTheChosenDay()
    {
        s().db().execute("INSERT INTO Recettes (num, Montant) VALUES (1, 10)");
        calendarAnswer_ = QDate(2021, 3, 15);
        w_->action("caisse")->trigger();
        // The calendar opens on a day of the open exercise: today in it, else its last day.
        QCOMPARE(calendarShown_, QList<QDate>{QDate::currentDate().year() == s().exerciceOuvert ? QDate::currentDate()
                                                                                         : QDate(s().exerciceOuvert, 12, 31)});
        QCOMPARE(cashBooks_, QList<QDate>{QDate(2021, 3, 15)});
        calendarAnswer_ = QDate();
        w_->action("caisse")->trigger();
        QCOMPARE(cashBooks_.size(), 1); // no date chosen: no cash book
    }

    void closingAnOlderExerciseBeeps()
    {
        s().exerciceOuvert = 2020;
        w_->action("cloturer")->trigger();
        QCOMPARE(ui().beeps, 1);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Exercice déja clôturé", Icon::NoIcon, "ZEB")});
        QVERIFY(opened_.isEmpty());
    }

    void closingTheLatestExerciseRefreshesTheHeader()
    {
        w_->headerLine(3)->setText("stale");
        w_->action("cloturer")->trigger();
        QCOMPARE(opened_, QStringList{"Cloturex"});
        QVERIFY(s().dernierExercice);
        QCOMPARE(w_->headerLine(3)->text(), QStringLiteral("Année  2021"));
    }

    void undoOfTheLastClosing()
    {
        setLevel2("CLE");
        ui().onScreen("Form_v2", typePassword({"CLE"}));
        w_->action("annuler_cloture")->trigger(); // "Annuler" in the warning
        QCOMPARE(undone_, 0);
        QVERIFY(ui().messages.isEmpty());
        confirmUndo_ = true;
        ui().onScreen("Form_v2", typePassword({"CLE"}));
        w_->action("annuler_cloture")->trigger();
        QCOMPARE(undone_, 1);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Exercice  2021 en place", Icon::Information, "Z.E.B.")});
    }

    void closingEntriesFollowTheLatestExerciseFlag()
    {
        s().dernierExercice = false;
        w_->reinitialise_les_menus();
        QVERIFY(!w_->action("cloturer")->isEnabled());
        QVERIFY(!w_->action("annuler_cloture")->isEnabled());
        s().dernierExercice = true;
        w_->reinitialise_les_menus();
        QVERIFY(w_->action("cloturer")->isEnabled());
        QVERIFY(w_->action("annuler_cloture")->isEnabled());
    }

    void displayChoices_data()
    {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QList<QSize>>("applied");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("changed");
        QTest::newRow("current choice does nothing") << QStringList{"resolution_origine"} << QList<QSize>{} << "resolution_origine" << false;
        QTest::newRow("small twice changes once") << QStringList{"petite_resolution", "petite_resolution"}
                                                  << QList<QSize>{{1024, 768}} << "petite_resolution" << true;
        QTest::newRow("large then back") << QStringList{"grande_resolution", "resolution_origine"}
                                         << QList<QSize>{{800, 600}, {1280, 1024}} << "resolution_origine" << false;
    }
    void displayChoices()
    {
        QFETCH(QStringList, choices);
        QFETCH(QList<QSize>, applied);
        QFETCH(QString, checked);
        QFETCH(bool, changed);
        s().originalScreenSize = {1280, 1024};
        for (const QString& c : choices)
            w_->action(c)->trigger();
        QCOMPARE(display_.applied, applied);
        for (const char* name : {"resolution_origine", "petite_resolution", "grande_resolution"})
            QCOMPARE(w_->action(name)->isChecked(), checked == name);
        QCOMPARE(s().displayChanged, changed);
    }

    void exitAsksAndRestoresTheDisplay()
    {
        s().originalScreenSize = {1280, 1024};
        w_->action("petite_resolution")->trigger();
        ui().answers = {false};
        QVERIFY(!w_->confirmExit());
        QCOMPARE(ui().messages.last(), (ShownMessage{"Veuiller Confirmer Fin de Travail !!", Icon::NoIcon, "Z.E.B.", true}));
        QVERIFY(s().isOpen());
        QVERIFY(!f_->folder->exists("Archives/ZEB_2021.mdb"));
        ui().answers = {true};
        QVERIFY(w_->confirmExit());
        QVERIFY(!s().isOpen());
        QCOMPARE(display_.applied.last(), QSize(1280, 1024));
        // The exit copies the year's file into Archives; a year on a server has no file to copy.
        QCOMPARE(f_->folder->exists("Archives/ZEB_2021.mdb"), !kv::test::onServer());
    }

    void shortcutLabelsDoWhatTheirEntryDoes()
    {
        setLevel2("CLE");
        ui().onScreen("Form_v2", typePassword({"CLE"}));
        QTest::mouseClick(w_->shortcutLabel(7), Qt::LeftButton); // "Véhicules"
        QCOMPARE(ui().screens, QStringList{"Form_v2"});
        QCOMPARE(opened_, QStringList{"Vehicules"});
        QTest::mouseClick(w_->shortcutLabel(0), Qt::LeftButton); // "Chauffeurs"
        QCOMPARE(opened_.last(), QStringLiteral("J_Chauff"));
        QCOMPARE(w_->shortcutLabel(5)->text(), QStringLiteral("Caisse"));
        QTest::mouseClick(w_->titleLabel(), Qt::LeftButton);
        QCOMPARE(opened_.last(), QStringLiteral("Auteur"));
        QTest::mouseClick(w_->changePictureLabel(), Qt::LeftButton);
        QCOMPARE(opened_.last(), QStringLiteral("FP_imge"));
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
