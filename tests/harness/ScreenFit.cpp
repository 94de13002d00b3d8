#include "ScreenFit.h"

#include "platform/ui/Ui.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kv::test {

void useTestScreens()
{
    // One file per test process: tests run side by side.
    const QString path = QDir::temp().filePath(QStringLiteral("kavorel-test-screens-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(R"({"screens": [
            {"name": "small", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "large", "x": 1280, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
        ]})");
        file.close();
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + QFile::encodeName(path));
}

QList<QScreen*> testScreens()
{
    QList<QScreen*> screens = QGuiApplication::screens();
    std::sort(screens.begin(), screens.end(),
              [](QScreen* a, QScreen* b) { return a->geometry().height() < b->geometry().height(); });
    return screens;
}

void settle(QWidget& window)
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void showOn(QWidget& window, QScreen* screen)
{
    window.hide();
    window.move(screen->geometry().topLeft());
    window.setScreen(screen);
    ui::placeOnScreen(window);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    settle(window);
}

namespace {

QString describe(const QWidget& w, const QRect& rect)
{
    QString name = w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className()) : w.objectName();
    return QStringLiteral("%1 at (%2,%3 %4×%5)").arg(name).arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

/// A widget inside a scrolled area is seen through that area: the area is judged, not the widget.
bool insideScrolledArea(const QWidget& w, const QWidget& window)
{
    for (const QWidget* p = w.parentWidget(); p && p != &window; p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p))
            return true;
    return false;
}

} // namespace

QStringList outsideScreen(const QWidget& window)
{
    QStringList problems;
    const QScreen* screen = window.screen();
    if (!screen)
        return {QStringLiteral("no screen")};
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    if (!area.contains(frame))
        problems << QStringLiteral("window ") + describe(window, frame) + QStringLiteral(" beyond the screen");
    const QRect inside(window.mapToGlobal(QPoint(0, 0)), window.size());
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow())
            continue;
        if (insideScrolledArea(*w, window))
            continue;
        const QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
        if (!inside.contains(r) || !area.contains(r))
            problems << describe(*w, r);
    }
    return problems;
}

void saveShot(QWidget& window, const QString& name)
{
    const QByteArray folder = qgetenv("KV_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + QStringLiteral(".png")));
}

} // namespace kv::test
