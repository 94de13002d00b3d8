#include "Backend.h"

#include <QRegularExpression>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace kv::db {

using detail::Params;

namespace {
detail::Backend& live(const std::unique_ptr<detail::Backend>& backend)
{
    if (!backend)
        throw detail::notOpenError();
    return *backend;
}
} // namespace

// The cursor reads the engine's own current row: an SQLite statement, or a row of a server's result
// (text, as libpq gives it, converted here).
qint64 Cursor::integer(int column) const
{
    if (stmt_)
        return sqlite3_column_int64(stmt_, column);
    const char* v = PQgetvalue(result_, row_, column);
    const QByteArray text = QByteArray::fromRawData(v, qsizetype(std::strlen(v)));
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? n : static_cast<qint64>(text.toDouble());
}

double Cursor::number(int column) const
{
    if (stmt_)
        return sqlite3_column_double(stmt_, column);
    const char* v = PQgetvalue(result_, row_, column);
    return QByteArray::fromRawData(v, qsizetype(std::strlen(v))).toDouble();
}

bool Cursor::isNull(int column) const
{
    if (stmt_)
        return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
    return PQgetisnull(result_, row_, column) != 0;
}

QVariant Cursor::value(int column) const
{
    return stmt_ ? detail::sqliteValue(stmt_, column) : detail::pgValue(result_, row_, column);
}

QString Cursor::text(int column) const
{
    if (stmt_) {
        switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                                     sqlite3_column_bytes(stmt_, column));
        case SQLITE_NULL: return {};
        default: break;
        }
    }
    return value(column).toString();
}

Database::Database() = default;
Database::~Database() { close(); }

void Database::open(const QString& path, Mode mode)
{
    close();
    backend_ = detail::openSqlite(path, mode);
    db_ = backend_->sqlite();
    engine_ = Engine::File;
    path_ = path;
}

void Database::openServer(const ServerSettings& server, const QString& schema, Mode mode)
{
    close();
    backend_ = detail::openPostgres(server, schema, mode);
    engine_ = Engine::Server;
    path_ = QStringLiteral("%1:%2/%3/%4").arg(server.host).arg(server.port).arg(server.database, schema);
}

void Database::close() noexcept
{
    backend_.reset();
    db_ = nullptr;
    engine_ = Engine::File;
    path_.clear();
}

QString Database::schema() const { return backend_ ? backend_->schema() : QString(); }
bool Database::inTransaction() const { return backend_ && backend_->inTransaction(); }

Rows Database::query(const QString& sql, const QVariantList& params) const
{
    return live(backend_).query(sql, Params{&params, nullptr});
}

Rows Database::query(const QString& sql, const QVariantMap& params) const
{
    return live(backend_).query(sql, Params{nullptr, &params});
}

void Database::forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const
{
    live(backend_).forEach(sql, params, each);
}

void Database::scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const
{
    live(backend_).scan(sql, params, each);
}

Row Database::queryOne(const QString& sql, const QVariantList& params) const
{
    const Rows rows = query(sql, params);
    return rows.isEmpty() ? Row() : rows.first();
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) const
{
    return queryOne(sql, params).value(0);
}

int Database::execute(const QString& sql, const QVariantList& params) { return live(backend_).execute(sql, params); }
void Database::executeScript(const QString& sql) { live(backend_).executeScript(sql); }

bool Database::isReadOnlyQuery(const QString& sql, QString* error) const
{
    if (!backend_) {
        if (error)
            *error = QStringLiteral("Base de données non ouverte");
        return false;
    }
    return backend_->isReadOnlyQuery(sql, error);
}

Prepared::Prepared(Database& db, const QString& sql) : impl_(live(db.backend_).prepare(sql)) {}
Prepared::~Prepared() = default;
int Prepared::execute(const QVariantList& params) { return impl_->execute(params); }

namespace {
/// The first key of the numbering locks (pg_advisory_xact_lock(space, table)), apart from other locks.
constexpr int kNumberingLockSpace = 0x4B564E;
} // namespace

qint64 Database::nextNum(const QString& table) const
{
    // On a server several desks number at once: inside a transaction the number is taken under a lock
    // of the table's numbering, held until the transaction ends, so that the row written with it is
    // committed before another desk reads the last number (the server reads each statement afresh).
    if (engine_ == Engine::Server && inTransaction())
        scalar(QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(current_schema() || '.' || lower(?)))")
                   .arg(kNumberingLockSpace),
               {identifier(table)});
    const QVariant last = scalar(QStringLiteral("SELECT num FROM %1 ORDER BY num DESC LIMIT 1").arg(identifier(table)));
    return last.isNull() ? 1 : last.toLongLong() + 1;
}

qint64 Database::nextNumAbove(const QString& table, const QList<QPair<QString, QString>>& references) const
{
    qint64 next = nextNum(table);
    for (const auto& [other, column] : references) {
        const QVariant highest =
            scalar(QStringLiteral("SELECT max(%1) FROM %2").arg(identifier(column), identifier(other)));
        if (!highest.isNull())
            next = std::max(next, highest.toLongLong() + 1);
    }
    return next;
}

bool Database::hasTable(const QString& table) const { return live(backend_).hasTable(table); }
QStringList Database::columns(const QString& table) const { return live(backend_).columns(table); }
int Database::userVersion() const { return live(backend_).userVersion(); }
void Database::setUserVersion(int version) { live(backend_).setUserVersion(version); }
qint64 Database::lastInsertRowId() const { return backend_ ? backend_->lastInsertRowId() : 0; }
QHash<QString, QString> Database::objectTypes() const { return live(backend_).objectTypes(); }
QString Database::pageFault(bool full) const { return live(backend_).pageFault(full); }

void Database::dropServerSchema(const ServerSettings& server, const QString& schema)
{
    detail::dropPostgresSchema(server, identifier(schema));
}

QString Database::identifier(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!plain.match(name).hasMatch())
        throw Error(QStringLiteral("Nom invalide : ") + name);
    return name;
}

QString likePrefix(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 1);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return escaped + u'%';
}

namespace {
std::atomic<int> savepointCounter{0};
}

// On a file the outermost level is a savepoint too (SQLite opens the transaction with it); a server
// accepts savepoints only inside a transaction, which BEGIN opens.
Transaction::Transaction(Database& db) : db_(db), name_(QStringLiteral("kv_sp_%1").arg(++savepointCounter))
{
    outermost_ = db_.isOpen() && !db_.inTransaction();
    if (outermost_ && db_.engine() == Engine::Server)
        db_.executeScript(QStringLiteral("BEGIN"));
    else
        db_.executeScript(QStringLiteral("SAVEPOINT ") + name_);
}

Transaction::~Transaction()
{
    if (done_ || !db_.isOpen())
        return;
    try {
        // The outermost transaction is rolled back whole: "ROLLBACK TO" then "RELEASE" would commit the
        // restored pages and stamp the file's header, so that a refused write would not leave the file
        // byte for byte as it was.
        if (outermost_)
            db_.executeScript(QStringLiteral("ROLLBACK"));
        else
            db_.executeScript(QStringLiteral("ROLLBACK TO ") + name_ + QStringLiteral("; RELEASE ") + name_);
    } catch (...) {
    }
}

void Transaction::commit()
{
    if (outermost_ && db_.engine() == Engine::Server)
        db_.executeScript(QStringLiteral("COMMIT"));
    else
        db_.executeScript(QStringLiteral("RELEASE ") + name_);
    done_ = true;
}

} // namespace kv::db
