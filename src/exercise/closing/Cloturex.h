#pragma once
// The closing dialog: "Remise à zéro de tous les comptes" (chosen when it opens) or "Conservation des
// données actuelles"; OK runs the closing and then, whatever happened, says which exercise is in place
// and closes; "Annuler" closes without doing anything.
#include "Closing.h"

#include <QDialog>

class QRadioButton;
class QToolButton;

namespace kv {

class Session;

class Cloturex : public QDialog {
    Q_OBJECT
public:
    explicit Cloturex(Session& session, QWidget* parent = nullptr,
                      exercise::FileOps& files = exercise::defaultFileOps());

    QRadioButton* resetOption() const { return reset_; }
    QRadioButton* keepOption() const { return keep_; }
    QToolButton* okButton() const { return ok_; }
    QToolButton* cancelButton() const { return cancel_; }
    /// What the last OK did.
    exercise::Outcome outcome() const { return outcome_; }

    void confirm();

private:
    Session& s_;
    exercise::FileOps& files_;
    QRadioButton* reset_;
    QRadioButton* keep_;
    QToolButton* ok_;
    QToolButton* cancel_;
    exercise::Outcome outcome_ = exercise::Outcome::Declined;
};

} // namespace kv
