#pragma once
// The fund movement dialog: the date, amount, object and payment mode of one receipt or expense line,
// new or corrected. It never touches the database: its input and output pass through `Echange`
//   slot 1  in      "0" new line, "1" modification
//   slot 2  in      "0" receipt, any other number an expense
//   slot 3  in/out  payment mode, "0" cash ("Espèces"), "1" cheque ("Cheque")
//   slot 4  in/out  object
//   slot 7  in/out  date dd/mm/yyyy
//   slot 8  in/out  amount as text
//   slot 10 out     "OK" when validated, "Annulé" otherwise
// Callers go through fund::enterNew / fund::enterChange (FundMovement.h), which book the line.
#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace kv {

class Session;

class MVM_FOND : public QDialog {
    Q_OBJECT
public:
    explicit MVM_FOND(Session& session, QWidget* parent = nullptr);

    QLabel* heading() const { return heading_; }
    QLineEdit* dateField() const { return date_; }
    QLineEdit* amountField() const { return amount_; }
    QLineEdit* objectField() const { return object_; }
    QRadioButton* cashOption() const { return cash_; }
    QRadioButton* chequeOption() const { return cheque_; }
    QToolButton* validateButton() const { return validate_; }
    QToolButton* cancelButton() const { return cancel_; }

    /// The validate command: checks the date and the amount (complete, a day of the calendar, a
    /// well-formed number), writes the slots and closes with "OK".
    void validate();

    void done(int result) override;

private:
    Session& s_;
    QLabel* heading_;
    QLineEdit* date_;
    QLineEdit* amount_;
    QLineEdit* object_;
    QRadioButton* cash_;
    QRadioButton* cheque_;
    QToolButton* validate_;
    QToolButton* cancel_;
    bool validated_ = false;
};

} // namespace kv
