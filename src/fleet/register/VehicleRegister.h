#pragma once
// The vehicle register without its widgets: the registration number in three parts, the list of
// vehicles with their reference names, numbering, saving and deleting a vehicle.
#include "core/kit/ArchiveFilter.h"
#include "platform/db/Row.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv::db { class Database; }

namespace kv::vehicles {

/// The three parts of a registration number as typed.
struct Matricule {
    QString part1, part2, part3;
    bool operator==(const Matricule&) const = default;
};

/// The stored registration number: part 1 trimmed and padded on the left with "0" to 5 characters,
/// a blank, part 2 trimmed and padded on the left with blanks to 3 characters, a blank, part 3 trimmed.
/// 12, 5, 31 -> "00012   5 31".
QString composeMatricule(const Matricule& m);
/// The parts shown again: characters 1-5, 7-9 and the last 2 characters.
Matricule splitMatricule(const QString& stored);

/// Which vehicles the register lists. (the archive filter of every list with an archive flag).
using Filter = kit::ArchiveFilter;

/// One row of the register's list.
struct ListRow {
    qint64 num = 0;
    QString genre, marque, modele;  ///< the reference names, empty when not found
    QString annee, matricule;
    bool archived = false;
};

/// The vehicles of a filter in register order, with their reference names (one query).
QList<ListRow> list(const db::Database& db, Filter filter);

/// A vehicle as the entry frame gives it.
struct Entry {
    Matricule matricule;
    QString annee;
    qint64 numGenre = -1, numMarque = -1, numModele = -1, numCarburant = -1;
    QString dateCirculation;  ///< "dd/mm/yyyy"; blank leaves the stored date as it is
    QString carteGrise;
    QString dateCarte;        ///< "dd/mm/yyyy"; blank leaves the stored date as it is
    bool archived = false;
};

/// A vehicle as stored, read back into the shape of the entry frame.
/// `row` (when given) gets the row as read.
std::optional<Entry> read(const db::Database& db, qint64 num, db::Row* row = nullptr);

/// The number of a new vehicle: above every vehicle number and above every number still referenced
/// by the ledger, the follow-ups, the driver assignments and the rentals, so that a new vehicle never
/// inherits the lines of a deleted one.
qint64 nextNumber(const db::Database& db);
/// The number of another vehicle (not `except`) that has the same registration number, or 0.
qint64 sameMatricule(const db::Database& db, const Matricule& matricule, qint64 except);

/// Adds a vehicle (numbered by nextNumber, placed after the last `ordre`); returns its number.
qint64 add(db::Database& db, const Entry& entry);
/// Rewrites vehicle `num`; false when it no longer exists. A date that is not blank must be a real
/// day (isValidDate): an engine error is thrown otherwise, and nothing is written.
/// With `loaded` (the row as the screen read it), throws db::Conflict when another desk changed the
/// vehicle since, writing nothing.
bool update(db::Database& db, qint64 num, const Entry& entry, const db::Row& loaded = {});
/// Deletes the vehicle row only; its ledger lines and follow-ups stay. Throws db::Conflict
/// ("Enregistrement introuvable") when another desk deleted it first.
void remove(db::Database& db, qint64 num);
/// True when at least one vehicle is not archived.
bool hasCurrentVehicle(const db::Database& db);

/// What still refers to a vehicle in the other tables: the lines stay when the vehicle is deleted.
struct Attached {
    int ledger = 0;        ///< lines of Depenses and Recettes
    int assurances = 0;
    int controles = 0;
    int vignettes = 0;
    int affectations = 0;
    int locations = 0;
    bool isEmpty() const { return ledger + assurances + controles + vignettes + affectations + locations == 0; }
};
/// One count per table.
Attached attached(const db::Database& db, qint64 num);
/// The lines that tell, under the deletion question, what stays attached to the vehicle; one line per
/// kind that is not zero ("12 lignes de dépenses et de recettes restent attachées à ce véhicule").
QStringList attachedNotice(const Attached& a);

} // namespace kv::vehicles
