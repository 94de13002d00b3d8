#pragma once
// Which engine this desk works on, kept beside ZEB.CFG in the data folder (CONNEXION.CFG): the local
// year files (the default: no file, or "moteur=fichier"), or the firm's PostgreSQL server with its host,
// port, database and user. The password is never written there: it is asked at each start, or kept in
// libpq's own password file (rememberServerPassword), which libpq reads itself.
#include "platform/db/ServerSettings.h"

#include <QString>

namespace kv::connexion {

/// Name of the choice file in the data folder.
inline const QString kChoiceFileName = QStringLiteral("CONNEXION.CFG");
/// Name of the password file the program writes in the data folder when the user asks it to remember
/// the server's password (libpq's format, mode 0600).
inline const QString kPassFileName = QStringLiteral("kavorel.pgpass");

struct Choice {
    bool onServer = false;          ///< false: the year files of the data folder
    db::ServerSettings server;      ///< meaningful when onServer; its password is never written
    bool operator==(const Choice&) const = default;
};

struct ReadChoice {
    Choice choice;
    /// Empty when the file was absent or read cleanly; otherwise why it was not used (in French): the
    /// desk then works on its local files.
    QString problem;
};

/// Reads the choice file; a missing file gives the local files. A damaged or unknown file gives the
/// local files too, with the reason in `problem`. Never throws.
ReadChoice readChoice(const QString& path);
/// Writes the choice (atomic); the password is left out whatever it holds. False with a message when
/// the file cannot be written or a field cannot be kept on one line.
bool writeChoice(const QString& path, const Choice& choice, QString* error);
/// The text of the choice file, as writeChoice writes it.
QByteArray choiceText(const Choice& choice);

/// A line of libpq's password file for these settings ("host:port:database:user:password", ':' and '\'
/// escaped).
QString passFileLine(const db::ServerSettings& server);
/// Writes the server's password into its password file (server.passFile), replacing the line of the
/// same host, port, database and user and keeping every other line; the file is replaced atomically and
/// readable by its owner only (0600), as libpq requires. An empty password removes that line.
bool rememberServerPassword(const db::ServerSettings& server, QString* error);
/// True when the password file holds a line for these host, port, database and user.
bool passwordRemembered(const db::ServerSettings& server);

} // namespace kv::connexion
