#include "Database.h"
#include "TextScan.h"

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

QVariant columnValue(sqlite3_stmt* stmt, int i)
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

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

Database::~Database() { close(); }

void Database::open(const QString& path, Mode mode)
{
    close();
    int flags = SQLITE_OPEN_FULLMUTEX;
    switch (mode) {
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
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
    db_ = db;
    path_ = path;
    try {
        // A file that is not a database opens without complaint; the first read tells.
        query(QStringLiteral("SELECT count(*) FROM sqlite_master"));
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
        if (mode != Mode::ReadOnly)
            execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        execute(QStringLiteral("PRAGMA synchronous = FULL"));
    } catch (...) {
        close();
        throw;
    }
}

void Database::close() noexcept
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    path_.clear();
}

namespace {
// A read refuses, before it runs, a statement the engine says may change the file.
void checkAccess(sqlite3_stmt* stmt, bool readOnly)
{
    if (readOnly && !sqlite3_stmt_readonly(stmt))
        throw Error(QStringLiteral("Écriture refusée : une lecture ne peut pas modifier la base de données.\nDétail : ")
                    + QString::fromUtf8(sqlite3_sql(stmt)));
}
} // namespace

template <typename Binder, typename Sink>
void Database::walk(const QString& sql, Access access, Binder bind, Sink sink) const
{
    if (!db_)
        throw Error(QStringLiteral("Base de données non ouverte"));
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

template <typename Binder> Rows Database::run(const QString& sql, Access access, Binder bind) const
{
    Rows rows;
    walk(sql, access, bind, [&rows](Row&& row) { rows.append(std::move(row)); });
    return rows;
}

namespace {
auto positional(sqlite3* db, const QVariantList& params)
{
    return [db, &params](sqlite3_stmt* stmt) {
        const int expected = sqlite3_bind_parameter_count(stmt);
        if (expected != params.size())
            throw Error(QStringLiteral("%1 paramètre(s) attendu(s), %2 fourni(s)").arg(expected).arg(params.size()));
        for (int i = 0; i < params.size(); ++i)
            bindValue(db, stmt, i + 1, params[i]);
    };
}
} // namespace

void Database::forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const
{
    walk(sql, Access::Read, positional(db_, params), [&each](Row&& row) { each(row); });
}

qint64 Cursor::integer(int column) const { return sqlite3_column_int64(stmt_, column); }
double Cursor::number(int column) const { return sqlite3_column_double(stmt_, column); }
bool Cursor::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
QVariant TextCursor::value(int column) const { return columnValue(stmt_, column); }

QString TextCursor::text(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)), sqlite3_column_bytes(stmt_, column));
    case SQLITE_NULL: return {};
    default: return columnValue(stmt_, column).toString();
    }
}

namespace {

/// The body of a scan: prepares a read, binds its positional parameters, and hands each row to `each`
/// as a cursor of type C.
template <typename C> void scanRows(sqlite3* db, const QString& sql, const QVariantList& params, const std::function<void(const C&)>& each)
{
    if (!db)
        throw Error(QStringLiteral("Base de données non ouverte"));
    const QByteArray text = sql.toUtf8();
    Statement st;
    int rc = sqlite3_prepare_v2(db, text.constData(), text.size(), &st.stmt, nullptr);
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db, rc), rc);
    if (!st.stmt)
        return;
    checkAccess(st.stmt, true);
    const int expected = sqlite3_bind_parameter_count(st.stmt);
    if (expected != params.size())
        throw Error(QStringLiteral("%1 paramètre(s) attendu(s), %2 fourni(s)").arg(expected).arg(params.size()));
    for (int i = 0; i < params.size(); ++i)
        bindValue(db, st.stmt, i + 1, params[i]);
    const C cursor(st.stmt);
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW)
        each(cursor);
    if (rc != SQLITE_DONE)
        throw Error(engineMessage(db, rc), rc);
}

} // namespace

void Database::scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const
{
    scanRows(db_, sql, params, each);
}

void scanTexts(const Database& db, const QString& sql, const QVariantList& params, const std::function<void(const TextCursor&)>& each)
{
    scanRows(db.handle(), sql, params, each);
}

Rows Database::query(const QString& sql, const QVariantList& params) const
{
    return run(sql, Access::Read, positional(db_, params));
}

Rows Database::query(const QString& sql, const QVariantMap& params) const
{
    return run(sql, Access::Read, [&](sqlite3_stmt* stmt) {
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
            bindValue(db_, stmt, i, it.value());
        }
    });
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

Prepared::Prepared(Database& db, const QString& sql) : db_(db)
{
    if (!db.handle())
        throw Error(QStringLiteral("Base de données non ouverte"));
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), text.constData(), text.size(), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        throw Error(engineMessage(db.handle(), rc), rc);
}

Prepared::~Prepared() { sqlite3_finalize(stmt_); }

int Prepared::execute(const QVariantList& params)
{
    sqlite3* handle = db_.handle();
    if (!stmt_)
        return 0;
    sqlite3_reset(stmt_);
    if (sqlite3_bind_parameter_count(stmt_) != params.size())
        throw Error(QStringLiteral("%1 paramètre(s) attendu(s), %2 fourni(s)").arg(sqlite3_bind_parameter_count(stmt_)).arg(params.size()));
    for (int i = 0; i < params.size(); ++i)
        bindValue(handle, stmt_, i + 1, params[i]);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const Error error(engineMessage(handle, rc), rc);
        sqlite3_reset(stmt_);
        throw error;
    }
    return sqlite3_changes(handle);
}

int Database::execute(const QString& sql, const QVariantList& params)
{
    run(sql, Access::Write, positional(db_, params));
    return sqlite3_changes(db_);
}

void Database::executeScript(const QString& sql)
{
    if (!db_)
        throw Error(QStringLiteral("Base de données non ouverte"));
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

bool Database::isReadOnlyQuery(const QString& sql, QString* error) const
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!db_)
        return fail(QStringLiteral("Base de données non ouverte"));
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

qint64 Database::nextNum(const QString& table) const
{
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

bool Database::hasTable(const QString& table) const
{
    return !scalar(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"), {table})
                .isNull();
}

QStringList Database::columns(const QString& table) const
{
    QStringList names;
    for (const Row& r : query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}))
        names << r.text(QStringLiteral("name"));
    return names;
}

int Database::userVersion() const { return scalar(QStringLiteral("PRAGMA user_version")).toInt(); }

void Database::setUserVersion(int version)
{
    executeScript(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

qint64 Database::lastInsertRowId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

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

Transaction::Transaction(Database& db) : db_(db), name_(QStringLiteral("kv_sp_%1").arg(++savepointCounter))
{
    outermost_ = db_.handle() && sqlite3_get_autocommit(db_.handle()) != 0;
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
    db_.executeScript(QStringLiteral("RELEASE ") + name_);
    done_ = true;
}

} // namespace kv::db
