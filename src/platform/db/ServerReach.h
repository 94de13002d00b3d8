#pragma once
// Reaching the firm's PostgreSQL server: whether it answers with these settings, and if not, what
// failed, so that the start-up asks for a password only when the server wants one.
#include "ServerSettings.h"

#include <QString>

namespace kv::db {

/// What the server answered to a connection.
enum class ServerAnswer {
    Ready,           ///< connected, and it answered a query
    Unreachable,     ///< nothing answers at host:port (refused, unknown host, no answer in time)
    PasswordNeeded,  ///< the server wants a password and none was given (typed or in the password file)
    PasswordRefused, ///< the password given was refused
    AccessRefused,   ///< the user may not connect (unknown user, no rule for this desk)
    DatabaseMissing, ///< the server has no such database
    Failed,          ///< any other refusal (too many connections, the server starting or stopping…)
};

struct ServerReach {
    ServerAnswer answer = ServerAnswer::Failed;
    /// Empty when Ready; otherwise what failed, in French, naming the server, then "Détail : " and the
    /// server's own words.
    QString message;
    bool ok() const { return answer == ServerAnswer::Ready; }
};

/// Connects with these settings through the engine's own connection and runs "SELECT 1".
ServerReach reachServer(const ServerSettings& server);

} // namespace kv::db
