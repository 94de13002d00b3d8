#include "ServerYears.h"

#include "core/connexion/Desks.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/ledger/KeptTotals.h"
#include "core/schema/ExerciseSchema.h"
#include "migrate/Migrate.h"

namespace kv::exercise::serveryears {

namespace {
QString schemaOf(int year) { return db::Database::identifier(db::exerciseSchema(year)).toLower(); }
} // namespace

std::unique_ptr<db::Database> takeYears(const db::ServerSettings& server, const QList<int>& years, QString* refusal)
{
    auto work = std::make_unique<db::Database>();
    work->openServer(server, serverstate::kSchema, db::Database::Mode::Create);
    desks::ensureTables(server);
    for (int year : years) {
        if (desks::takeYear(*work, year))
            continue;
        if (refusal)
            *refusal = desks::busyText(year, desks::desksIn(*work, year));
        return nullptr; // closing the connection lets go of the years taken so far
    }
    return work;
}

ExerciseState checkedState(db::Database& work, int firstYear, int closings)
{
    const db::Row row = work.queryOne(QStringLiteral("SELECT premier_exercice, nb_clotures FROM %1 WHERE id = 1")
                                          .arg(db::Database::identifier(serverstate::kTable)));
    const ExerciseState state{static_cast<qint16>(row.size() ? row.integer(QStringLiteral("premier_exercice")) : 0),
                              static_cast<qint16>(row.size() ? row.integer(QStringLiteral("nb_clotures")) : 0)};
    if (state.firstYear != firstYear || state.closings != closings)
        throw db::Error(QStringLiteral("Les exercices ont été changés sur un autre poste (exercices %1 à %2 sur le serveur) : "
                                       "revenir à la fenêtre principale et recommencer.")
                            .arg(state.firstYear)
                            .arg(state.firstYear + state.closings));
    return state;
}

bool yearHasTables(const db::Database& work, int year)
{
    return !work.query(QStringLiteral("SELECT 1 FROM pg_tables WHERE schemaname = ? AND tablename = 'agents'"),
                       {db::exerciseSchema(year).toLower()})
                .isEmpty();
}

void addressYear(db::Database& work, int year)
{
    work.execute(QStringLiteral("SET LOCAL search_path = %1, kavorel").arg(schemaOf(year)));
}

void createYear(db::Database& work, int year)
{
    work.execute(QStringLiteral("CREATE SCHEMA %1").arg(schemaOf(year)));
    addressYear(work, year);
    // The engine layer's own record of how the program spells its names, as every year's schema has it.
    work.execute(QStringLiteral("CREATE TABLE kv_names (tbl text, name text, spelled text NOT NULL, "
                                "PRIMARY KEY (tbl, name))"));
    work.executeScript(schema::schemaScript());
    ledger::createKeptTotals(work);
    // The schema's version is its comment, as the engine layer keeps it; written from a quoted body, the
    // statement being the server's own rather than the program's SQL.
    work.execute(QStringLiteral("DO 'BEGIN EXECUTE format(''COMMENT ON SCHEMA %I IS %L'', ''%1'', ''%2''); END'")
                     .arg(schemaOf(year))
                     .arg(schema::kSchemaVersion));
}

void copyRowsFrom(db::Database& work, int fromYear)
{
    // The ledger's triggers fill the kept totals as its rows come; the kept totals' own rows (a carried
    // balance included) come last and take their place.
    for (const QString& table : migrate::yearTables()) {
        QStringList quoted;
        for (const QString& c : work.columns(table))
            quoted << db::Database::identifier(c);
        const QString name = db::Database::identifier(table);
        work.execute(QStringLiteral("DELETE FROM %1").arg(name));
        work.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3.%1 ORDER BY rowid")
                         .arg(name, quoted.join(u','), schemaOf(fromYear)));
    }
}

void dropYear(db::Database& work, int year)
{
    work.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schemaOf(year)));
}

} // namespace kv::exercise::serveryears
