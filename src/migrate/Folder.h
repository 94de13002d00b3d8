#pragma once
// The two moves of kavorel-migrate between a data folder and the firm's server: every exercise year
// and the exercise state, each year checked row for row before it is kept.
#include "platform/db/ServerSettings.h"

#include <QString>
#include <functional>

namespace kv::migrate {

struct Move {
    QString folder;                 ///< the data folder (ZEB.CFG, the year files, the state file)
    db::ServerSettings server;
    bool replace = false;           ///< write over a year (file or schema) already there
    std::function<void(const QString&)> say; ///< one line of what was done, in French
};

/// Copies every year file of the folder into its schema zeb_<year> (one transaction each) and the
/// state into the server. True when everything was copied and checked; each failure is said.
bool toServer(const Move& move);
/// Copies every year of the server (from its state) into its year file, and the state into the
/// folder's state file. True when everything was copied and checked; each failure is said.
bool toFiles(const Move& move);

/// Reads a libpq connection text ("host=… port=… dbname=… user=…"); false with the reason.
bool parseConnection(const QString& text, db::ServerSettings* server, QString* error);

} // namespace kv::migrate
