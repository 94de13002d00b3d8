#pragma once
// Screens that fit: the test application gets two screens of the sizes the program must fit
// (1280×800 and 1280×1024, side by side), and a check that lists every visible widget of a window
// that lies outside the screen's usable area or outside the window itself.
//
//   KV_SCREEN_TEST_MAIN(VehicleRegisterTest)       // in place of QTEST_MAIN
//   for (QScreen* screen : kv::test::testScreens()) {
//       kv::test::showOn(dialog, screen);          // placed as the program places a modal screen
//       QCOMPARE(kv::test::outsideScreen(dialog), QStringList());
//       dialog.startNew();                          // a panel opens: check again
//       QCOMPARE(kv::test::outsideScreen(dialog), QStringList());
//   }
#include "platform/ui/GuardedApplication.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTest>

class QScreen;
class QWidget;

namespace kv::test {

/// Makes the offscreen platform offer the two test screens. Call before the application is created.
void useTestScreens();
/// The test screens, smallest first (1280×800, then 1280×1024).
QList<QScreen*> testScreens();
/// Moves `window` to `screen`, places it there as the program places a modal screen (size bounded by
/// the usable area, centred), shows it and lets its layout settle.
void showOn(QWidget& window, QScreen* screen);
/// Lets the window's layout settle after a change of state (a panel opened or closed).
void settle(QWidget& window);
/// Descriptions of the visible widgets of `window` (and the window itself) that lie, even in part,
/// outside its screen's usable area or outside the window. Empty when everything fits. Widgets inside a
/// scrolled area are judged by the area that shows them.
QStringList outsideScreen(const QWidget& window);
/// Saves a picture of the window (for looking at it) when KV_SCREENSHOTS names a folder.
void saveShot(QWidget& window, const QString& name);

} // namespace kv::test

#define KV_SCREEN_TEST_MAIN(TestObject)                                                                            \
    int main(int argc, char** argv)                                                                                \
    {                                                                                                              \
        kv::test::useTestScreens();                                                                                \
        kv::ui::GuardedApplication app(argc, argv);                                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                   \
        TestObject tc;                                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                                      \
    }
