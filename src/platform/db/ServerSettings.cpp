#include "ServerSettings.h"

#include "Backend.h"
#include "ServerReach.h"

#include <libpq-fe.h>

namespace kv::db {

ServerReach reachServer(const ServerSettings& server)
{
    ServerReach reach;
    PGconn* conn = detail::connectTo(server, &reach);
    if (!conn)
        return reach;
    PGresult* res = PQexec(conn, "SELECT 1");
    if (PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1) {
        reach = {ServerAnswer::Ready, {}};
    } else {
        reach.answer = ServerAnswer::Failed;
        reach.message = QStringLiteral("Le serveur %1:%2 accepte la connexion mais ne répond pas à une requête.\nDétail : %3")
                            .arg(server.host)
                            .arg(server.port)
                            .arg(QString::fromUtf8(PQerrorMessage(conn)).trimmed());
    }
    PQclear(res);
    PQfinish(conn);
    return reach;
}

bool testServerConnection(const ServerSettings& server, QString* message)
{
    const ServerReach reach = reachServer(server);
    if (message)
        *message = reach.message;
    return reach.ok();
}

} // namespace kv::db
