#pragma once
// One open database of the program, on one of two engines: an SQLite file (the default, one desk) or a
// schema of a PostgreSQL server (several desks on one firm). Screens and logic use this interface
// alone and write their statements in the program's SQL (SQLite's); on a server the engine layer
// translates them (Dialect.h). Every statement takes bound parameters: a typed value never becomes SQL
// text. Text compares ignore letter case, accented letters included (the FR_NOCASE collation and the
// LIKE function on a file; an ICU collation and a folded LIKE on a server).
#include "Error.h"
#include "Row.h"
#include "ServerSettings.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;
struct pg_result;

namespace kv::db {

/// Where a database lives: an SQLite file, or a schema on a PostgreSQL server.
enum class Engine { File, Server };

namespace detail {
class Backend;
class PreparedBackend;
class SqliteBackend;
class PgBackend;
} // namespace detail

/// Name of the collation declared on every text column of the exercise databases.
inline constexpr const char* kTextCollation = "FR_NOCASE";

/// The current row of a scan (Database::scan), read column by column.
class Cursor {
public:
    qint64 integer(int column) const;
    double number(int column) const;
    bool isNull(int column) const;
    /// The field as Row::value gives it: null, a whole number, a number, a text.
    QVariant value(int column) const;
    /// The field's text as Row::value(...).toString() gives it; empty for null.
    QString text(int column) const;

private:
    friend class detail::SqliteBackend;
    friend class detail::PgBackend;
    explicit Cursor(sqlite3_stmt* stmt) : stmt_(stmt) {}
    Cursor(const pg_result* result, int row) : result_(result), row_(row) {}
    sqlite3_stmt* stmt_ = nullptr;
    const pg_result* result_ = nullptr;
    int row_ = 0;
};

class Database {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// Opens an existing file (or creates it in Create mode) and checks that it is a database.
    /// Throws Error with the engine's message.
    void open(const QString& path, Mode mode = Mode::ReadWrite);
    /// Opens the schema `schema` ("zeb_2026") of the server's database: an existing one in ReadWrite and
    /// ReadOnly modes (ReadOnly: every transaction of the connection is read-only), made when missing in
    /// Create mode. The server's shared definitions (the collation, the functions the program's SQL
    /// needs) are made in the database when missing. Throws Error in French with the server's text.
    void openServer(const ServerSettings& server, const QString& schema, Mode mode = Mode::ReadWrite);
    /// Closes the file or the connection; errors while closing are ignored.
    void close() noexcept;
    bool isOpen() const { return backend_ != nullptr; }
    /// The file's path; on a server "host:port/database/schema".
    QString path() const { return path_; }
    Engine engine() const { return engine_; }
    /// The server schema the database is, empty on a file.
    QString schema() const;
    /// True inside a transaction (Transaction, or BEGIN run by hand).
    bool inTransaction() const;

    // The reads (query, forEach, scan, queryOne, scalar) are const and refuse a statement that would
    // change the file (Error): a const Database cannot write. Writes go through the non-const execute,
    // executeScript, Prepared and the row writer (RowWriter.h).

    /// Runs one query; positional parameters bind to "?", a QVariantMap binds to ":name".
    Rows query(const QString& sql, const QVariantList& params = {}) const;
    Rows query(const QString& sql, const QVariantMap& params) const;
    /// Runs one query and hands each row to `each` as it is read, holding none of them: the long lists.
    void forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const;
    /// Runs one query and hands each row to `each` as the engine holds it, copying nothing: the scans
    /// of a whole year's ledger (numbers and amounts), where a row object per line would cost more than
    /// the engine's own work. The cursor is valid only inside the call.
    void scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const;
    /// First row, or an empty row when none.
    Row queryOne(const QString& sql, const QVariantList& params = {}) const;
    /// First field of the first row; null when no row (and null for a sum over no row).
    QVariant scalar(const QString& sql, const QVariantList& params = {}) const;
    /// Runs one statement that may write; returns the number of rows it changed.
    int execute(const QString& sql, const QVariantList& params = {});
    /// Runs several statements in turn, stopping at the first error (which is thrown).
    void executeScript(const QString& sql);

    /// True when the text is exactly one statement that reads and never writes.
    bool isReadOnlyQuery(const QString& sql, QString* error = nullptr) const;

    /// The numbering rule: the `num` of the last row in `num` order, plus 1; 1 for an empty table.
    qint64 nextNum(const QString& table) const;
    /// The numbering rule for rows that other tables refer to: above the last `num` of `table` and
    /// above every number still referenced by the (table, column) pairs, so that a new row never takes
    /// the number of a deleted one whose lines remain.
    qint64 nextNumAbove(const QString& table, const QList<QPair<QString, QString>>& references) const;

    bool hasTable(const QString& table) const;
    QStringList columns(const QString& table) const;
    int userVersion() const;
    void setUserVersion(int version);
    qint64 lastInsertRowId() const;

    /// Every table, index, view and trigger of the database: lower-case name -> "table", "index", …
    QHash<QString, QString> objectTypes() const;
    /// The engine's own check of the stored pages: empty when sound, otherwise its first finding.
    /// `full` checks every index against its table too. A server keeps its own pages: always sound.
    QString pageFault(bool full) const;

    /// The SQLite connection; null on a server (the file operations and the benchmark's own reads).
    sqlite3* handle() const { return db_; }

    /// Checks that a table or column name is a plain identifier (letters, digits, underscore).
    static QString identifier(const QString& name);

    /// Drops a schema of the server with everything in it (a year's tests, a closing undone); no
    /// error when it is absent. Throws Error when the server refuses.
    static void dropServerSchema(const ServerSettings& server, const QString& schema);

private:
    friend class Prepared;
    std::unique_ptr<detail::Backend> backend_;
    sqlite3* db_ = nullptr;
    Engine engine_ = Engine::File;
    QString path_;
};

/// One statement prepared once and run many times with new positional parameters: the bulk writes of
/// the demo exercise, inside the caller's transaction. The database must outlive it.
class Prepared {
public:
    Prepared(Database& db, const QString& sql);
    ~Prepared();
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;
    /// Runs the statement with these parameters (as many as it has "?"); returns the rows it changed.
    int execute(const QVariantList& params);

private:
    std::unique_ptr<detail::PreparedBackend> impl_;
};

/// Escapes a typed text for use as a "begins with" pattern: `LIKE ? ESCAPE '\'` with this value.
QString likePrefix(const QString& text);

/// A transaction over a database: rolls back when it leaves scope uncommitted; nests through savepoints.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    QString name_;
    bool outermost_ = false;
    bool done_ = false;
};

} // namespace kv::db
