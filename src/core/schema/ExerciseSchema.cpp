#include "ExerciseSchema.h"

#include "core/ledger/KeptTotals.h"
#include "platform/db/FileOps.h"

#include <QFile>
#include <functional>

namespace kv::schema {

void createExerciseDatabase(const QString& path)
{
    const QString temp = path + QStringLiteral(".build");
    QFile::remove(temp);
    {
        db::Database db;
        db.open(temp, db::Database::Mode::Create);
        db::Transaction t(db);
        db.executeScript(schemaScript());
        ledger::createKeptTotals(db);
        t.commit();
        db.setUserVersion(kSchemaVersion);
    }
    QString error;
    if (!db::replaceFile(temp, path, &error)) {
        QFile::remove(temp);
        throw db::Error(error);
    }
}

void createExerciseSchema(const db::ServerSettings& server, int year)
{
    db::Database db;
    db.openServer(server, db::exerciseSchema(year), db::Database::Mode::Create);
    if (db.hasTable(QStringLiteral("Agents")))
        throw db::Error(QStringLiteral("L'exercice %1 existe déjà sur le serveur").arg(year));
    // The server's DDL is transactional: the year is made whole or not at all.
    db::Transaction t(db);
    db.executeScript(schemaScript());
    ledger::createKeptTotals(db);
    db.setUserVersion(kSchemaVersion);
    t.commit();
}

namespace {
// Each step takes a database of version N-1 to version N (index 0 -> version 1).
// Version 1 is the first schema of this program: a file without a version but with the tables is taken
// as version 1 (it holds nothing to change). Every step must also pass over a file that has its changes
// already (a copy of a newer file whose version was reset).
const std::vector<std::function<void(db::Database&)>>& steps()
{
    static const std::vector<std::function<void(db::Database&)>> all = {
        [](db::Database&) {},
        // Version 2: the oil-change intervals of the due-date list, in the parameters row. A file whose
        // version was lost may hold them already: only a missing column is added.
        [](db::Database& db) {
            const QStringList columns = db.columns(QStringLiteral("Permn"));
            auto has = [&](const QString& name) { return columns.contains(name, Qt::CaseInsensitive); };
            if (!has(QStringLiteral("Vidange_Jours")))
                db.execute(QStringLiteral("ALTER TABLE Permn ADD COLUMN Vidange_Jours INTEGER DEFAULT 180"));
            if (!has(QStringLiteral("Vidange_Km")))
                db.execute(QStringLiteral("ALTER TABLE Permn ADD COLUMN Vidange_Km REAL DEFAULT 10000"));
        },
        // Version 3: the ledger's indexes by date carry the amount, so that the cash book's balance of
        // every earlier day is summed from the index alone; those by person carry the date, the order
        // of an account. Each index is made again under its own name.
        [](db::Database& db) {
            db.executeScript(QStringLiteral(
                "DROP INDEX IF EXISTS Depenses_date; CREATE INDEX Depenses_date ON Depenses (date, Montant);"
                "DROP INDEX IF EXISTS Recettes_date; CREATE INDEX Recettes_date ON Recettes (date, Montant);"
                "DROP INDEX IF EXISTS Depenses_agent; CREATE INDEX Depenses_agent ON Depenses (Num_Agent, contrepartie, date);"
                "DROP INDEX IF EXISTS Recettes_agent; CREATE INDEX Recettes_agent ON Recettes (Num_Agent, contrepartie, date);"));
        },
        // Version 4: the indexes by date and by vehicle hold the lines in the order the journals and the
        // vehicle file list them (the line number after the date) with what the journals total and
        // classify, so that a year's journal is read from its index in order, with neither a sort nor a
        // look into the table; the lines with a mileage have an index by vehicle, which gives the last
        // mileage of each vehicle (the due oil changes shown at start-up) without reading the ledger.
        [](db::Database& db) {
            db.executeScript(QStringLiteral(
                "DROP INDEX IF EXISTS Depenses_date; CREATE INDEX Depenses_date ON Depenses (date, num, contrepartie, Type_Dep, Montant);"
                "DROP INDEX IF EXISTS Recettes_date; CREATE INDEX Recettes_date ON Recettes (date, num, Montant);"
                "DROP INDEX IF EXISTS Depenses_vehicule; "
                "CREATE INDEX Depenses_vehicule ON Depenses (num_vehicule, date, num, contrepartie, Type_Dep, Montant);"
                "DROP INDEX IF EXISTS Depenses_km; "
                "CREATE INDEX Depenses_km ON Depenses (num_vehicule, Km, contrepartie, Type_Dep) WHERE Km > 0;"));
        },
        // Version 5: the ledger's totals kept by day (the cash book's balances) and by vehicle, month and
        // heading (the costs of the vehicles), with the triggers that keep them, counted from the ledger.
        [](db::Database& db) { ledger::createKeptTotals(db); },
    };
    return all;
}
} // namespace

void upgradeExerciseDatabase(db::Database& db)
{
    int version = db.userVersion();
    if (version >= kSchemaVersion)
        return;
    // No version of this program writes a negative one: the file is not one of its exercises.
    if (version < 0)
        throw db::Error(QStringLiteral("Version de base inconnue : %1").arg(version));
    // Every step in one transaction: a step that fails leaves the file as it was, not half brought up.
    db::Transaction t(db);
    for (; version < kSchemaVersion; ++version)
        steps()[version](db);
    db.setUserVersion(kSchemaVersion);
    t.commit();
}

} // namespace kv::schema
