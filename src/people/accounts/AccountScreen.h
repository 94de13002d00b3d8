#pragma once
// The account of one person: the header with the person's values, the "Débit" grid (expenses) and
// the "Crédit" grid (receipts) with their totals and the balance "Solde", the commands that add,
// change and delete lines through the fund movement dialog, and for a client the tab "Locations".
// One design for the three kinds; ZOOM_Ag, Zoom_Ch and Zoom_Cli only give their kind.
//
// The screen keeps no record set: every fill reads the ledger again through session.db(), so the
// connection re-established by a booking needs nothing more than the refill that follows it.
#include "core/kit/GridModel.h"
#include "FundMovement.h"
#include "PersonAccount.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace kv {

class Session;
namespace kit { class CommandBar; }

class AccountScreen : public QDialog {
    Q_OBJECT
public:
    /// Reads the person `session.num_courant`; when he is not stored, shows "Enregistrement
    /// introuvable" and found() is false (the screen is not to be shown).
    AccountScreen(Session& session, const accounts::Kind& kind, QWidget* parent = nullptr);

    const accounts::Kind& kind() const { return kind_; }
    qint64 person() const { return person_; }
    bool found() const { return found_; }

    QLabel* kindLabel() const { return kindLabel_; }
    /// The header value under a caption ("Nom", "Téléphone", ...), or null when the kind has none.
    QLabel* headerValue(const QString& caption) const;
    kit::GridView* grid(ledger::Book book) const;
    /// The totals of the grids and the balance "Solde" (red when negative).
    QLineEdit* totalLabel(ledger::Book book) const;
    QLineEdit* balanceLabel() const { return balance_; }
    QToolButton* newButton(ledger::Book book) const;
    QToolButton* changeButton(ledger::Book book) const;
    QToolButton* deleteButton(ledger::Book book) const;
    QToolButton* printButton() const { return print_; }
    QToolButton* quitButton() const { return quit_; }
    /// The client's tabs and rentals grid (null for the other kinds).
    QTabWidget* tabs() const { return tabs_; }
    kit::GridView* rentalGrid() const { return rentals_; }
    /// The ledger numbers of a grid's lines, in the grid's order; the vehicles of the rentals.
    QList<qint64> lineNumbers(ledger::Book book) const;
    QList<qint64> rentalVehicles() const { return rentalVehicles_; }
    double totalOf(ledger::Book book) const;
    double balanceValue() const;

    // The commands.
    void newLine(ledger::Book book);
    void changeLine(ledger::Book book);
    void deleteLine(ledger::Book book);
    void print();
    /// "Actualiser": both lists, the rentals and the balance read again (what other desks booked).
    void refreshAll();

private:
    struct Side {
        kit::GridModel* model = nullptr;
        kit::GridView* view = nullptr;
        QLineEdit* total = nullptr;
        QToolButton* add = nullptr;
        QToolButton* change = nullptr;
        QToolButton* remove = nullptr;
        accounts::AccountKeys lines; ///< the numbers and amounts of the grid's lines
    };
    Side& side(ledger::Book book) { return book == ledger::Book::Depenses ? debit_ : credit_; }
    const Side& side(ledger::Book book) const { return book == ledger::Book::Depenses ? debit_ : credit_; }

    QWidget* buildSide(ledger::Book book, QWidget* parent);
    QWidget* buildRentals(QWidget* parent);
    /// The booking codes of the account's lines in a book: the person and the kind's contrepartie.
    fund::Codes codes(ledger::Book book) const;
    void fill(ledger::Book book);
    void fillRentals();
    void showBalance();
    /// Reads a list again and shows the new balance (an engine error is shown, not thrown).
    void refresh(ledger::Book book);

    Session& s_;
    const accounts::Kind& kind_;
    qint64 person_ = 0;
    bool found_ = false;
    QLabel* kindLabel_ = nullptr;
    QList<QLabel*> headerValues_;
    Side debit_;
    Side credit_;
    QLineEdit* balance_ = nullptr;
    QString balanceStyle_;
    QToolButton* print_ = nullptr;
    QToolButton* quit_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    kit::GridModel* rentalModel_ = nullptr;
    kit::GridView* rentals_ = nullptr;
    QList<qint64> rentalVehicles_;
};

/// The agent's account.
class ZOOM_Ag : public AccountScreen {
    Q_OBJECT
public:
    explicit ZOOM_Ag(Session& session, QWidget* parent = nullptr);
};

/// The driver's account.
class Zoom_Ch : public AccountScreen {
    Q_OBJECT
public:
    explicit Zoom_Ch(Session& session, QWidget* parent = nullptr);
};

/// The client's account, with his rentals.
class Zoom_Cli : public AccountScreen {
    Q_OBJECT
public:
    explicit Zoom_Cli(Session& session, QWidget* parent = nullptr);
};

} // namespace kv
