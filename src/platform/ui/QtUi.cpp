#include "QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

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

QRect availableArea(const QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void centreWindow(QWidget& window)
{
    const QRect area = availableArea(window);
    if (!area.isValid())
        return;
    QSize size = window.frameGeometry().size().isValid() ? window.frameGeometry().size() : window.size();
    if (!window.isVisible())
        size += kFrameAllowance;
    const int x = area.x() + area.width() / 2 - size.width() / 2;
    const int y = area.y() + area.height() / 2 - size.height() / 2;
    window.move(std::max(x, area.x()), std::max(y, area.y()));
}

void placeOnScreen(QWidget& window)
{
    // A screen that chose its own size keeps it; others take the size their layout asks for.
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    const QRect area = availableArea(window);
    // A list screen takes the height a screen taller than the smallest one offers, so that its lists
    // show more lines (its layout at the smallest screen stays as it was).
    if (const QVariant base = window.property(kListHeightProperty); base.isValid() && area.isValid())
        window.resize(window.width(), std::max(window.height(), base.toInt() + std::max(0, area.height() - kSmallestScreenHeight)));
    if (area.isValid()) {
        const QSize limit = area.size() - kFrameAllowance;
        window.setMinimumSize(window.minimumSizeHint().boundedTo(limit).boundedTo(window.size()).expandedTo(QSize(0, 0)));
        window.setMaximumSize(window.maximumSize().boundedTo(limit));
        window.resize(window.size().boundedTo(limit));
    }
    centreWindow(window);
}

void QtUi::beep() { QApplication::beep(); }

int QtUi::showModal(QDialog& screen)
{
    prepareScreen(screen);
    placeOnScreen(screen);
    return screen.exec();
}

void QtUi::showReport(const QString& pdfPath, const QString& title)
{
    if (viewer_)
        viewer_(pdfPath, title);
}

bool QtUi::openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

QString QtUi::chooseSaveFile(const QString& title, const QString& proposedPath, const QString& filters,
                             QString* chosenFilter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposedPath, filters, chosenFilter);
}

void QtUi::showMessage(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtUi::askQuestion(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    box.setDefaultButton(noByDefault() ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace kv::ui
