// The screen kit: commands, grids, the side panel that never widens its window, the guarded engine
// path and the last-resort guard at the event loop.
#include "core/kit/ArchivePanel.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "harness/ScreenFit.h"
#include "harness/ScriptedUi.h"
#include "harness/TestFolder.h"
#include "platform/db/Database.h"
#include "platform/ui/ErrorLog.h"
#include "platform/ui/GuardedApplication.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QFrame>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTabWidget>
#include <QSet>
#include <QTest>
#include <QVBoxLayout>

using namespace kv;

namespace {

/// A register built from the kit: band, bar, grid and a wide entry panel.
class Register : public QDialog {
public:
    explicit Register(int panelWidth = 420)
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(kit::titleBand(QStringLiteral("Essai"), this));
        bar = new kit::CommandBar(this);
        bar->add(kit::Command::New, QStringLiteral("nouveau"), this, &Register::openEntry);
        bar->add(kit::Command::Quit, QStringLiteral("quitter"), this, &QDialog::reject);
        layout->addWidget(bar);
        grid = new QTableView(this);
        model = new QStandardItemModel(0, 3, this);
        model->setHorizontalHeaderLabels({QStringLiteral("N°"), QStringLiteral("Nom"), QStringLiteral("Arch.")});
        for (int r = 0; r < 30; ++r)
            model->appendRow({new QStandardItem(QString::number(r + 1)),
                              new QStandardItem(QStringLiteral("SARL TRANSPORTS DU GRAND SUD ET FILS %1").arg(r)),
                              new QStandardItem(QStringLiteral("OUI"))});
        grid->setModel(model);
        kit::setupGrid(grid);
        kit::fitColumns(grid, 1);
        side = new kit::SidePanel(panelWidth, this);
        entry = new QWidget(side);
        entry->setObjectName(QStringLiteral("entry"));
        auto* form = new QVBoxLayout(entry);
        for (int i = 0; i < 12; ++i)
            form->addWidget(new QLineEdit(entry));
        form->addWidget(kit::panelButtons(entry).row);
        side->addPanel(entry, [this] { side->close(); });
        auto* body = new QHBoxLayout;
        body->addWidget(grid, 1);
        body->addWidget(side);
        layout->addLayout(body, 1);
        kit::sizeScreen(*this, QSize(900, 500), {side});
    }
    void openEntry() { side->open(entry); }

    kit::CommandBar* bar;
    QTableView* grid;
    QStandardItemModel* model;
    kit::SidePanel* side;
    QWidget* entry;
};

} // namespace

class KitTest : public QObject {
    Q_OBJECT

private slots:
    void twoTestScreens()
    {
        const QList<QScreen*> screens = test::testScreens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens[0]->availableGeometry().size(), QSize(1280, 800));
        QCOMPARE(screens[1]->availableGeometry().size(), QSize(1280, 1024));
    }

    void commandsShareOneLook()
    {
        Register r;
        QToolButton* b = r.bar->command(QStringLiteral("nouveau"));
        QVERIFY(b);
        QCOMPARE(b->text(), QStringLiteral("Nouveau"));
        QCOMPARE(b->toolTip(), QStringLiteral("Nouveau"));
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
        // A screen may say the command in its own words; picture and accelerator stay.
        QToolButton* own = kit::commandButton(&r, kit::Command::Filter, QStringLiteral("f"), QStringLiteral("Filte"));
        QCOMPARE(own->text(), QStringLiteral("Filte"));
        QCOMPARE(own->shortcut(), kit::look(kit::Command::Filter).key);
        r.bar->setCommandsEnabled(false);
        QVERIFY(!r.bar->command(QStringLiteral("quitter"))->isEnabled());
    }

    void acceleratorRunsTheCommand()
    {
        Register r;
        test::showOn(r, test::testScreens().first());
        QVERIFY(r.side->isHidden());
        QVERIFY(QTest::qWaitForWindowActive(&r));
        r.grid->setFocus();
        QTest::keyClick(r.grid, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(r.side->panel(), r.entry); // a shortcut clicks the button after its short animation
    }

    void escapeClosesThePanelBeforeTheScreen()
    {
        Register r;
        test::showOn(r, test::testScreens().first());
        r.openEntry();
        QLineEdit* field = r.entry->findChild<QLineEdit*>();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!r.side->isOpen());
        QVERIFY(r.isVisible());
        QTest::keyClick(r.grid, Qt::Key_Escape);
        QVERIFY(!r.isVisible());
    }

    // ---- one look, one keyboard ------------------------------------------------------------------------

    void everyScreenIsTitledAfterItselfAndTheProgram_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("title");
        QTest::newRow("blank caption, band") << " " << "Véhicules" << "Véhicules — Kavorel";
        QTest::newRow("empty caption, band") << "" << "Salaires" << "Salaires — Kavorel";
        QTest::newRow("own caption") << "  Archiver la base de données " << "Archivage"
                                     << "Archiver la base de données — Kavorel";
        QTest::newRow("no caption, no band") << " " << "" << "Kavorel";
        QTest::newRow("already titled") << "Véhicules — Kavorel" << "Véhicules" << "Véhicules — Kavorel";
        QTest::newRow("rich band") << "" << "<b>Caisse</b> du 12/05/2021" << "Caisse du 12/05/2021 — Kavorel";
    }
    void everyScreenIsTitledAfterItselfAndTheProgram()
    {
        QFETCH(QString, caption);
        QFETCH(QString, band);
        QFETCH(QString, title);
        QDialog d;
        d.setWindowTitle(caption);
        auto* layout = new QVBoxLayout(&d);
        if (!band.isEmpty())
            layout->addWidget(kit::titleBand(band, &d));
        // Through the seam a test uses, as the program's seam does.
        test::ScriptedUi scripted;
        scripted.showModal(d);
        QCOMPARE(d.windowTitle(), title);
        ui::prepareScreen(d); // shown again: the same title
        QCOMPARE(d.windowTitle(), title);
    }

    void everyCommandGetsItsOwnAltKey()
    {
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto* bar = new kit::CommandBar(&d);
        bar->add(kit::Command::New, QStringLiteral("nouveau"));                                   // Alt+N
        QToolButton* neuf = bar->add(kit::Glyph::New, QStringLiteral("Nouvelle ligne"), QStringLiteral("ligne"));
        QToolButton* releve = bar->add(kit::Glyph::Print, QStringLiteral("Relevé"), QStringLiteral("releve"));
        QToolButton* echeance = bar->add(kit::Glyph::Zoom, QStringLiteral("Échéance"), QStringLiteral("echeance"));
        auto* own = new QPushButton(QStringLiteral("&Enregistrer"), &d);                         // its own mnemonic
        auto* day = new QToolButton(&d);
        day->setText(QStringLiteral("12"));
        day->setCheckable(true);
        layout->addWidget(bar);
        layout->addWidget(own);
        layout->addWidget(day);
        ui::prepareScreen(d);
        // "Nouvelle ligne": N is taken, the next word's first letter; "Relevé": R; "Échéance": E is the
        // mnemonic of "Enregistrer", then C.
        QCOMPARE(neuf->shortcut(), QKeySequence(Qt::ALT | Qt::Key_L));
        QCOMPARE(releve->shortcut(), QKeySequence(Qt::ALT | Qt::Key_R));
        QCOMPARE(echeance->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
        QCOMPARE(own->shortcut(), QKeySequence(Qt::ALT | Qt::Key_E)); // its own, left as it is
        QVERIFY(day->shortcut().isEmpty()); // a day of a calendar is no command
        QVERIFY(releve->toolTip().endsWith(QStringLiteral("(Alt+R)")));
        // Shown again: nothing changes.
        ui::prepareScreen(d);
        QCOMPARE(neuf->shortcut(), QKeySequence(Qt::ALT | Qt::Key_L));
    }

    void commandsOfDifferentTabsMayShareALetter()
    {
        // A hidden tab's keys do nothing: each page's commands get their letters among themselves and the
        // commands outside the tabs, which every page is shown with.
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto* outside = new kit::CommandBar(&d);
        QToolButton* fermer = outside->add(kit::Glyph::Quit, QStringLiteral("Fermer"), QStringLiteral("fermer"));
        auto* tabs = new QTabWidget(&d);
        QList<QList<QToolButton*>> pages;
        for (int p = 0; p < 2; ++p) {
            auto* page = new QWidget;
            auto* pageLayout = new QVBoxLayout(page);
            QList<QToolButton*> commands;
            for (int bar = 0; bar < 3; ++bar) { // three lists on one page, as the follow-ups are
                auto* b = new kit::CommandBar(page);
                for (const char* text : {"Nouveau", "Modifier", "Supprimer"})
                    commands << b->add(kit::Glyph::New, QString::fromLatin1(text), QStringLiteral("c%1%2").arg(p).arg(commands.size()));
                pageLayout->addWidget(b);
            }
            tabs->addTab(page, QStringLiteral("Page %1").arg(p));
            pages << commands;
        }
        layout->addWidget(outside);
        layout->addWidget(tabs);
        ui::prepareScreen(d);
        QCOMPARE(fermer->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F));
        for (const QList<QToolButton*>& commands : pages) {
            QSet<QKeyCombination> keys;
            for (QToolButton* b : commands) {
                QVERIFY2(!b->shortcut().isEmpty(), qPrintable(b->text()));
                keys.insert(b->shortcut()[0]);
            }
            QCOMPARE(keys.size(), commands.size());
            QVERIFY(!keys.contains(fermer->shortcut()[0]));
        }
        // The same commands on both pages take the same letters.
        for (int i = 0; i < pages[0].size(); ++i)
            QCOMPARE(pages[1][i]->shortcut(), pages[0][i]->shortcut());
    }

    void returnRunsTheDefaultCommand()
    {
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto* field = new QLineEdit(&d);
        auto* bar = new kit::CommandBar(&d);
        int ok = 0, cancelled = 0;
        QToolButton* confirm = bar->add(kit::Command::Confirm, QStringLiteral("ok"));
        QToolButton* cancel = bar->add(kit::Command::Cancel, QStringLiteral("annuler"));
        QObject::connect(confirm, &QToolButton::clicked, &d, [&] { ++ok; });
        QObject::connect(cancel, &QToolButton::clicked, &d, [&] { ++cancelled; });
        layout->addWidget(field);
        layout->addWidget(bar);
        kit::setDefaultCommand(d, confirm);
        QVERIFY(confirm->font().bold());
        test::showOn(d, test::testScreens().first());
        QVERIFY(QTest::qWaitForWindowActive(&d));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(ok, 1);
        QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ok, 2);
        // A command in focus runs itself.
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QCOMPARE(cancelled, 1);
        QCOMPARE(ok, 2);
        // A disabled default does nothing.
        field->setFocus();
        confirm->setEnabled(false);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(ok, 2);
    }

    void enterChoosesTheLineOfAList()
    {
        Register r;
        QList<int> chosen;
        int defaults = 0;
        kit::onChoose(r.grid, [&](int row) { chosen << row; });
        QToolButton* q = r.bar->command(QStringLiteral("quitter"));
        QObject::connect(q, &QToolButton::clicked, &r, [&] { ++defaults; });
        kit::setDefaultCommand(r, q);
        test::showOn(r, test::testScreens().first());
        QVERIFY(QTest::qWaitForWindowActive(&r));
        r.grid->setFocus();
        r.grid->selectRow(4);
        r.grid->setCurrentIndex(r.model->index(4, 0));
        QTest::keyClick(r.grid, Qt::Key_Return);
        QCOMPARE(chosen, QList<int>{4});
        QCOMPARE(defaults, 0); // Enter was the list's
        const QRect cell = r.grid->visualRect(r.model->index(2, 1));
        QTest::mouseClick(r.grid->viewport(), Qt::LeftButton, {}, cell.center()); // the press a double click follows
        QTest::mouseDClick(r.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(chosen, (QList<int>{4, 2}));
        QCOMPARE(r.grid->currentIndex().row(), 2);
    }

    void leavingAsksOnlyWhenSomethingWasTyped_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("saveWorks");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<int>("saves");
        QTest::addColumn<int>("questions");
        QTest::newRow("nothing typed") << false << QList<bool>{} << true << true << 0 << 0;
        QTest::newRow("typed, Non: leaves without saving") << true << QList<bool>{false} << true << true << 0 << 1;
        QTest::newRow("typed, Oui: saves and leaves") << true << QList<bool>{true} << true << true << 1 << 1;
        QTest::newRow("typed, Oui, save refused: stays") << true << QList<bool>{true} << false << false << 1 << 1;
    }
    void leavingAsksOnlyWhenSomethingWasTyped()
    {
        QFETCH(bool, typed);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, saveWorks);
        QFETCH(bool, leaves);
        QFETCH(int, saves);
        QFETCH(int, questions);
        test::ScriptedUi scripted;
        scripted.answers = answers;
        int saved = 0;
        QCOMPARE(kit::mayLeave(scripted, typed, [&] { ++saved; return saveWorks; }), leaves);
        QCOMPARE(saved, saves);
        QCOMPARE(scripted.messages.size(), questions);
        if (questions)
            QCOMPARE(scripted.last(), (test::ShownMessage{kit::kSaveChangesQuestion, ui::Icon::Question,
                                                          QStringLiteral("Z.E.B."), true}));
    }

    void onlyWhatTheUserTypesCounts()
    {
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto* field = new QLineEdit(&d);
        auto* total = kit::totalField(&d, QStringLiteral("total"));
        layout->addWidget(field);
        layout->addWidget(total);
        kit::ChangeWatch watch(&d);
        field->setText(QStringLiteral("written by the screen"));
        total->setText(QStringLiteral("12.00"));
        QVERIFY(!watch.modified());
        QTest::keyClicks(field, QStringLiteral("x"));
        QVERIFY(watch.modified());
        watch.clear();
        QVERIFY(!watch.modified());
    }

    void aListUsesTheHeightOfATallerScreen()
    {
        QList<int> heights;
        int sized = 0;
        for (QScreen* screen : test::testScreens()) {
            Register r;
            sized = r.height(); // as the kit sized it for the smallest screen
            test::showOn(r, screen);
            QCOMPARE(test::outsideScreen(r), QStringList());
            heights << r.height();
        }
        // 1280×800, then 1280×1024: the list takes the 224 pixels more, the smaller screen keeps its size.
        QVERIFY(sized >= 500);
        QCOMPARE(heights[0], sized);
        QCOMPARE(heights[1], sized + 224);
        // A small dialog keeps its size.
        QDialog small;
        auto* l = new QVBoxLayout(&small);
        auto* grid = new QTableView(&small);
        l->addWidget(grid);
        kit::sizeScreen(small, QSize(400, 300));
        test::showOn(small, test::testScreens().last());
        QCOMPARE(small.height(), 300);
    }

    void deletionQuestionsDefaultToNo()
    {
        test::ScriptedUi scripted;
        scripted.answers = {true, true};
        QVERIFY(scripted.askDefaultNo(QStringLiteral("Confirmer suppression de la ligne N° 3")));
        QVERIFY(scripted.ask(QStringLiteral("Veuiller Confirmer Fin de Travail !!")));
        QCOMPARE(scripted.defaultNoQuestions, QStringList{QStringLiteral("Confirmer suppression de la ligne N° 3")});
        QCOMPARE(scripted.messages.first().title, QStringLiteral("ZEB"));
    }

    void freeTextColumnTakesTheSpareWidth()
    {
        Register r;
        test::showOn(r, test::testScreens().first());
        QHeaderView* h = r.grid->horizontalHeader();
        QCOMPARE(h->sectionResizeMode(1), QHeaderView::Stretch);
        QCOMPARE(h->sectionResizeMode(2), QHeaderView::ResizeToContents);
        QVERIFY(h->sectionSize(1) > h->sectionSize(0) + h->sectionSize(2));
        // A flag column is as wide as its content, not half the grid.
        QVERIFY(h->sectionSize(2) < r.grid->viewport()->width() / 4);
    }

    void panelOpensInsideTheWindowOnEveryScreen()
    {
        for (QScreen* screen : test::testScreens()) {
            Register r(520);
            test::showOn(r, screen);
            const QSize before = r.size();
            QCOMPARE(test::outsideScreen(r), QStringList());
            r.openEntry();
            test::settle(r);
            QCOMPARE(r.size(), before);
            QCOMPARE(test::outsideScreen(r), QStringList());
            r.side->close();
            test::settle(r);
            QCOMPARE(r.size(), before);
        }
    }

    void aWindowTooLargeIsBoundedByTheScreen()
    {
        Register r;
        r.resize(2400, 1600);
        test::showOn(r, test::testScreens().first());
        QCOMPARE(test::outsideScreen(r), QStringList());
        // It cannot be made larger than the screen later either.
        r.resize(2400, 1600);
        test::settle(r);
        QCOMPARE(test::outsideScreen(r), QStringList());
    }

    void theCheckSeesAWidgetOffTheWindow()
    {
        Register r;
        test::showOn(r, test::testScreens().first());
        auto* stray = new QLabel(QStringLiteral("hors"), &r);
        stray->setObjectName(QStringLiteral("stray"));
        stray->move(r.width() - 5, 10);
        stray->show();
        const QStringList problems = test::outsideScreen(r);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().startsWith(QStringLiteral("stray")));
    }

    void engineErrorIsShownAndTheCallReportsIt()
    {
        test::ScriptedUi ui;
        test::TestFolder folder(false);
        db::Database d;
        d.open(folder.file(QStringLiteral("t.db")), db::Database::Mode::Create);
        d.execute(QStringLiteral("CREATE TABLE t (num INTEGER)"));
        d.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON t BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END"));
        const bool ok = kit::guarded(ui, [&] {
            db::Transaction t(d);
            d.execute(QStringLiteral("INSERT INTO t VALUES (1)"));
            t.commit();
        });
        QVERIFY(!ok);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.last().text, QStringLiteral("écriture refusée"));
        QCOMPARE(ui.last().icon, ui::Icon::Critical);
        QCOMPARE(ui.last().title, QStringLiteral("Z.E.B."));
        QCOMPARE(d.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
        QVERIFY(kit::guarded(ui, [] {}));
        QCOMPARE(ui.messages.size(), 1);
    }

    void lastResortGuardShowsLogsAndGoesOn()
    {
        // The test application is the program's own guarded application.
        auto* app = dynamic_cast<ui::GuardedApplication*>(QCoreApplication::instance());
        QVERIFY(app);
        test::TestFolder folder(false);
        ui::errorLog().setPath(folder.file(ui::kErrorLogName));
        test::ScriptedUi scripted;
        app->setUi(&scripted);
        struct Stop {};
        bool stopped = false;
        app->setHandler([&](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const Stop&) {
                stopped = true;
                return true;
            } catch (...) {
            }
            return false;
        });

        Register r;
        test::showOn(r, test::testScreens().first());
        QToolButton* b = r.bar->command(QStringLiteral("nouveau"));
        QObject::connect(b, &QToolButton::clicked, &r, [] { throw db::Error(QStringLiteral("disque plein")); });
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(scripted.messages.size(), 1);
        QCOMPARE(scripted.last().text, QStringLiteral("disque plein"));
        QCOMPARE(scripted.last().icon, ui::Icon::Critical);
        QVERIFY(r.isVisible());
        QVERIFY(QString::fromUtf8(folder.read(ui::kErrorLogName)).contains(QStringLiteral("disque plein")));

        // What the program handles itself (its end request) is handed over, not shown.
        QToolButton* q = r.bar->command(QStringLiteral("quitter"));
        QObject::connect(q, &QToolButton::pressed, &r, [] { throw Stop{}; });
        QTest::mouseClick(q, Qt::LeftButton);
        QVERIFY(stopped);
        QCOMPARE(scripted.messages.size(), 1);

        app->setUi(nullptr);
        app->setHandler({});
        ui::errorLog().setPath(QString());
    }

    // ---- the archive filter panel -------------------------------------------------------------------------

    void theArchivePanelShowsAndGivesItsFilter_data()
    {
        QTest::addColumn<int>("filterValue");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("text");
        QTest::newRow("archived") << int(kit::ArchiveFilter::Archives) << "archives" << "Archivés";
        QTest::newRow("recent") << int(kit::ArchiveFilter::Recents) << "recents" << "Récents";
        QTest::newRow("all") << int(kit::ArchiveFilter::Ensemble) << "ensemble" << "Ensemble";
    }
    void theArchivePanelShowsAndGivesItsFilter()
    {
        QFETCH(int, filterValue);
        const auto filter = kit::ArchiveFilter(filterValue);
        QFETCH(QString, option);
        QFETCH(QString, text);
        QWidget screen;
        auto* panel = new kit::ArchivePanel(&screen);
        QCOMPARE(panel->objectName(), QStringLiteral("panneauFiltre"));
        // It opens on "Ensemble".
        QCOMPARE(panel->chosen(), kit::ArchiveFilter::Ensemble);
        QRadioButton* button = panel->findChild<QRadioButton*>(option);
        QVERIFY(button);
        QCOMPARE(panel->option(filter), button);
        QCOMPARE(button->text(), text);
        QCOMPARE(kit::archiveFilterText(filter), text);

        // Shown on a list's filter, then the user's choice is what it gives.
        panel->setChosen(filter);
        QVERIFY(button->isChecked());
        QCOMPARE(panel->chosen(), filter);
        for (kit::ArchiveFilter other : {kit::ArchiveFilter::Archives, kit::ArchiveFilter::Recents, kit::ArchiveFilter::Ensemble}) {
            panel->option(other)->click();
            QCOMPARE(panel->chosen(), other);
            QVERIFY(!button->isChecked() || other == filter);
        }

        // Its commands say which was pressed, and only that.
        QSignalSpy confirmed(panel, &kit::ArchivePanel::confirmed);
        QSignalSpy cancelled(panel, &kit::ArchivePanel::cancelled);
        QCOMPARE(panel->confirmButton(), panel->findChild<QToolButton*>(QStringLiteral("filtreValider")));
        QCOMPARE(panel->cancelButton(), panel->findChild<QToolButton*>(QStringLiteral("filtreAnnuler")));
        panel->confirmButton()->click();
        QCOMPARE(confirmed.size(), 1);
        QCOMPARE(cancelled.size(), 0);
        panel->cancelButton()->click();
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(confirmed.size(), 1);
    }

    // ---- fields and the criteria panel --------------------------------------------------------------------

    void aTextFieldHoldsItsLongestContentWhole_data()
    {
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("widest");
        QTest::newRow("a date") << 10 << "88/88/88888";
        QTest::newRow("a year") << 4 << "88888";
        QTest::newRow("no limit, no width") << 0 << "";
    }
    void aTextFieldHoldsItsLongestContentWhole()
    {
        QFETCH(int, maxLength);
        QFETCH(QString, widest);
        QWidget parent;
        QLineEdit* e = kit::textField(&parent, QStringLiteral("champ"), maxLength, widest);
        QCOMPARE(e->parent(), &parent);
        QCOMPARE(e->objectName(), QStringLiteral("champ"));
        QCOMPARE(e->maxLength(), maxLength > 0 ? maxLength : QLineEdit().maxLength());
        if (widest.isEmpty()) {
            QCOMPARE(e->maximumWidth(), QWIDGETSIZE_MAX);
            return;
        }
        // As wide as its longest content, and never squeezed below it.
        QCOMPARE(e->minimumWidth(), e->maximumWidth());
        e->setText(QString(maxLength, u'8'));
        QVERIFY(e->fontMetrics().horizontalAdvance(e->text()) < e->width());
    }

    void theCriteriaStandAsOneBlockUnderTheHeading()
    {
        QWidget panel;
        auto* heading = kit::titleBand(QStringLiteral("Recherche  Rapide"), &panel);
        auto* frame = new QFrame(&panel);
        frame->setFixedSize(300, 120);
        auto* bar = new kit::CommandBar(&panel);
        bar->addStretch();
        bar->add(kit::Command::Search, QStringLiteral("rechercher"));
        kit::layCriteria(&panel, heading, frame, bar);
        panel.resize(800, 500);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // The heading across the top, the frame centred below it, its commands right under it.
        QCOMPARE(heading->geometry().top(), 0);
        QCOMPARE(heading->width(), panel.width());
        QVERIFY(frame->geometry().top() > heading->geometry().bottom() + 10);
        QVERIFY(std::abs(frame->geometry().center().x() - panel.rect().center().x()) <= 1);
        QVERIFY(bar->geometry().top() > frame->geometry().bottom());
        QVERIFY(bar->geometry().top() - frame->geometry().bottom() <= 10);
        // More room above the block than nothing, less than below it.
        QVERIFY(frame->geometry().top() - heading->geometry().bottom() < panel.height() - bar->geometry().bottom());
    }
};

KV_SCREEN_TEST_MAIN(KitTest)
#include "tst_kit.moc"
