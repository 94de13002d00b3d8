#pragma once
// What the other desks commit into a year on a server, as it happens: every write of the row writer on
// a server tells the year's channel which table it changed (PostgreSQL's NOTIFY, delivered when the
// writing transaction commits, never when it is rolled back), and a ChangeWatch listens on its own
// connection, woken by the connection's socket in the event loop (no polling, no thread). A screen that
// shows a day or an account reads itself again when a table it shows changed. On a file there is one
// desk: nothing to watch, and a ChangeWatch stays silent.
#include "Database.h"

#include <QObject>
#include <QStringList>

class QSocketNotifier;
struct pg_conn;

namespace kv::db {

/// The channel of a year's changes on the server: "kavorel_zeb_2026".
QString changeChannel(const QString& schema);

/// Tells the other desks that `table` of the database changed (on a server; nothing on a file). Sent
/// when the caller's transaction commits.
void noteChange(Database& db, const QString& table);

class ChangeWatch : public QObject {
    Q_OBJECT
public:
    /// Watches the year of `db` when it is a server schema and `server` reaches it; otherwise watches
    /// nothing (isWatching() false), and the screen relies on its "Actualiser" command.
    ChangeWatch(const Database& db, const ServerSettings* server, QObject* parent = nullptr);
    ~ChangeWatch() override;
    bool isWatching() const { return conn_ != nullptr; }

signals:
    /// Tables (lower case) that another connection committed changes to, gathered since the last signal.
    void changed(const QStringList& tables);

private:
    void readNotifications();

    pg_conn* conn_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kv::db
