// The screen kit: commands, grids, the side panel that never widens its window, the guarded engine
// path and the last-resort guard at the event loop.
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
#include <QScreen>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
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
};

KV_SCREEN_TEST_MAIN(KitTest)
#include "tst_kit.moc"
