#pragma once
// The main window: the one non-modal window, with the header of the open exercise and the menus from
// which every screen opens.
#include <QMainWindow>

class QLabel;

namespace kv {

class Session;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Session& session, QWidget* parent = nullptr);

    /// Fills the three header lines from the open exercise.
    void refreshHeader();
    /// Asks for confirmation and, on Yes, runs the exit sequence; true when the program may end.
    bool confirmExit();
    QLabel* headerLine(int n) const { return header_[n - 1]; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void openPasswords();

    Session& s_;
    QLabel* header_[3];
    bool exiting_ = false;
};

} // namespace kv
