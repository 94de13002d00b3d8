#pragma once
// The seam between the program's logic and the window system: message boxes, beeps, modal screens,
// report previews and desktop requests. Production uses QtUi; tests use a scripted implementation
// that answers from a queue and records everything shown.
#include <QRect>
#include <QSize>
#include <QString>

class QDialog;
class QWidget;

namespace kv::ui {

enum class Icon { NoIcon, Critical, Question, Exclamation, Information };

/// Title shown by a message box that has no title of its own.
inline const QString kDefaultTitle = QStringLiteral("ZEB");

class Ui {
public:
    virtual ~Ui() = default;

    /// A message box with an OK button. An empty title shows the default title "ZEB".
    void message(const QString& text, Icon icon = Icon::NoIcon, const QString& title = QString())
    {
        showMessage(text, icon, title.isEmpty() ? kDefaultTitle : title);
    }
    /// A Yes/No question; true for Yes.
    bool ask(const QString& text, Icon icon = Icon::Question, const QString& title = QString())
    {
        return askQuestion(text, icon, title.isEmpty() ? kDefaultTitle : title);
    }
    /// The machine's beep.
    virtual void beep() = 0;
    /// Shows a screen modal and centred; returns its result code (QDialog::Accepted/Rejected or done(n)).
    virtual int showModal(QDialog& screen) = 0;
    /// Shows a rendered report (a PDF file) in the preview window.
    virtual void showReport(const QString& pdfPath, const QString& title) = 0;
    /// Asks the desktop to open an address (telephony uses "tel:"); false when the request fails.
    virtual bool openUrl(const QString& url) = 0;

protected:
    virtual void showMessage(const QString& text, Icon icon, const QString& title) = 0;
    virtual bool askQuestion(const QString& text, Icon icon, const QString& title) = 0;
};

/// Centres a window on the screen it is on: top = half the screen height - half the window height,
/// left likewise; a window never starts above or left of the screen's usable area.
void centreWindow(QWidget& window);

/// The usable area of the screen a window is on (the screen less its panels), or an empty rectangle
/// when there is no screen.
QRect availableArea(const QWidget& window);
/// What the window manager's frame and title bar take around a window, kept free when sizing.
inline constexpr QSize kFrameAllowance{16, 48};
/// Makes a screen fit the usable area before it is shown: a size no larger than the area, a minimum
/// size of its own so that its layout never widens it later (a panel opening squeezes the list instead),
/// and centred.
void placeOnScreen(QWidget& window);

} // namespace kv::ui
