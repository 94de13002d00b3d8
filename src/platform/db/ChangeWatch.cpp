#include "ChangeWatch.h"

#include "Backend.h"

#include <QSocketNotifier>
#include <libpq-fe.h>

namespace kv::db {

QString changeChannel(const QString& schema) { return QStringLiteral("kavorel_") + schema.toLower(); }

void noteChange(Database& db, const QString& table)
{
    if (db.engine() != Engine::Server)
        return;
    db.execute(QStringLiteral("SELECT pg_notify(?, ?)"), {changeChannel(db.schema()), table.toLower()});
}

ChangeWatch::ChangeWatch(const Database& db, const ServerSettings* server, QObject* parent) : QObject(parent)
{
    if (!server || db.engine() != Engine::Server)
        return;
    try {
        conn_ = detail::connectServer(*server);
    } catch (const Error&) {
        return; // the desk works on; its "Actualiser" still reads the day again
    }
    char* channel = PQescapeIdentifier(conn_, changeChannel(db.schema()).toUtf8().constData(), size_t(changeChannel(db.schema()).toUtf8().size()));
    PGresult* res = PQexec(conn_, (QByteArray("LISTEN ") + channel).constData());
    PQfreemem(channel);
    const bool listening = PQresultStatus(res) == PGRES_COMMAND_OK;
    PQclear(res);
    if (!listening || PQsocket(conn_) < 0) {
        PQfinish(conn_);
        conn_ = nullptr;
        return;
    }
    notifier_ = new QSocketNotifier(qintptr(PQsocket(conn_)), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ChangeWatch::readNotifications);
}

ChangeWatch::~ChangeWatch()
{
    delete notifier_;
    if (conn_)
        PQfinish(conn_);
}

void ChangeWatch::readNotifications()
{
    if (!conn_)
        return;
    if (!PQconsumeInput(conn_)) {
        // The server went away: no more news; the screen's "Actualiser" still works on its own connection.
        notifier_->setEnabled(false);
        return;
    }
    QStringList tables;
    while (PGnotify* n = PQnotifies(conn_)) {
        const QString table = QString::fromUtf8(n->extra);
        if (!tables.contains(table))
            tables << table;
        PQfreemem(n);
    }
    if (!tables.isEmpty())
        emit changed(tables);
}

} // namespace kv::db
