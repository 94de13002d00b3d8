#pragma once
// The password prompt. The caller puts the level (1 or 2) in the shared dialog value; on return the
// value is 1 when access is granted and 8 when it is refused.
#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace kv {

class Session;

class Form_v2 : public QDialog {
    Q_OBJECT
public:
    explicit Form_v2(Session& session, QWidget* parent = nullptr);

    QLineEdit* passwordField() const { return entry_; }
    QToolButton* confirmButton() const { return confirm_; }
    QLabel* levelLabel() const { return level_; }
    int attempts() const { return attempts_; }

    /// Compares the entry with the level's password and the override password.
    void confirm();

private:
    Session& s_;
    QLabel* level_;
    QLineEdit* entry_;
    QToolButton* confirm_;
    QString password_, override_;
    int attempts_ = 0;
};

/// Asks for the level-2 password when one is defined; true when access is granted (or none is asked).
bool checkLevel2(Session& session);

} // namespace kv
