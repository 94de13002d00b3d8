#pragma once
// The desks working on the firm's server, and the year an operation takes for itself.
//
// Each desk registers in the table `postes` of the schema `kavorel` when it opens a year (its name, its
// machine, its process, the year, since when, last seen, and the server process of its connection), and
// holds a shared advisory lock on that year for as long as its connection is open. Closing, undo, import
// and repair take the exclusive lock: while another desk holds the shared one they are refused with the
// names of the desks still in the year. A desk that ended without leaving (a crash, a cut cable) lost its
// connection, and with it its lock: its row is recognised as stale (its server process is gone) and
// cleared by the next desk that registers.
//
// Every change of the years (a closing, an undo, an import, a repair) also moves a generation number
// kept on the server, in the same transaction: a desk compares it with the one it saw when it opened its
// year, and goes back to the main window when it moved.
#include <QList>
#include <QString>

#include "platform/db/ServerSettings.h"

namespace kv::db {
class Database;
}

namespace kv::desks {

/// The table of connected desks, in the schema `kavorel`.
inline const QString kDesksTable = QStringLiteral("postes");
/// The one-row table of the generation number of the years, in the schema `kavorel`.
inline const QString kGenerationTable = QStringLiteral("generation_exercices");

/// Another desk seen in a year.
struct Desk {
    QString poste;      ///< the desk's name (the user's login)
    QString hote;       ///< the desk's machine
    qint64 processus = 0;
    QString depuis;     ///< when it opened the year, "dd/mm/yyyy hh:mm"
    bool operator==(const Desk&) const = default;
};

/// The name this desk gives itself: the user's login (USER, LOGNAME or USERNAME; "poste" when unknown).
QString deskName();

/// Makes the tables of the desks and of the generation in the schema `kavorel` when missing (once per
/// server and process). Throws db::Error.
void ensureTables(const db::ServerSettings& server);

/// On the connection of the year this desk opens (`year` its schema): takes the shared lock on the year
/// (waiting while another desk holds the exclusive one), clears the stale rows and registers the desk
/// with the generation it sees. Throws db::Error.
void enterYear(db::Database& yearDb, int year);
/// Removes this connection's row (the connection's end releases its lock). Never throws.
void leaveYear(db::Database& yearDb) noexcept;
/// Notes that the desk is still there (its "last seen"). Never throws.
void touch(db::Database& yearDb) noexcept;

/// Tries to take `year` for this connection alone (the exclusive lock, held until the connection
/// closes). False when another connection holds the year.
bool takeYear(db::Database& db, int year);
/// The desks, other than this connection, still holding the year; oldest first. A lock whose desk is
/// not registered shows as "poste inconnu".
QList<Desk> desksIn(const db::Database& db, int year);
/// The refusal of an operation on a year other desks are in, naming them.
QString busyText(int year, const QList<Desk>& desks);

/// Moves the generation number of the years on by one (inside the caller's transaction).
void bumpGeneration(db::Database& db);
/// True when the generation moved since this connection registered its desk (enterYear).
bool yearsChanged(const db::Database& yearDb);

} // namespace kv::desks
