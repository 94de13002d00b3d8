#pragma once
// What an account screen shows, without its widgets: the per-kind constants of the three account
// screens, the header values of the person, the ledger lines of the account with their totals and
// balance, and the rentals of a client. Each function reads with one query.
#include "core/ledger/Ledger.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::db { class Database; class Row; }

namespace kv::accounts {

/// One value of the header: its caption and the `Agents` column it shows.
struct HeaderField {
    QString caption;
    QString column;
    bool date = false;   ///< a stored date, shown dd/mm/yyyy
};

/// The constants of one kind of account.
struct Kind {
    int personKind = 0;          ///< schema::person
    QString screen;              ///< the screen's name: ZOOM_Ag, Zoom_Ch, Zoom_Cli
    QString label;               ///< "Agent", "Chauffeur", "Client"
    int contrepartie = 0;        ///< schema::contrepartie of the account's lines
    QList<HeaderField> header;
    bool rentals = false;        ///< the client's tab "Locations"
};

/// The kind of a person (schema::person); an unknown code gives the agent's.
const Kind& kindOf(int personKind);

/// The header values of the person's `Agents` row, in the kind's order: "/" for an empty value.
QStringList headerValues(const Kind& kind, const db::Row& person);

/// One line of an account as its grid shows it.
struct Movement {
    qint64 num = 0;
    QString date;      ///< dd/mm/yyyy
    double montant = 0;
    QString ref;
    int mode = 0;
};

/// The lines of a person's account in one book, by date then number.
QList<Movement> readMovements(const db::Database& db, ledger::Book book, qint64 person, int contrepartie);

/// The numbers and amounts of a person's account in one book, by date then number: what the screen
/// totals and refers to. Read over the index of the person, without a text of any line.
struct AccountKeys {
    QList<qint64> nums;
    QList<double> amounts;
};
AccountKeys readAccountKeys(const db::Database& db, ledger::Book book, qint64 person, int contrepartie);
/// The values "Date" (stored), "Montant" and "Objet" of the lines `nums` of a book, in that order (a line
/// no longer stored gives an empty row): the account's grid reads them as it shows them.
QList<QVariantList> readMovementValues(const db::Database& db, ledger::Book book, const QList<qint64>& nums);
/// Sum of amounts, in the list's order.
double total(const QList<double>& amounts);

/// Sum of the lines' amounts.
double total(const QList<Movement>& lines);

/// Cell texts of a line: amount "# ### ##0.00" and one blank; object: one blank and the object.
QString amountCell(double montant);
QString objectCell(const QString& ref);
/// A total as shown: "# ### ##0.00" and two blanks, empty when 0.
QString totalText(double value);
/// The balance from the two totals as shown (two decimals): credit - debit.
double balance(double debitTotal, double creditTotal);
/// An amount as a statement prints it: "# ### ##0.00", "0.00" for 0.
QString statementAmount(double value);

/// One rental of a client as the "Locations" grid shows it.
struct Rental {
    qint64 num = 0;
    qint64 vehicle = 0;
    QStringList cells;   ///< Du, Au, Nb, Montant (what the rental is worth), Règl, Marque, Modèle, Matricule, Observation
};

/// The client's rentals ordered by `du`, each with its vehicle's make, model and registration (read with
/// it; a vehicle no longer stored leaves the three cells empty).
QList<Rental> readRentals(const db::Database& db, qint64 client);

} // namespace kv::accounts
