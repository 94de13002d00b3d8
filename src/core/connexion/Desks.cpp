#include "Desks.h"

#include "ServerExerciseState.h"
#include "platform/db/Database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSet>
#include <QSysInfo>

namespace kv::desks {

namespace {

/// The first key of the years' advisory locks (the second is the year): "KV".
constexpr int kYearLockClass = 0x4B56;

QString now() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }

QString shownTime(const QString& stored)
{
    const QDateTime when = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return when.isValid() ? when.toString(QStringLiteral("dd/MM/yyyy à hh:mm")) : stored;
}

} // namespace

QString deskName()
{
    QString name;
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (name.isEmpty())
            name = qEnvironmentVariable(variable);
    return name.isEmpty() ? QStringLiteral("poste") : name;
}

void ensureTables(const db::ServerSettings& server)
{
    static QSet<QString> done;
    const QString key = QStringLiteral("%1:%2/%3").arg(server.host).arg(server.port).arg(server.database);
    if (done.contains(key))
        return;
    db::Database db;
    db.openServer(server, serverstate::kSchema, db::Database::Mode::Create);
    // Plain SQL both engines take, the tables named in the schema the connection is open on (kavorel).
    if (!db.hasTable(kDesksTable))
        db.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (backend INTEGER PRIMARY KEY, poste TEXT, hote TEXT, "
                                  "processus INTEGER, exercice INTEGER, depuis TEXT, vu TEXT, generation INTEGER)")
                       .arg(db::Database::identifier(kDesksTable)));
    if (!db.hasTable(kGenerationTable)) {
        db::Transaction t(db);
        db.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY CHECK (id = 1), numero INTEGER NOT NULL)")
                       .arg(db::Database::identifier(kGenerationTable)));
        db.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (id, numero) VALUES (1, 0)").arg(db::Database::identifier(kGenerationTable)));
        t.commit();
    }
    done.insert(key);
}

void enterYear(db::Database& yearDb, int year)
{
    // The year's connection names the tables of kavorel through its search path (the year's schema
    // holds none of these names).
    yearDb.scalar(QStringLiteral("SELECT count(*) FROM (SELECT pg_advisory_lock_shared(?, ?)) AS taken"), {kYearLockClass, year});
    db::Transaction t(yearDb);
    yearDb.execute(QStringLiteral("DELETE FROM postes WHERE backend = pg_backend_pid() "
                                  "OR backend NOT IN (SELECT pid FROM pg_stat_activity)"));
    const QString when = now();
    yearDb.execute(QStringLiteral("INSERT INTO postes (backend, poste, hote, processus, exercice, depuis, vu, generation) "
                                  "VALUES (pg_backend_pid(), ?, ?, ?, ?, ?, ?, "
                                  "(SELECT numero FROM generation_exercices WHERE id = 1))"),
                   {deskName(), QSysInfo::machineHostName(), QCoreApplication::applicationPid(), year, when, when});
    t.commit();
}

void leaveYear(db::Database& yearDb) noexcept
{
    try {
        if (yearDb.isOpen() && yearDb.engine() == db::Engine::Server && !yearDb.inTransaction())
            yearDb.execute(QStringLiteral("DELETE FROM postes WHERE backend = pg_backend_pid()"));
    } catch (...) {
        // The row of a connection that is gone is stale: the next desk that registers clears it.
    }
}

void touch(db::Database& yearDb) noexcept
{
    try {
        if (yearDb.isOpen() && yearDb.engine() == db::Engine::Server && !yearDb.inTransaction())
            yearDb.execute(QStringLiteral("UPDATE postes SET vu = ? WHERE backend = pg_backend_pid()"), {now()});
    } catch (...) {
    }
}

bool takeYear(db::Database& db, int year)
{
    return db.scalar(QStringLiteral("SELECT CASE WHEN pg_try_advisory_lock(?, ?) THEN 1 ELSE 0 END"), {kYearLockClass, year})
               .toInt()
           == 1;
}

QList<Desk> desksIn(const db::Database& db, int year)
{
    QList<Desk> desks;
    for (const db::Row& r : db.query(
             QStringLiteral("SELECT p.poste, p.hote, p.processus, p.depuis, l.pid FROM pg_locks l "
                            "LEFT JOIN postes p ON p.backend = l.pid "
                            "WHERE l.locktype = 'advisory' AND l.classid = ? AND l.objid = ? AND l.objsubid = 2 "
                            "AND l.granted AND l.pid <> pg_backend_pid() "
                            "AND l.database = (SELECT a.datid FROM pg_stat_activity a WHERE a.pid = pg_backend_pid()) "
                            "ORDER BY p.depuis, l.pid"),
             {kYearLockClass, year})) {
        Desk d;
        d.poste = r.isNull(QStringLiteral("poste")) ? QStringLiteral("poste inconnu") : r.text(QStringLiteral("poste"));
        d.hote = r.text(QStringLiteral("hote"));
        d.processus = r.isNull(QStringLiteral("processus")) ? 0 : r.integer(QStringLiteral("processus"));
        d.depuis = shownTime(r.text(QStringLiteral("depuis")));
        desks << d;
    }
    return desks;
}

QString busyText(int year, const QList<Desk>& desks)
{
    QString text = QStringLiteral("Exercice ") + QString::number(year)
                   + QStringLiteral(" en cours d'utilisation sur d'autres postes :\n");
    for (const Desk& d : desks) {
        text += QStringLiteral("   - ") + d.poste;
        if (!d.hote.isEmpty())
            text += QStringLiteral(" sur ") + d.hote;
        if (!d.depuis.isEmpty())
            text += QStringLiteral(" depuis le ") + d.depuis;
        text += u'\n';
    }
    return text + QStringLiteral("Opération impossible tant qu'ils n'ont pas quitté cet exercice.");
}

void bumpGeneration(db::Database& db)
{
    db.execute(QStringLiteral("UPDATE generation_exercices SET numero = numero + 1 WHERE id = 1"));
}

bool yearsChanged(const db::Database& yearDb)
{
    const db::Row r = yearDb.queryOne(QStringLiteral("SELECT p.generation, g.numero FROM postes p, generation_exercices g "
                                                     "WHERE p.backend = pg_backend_pid() AND g.id = 1"));
    return r.size() > 0 && r.integer(QStringLiteral("generation")) != r.integer(QStringLiteral("numero"));
}

} // namespace kv::desks
