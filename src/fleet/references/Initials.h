#pragma once
// The reference-table screen: the vehicle types, makes, models or fuels, chosen by the caller through
// the shared dialog value (1 to 4). On "Quitter" the value holds the position of the selected entry
// and pending moves are written.
#include "ReferenceTable.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace kv {

class Session;

namespace kit {
class CommandBar;
class SidePanel;
} // namespace kit

class Initials : public QDialog {
    Q_OBJECT
public:
    explicit Initials(Session& session, QWidget* parent = nullptr);

    int kind() const { return kind_; }
    QListWidget* list() const { return list_; }
    QLineEdit* nameField() const { return name_; }
    QFrame* entryPanel() const { return panel_; }
    QToolButton* newButton() const { return new_; }
    QToolButton* editButton() const { return edit_; }
    QToolButton* deleteButton() const { return delete_; }
    QToolButton* quitButton() const { return quit_; }
    QToolButton* downButton() const { return down_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* confirmButton() const { return confirm_; }
    QToolButton* cancelButton() const { return cancel_; }
    bool orderChanged() const { return orderChanged_; }
    bool isEntering() const { return entering_; }
    const QList<qint64>& nums() const { return entries_.nums; }

    void startNew();
    void startEdit();
    void confirmEntry();
    void cancelEntry();
    void deleteSelected();
    void moveDown();
    void moveUp();
    void quit();

private:
    void reload();
    void setEntering(bool on);
    int selected() const;
    void swap(int from, int to);

    Session& s_;
    int kind_;
    references::Entries entries_;
    references::Counters counters_;
    bool entering_ = false;      ///< the entry panel is open
    bool editing_ = false;       ///< the panel changes the selected entry (otherwise: a new one)
    bool orderChanged_ = false;

    QLabel* heading_;
    kit::CommandBar* bar_;
    kit::SidePanel* side_;
    QListWidget* list_;
    QFrame* panel_;
    QLineEdit* name_;
    QToolButton *new_, *edit_, *delete_, *quit_, *down_, *up_, *confirm_, *cancel_;
};

} // namespace kv
