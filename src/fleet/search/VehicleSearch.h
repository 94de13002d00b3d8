#pragma once
// Finding vehicles by archive state and by type, make and model, with the names of their references,
// for the vehicle search dialog. No widget here.
#include <QList>
#include <QString>
#include <optional>

namespace kv::db { class Database; }

namespace kv::vehicles {

/// Which vehicles the archive options keep.
enum class ArchiveChoice { Actuels, Archives, Ensemble };

/// One reference criterion (type, make or model). An unticked box adds no condition, whatever entry
/// its list shows. A ticked box keeps the vehicles that refer to the selected entry; a ticked box whose
/// list is empty (no entry to select) matches no vehicle.
struct RefCriterion {
    bool ticked = false;
    std::optional<qint64> num;  ///< the selected entry's number; none when the list is empty

    static RefCriterion off() { return {}; }
    static RefCriterion on(std::optional<qint64> n) { return {true, n}; }
};

struct SearchCriteria {
    ArchiveChoice archive = ArchiveChoice::Ensemble;
    RefCriterion genre, marque, modele;
};

/// One vehicle of the result, as the result list shows it.
struct VehicleFound {
    qint64 num = 0;
    QString type, marque, modele;  ///< a blank then the reference's name; empty when the reference is not found
    QString annee, matricule;
    bool archived = false;         ///< flag_Arch = 1
};

/// The matching vehicles in `ordre` order (ties by number), archived ones included unless the archive
/// choice excludes them. One query, every criterion a bound parameter.
QList<VehicleFound> searchVehicles(const db::Database& db, const SearchCriteria& criteria);

} // namespace kv::vehicles
