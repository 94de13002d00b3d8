#pragma once
// The engine layer's inside: what each engine (SQLite file, PostgreSQL server) does for Database.
// Only Database.cpp and the two engines include this file.
#include "Database.h"
#include "ServerReach.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct pg_conn;

struct pg_conn;

namespace kv::db::detail {

/// The parameters of one statement: positional ("?") or named (":name").
struct Params {
    const QVariantList* list = nullptr;
    const QVariantMap* map = nullptr;
};

class PreparedBackend {
public:
    virtual ~PreparedBackend() = default;
    virtual int execute(const QVariantList& params) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual QString schema() const { return {}; }
    virtual sqlite3* sqlite() const { return nullptr; }

    /// The reads refuse a statement that would write.
    virtual Rows query(const QString& sql, const Params& params) const = 0;
    virtual void forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const = 0;
    virtual void scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const = 0;
    virtual int execute(const QString& sql, const QVariantList& params) = 0;
    virtual void executeScript(const QString& sql) = 0;
    virtual bool isReadOnlyQuery(const QString& sql, QString* error) const = 0;
    virtual std::unique_ptr<PreparedBackend> prepare(const QString& sql) = 0;

    virtual bool hasTable(const QString& table) const = 0;
    virtual QStringList columns(const QString& table) const = 0;
    virtual int userVersion() const = 0;
    virtual void setUserVersion(int version) = 0;
    virtual qint64 lastInsertRowId() const = 0;
    virtual bool inTransaction() const = 0;
    virtual QHash<QString, QString> objectTypes() const = 0;
    virtual QString pageFault(bool full) const = 0;
};

/// The one connection to the server (PgEngine.cpp): libpq's parameters built from the settings (the
/// password typed, or libpq's password file). Null on failure, with what failed in `failure`.
pg_conn* connectTo(const ServerSettings& server, ServerReach* failure);

/// When set, sees each statement the server engine sends through its one statement path, as sent (the
/// translated text, the parameters' texts, null for NULL): the benchmark replays a screen's reads bare
/// with it. Never set by the program.
inline std::function<void(const QByteArray& sql, const std::vector<const char*>& values)> pgStatementWatch;

/// Opens a file (SqliteEngine.cpp) or a server schema (PgEngine.cpp); throw Error.
std::unique_ptr<Backend> openSqlite(const QString& path, Database::Mode mode);
std::unique_ptr<Backend> openPostgres(const ServerSettings& server, const QString& schema, Database::Mode mode);
void dropPostgresSchema(const ServerSettings& server, const QString& schema);
/// A new connection to the server (PgEngine.cpp); throws Error in French when it cannot open.
pg_conn* connectServer(const ServerSettings& server);

/// A field of the engine's current row as Row::value gives it (null, whole number, number, text, bytes).
QVariant sqliteValue(sqlite3_stmt* stmt, int column);
QVariant pgValue(const pg_result* result, int row, int column);

/// The parameter-count refusal both engines give.
inline Error parameterCountError(int expected, qsizetype given)
{
    return Error(QStringLiteral("%1 paramètre(s) attendu(s), %2 fourni(s)").arg(expected).arg(given));
}

inline Error notOpenError() { return Error(QStringLiteral("Base de données non ouverte")); }

} // namespace kv::db::detail
