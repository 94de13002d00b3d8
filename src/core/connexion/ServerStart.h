#pragma once
// The start-up's choice of engine: the local year files, or the firm's server once it answers.
#include <QString>

namespace kv {
class Session;
}

namespace kv::connexion {

/// Reads the choice file. On the local files: takes the data folder's single-instance lock when not held
/// yet (Session::lockFolder). On a server: reaches it first with what it has (the password typed earlier
/// in this run, libpq's password file, or none), asks the password only when the server wants one and
/// again, with the refusal shown, while it refuses the one given; then sets Session::server. A server
/// that does not answer or refuses otherwise is reported with its reason and the "Connexion" screen
/// offered, then tried again; a damaged choice file is reported and the local files used. Throws
/// ProgramEnd when the user leaves.
void chooseEngine(Session& session);

/// The question shown when the server cannot be reached: the reason, then the offer of the screen.
QString unreachableText(const QString& why);

} // namespace kv::connexion
