#pragma once
// The four reference tables that classify vehicles (types, makes, models, fuels): their names, the
// vehicle field that refers to each, and the reads and writes of the reference screen and of the
// register's pick lists. No widget here.
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::db { class Database; }

namespace kv::references {

/// Selector values of the reference screen (the shared dialog value).
enum Kind { Genres = 1, Marques = 2, Modeles = 3, Carburants = 4 };

struct KindInfo {
    QString table;         ///< "Genres"
    QString title;         ///< "Type des véhicules"
    QString vehicleField;  ///< "num_Genre"
};

/// The table, title and vehicle field of a selector; selectors outside 1-4 give the first table.
const KindInfo& info(int kind);

/// A list in display order: names and, at the same positions, their numbers.
struct Entries {
    QStringList names;
    QList<qint64> nums;
    int size() const { return nums.size(); }
    bool isEmpty() const { return nums.isEmpty(); }
};

/// The entries of a table in `ordre` order (ties in the order the table returns them).
Entries load(const db::Database& db, int kind);

/// The next-number and next-position counters: `num` and `ordre` of the entry with the highest `num`;
/// both 0 for an empty table.
struct Counters {
    qint64 num = 0;
    int ordre = 0;
};
Counters counters(const db::Database& db, int kind);

/// Adds an entry numbered from the counters (num + 1, ordre + 1) and advances them.
void add(db::Database& db, int kind, Counters& counters, const QString& name);
/// Renames entry `num`; false when it no longer exists.
bool rename(db::Database& db, int kind, qint64 num, const QString& name);
/// Number of vehicles that refer to entry `num`.
int vehiclesUsing(const db::Database& db, int kind, qint64 num);
/// Deletes entry `num`.
void remove(db::Database& db, int kind, qint64 num);
/// Writes the positions 0, 1, 2... in the order of `nums` (one transaction).
void writeOrder(db::Database& db, int kind, const QList<qint64>& nums);

} // namespace kv::references
