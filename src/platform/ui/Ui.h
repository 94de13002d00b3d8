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
/// The program's name: the main window's title, the end of every screen's title, and the title of a
/// message that names the program.
inline const QString kProgramName = QStringLiteral("Kavorel");
/// Title of a refusal: an entry or a command the program will not take as it stands.
inline const QString kRefusalTitle = QStringLiteral("ATTENTION");

class Ui {
public:
    virtual ~Ui() = default;

    /// A message box with an OK button. An empty title shows the default title "ZEB".
    void message(const QString& text, Icon icon = Icon::NoIcon, const QString& title = QString())
    {
        showMessage(text, icon, title.isEmpty() ? kDefaultTitle : title);
    }
    /// A refusal: `text` in a box titled "ATTENTION" (critical unless told), the one way every screen
    /// says that it will not take an entry or a command as it stands.
    void refuse(const QString& text, Icon icon = Icon::Critical) { showMessage(text, icon, kRefusalTitle); }
    /// A Yes/No question; true for Yes.
    bool ask(const QString& text, Icon icon = Icon::Question, const QString& title = QString())
    {
        return askQuestion(text, icon, title.isEmpty() ? kDefaultTitle : title);
    }
    /// A question whose "Oui" deletes or overrides a check (every deletion): as ask(), with "Non" the
    /// answer Return gives, so that a hurried key never deletes.
    bool askDefaultNo(const QString& text, Icon icon = Icon::Question, const QString& title = QString())
    {
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{noByDefault_};
        noByDefault_ = true;
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
    /// The save dialog: `title`, the path it proposes, its filters ("Classeur Excel (*.xlsx);;CSV (*.csv)").
    /// `chosenFilter` holds the filter selected at first and receives the one chosen. Returns the path
    /// chosen, empty when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& proposedPath, const QString& filters,
                                   QString* chosenFilter) = 0;

protected:
    virtual void showMessage(const QString& text, Icon icon, const QString& title) = 0;
    virtual bool askQuestion(const QString& text, Icon icon, const QString& title) = 0;
    /// True while the question being asked is a deletion ("Non" is its default answer).
    bool noByDefault() const { return noByDefault_; }

private:
    bool noByDefault_ = false;
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
/// (A window whose property kListHeightProperty holds its height for the smallest screen, a list screen,
/// also grows by what a taller usable area offers beyond kSmallestScreenHeight.)
void placeOnScreen(QWidget& window);
/// The height of the smallest screen the program must fit, and the property that marks a list screen.
inline constexpr int kSmallestScreenHeight = 800;
inline constexpr const char* kListHeightProperty = "kv_hauteurListe";

/// What every screen gets before it is shown, whoever shows it:
/// - a window title that names it and the program ("Véhicules — Kavorel"): the screen's own caption, else
///   the text of its title band (kit::titleBand marks it, TitleBand.h), followed by the program's name;
/// - an Alt key for every command button that has none, taken from a letter of its text that no other
///   command or mnemonic of the window uses.
void prepareScreen(QWidget& screen);
/// Gives a screen whose window title prepareScreen took from its title band the band's text again, after
/// the screen has changed it (another day of the cash book, of the calendar), so that a window list does not
/// name what the screen no longer shows. A screen titled by its own caption keeps it.
void retitle(QWidget& screen);
/// The title prepareScreen gives a screen.
QString screenTitle(const QWidget& screen);

} // namespace kv::ui
