#include "QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace kv::ui {

namespace {
QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::NoIcon: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void centreWindow(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size().isValid() ? window.frameGeometry().size() : window.size();
    window.move(area.x() + area.width() / 2 - size.width() / 2, area.y() + area.height() / 2 - size.height() / 2);
}

void QtUi::beep() { QApplication::beep(); }

int QtUi::showModal(QDialog& screen)
{
    // A screen that chose its own size keeps it; others take the size their layout asks for.
    if (!screen.testAttribute(Qt::WA_Resized))
        screen.adjustSize();
    centreWindow(screen);
    return screen.exec();
}

void QtUi::showReport(const QString& pdfPath, const QString& title)
{
    if (viewer_)
        viewer_(pdfPath, title);
}

bool QtUi::openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

void QtUi::showMessage(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtUi::askQuestion(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace kv::ui
