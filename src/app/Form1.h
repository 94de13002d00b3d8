#pragma once
// The main window: the one non-modal window. It carries the menu bar, the header of the open exercise,
// the two pictures and the nine shortcut labels, opens every other screen, and owns the exit.
#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QActionGroup;
class QLabel;

namespace kv {

class MainPictures;
class Session;
namespace os { class Display; }

/// The screens the main window opens, every one of them filled by the program's table (ScreenTable.h):
/// each menu entry, shortcut label and picture opens its screen.
struct ScreenOpeners {
    QHash<QString, std::function<void()>> screens; ///< by screen name: "Identif0", "Chrges", "Cloturex", ...
    /// Opens the overwrite warning before an undo; true when the user chose "Continuer".
    std::function<bool()> confirmUndo;
    /// Undoes the last closing.
    std::function<void()> undoClosing;
    /// The calendar: shows `first`, returns the date chosen (invalid when none).
    std::function<QDate(QDate first)> chooseDate;
    /// The cash book of a day.
    std::function<void(QDate)> cashBook;
    /// After an import the start-up sequence runs again; false when the program must end.
    std::function<bool()> restart;
    /// The short notice of what is due (empty: nothing), shown on the main window; a click opens
    /// "F_Echeances".
    std::function<QString()> notice;
};

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(Session& session, MainPictures& pictures, os::Display& display, ScreenOpeners openers, QWidget* parent = nullptr);
    ~Form1() override;

    /// A menu entry by its object name (see the table in Form1.cpp).
    QAction* action(const QString& name) const { return actions_.value(name); }
    QStringList actionNames() const { return actions_.keys(); }
    /// A shortcut label by position 0 to 8.
    QLabel* shortcutLabel(int position) const;
    QLabel* headerLine(int n) const;
    QLabel* titleLabel() const { return title_; }
    QLabel* changePictureLabel() const { return changePicture_; }
    QLabel* noticeLabel() const { return notice_; }

    /// Fills the three header lines from the open exercise, and the notice of what is due.
    void refreshHeader();
    /// Asks again what is due and shows the notice, or hides it when nothing is.
    void refreshNotice();
    /// Enables the closing and its undo when the latest exercise is open, disables them otherwise.
    void reinitialise_les_menus();
    /// On the start that chose the first exercise, with no firm name yet: opens "Identité de l'entreprise".
    void askIdentityOnFirstStart();
    /// Asks for confirmation and, on Yes, runs the exit sequence; true when the program may end.
    bool confirmExit();

    // Menu commands with guards of their own (public for the tests).
    void openGuarded(const QString& screen, bool level2, const std::function<bool()>& check, bool checkFirst);
    void closeExercise();
    void undoLastClosing();
    void openCashBook();
    void chooseDisplay(int choice);
    void importArchive();
    /// On a server: when another desk changed the years (a closing, an undo, an import, a repair) since
    /// this desk opened its year, says so, runs the start-up again and refreshes the window; true when it
    /// did. Waits while a screen is open over the main window. Run on a timer and when the window is
    /// activated.
    bool followOtherDesks();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addEntry(QMenu* menu, const QString& name, const QString& caption, const std::function<void()>& run);
    void buildMenus();
    void buildBody();
    void showPicture(int position);
    void clearHoverFrames();
    void openScreen(const QString& name);

    Session& s_;
    MainPictures& pictures_;
    os::Display& display_;
    ScreenOpeners openers_;
    QHash<QString, QAction*> actions_;
    QActionGroup* displayGroup_ = nullptr;
    QWidget* body_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* header_[3] = {};
    QLabel* gauche_ = nullptr;
    QLabel* changePicture_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* shortcutLabels_[9] = {};
    QLabel* shortcutPictures_[9] = {};
    QString shortcutActions_[9];
    bool exiting_ = false;
    bool following_ = false;
};

} // namespace kv
