#pragma once
// The person registers without their widgets: the constants of each kind of person, the list rows,
// the required fields, the duplicate check, numbering, saving and deleting a person.
#include "platform/db/Row.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv::db { class Database; class Row; }

namespace kv::people {

/// What a list column shows.
enum class ColumnValue { Position, Nom, Prenom, Fonction, Tel, Ville, Entree, Salarie, Archive };

struct ListColumn {
    QString caption;
    int twips = 0;
    bool centred = false;
    ColumnValue value = ColumnValue::Nom;
};

/// The per-kind constants of a register.
struct PersonKind {
    int type = 0;                 ///< `Type_Ag`
    QString screen;               ///< the screen's object name
    QString panelTitle;           ///< heading of the list
    QString newTitle;             ///< title of the entry panel for a new person
    QString reportFile;
    QList<ListColumn> columns;
    bool hasFonction = false;     ///< "Fonction" typed (agents, clients)
    bool hasSalarie = false;      ///< "Salarié" and its block (agents, drivers)
    bool hasPermis = false;       ///< "Permis de Conduire" and its block (drivers, clients)
    bool hasCni = false;          ///< identity card block (clients)

    static const PersonKind& agents();
    static const PersonKind& drivers();
    static const PersonKind& clients();
    static const PersonKind& of(int type);
};

/// A person as the entry panel holds it: texts as typed.
struct PersonEntry {
    QString nom, prenom, fonction, tel, ville;
    bool salarie = false;
    QString dEntree, ss, tauxJour;
    bool permis = false;
    QString numPermis, datePermis, villePermis;
    QString numCni, dateCni, villeCni;
    bool archived = false;
    bool operator==(const PersonEntry&) const = default;
};

/// One row of a register's list.
struct PersonRow {
    qint64 num = 0;
    QStringList cells; ///< one per column of the kind, the "N°" cell left empty
};

/// Which persons the filter keeps.
enum class Choice { Oui, Non, Ensemble };

struct PersonFilter {
    Choice salaries = Choice::Ensemble;
    Choice archives = Choice::Non;
    /// The list at opening: the kind's persons not archived.
    static PersonFilter byDefault() { return {}; }
};

/// The persons of a kind kept by a filter, in surname then first-name order (one query).
QList<PersonRow> listPersons(const db::Database& db, const PersonKind& kind, const PersonFilter& filter);
/// The list cells of one stored person (the "N°" cell empty).
QStringList listCells(const PersonKind& kind, const db::Row& row);
/// The list row of one person, read back from the table; nullopt when it no longer exists.
std::optional<PersonRow> listRow(const db::Database& db, const PersonKind& kind, qint64 num);

/// True when a field the kind requires is blank.
bool missingRequired(const PersonKind& kind, const PersonEntry& entry);

/// True when a person of any kind has these names (trimmed, letter case ignored), either way round.
bool duplicateExists(const db::Database& db, const QString& nom, const QString& prenom);

/// The number of a new person: above every person number of `Agents` and above every person number
/// still referenced by rentals, driver assignments, pays and ledger lines.
qint64 nextPersonNumber(const db::Database& db);

/// The stored `Agents` row of a person, every column; nullopt when it does not exist. The one read of a
/// person: the entry panel, the list, the account screen, the pay documents and the rentals go
/// through it.
std::optional<db::Row> readPersonRow(const db::Database& db, qint64 num);
/// The stored person in the shape of the entry panel; nullopt when it does not exist.
std::optional<PersonEntry> readPerson(const db::Database& db, qint64 num);
/// A person's row (readPersonRow) as the entry panel shows it.
PersonEntry entryOf(const db::Row& row);
/// "nom Prenom" of a person, each trimmed; empty when he does not exist.
QString personName(const db::Database& db, qint64 num);

/// True when at least one person is salaried (`Salarie`), archived or not.
bool hasSalaried(const db::Database& db);
/// True when at least one client is not archived.
bool hasCurrentClient(const db::Database& db);

/// Adds a person of the kind; returns its number.
qint64 addPerson(db::Database& db, const PersonKind& kind, const PersonEntry& entry);
/// Rewrites a person; an optional field left blank (or a date not complete) keeps its stored value.
/// False when the person no longer exists. With `loaded` (the row as the screen read it), throws
/// db::Conflict when another desk changed the person since, writing nothing.
bool updatePerson(db::Database& db, const PersonKind& kind, qint64 num, const PersonEntry& entry, const db::Row& loaded = {});

/// True when a receipt or an expense line names the person (whatever its `contrepartie`).
bool hasLedgerLines(const db::Database& db, qint64 num);
/// Deletes the person's row (the rows of other tables that name him stay); throws db::Conflict
/// ("Enregistrement introuvable") when another desk deleted it first.
void deletePerson(db::Database& db, qint64 num);

/// The rows of other tables that still name a person and stay when he is deleted: his rentals
/// (`Locations.Num_Client`), his vehicle assignments (`Affectations.num_Chauffeur`) and his pays
/// (`Salaires.num_agent`).
struct AttachedHistory {
    int rentals = 0;
    int assignments = 0;
    int pays = 0;
    bool operator==(const AttachedHistory&) const = default;
};
AttachedHistory attachedHistory(const db::Database& db, qint64 num);
/// What the deletion question adds about that history, one line per kind of row that is there:
/// "3 locations restent attachées à ce client", "1 paie reste attachée à cet agent".
QStringList historyLines(const PersonKind& kind, const AttachedHistory& history);

} // namespace kv::people
