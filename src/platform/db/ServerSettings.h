#pragma once
// Where a desk finds the firm's PostgreSQL server: host, port, database and user. The password is held
// in memory for the session only; the program never writes it in clear (it is asked at start, or kept
// in libpq's own password file, which libpq reads itself).
#include <QString>

namespace kv::db {

struct ServerSettings {
    QString host = QStringLiteral("127.0.0.1");
    int port = 5432;
    QString database;
    QString user;
    QString password;   ///< in memory only; empty when libpq's password file holds it
    QString passFile;   ///< libpq's password file to read, when not its default (~/.pgpass)

    bool operator==(const ServerSettings&) const = default;
};

/// The schema that holds an exercise year on the server: "zeb_2026".
inline QString exerciseSchema(int year) { return QStringLiteral("zeb_%1").arg(year); }

/// Tries to reach the server with these settings: true when a connection opens and answers. On
/// failure, `message` holds the reason in French with the server's own text as detail.
bool testServerConnection(const ServerSettings& server, QString* message);

} // namespace kv::db
