#include "Backend.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <sqlite3.h>

#include <atomic>

namespace kv::db {

QString frenchEngineMessage(int code, const QString& detail)
{
    QString text;
    switch (code & 0xff) {
    case SQLITE_FULL: text = QStringLiteral("Le disque est plein : rien n'a été enregistré."); break;
    case SQLITE_READONLY: text = QStringLiteral("La base de données ne peut pas être modifiée (fichier ou dossier en lecture seule)."); break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: text = QStringLiteral("La base de données est endommagée (Fichiers / Réparer une base)."); break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: text = QStringLiteral("La base de données est occupée par un autre programme : réessayez."); break;
    case SQLITE_IOERR: text = QStringLiteral("Erreur de lecture ou d'écriture sur le disque."); break;
    case SQLITE_CANTOPEN: text = QStringLiteral("Le fichier de la base de données ne peut pas être ouvert."); break;
    case SQLITE_PERM:
    case SQLITE_AUTH: text = QStringLiteral("Accès refusé à la base de données."); break;
    case SQLITE_CONSTRAINT: text = QStringLiteral("Enregistrement refusé : il contredit une règle de la base de données."); break;
    case SQLITE_NOMEM: text = QStringLiteral("Mémoire insuffisante."); break;
    case SQLITE_TOOBIG: text = QStringLiteral("Donnée trop grande pour la base de données."); break;
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT: text = QStringLiteral("Opération interrompue."); break;
    case SQLITE_SCHEMA: text = QStringLiteral("La structure de la base de données a changé pendant l'opération."); break;
    case SQLITE_MISMATCH: text = QStringLiteral("Type de donnée incorrect."); break;
    default: text = QStringLiteral("Erreur de la base de données."); break;
    }
    return detail.isEmpty() ? text : text + QStringLiteral("\nDétail : ") + detail;
}

namespace {

QString engineMessage(sqlite3* db, int rc)
{
    const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    // A trigger's refusal (RAISE) carries the words of the database's own author: shown as they are.
    if (db && sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_TRIGGER)
        return detail;
    return frenchEngineMessage(db ? sqlite3_errcode(db) : rc, detail);
}

bool isAscii(const char* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

QString baseLetters(const QString& folded)
{
    const QString decomposed = folded.normalized(QString::NormalizationForm_D);
    QString letters;
    letters.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            letters += c;
    return letters;
}

// Case-insensitive order that folds accented capitals too ("É" equals "é").
int compareNoCase(void*, int n1, const void* p1, int n2, const void* p2)
{
    const char* a = static_cast<const char*>(p1);
    const char* b = static_cast<const char*>(p2);
    if (isAscii(a, n1) && isAscii(b, n2)) {
        const int n = std::min(n1, n2);
        for (int i = 0; i < n; ++i) {
            const int ca = std::tolower(static_cast<unsigned char>(a[i]));
            const int cb = std::tolower(static_cast<unsigned char>(b[i]));
            if (ca != cb)
                return ca < cb ? -1 : 1;
        }
        return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
    }
    // Letters first (accents set aside, so "Écrivain" sorts among the E), then the accents; two texts
    // are equal only when they differ by letter case alone.
    const QString sa = QString::fromUtf8(a, n1).toCaseFolded();
    const QString sb = QString::fromUtf8(b, n2).toCaseFolded();
    const int base = baseLetters(sa).compare(baseLetters(sb));
    if (base != 0)
        return base < 0 ? -1 : 1;
    const int c = sa.compare(sb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// LIKE with '%' and '_' and an optional escape character, ignoring case for every letter.
bool likeMatch(const QString& pattern, int pi, const QString& text, int ti, QChar escape)
{
    while (pi < pattern.size()) {
        const QChar p = pattern[pi];
        if (!escape.isNull() && p == escape && pi + 1 < pattern.size()) {
            if (ti >= text.size() || text[ti] != pattern[pi + 1])
                return false;
            pi += 2;
            ++ti;
        } else if (p == u'%') {
            while (pi < pattern.size() && pattern[pi] == u'%')
                ++pi;
            if (pi == pattern.size())
                return true;
            for (int k = ti; k <= text.size(); ++k)
                if (likeMatch(pattern, pi, text, k, escape))
                    return true;
            return false;
        } else if (p == u'_') {
            if (ti >= text.size())
                return false;
            ++pi;
            ++ti;
        } else {
            if (ti >= text.size() || text[ti] != p)
                return false;
            ++pi;
            ++ti;
        }
    }
    return ti == text.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))).toCaseFolded();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1]))).toCaseFolded();
    QChar escape;
    if (argc == 3) {
        const QString e = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])));
        if (e.size() != 1)
            return sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
        escape = e[0];
    }
    sqlite3_result_int(ctx, likeMatch(pattern, 0, text, 0, escape) ? 1 : 0);
}

void bindValue(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& v)
{
    int rc = SQLITE_OK;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QDate: {
            const QByteArray t = v.toDate().toString(Qt::ISODate).toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, index, b.constData(), b.size(), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db, rc), rc);
}

} // namespace

QVariant detail::sqliteValue(sqlite3_stmt* stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                          sqlite3_column_bytes(stmt, i)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i)));
    default: return QVariant();
    }
}

namespace {
QVariant columnValue(sqlite3_stmt* stmt, int i) { return detail::sqliteValue(stmt, i); }

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace


namespace detail {

class SqliteBackend final : public Backend {
public:
    SqliteBackend(sqlite3* db) : db_(db) {}
    ~SqliteBackend() override { sqlite3_close_v2(db_); }
    sqlite3* sqlite() const override { return db_; }

    Rows query(const QString& sql, const Params& params) const override;
    void forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const override;
    void scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const override;
    int execute(const QString& sql, const QVariantList& params) override;
    void executeScript(const QString& sql) override;
    bool isReadOnlyQuery(const QString& sql, QString* error) const override;
    std::unique_ptr<PreparedBackend> prepare(const QString& sql) override;

    bool hasTable(const QString& table) const override
    {
        const QVariantList params{table};
        return !query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                      Params{&params, nullptr})
                    .isEmpty();
    }
    QStringList columns(const QString& table) const override
    {
        QStringList names;
        const QVariantList params{table};
        for (const Row& r : query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), Params{&params, nullptr}))
            names << r.value(0).toString();
        return names;
    }
    int userVersion() const override { return scalar(QStringLiteral("PRAGMA user_version")).toInt(); }
    void setUserVersion(int version) override { executeScript(QStringLiteral("PRAGMA user_version = %1").arg(version)); }
    qint64 lastInsertRowId() const override { return sqlite3_last_insert_rowid(db_); }
    bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }
    QHash<QString, QString> objectTypes() const override
    {
        QHash<QString, QString> types;
        for (const Row& row : query(QStringLiteral("SELECT lower(name), type FROM sqlite_master"), {}))
            types.insert(row.value(0).toString(), row.value(1).toString());
        return types;
    }
    QString pageFault(bool full) const override
    {
        const QString verdict = scalar(full ? QStringLiteral("PRAGMA integrity_check(1)") : QStringLiteral("PRAGMA quick_check(1)")).toString();
        return verdict == QLatin1String("ok") ? QString() : verdict;
    }

private:
    enum class Access { Read, Write };
    QVariant scalar(const QString& sql) const
    {
        const Rows rows = query(sql, {});
        return rows.isEmpty() ? QVariant() : rows.first().value(0);
    }
    template <typename Binder> Rows run(const QString& sql, Access access, Binder bind) const;
    template <typename Binder, typename Sink> void walk(const QString& sql, Access access, Binder bind, Sink sink) const;
    sqlite3* db_;
};

class SqlitePrepared final : public PreparedBackend {
public:
    SqlitePrepared(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    ~SqlitePrepared() override { sqlite3_finalize(stmt_); }
    int execute(const QVariantList& params) override;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

std::unique_ptr<Backend> openSqlite(const QString& path, Database::Mode mode)
{
    int flags = SQLITE_OPEN_FULLMUTEX;
    switch (mode) {
    case Database::Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Database::Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case Database::Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = engineMessage(db, rc);
        sqlite3_close_v2(db);
        throw Error(msg + QStringLiteral(" (") + path + QStringLiteral(")"), rc);
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, compareNoCase);
    sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr, nullptr);
    auto backend = std::make_unique<SqliteBackend>(db);
    // A file that is not a database opens without complaint; the first read tells.
    backend->query(QStringLiteral("SELECT count(*) FROM sqlite_master"), {});
    // What a crash (the program killed, a power cut) may leave is a database as of its last commit:
    //  - journal_mode DELETE, a rollback journal: a transaction writes the pages it changes into
    //    "<file>-journal" first, and the journal's deletion is the commit; an interrupted transaction
    //    is undone from the journal at the next open. Committed data always lives in the database
    //    file itself, so a plain copy of a closed file (archives, the exit's copy, a closing, an
    //    import) is complete; with a write-ahead log, committed pages would sit in "-wal" beside it
    //    until a checkpoint, and a copy of the file alone after a crash would lose them.
    //  - synchronous FULL: the journal is flushed to disk before the database is written and the
    //    database before the journal goes, so that a commit reported is on the disk and a power cut
    //    at any moment leaves the file consistent (NORMAL may lose the last commits, or worse in
    //    rollback mode, on a power cut). A firm's year is a few thousand rows: the flushes cost little.
    if (mode != Database::Mode::ReadOnly)
        backend->execute(QStringLiteral("PRAGMA journal_mode = DELETE"), {});
    backend->execute(QStringLiteral("PRAGMA synchronous = FULL"), {});
    return backend;
}

namespace {
// A read refuses, before it runs, a statement the engine says may change the file.
void checkAccess(sqlite3_stmt* stmt, bool readOnly)
{
    if (readOnly && !sqlite3_stmt_readonly(stmt))
        throw Error(QStringLiteral("Écriture refusée : une lecture ne peut pas modifier la base de données.\nDétail : ")
                    + QString::fromUtf8(sqlite3_sql(stmt)));
}

auto positional(sqlite3* db, const QVariantList& params)
{
    return [db, &params](sqlite3_stmt* stmt) {
        const int expected = sqlite3_bind_parameter_count(stmt);
        if (expected != params.size())
            throw parameterCountError(expected, params.size());
        for (int i = 0; i < params.size(); ++i)
            bindValue(db, stmt, i + 1, params[i]);
    };
}

auto named(sqlite3* db, const QVariantMap& params)
{
    return [db, &params](sqlite3_stmt* stmt) {
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int i = 1; i <= count; ++i) {
            const char* name = sqlite3_bind_parameter_name(stmt, i);
            if (!name)
                throw Error(QStringLiteral("Paramètre sans nom dans la requête"));
            const QString key = QString::fromUtf8(name + 1);
            auto it = params.constBegin();
            for (; it != params.constEnd(); ++it)
                if (it.key().compare(key, Qt::CaseInsensitive) == 0)
                    break;
            if (it == params.constEnd())
                throw Error(QStringLiteral("Paramètre absent : ") + key);
            bindValue(db, stmt, i, it.value());
        }
    };
}
} // namespace

template <typename Binder, typename Sink>
void SqliteBackend::walk(const QString& sql, Access access, Binder bind, Sink sink) const
{
    const QByteArray text = sql.toUtf8();
    Statement st;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, text.constData(), text.size(), &st.stmt, &tail);
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db_, rc), rc);
    if (!st.stmt)
        return;
    checkAccess(st.stmt, access == Access::Read);
    bind(st.stmt);
    QSharedPointer<const Columns> columns;
    const int n = sqlite3_column_count(st.stmt);
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
        if (!columns) {
            QStringList names;
            for (int i = 0; i < n; ++i)
                names << QString::fromUtf8(sqlite3_column_name(st.stmt, i));
            columns = QSharedPointer<const Columns>::create(names);
        }
        QVariantList values;
        values.reserve(n);
        for (int i = 0; i < n; ++i)
            values << columnValue(st.stmt, i);
        sink(Row(columns, std::move(values)));
    }
    if (rc != SQLITE_DONE)
        throw Error(engineMessage(db_, rc), rc);
}

template <typename Binder> Rows SqliteBackend::run(const QString& sql, Access access, Binder bind) const
{
    Rows rows;
    walk(sql, access, bind, [&rows](Row&& row) { rows.append(std::move(row)); });
    return rows;
}

Rows SqliteBackend::query(const QString& sql, const Params& params) const
{
    if (params.map)
        return run(sql, Access::Read, named(db_, *params.map));
    static const QVariantList none;
    return run(sql, Access::Read, positional(db_, params.list ? *params.list : none));
}

void SqliteBackend::forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const
{
    walk(sql, Access::Read, positional(db_, params), [&each](Row&& row) { each(row); });
}

void SqliteBackend::scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const
{
    const QByteArray text = sql.toUtf8();
    Statement st;
    int rc = sqlite3_prepare_v2(db_, text.constData(), text.size(), &st.stmt, nullptr);
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db_, rc), rc);
    if (!st.stmt)
        return;
    checkAccess(st.stmt, true);
    positional(db_, params)(st.stmt);
    const Cursor cursor(st.stmt);
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW)
        each(cursor);
    if (rc != SQLITE_DONE)
        throw Error(engineMessage(db_, rc), rc);
}

int SqliteBackend::execute(const QString& sql, const QVariantList& params)
{
    run(sql, Access::Write, positional(db_, params));
    return sqlite3_changes(db_);
}

void SqliteBackend::executeScript(const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    const char* cursor = text.constData();
    const char* end = cursor + text.size();
    while (cursor < end) {
        Statement st;
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(db_, cursor, static_cast<int>(end - cursor), &st.stmt, &tail);
        if (rc != SQLITE_OK)
            throw Error(engineMessage(db_, rc), rc);
        cursor = tail;
        if (!st.stmt)
            continue;
        while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            throw Error(engineMessage(db_, rc), rc);
    }
}

bool SqliteBackend::isReadOnlyQuery(const QString& sql, QString* error) const
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QByteArray text = sql.toUtf8();
    Statement st;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, text.constData(), text.size(), &st.stmt, &tail);
    if (rc != SQLITE_OK)
        return fail(engineMessage(db_, rc));
    if (!st.stmt)
        return fail(QStringLiteral("Requête vide"));
    if (!QString::fromUtf8(tail).trimmed().remove(u';').trimmed().isEmpty())
        return fail(QStringLiteral("Une seule requête est permise"));
    if (!sqlite3_stmt_readonly(st.stmt) || sqlite3_column_count(st.stmt) == 0)
        return fail(QStringLiteral("Seules les requêtes de lecture sont permises"));
    return true;
}

std::unique_ptr<PreparedBackend> SqliteBackend::prepare(const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db_, text.constData(), text.size(), &stmt, nullptr);
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db_, rc), rc);
    return std::make_unique<SqlitePrepared>(db_, stmt);
}

int SqlitePrepared::execute(const QVariantList& params)
{
    if (!stmt_)
        return 0;
    sqlite3_reset(stmt_);
    if (sqlite3_bind_parameter_count(stmt_) != params.size())
        throw parameterCountError(sqlite3_bind_parameter_count(stmt_), params.size());
    for (int i = 0; i < params.size(); ++i)
        bindValue(db_, stmt_, i + 1, params[i]);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const Error error(engineMessage(db_, rc), rc);
        sqlite3_reset(stmt_);
        throw error;
    }
    return sqlite3_changes(db_);
}

} // namespace detail

} // namespace kv::db
