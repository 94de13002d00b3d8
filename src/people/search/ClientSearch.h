#pragma once
// Finding clients by the beginning of their surname and/or first name (archived clients included).
#include <QList>
#include <QString>
#include <optional>

namespace kv::db { class Database; }

namespace kv::people {

/// A criterion left unset is not applied; a set one is a plain "begins with", letter case ignored
/// (an empty text matches every client; quotes and wildcard characters have no special meaning).
struct ClientCriteria {
    std::optional<QString> nom;
    std::optional<QString> prenom;
};

struct ClientFound {
    qint64 num = 0;
    QString nom, prenom, tel, ville;  ///< the cell texts: a blank then the value; empty when null
};

/// The matching clients in surname, then first-name order.
QList<ClientFound> searchClients(const db::Database& db, const ClientCriteria& criteria);

} // namespace kv::people
