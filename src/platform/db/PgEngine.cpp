#include "Backend.h"

namespace kv::db::detail {

std::unique_ptr<Backend> openPostgres(const ServerSettings&, const QString&, Database::Mode)
{
    throw Error(QStringLiteral("Serveur PostgreSQL : pas encore disponible"));
}

void dropPostgresSchema(const ServerSettings&, const QString&) {}

} // namespace kv::db::detail
