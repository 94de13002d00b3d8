// The core's own screens fit the smallest supported screen and the usual larger one: the first-exercise
// dialog, the password prompt and screen, the about box, the presentation and the picture choice.
#include "harness/CoreFixture.h"
#include "core/about/Auteur.h"
#include "core/about/FP_imge.h"
#include "core/about/F_HLP.h"
#include "core/about/MainPictures.h"
#include "core/passwords/Form_v2.h"
#include "core/passwords/New_MPS.h"
#include "core/startup/Form12.h"
#include "harness/ScreenFit.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

using namespace kv;
using namespace kv::test;

class CoreScreensTest : public QObject {
    Q_OBJECT

    using Make = std::function<std::unique_ptr<QDialog>(Session&, MainPictures&)>;

private slots:
    void fitsEveryScreen_data()
    {
        QTest::addColumn<Make>("make");
        QTest::newRow("Form12") << Make([](Session& s, MainPictures&) { return std::make_unique<Form12>(s); });
        QTest::newRow("Form_v2") << Make([](Session& s, MainPictures&) {
            s.dialogValue = 1;
            return std::make_unique<Form_v2>(s);
        });
        QTest::newRow("New_MPS") << Make([](Session& s, MainPictures&) { return std::make_unique<New_MPS>(s); });
        QTest::newRow("Auteur") << Make([](Session& s, MainPictures&) { return std::make_unique<Auteur>(s); });
        QTest::newRow("F_HLP") << Make([](Session& s, MainPictures&) { return std::make_unique<F_HLP>(s); });
        QTest::newRow("FP_imge") << Make([](Session& s, MainPictures& p) { return std::make_unique<FP_imge>(s, p); });
    }

    void fitsEveryScreen()
    {
        QFETCH(Make, make);
        CoreFixture f;
        f.openExercise();
        MainPictures pictures;
        for (QScreen* screen : testScreens()) {
            std::unique_ptr<QDialog> dialog = make(*f.session, pictures);
            showOn(*dialog, screen);
            QCOMPARE(outsideScreen(*dialog), QStringList());
            saveShot(*dialog, QStringLiteral("%1-%2").arg(QString::fromLatin1(QTest::currentDataTag())).arg(screen->geometry().height()));
            dialog->hide();
        }
    }

    // ---- keys and names -----------------------------------------------------------------------------

    void confirmingCommandIsTheDefault()
    {
        CoreFixture f;
        f.openExercise();
        {
            Form12 form(*f.session);
            QVERIFY(form.okButton()->property("commandeParDefaut").toBool());
            QVERIFY(form.okButton()->font().bold());
            QVERIFY(!form.quitButton()->font().bold());
        }
        {
            f.session->dialogValue = 1;
            Form_v2 prompt(*f.session);
            QVERIFY(prompt.confirmButton()->property("commandeParDefaut").toBool());
        }
        // The password screen: Return that no field takes saves the level of the tab shown.
        f.ui.clear();
        New_MPS screen(*f.session);
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        for (int level : {1, 2}) {
            QVERIFY(screen.tab(level).save->font().bold());
            screen.tabs()->setCurrentIndex(level - 1);
            screen.tab(level).current->setText(QStringLiteral("faux"));
            screen.tabs()->tabBar()->setFocus();
            QTest::keyClick(screen.tabs()->tabBar(), Qt::Key_Return);
            QCOMPARE(screen.failures(), level);
        }
        QCOMPARE(f.ui.messages.size(), 2);
        QCOMPARE(f.ui.last().text, QStringLiteral("Contrôle négatif"));
    }

    // The password screen opens with the keyboard in "Mot actuel", and each tab chosen puts it in its own.
    void thePasswordScreenStartsInItsFirstField()
    {
        CoreFixture f;
        f.openExercise();
        New_MPS screen(*f.session);
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QCOMPARE(QApplication::focusWidget(), screen.tab(1).current);
        screen.tabs()->setCurrentIndex(1);
        QCOMPARE(QApplication::focusWidget(), screen.tab(2).current);
        screen.tabs()->setCurrentIndex(0);
        QCOMPARE(QApplication::focusWidget(), screen.tab(1).current);
    }

    void everyFieldIsNamedByItsLabel()
    {
        CoreFixture f;
        f.openExercise();
        const auto name = [](QWidget* w) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            return a ? a->text(QAccessible::Name) : QString();
        };
        Form12 form(*f.session);
        QCOMPARE(name(form.yearField()), QStringLiteral("Exercice Initial"));
        f.session->dialogValue = 2;
        Form_v2 prompt(*f.session);
        QCOMPARE(name(prompt.passwordField()), prompt.levelLabel()->text());
        New_MPS screen(*f.session);
        QCOMPARE(name(screen.tab(1).current), QStringLiteral("Mot actuel"));
        QCOMPARE(name(screen.tab(2).fresh), QStringLiteral("Nouveau"));
        QCOMPARE(name(screen.tab(2).confirmation), QStringLiteral("Confirmation"));
    }
};

KV_SCREEN_TEST_MAIN(CoreScreensTest)
#include "tst_core_screens.moc"
