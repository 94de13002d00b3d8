#pragma once
// The shared ledger: expenses (`Depenses`) and receipts (`Recettes`) of vehicles, person accounts,
// miscellaneous receipts and salary advances are rows of the same two tables. Every screen that books
// a line goes through these two operations, so that numbering, month and date storage are the same.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kv::db { class Database; class Prepared; class Row; }

namespace kv::ledger {

enum class Book { Recettes, Depenses };

/// The table of a book.
QString table(Book book);

/// The fields of a line that a booking writes. Optional fields are written only when set: a field never
/// written stays null (the cash book and the journals rely on it).
struct Line {
    QString date;                      ///< "dd/mm/yyyy"
    double montant = 0;
    int mode = 0;
    QString ref;                       ///< the object
    std::optional<int> contrepartie;   ///< set at creation only
    std::optional<qint64> numAgent;    ///< set at creation only
    std::optional<qint64> numVehicule;
    std::optional<int> typeDep;        ///< expenses only
    std::optional<double> km;          ///< expenses only
};

/// Month of a "dd/mm/yyyy" text: the numeric value of its characters 4 and 5.
int monthOf(const QString& date);

/// Adds a line numbered after the last row of the whole table; returns its number. The caller
/// re-establishes the connection first so that lines booked by other screens are counted.
qint64 add(db::Database& db, Book book, const Line& line);
/// Rewrites date, month, amount, mode and object of line `num` (and the optional fields that are set,
/// except `contrepartie` and `numAgent`, which a line keeps for life). False when no such line exists.
bool update(db::Database& db, Book book, qint64 num, const Line& line);
/// As update, when line `num` still holds what `loaded` holds (the line as the screen read it before the
/// user changed it); throws db::Conflict otherwise (another desk changed or deleted it) and writes nothing.
void update(db::Database& db, Book book, qint64 num, const Line& line, const db::Row& loaded);
/// Deletes line `num` of a book when it still belongs to that account (`numAgent`, null for none) and
/// that counterpart; false when no such line is stored any more (another screen changed or deleted it).
/// With `shownAmount` (the amount the screen showed), a line of the account whose amount another desk
/// changed meanwhile is not deleted: db::Conflict ("Enregistrement modifié par un autre poste").
bool remove(db::Database& db, Book book, qint64 num, std::optional<qint64> numAgent, int contrepartie,
            std::optional<double> shownAmount = std::nullopt);
/// Deletes line `num` when it still holds what `loaded` holds (the line as the screen read it); throws
/// db::Conflict otherwise (another desk changed or deleted it) and deletes nothing.
void remove(db::Database& db, Book book, qint64 num, const db::Row& loaded);

/// True when either book holds at least one line.
bool hasMovements(const db::Database& db);

/// Many new lines of one book written through one prepared statement, for loading a year at once
/// (the demo exercise): each line is stored exactly as add() stores it, numbered on from the last line
/// the table held when the batch began. The caller holds a transaction around the whole batch and
/// writes nothing else into the book meanwhile.
class Batch {
public:
    Batch(db::Database& db, Book book);
    ~Batch();
    /// Writes a new line; returns its number.
    qint64 add(const Line& line);

private:
    Book book_;
    std::unique_ptr<db::Prepared> insert_;
    QStringList columns_;
    qint64 next_ = 1;
};

} // namespace kv::ledger
