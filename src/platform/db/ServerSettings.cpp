#include "ServerSettings.h"

#include <libpq-fe.h>

#include <QByteArray>
#include <vector>

namespace kv::db {

bool testServerConnection(const ServerSettings& server, QString* message)
{
    const QByteArray host = server.host.toUtf8(), port = QByteArray::number(server.port),
                     dbname = server.database.toUtf8(), user = server.user.toUtf8(),
                     password = server.password.toUtf8(), passfile = server.passFile.toUtf8();
    std::vector<const char*> keys{"host", "port", "dbname", "user", "connect_timeout", "client_encoding"};
    std::vector<const char*> values{host.constData(), port.constData(), dbname.constData(), user.constData(), "5", "UTF8"};
    if (!server.password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    if (!server.passFile.isEmpty()) {
        keys.push_back("passfile");
        values.push_back(passfile.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 0);
    bool ok = conn && PQstatus(conn) == CONNECTION_OK;
    if (ok) {
        PGresult* res = PQexec(conn, "SELECT 1");
        ok = PQresultStatus(res) == PGRES_TUPLES_OK;
        PQclear(res);
    }
    if (!ok && message) {
        const QString detail = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed() : QString();
        *message = QStringLiteral("Le serveur %1:%2 ne répond pas ou refuse la connexion (détail : %3)")
                       .arg(server.host)
                       .arg(server.port)
                       .arg(detail);
    }
    PQfinish(conn);
    return ok;
}

} // namespace kv::db
