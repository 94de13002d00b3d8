#pragma once
// The rentals without their widgets: the list with its vehicle and client names, one rental read back
// for its entry frame, the day count and the day-rate amount, numbering, saving and deleting.
#include "RentalAmount.h"

#include "core/kit/ArchiveFilter.h"
#include "platform/db/Row.h"

#include <QList>
#include <QString>
#include <optional>

namespace kv::db { class Database; }

namespace kv::rentals {

/// Which rentals the list shows. (the archive filter of every list with an archive flag).
using Filter = kit::ArchiveFilter;

/// One row of the list.
struct ListRow {
    qint64 num = 0;
    qint64 client = 0;         ///< Num_Client
    QString modele;            ///< the vehicle's model name; empty when the vehicle or its model is not stored
    QString matricule;         ///< empty when the vehicle is not stored
    QString nom, prenom;       ///< empty when the client is not stored
    QString du, au;            ///< dd/mm/yyyy; empty when not stored
    int nb = 0;
    bool regle = false;
    bool archived = false;
    QString obs;
};

/// The rentals of a filter ordered by their first day (then number), with the names (one query).
QList<ListRow> list(const db::Database& db, Filter filter);

/// A rental as the entry frame gives it and as it is stored.
struct Rental {
    qint64 vehicle = -1;       ///< num_vehicule; -1 when not chosen
    qint64 client = -1;        ///< Num_Client; -1 when not chosen
    QString du, au;            ///< dd/mm/yyyy
    double pu = 0;             ///< price per day
    int nb = 0;                ///< days from du to au
    double montant = 0;        ///< nb × pu, to the cent
    bool forfait = false;      ///< priced at the flat rate
    double montantForfait = 0;
    double caution = 0;
    QString obs;               ///< at most kObsLength characters
    bool regle = false;
    bool archived = false;
    bool operator==(const Rental&) const = default;
    /// What the rental is worth: its flat rate when it is priced so, else `montant`.
    double amount() const { return rentalAmount(forfait, montant, montantForfait); }
};

/// Widths of what is typed.
inline constexpr int kAmountLength = 12;
inline constexpr int kObsLength = 30;

/// The number of days from `du` to `au` (au − du: the 1st to the 5th counts 4), negative when `au` comes
/// first; nothing when either is not a real day written dd/mm/yyyy.
std::optional<int> dayCount(const QString& du, const QString& au);
/// The day-rate amount: days × price per day, rounded to the cent as it is shown.
double dayAmount(int days, double pu);
/// An amount as the entry frame shows it: "### ### ##0.00".
QString amountText(double value);

/// The rental `num`, or nothing when it is no longer stored; `row` (when given) gets the row as read.
std::optional<Rental> read(const db::Database& db, qint64 num, db::Row* row = nullptr);

/// What the vehicle field shows for a stored vehicle: its make and model names, trimmed, joined by a
/// blank (only the make when the model is not found); empty when the vehicle is not stored.
QString vehicleText(const db::Database& db, qint64 vehicle);
/// What the client field shows: the trimmed surname and first name joined by a blank; empty when the
/// client is not stored.
QString clientText(const db::Database& db, qint64 client);

/// Adds a rental, numbered after the highest `num` (1 in an empty table); returns its number.
/// The dates must be real days: an engine error is thrown otherwise and nothing is written.
qint64 add(db::Database& db, const Rental& rental);
/// Rewrites rental `num`; false when it is no longer stored (nothing written). With `loaded` (the row
/// as the screen read it), throws db::Conflict when another desk changed it since, writing nothing.
bool update(db::Database& db, qint64 num, const Rental& rental, const db::Row& loaded = {});
/// Deletes rental `num` only; false when it was no longer stored.
bool remove(db::Database& db, qint64 num);

} // namespace kv::rentals
