#pragma once
// The overwrite warning shown before the undo of the last closing: "Annuler" leaves 0 in the shared
// dialog value, "Continuer" leaves 1. The value is 0 while the warning is open, and any other way out
// counts as "Annuler".
#include <QDialog>

class QLabel;
class QToolButton;

namespace kv {

class Session;

class F_ecrase : public QDialog {
    Q_OBJECT
public:
    explicit F_ecrase(Session& session, QWidget* parent = nullptr);

    QToolButton* cancelButton() const { return cancel_; }
    QToolButton* continueButton() const { return continue_; }
    QLabel* warning() const { return warning_; }
    QLabel* arabicWarning() const { return arabic_; }

    void continueUndo();
    void reject() override;

private:
    Session& s_;
    QLabel* warning_;
    QLabel* arabic_;
    QToolButton* cancel_;
    QToolButton* continue_;
};

/// Shows the warning; true when the user chose "Continuer".
bool confirmUndo(Session& session);

} // namespace kv
