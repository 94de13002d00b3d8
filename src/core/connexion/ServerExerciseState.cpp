#include "ServerExerciseState.h"

#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"

namespace kv::serverstate {

void ensureTable(db::Database& db)
{
    if (db.hasTable(kTable))
        return;
    // Plain SQL both engines take: one row, its key checked.
    db.execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY CHECK (id = 1), "
                              "premier_exercice INTEGER NOT NULL, nb_clotures INTEGER NOT NULL)")
                   .arg(db::Database::identifier(kTable)));
}

ExerciseState read(const db::Database& db)
{
    if (!db.hasTable(kTable))
        return {};
    const db::Row row = db.queryOne(
        QStringLiteral("SELECT premier_exercice, nb_clotures FROM %1 WHERE id = 1").arg(db::Database::identifier(kTable)));
    if (row.size() == 0)
        return {};
    return {static_cast<qint16>(row.integer(QStringLiteral("premier_exercice"))),
            static_cast<qint16>(row.integer(QStringLiteral("nb_clotures")))};
}

void write(db::Database& db, const ExerciseState& state)
{
    db::Transaction t(db);
    ensureTable(db);
    const db::Fields fields{{QStringLiteral("premier_exercice"), int(state.firstYear)},
                            {QStringLiteral("nb_clotures"), int(state.closings)}};
    if (db::updateRow(db, kTable, fields, QStringLiteral("id"), 1) == 0) {
        db::Fields row{{QStringLiteral("id"), 1}};
        row.append(fields);
        db::insertRow(db, kTable, row);
    }
    t.commit();
}

ExerciseState readOnServer(const db::ServerSettings& server)
{
    db::Database db;
    db.openServer(server, kSchema, db::Database::Mode::Create);
    return read(db);
}

void writeOnServer(const db::ServerSettings& server, const ExerciseState& state)
{
    db::Database db;
    db.openServer(server, kSchema, db::Database::Mode::Create);
    write(db, state);
}

} // namespace kv::serverstate
