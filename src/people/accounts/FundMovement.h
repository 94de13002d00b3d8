#pragma once
// The booking of a receipt or expense line typed in the fund movement dialog `MVM_FOND`. Every screen
// that books such a line (the person accounts, the miscellaneous receipts, the advances on salary) goes
// through enterNew / enterChange with its own codes:
//
//   fund::Codes codes{ledger::Book::Depenses, personNum, schema::contrepartie::VehiculeOuAgent};
//   if (const fund::Outcome o = fund::enterNew(session, codes); o.written())
//       refill(), select(o.num);
//
// The sequence: the slots of `Echange` are filled (a new line dated today, or the stored line found
// again by its number), the dialog is shown through session.ui(), and on "OK" the line is booked
// through the shared ledger: a new line after the connection is re-established (so that lines booked
// elsewhere are counted) and numbered after the whole table; a modification keeps the line's number,
// person and `contrepartie`.
//
// Booking a new line re-establishes the connection: the session's Database object is replaced, so a
// caller reopens its record sets and views after enterNew (it refills its lists anyway).
#include "core/ledger/Ledger.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace kv {

class Echange;
class Session;

namespace fund {

/// What a caller contributes to the booking.
struct Codes {
    ledger::Book book = ledger::Book::Depenses;
    qint64 numAgent = -1;              ///< the person, or -1 (miscellaneous receipts)
    int contrepartie = 0;              ///< schema::contrepartie
    std::optional<int> typeDep;        ///< expenses only (advances on salary: 10)
};

/// Texts a caller shows for a stored line, handed to the dialog instead of the stored values.
struct ShownLine {
    QString date;
    QString amount;
    QString object;
};

struct Options {
    QWidget* parent = nullptr;
    /// A modification starts from these texts instead of the stored date, amount and object.
    std::optional<ShownLine> shown;
    /// Called after "OK" and before booking, with the slots as the dialog left them; a caller's own
    /// refusal (with its message) returns false and nothing is written.
    std::function<bool(const Echange&)> accept;
    /// A modification whose line is no longer stored shows "Mouvement altéré" (information, "ATTENTION").
    bool reportMissing = true;
};

enum class Status {
    Written,    ///< the line was booked
    Cancelled,  ///< the dialog was not validated
    Refused,    ///< the caller's accept check said no
    Missing,    ///< the line to modify is no longer stored as it was read (gone, or changed by another desk)
    Failed      ///< the engine refused the write; its message was shown and nothing changed
};

struct Outcome {
    Status status = Status::Cancelled;
    qint64 num = 0;   ///< the line written
    bool written() const { return status == Status::Written; }
};

/// The slot 2 text of a book: "0" for receipts, "1" for expenses.
QString bookSlot(ledger::Book book);
/// The stored amount as a modification shows it: "########0.00", empty when 0.
QString amountText(double montant);

/// Slots for a new line: 1 "0", 2 per book, 3 "0", 4 empty, 7 the day as dd/mm/yyyy, 8 empty.
void fillNew(Echange& block, ledger::Book book, const QDate& today);
/// Slots for a modification: 1 "1", 2 per book, 3 the mode, 4 the object, 7 the date, 8 the amount.
void fillChange(Echange& block, ledger::Book book, int mode, const ShownLine& line);
/// The line the slots describe: date (slot 7), amount (slot 8, blanks ignored), mode (slot 3),
/// object (slot 4), each trimmed, with the caller's codes.
ledger::Line lineFromSlots(const Echange& block, const Codes& codes);

/// Books the line of the slots: with no `num`, re-establishes the connection and adds a new line
/// (returns its number); otherwise rewrites line `num` (returns it, or nothing when it is gone).
std::optional<qint64> book(Session& session, const Codes& codes, std::optional<qint64> num);

/// A new line through the dialog, dated today.
Outcome enterNew(Session& session, const Codes& codes, const Options& options = {});
/// A modification of line `num` of the caller's book through the dialog.
Outcome enterChange(Session& session, const Codes& codes, qint64 num, const Options& options = {});

} // namespace fund
} // namespace kv
