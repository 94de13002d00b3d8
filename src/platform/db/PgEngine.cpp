// The PostgreSQL engine: one libpq connection on one schema of the firm's database ("zeb_2026"), the
// program's statements translated (Dialect.h), parameters bound as "$n", values read back typed as the
// SQLite engine gives them (integers as qint64, REAL as double, text as QString, null as a null QVariant).
#include "Backend.h"
#include "Dialect.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <QRegularExpression>
#include <libpq-fe.h>
#include <poll.h>

#include <cerrno>
#include <chrono>

#include <array>
#include <vector>

namespace kv::db::detail {

namespace {

// Type numbers of the server's built-in types (pg_type.oid), fixed since the first releases.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

// What the kavorel schema holds, shared by the years of the database: the collations of the text
// columns and of LIKE, and the SQLite functions the program's SQL uses. Made again when this number
// changes.
constexpr const char* kSharedVersion = "kavorel-shared-3";

const char* sharedDefinitions()
{
    return R"SQL(
CREATE SCHEMA IF NOT EXISTS kavorel;
-- Text columns: letter case ignored, accents not (as the file's FR_NOCASE): ICU's second strength.
CREATE COLLATION IF NOT EXISTS kavorel.fr_nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false);
-- LIKE: the server refuses it under a non-deterministic collation; ILIKE under ICU's root folds the case
-- of every letter, accented ones included.
CREATE COLLATION IF NOT EXISTS kavorel.fr_fold (provider = icu, locale = 'und');
CREATE OR REPLACE FUNCTION kavorel.round(double precision, integer) RETURNS double precision
    LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT round($1::numeric, $2)::double precision $$;
CREATE OR REPLACE FUNCTION kavorel.round(double precision) RETURNS double precision
    LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT round($1::numeric)::double precision $$;
CREATE OR REPLACE FUNCTION kavorel.date(text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN RETURN to_char($1::date, 'YYYY-MM-DD'); EXCEPTION WHEN others THEN RETURN NULL; END $$;
CREATE OR REPLACE FUNCTION kavorel.date(text, text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN RETURN to_char(($1::date + $2::interval)::date, 'YYYY-MM-DD'); EXCEPTION WHEN others THEN RETURN NULL; END $$;
CREATE OR REPLACE FUNCTION kavorel.strftime(text, text) RETURNS text LANGUAGE plpgsql STABLE STRICT AS $$
DECLARE t timestamp; BEGIN
    t := CASE WHEN lower($2) = 'now' THEN localtimestamp ELSE $2::timestamp END;
    RETURN replace(replace(replace(replace(replace(replace(replace($1,
        '%Y', to_char(t, 'YYYY')), '%m', to_char(t, 'MM')), '%d', to_char(t, 'DD')), '%H', to_char(t, 'HH24')),
        '%M', to_char(t, 'MI')), '%S', to_char(t, 'SS')), '%j', to_char(t, 'DDD'));
EXCEPTION WHEN others THEN RETURN NULL; END $$;
CREATE OR REPLACE FUNCTION kavorel.typeof(anyelement) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN $1 IS NULL THEN 'null'
                WHEN pg_typeof($1) IN ('bigint'::regtype, 'integer'::regtype, 'smallint'::regtype, 'boolean'::regtype) THEN 'integer'
                WHEN pg_typeof($1) IN ('double precision'::regtype, 'real'::regtype, 'numeric'::regtype) THEN 'real'
                WHEN pg_typeof($1) = 'bytea'::regtype THEN 'blob' ELSE 'text' END $$;
CREATE OR REPLACE FUNCTION kavorel.total_step(double precision, double precision) RETURNS double precision
    LANGUAGE sql IMMUTABLE AS $$ SELECT $1 + coalesce($2, 0) $$;
DROP AGGREGATE IF EXISTS kavorel.total(double precision);
CREATE AGGREGATE kavorel.total(double precision) (sfunc = kavorel.total_step, stype = double precision, initcond = '0');
CREATE OR REPLACE FUNCTION kavorel.concat_step(text, anyelement, text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN $2 IS NULL THEN $1 WHEN $1 IS NULL THEN $2::text ELSE $1 || $3 || $2::text END $$;
CREATE OR REPLACE FUNCTION kavorel.concat_step(text, anyelement) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT kavorel.concat_step($1, $2, ',') $$;
DROP AGGREGATE IF EXISTS kavorel.group_concat(anyelement, text);
DROP AGGREGATE IF EXISTS kavorel.group_concat(anyelement);
CREATE AGGREGATE kavorel.group_concat(anyelement, text) (sfunc = kavorel.concat_step, stype = text);
CREATE AGGREGATE kavorel.group_concat(anyelement) (sfunc = kavorel.concat_step, stype = text);
-- What a file's sqlite_master lists, for the schema in use.
CREATE OR REPLACE VIEW kavorel.sqlite_master AS
    SELECT CASE c.relkind WHEN 'i' THEN 'index' WHEN 'v' THEN 'view' ELSE 'table' END::text AS type, c.relname::text AS name,
           coalesce(t.relname, c.relname)::text AS tbl_name, NULL::text AS sql
    FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
    LEFT JOIN pg_index x ON x.indexrelid = c.oid LEFT JOIN pg_class t ON t.oid = x.indrelid
    WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'i', 'v')
    UNION ALL
    SELECT 'trigger', g.tgname::text, c.relname::text, NULL::text
    FROM pg_trigger g JOIN pg_class c ON c.oid = g.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace
    WHERE n.nspname = current_schema() AND NOT g.tgisinternal;
CREATE OR REPLACE VIEW kavorel.sqlite_temp_master AS
    SELECT CASE c.relkind WHEN 'i' THEN 'index' WHEN 'v' THEN 'view' ELSE 'table' END::text AS type, c.relname::text AS name,
           c.relname::text AS tbl_name, NULL::text AS sql
    FROM pg_class c WHERE c.relnamespace = pg_my_temp_schema() AND c.relkind IN ('r', 'p', 'i', 'v');
-- The row number of every table (rowid on a file): an INTEGER PRIMARY KEY given no number takes the
-- last one plus 1, as on a file; the number of the row inserted last is kept for the session.
CREATE OR REPLACE FUNCTION kavorel.note_rowid() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE n bigint; BEGIN
    IF TG_ARGV[0] <> '' THEN
        EXECUTE format('SELECT ($1).%I', TG_ARGV[0]) USING NEW INTO n;
        IF n IS NULL THEN
            EXECUTE format('SELECT coalesce(max(%I), 0) + 1 FROM %I.%I', TG_ARGV[0], TG_TABLE_SCHEMA, TG_TABLE_NAME) INTO n;
            NEW := jsonb_populate_record(NEW, jsonb_build_object(TG_ARGV[0], n));
        END IF;
    ELSE
        n := NEW.kv_rowid;
    END IF;
    PERFORM set_config('kavorel.rowid', n::text, false);
    RETURN NEW;
END $$;
)SQL";
}

/// The user's text of a server failure, from its SQLSTATE, and the number the SQLite engine would give.
QPair<QString, int> frenchServerMessage(const QByteArray& state)
{
    const QByteArray cls = state.left(2);
    if (cls == "23")
        return {QStringLiteral("Enregistrement refusé : il contredit une règle de la base de données."), 19};
    if (state == "40001" || state == "40P01" || state == "55P03" || state == "55006")
        return {QStringLiteral("La base de données est occupée par un autre poste : réessayez."), 5};
    if (state == "25006")
        return {QStringLiteral("La base de données ne peut pas être modifiée (connexion en lecture seule)."), 8};
    if (state == "53100")
        return {QStringLiteral("Le disque du serveur est plein : rien n'a été enregistré."), 13};
    if (cls == "53")
        return {QStringLiteral("Le serveur manque de ressources : réessayez."), 7};
    if (state == "42501" || cls == "28")
        return {QStringLiteral("Accès refusé à la base de données."), 3};
    if (cls == "08" || cls == "57" || state.isEmpty())
        return {QStringLiteral("La connexion au serveur de la base de données est interrompue."), 10};
    if (cls == "22")
        return {QStringLiteral("Donnée incorrecte pour la base de données."), 20};
    if (cls == "XX")
        return {QStringLiteral("La base de données est endommagée sur le serveur."), 11};
    return {QStringLiteral("Erreur de la base de données."), 1};
}

Error serverError(PGconn* conn, const PGresult* res)
{
    const QByteArray state = res ? QByteArray(PQresultErrorField(res, PG_DIAG_SQLSTATE)) : QByteArray();
    QString detail = res ? QString::fromUtf8(PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY)) : QString();
    if (detail.isEmpty())
        detail = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    // A trigger's refusal (RAISE) carries the words of the database's own author: shown as they are.
    if (state == "P0001")
        return Error(detail, 19);
    const auto [text, code] = frenchServerMessage(state);
    return Error(text + QStringLiteral("\nDétail : ") + detail, code);
}

struct Result {
    PGresult* res = nullptr;
    explicit Result(PGresult* r) : res(r) {}
    ~Result() { PQclear(res); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
};

QByteArray textOf(const QVariant& v, bool* binary)
{
    *binary = false;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long: return QByteArray::number(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return QByteArray::number(v.toDouble(), 'g', 17);
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QByteArray: *binary = true; return v.toByteArray();
    default: return v.toString().toUtf8();
    }
}

} // namespace

QVariant pgValue(const pg_result* res, int row, int column)
{
    if (PQgetisnull(res, row, column))
        return {};
    const char* v = PQgetvalue(res, row, column);
    const int length = PQgetlength(res, row, column);
    switch (PQftype(res, column)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid: return QVariant(QByteArray::fromRawData(v, length).toLongLong());
    case kBool: return QVariant(qlonglong(v[0] == 't' ? 1 : 0));
    case kFloat4:
    case kFloat8: return QVariant(QByteArray::fromRawData(v, length).toDouble());
    case kNumeric: {
        // A sum of integers is a numeric without a decimal point: an integer, as on a file.
        const QByteArray text = QByteArray::fromRawData(v, length);
        if (!text.contains('.')) {
            bool ok = false;
            const qlonglong n = text.toLongLong(&ok);
            if (ok)
                return QVariant(n);
        }
        return QVariant(text.toDouble());
    }
    case kBytea: {
        size_t size = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v), &size);
        QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return QVariant(data);
    }
    default: return QVariant(QString::fromUtf8(v, length));
    }
}

namespace {
QVariant valueOf(const PGresult* res, int row, int column) { return pgValue(res, row, column); }

} // namespace

namespace {

// How long a desk waits for the server to answer before calling it unreachable.
constexpr int kConnectSeconds = 10;

/// The SQLSTATE of the server's refusal in libpq's message (verbose form: "FATAL:  28P01: …"), or
/// nothing when the server never answered.
QString refusalState(const QString& text)
{
    static const QRegularExpression code(QStringLiteral(":\\s+([0-9A-Z]{5})(?=:\\s)"));
    for (auto it = code.globalMatch(text); it.hasNext();) {
        const QString state = it.next().captured(1);
        if (state.contains(QRegularExpression(QStringLiteral("[0-9]"))))
            return state;
    }
    return {};
}

/// libpq's message without the verbose form's code and source location.
QString plainDetail(const QString& text, const QString& state)
{
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("LOCATION:")))
            continue;
        if (!state.isEmpty())
            line.replace(state + QStringLiteral(": "), QString());
        lines << line.trimmed();
    }
    return lines.join(QLatin1Char(' '));
}

ServerReach failureOf(PGconn* conn, const ServerSettings& server, bool timedOut)
{
    const QString text = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed() : QString();
    const QString state = refusalState(text);
    const QString where = QStringLiteral("%1:%2").arg(server.host).arg(server.port);
    ServerReach r;
    QString what;
    if (conn && PQconnectionNeedsPassword(conn)) {
        r.answer = ServerAnswer::PasswordNeeded;
        what = QStringLiteral("Le serveur %1 demande un mot de passe pour l'utilisateur « %2 ».").arg(where, server.user);
    } else if (timedOut) {
        r.answer = ServerAnswer::Unreachable;
        what = QStringLiteral("Le serveur %1 ne répond pas (aucune réponse en %2 secondes).").arg(where).arg(kConnectSeconds);
    } else if (state == QLatin1String("28P01")) {
        r.answer = ServerAnswer::PasswordRefused;
        what = QStringLiteral("Le serveur %1 refuse le mot de passe de l'utilisateur « %2 ».").arg(where, server.user);
    } else if (state.startsWith(QLatin1String("28"))) {
        r.answer = ServerAnswer::AccessRefused;
        what = QStringLiteral("Le serveur %1 refuse l'accès de l'utilisateur « %2 » à la base « %3 ».").arg(where, server.user, server.database);
    } else if (state == QLatin1String("3D000")) {
        r.answer = ServerAnswer::DatabaseMissing;
        what = QStringLiteral("Le serveur %1 n'a pas de base « %2 ».").arg(where, server.database);
    } else if (state.isEmpty()) {
        r.answer = ServerAnswer::Unreachable;
        what = QStringLiteral("Le serveur %1 est injoignable (adresse ou port sans serveur qui réponde).").arg(where);
    } else {
        r.answer = ServerAnswer::Failed;
        what = QStringLiteral("Le serveur %1 refuse la connexion.").arg(where);
    }
    const QString detail = plainDetail(text, state);
    r.message = detail.isEmpty() ? what : what + QStringLiteral("\nDétail : ") + detail;
    return r;
}

/// The engine's connection, or the Error that names what failed.
PGconn* connectOrThrow(const ServerSettings& server)
{
    ServerReach failure;
    PGconn* conn = connectTo(server, &failure);
    if (!conn)
        throw Error(failure.message, 14);
    return conn;
}


} // namespace

pg_conn* connectTo(const ServerSettings& server, ServerReach* failure)
{
    const QByteArray host = server.host.toUtf8(), port = QByteArray::number(server.port), dbname = server.database.toUtf8(),
                     user = server.user.toUtf8(), password = server.password.toUtf8(), passfile = server.passFile.toUtf8();
    std::vector<const char*> keys{"host", "port", "dbname", "user", "client_encoding", "application_name"};
    std::vector<const char*> values{host.constData(), port.constData(), dbname.constData(), user.constData(), "UTF8", "Kavorel"};
    if (!server.password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    if (!server.passFile.isEmpty()) {
        keys.push_back("passfile");
        values.push_back(passfile.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    // Started and polled here rather than in one call: the refusal's SQLSTATE is wanted in the message
    // (to tell a refused password from a missing database whatever the server's language), and the
    // verbosity that gives it must be set before the server answers.
    PGconn* conn = PQconnectStartParams(keys.data(), values.data(), 0);
    bool timedOut = false;
    if (conn && PQstatus(conn) != CONNECTION_BAD) {
        PQsetErrorVerbosity(conn, PQERRORS_VERBOSE);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kConnectSeconds);
        PostgresPollingStatusType step = PGRES_POLLING_WRITING;
        while (step != PGRES_POLLING_OK && step != PGRES_POLLING_FAILED) {
            pollfd wait{PQsocket(conn), short(step == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            const int ready = left > 0 ? ::poll(&wait, 1, int(left)) : 0;
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0) {
                timedOut = true;
                break;
            }
            step = PQconnectPoll(conn);
        }
    }
    if (conn && !timedOut && PQstatus(conn) == CONNECTION_OK) {
        PQsetErrorVerbosity(conn, PQERRORS_DEFAULT);
        return conn;
    }
    if (failure)
        *failure = failureOf(conn, server, timedOut);
    PQfinish(conn);
    return nullptr;
}

namespace {
/// Runs a statement of the engine itself (no parameter, no translation); throws on failure.
void run(PGconn* conn, const QByteArray& sql)
{
    Result r(PQexec(conn, sql.constData()));
    const ExecStatusType status = PQresultStatus(r.res);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw serverError(conn, r.res);
}

QByteArray quotedLiteral(PGconn* conn, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    char* q = PQescapeLiteral(conn, utf8.constData(), size_t(utf8.size()));
    const QByteArray out(q);
    PQfreemem(q);
    return out;
}

QByteArray quotedName(const QString& name) { return '"' + name.toLower().toUtf8() + '"'; }

} // namespace

PGconn* connectServer(const ServerSettings& server) { return connectOrThrow(server); }

class PgBackend final : public Backend {
public:
    PgBackend(PGconn* conn, QString schema) : conn_(conn), schema_(std::move(schema)) {}
    ~PgBackend() override { PQfinish(conn_); }

    QString schema() const override { return schema_; }

    Rows query(const QString& sql, const Params& params) const override
    {
        Rows rows;
        walk(sql, params, true, [&](const PGresult* res, const QSharedPointer<const Columns>& columns, const QList<int>& shown) {
            const int n = PQntuples(res);
            rows.reserve(n);
            for (int r = 0; r < n; ++r)
                rows.append(rowOf(res, r, columns, shown));
        });
        return rows;
    }

    void forEach(const QString& sql, const QVariantList& params, const std::function<void(const Row&)>& each) const override
    {
        walk(sql, Params{&params, nullptr}, true, [&](const PGresult* res, const QSharedPointer<const Columns>& columns, const QList<int>& shown) {
            const int n = PQntuples(res);
            for (int r = 0; r < n; ++r)
                each(rowOf(res, r, columns, shown));
        });
    }

    void scan(const QString& sql, const QVariantList& params, const std::function<void(const Cursor&)>& each) const override
    {
        walk(sql, Params{&params, nullptr}, true, [&](const PGresult* res, const QSharedPointer<const Columns>&, const QList<int>&) {
            const int n = PQntuples(res);
            for (int r = 0; r < n; ++r)
                each(Cursor(res, r));
        });
    }

    int execute(const QString& sql, const QVariantList& params) override
    {
        int changed = 0;
        walk(sql, Params{&params, nullptr}, false, [&](const PGresult* res, const QSharedPointer<const Columns>&, const QList<int>&) {
            changed = QByteArray(PQcmdTuples(const_cast<PGresult*>(res))).toInt();
        });
        return changed;
    }

    void executeScript(const QString& sql) override
    {
        for (const QString& statement : splitStatements(sql)) {
            static const QVariantList none;
            execute(statement, none);
        }
    }

    bool isReadOnlyQuery(const QString& sql, QString* error) const override
    {
        auto fail = [&](const QString& why) {
            if (error)
                *error = why;
            return false;
        };
        try {
            const QStringList statements = splitStatements(sql);
            if (statements.isEmpty())
                return fail(QStringLiteral("Requête vide"));
            if (statements.size() > 1)
                return fail(QStringLiteral("Une seule requête est permise"));
            const PgStatement& st = translated(statements.first());
            if (st.writes)
                return fail(QStringLiteral("Seules les requêtes de lecture sont permises"));
            // The server checks the statement without running it (outside a transaction only: a
            // refusal inside one would end it).
            if (!inTransaction()) {
                Result prepared(PQprepare(conn_, "", st.text.constData(), 0, nullptr));
                if (PQresultStatus(prepared.res) != PGRES_COMMAND_OK)
                    return fail(serverError(conn_, prepared.res).message());
                Result described(PQdescribePrepared(conn_, ""));
                if (PQresultStatus(described.res) != PGRES_COMMAND_OK)
                    return fail(serverError(conn_, described.res).message());
                if (PQnfields(described.res) == 0)
                    return fail(QStringLiteral("Seules les requêtes de lecture sont permises"));
            }
            return true;
        } catch (const Error& e) {
            return fail(e.message());
        }
    }

    std::unique_ptr<PreparedBackend> prepare(const QString& sql) override;

    bool hasTable(const QString& table) const override
    {
        return !ownQuery("SELECT 1 FROM pg_tables WHERE schemaname = current_schema() AND tablename = lower($1)", {table}).isEmpty();
    }

    QStringList columns(const QString& table) const override
    {
        QStringList names;
        for (const Row& r : ownQuery("SELECT column_name FROM information_schema.columns WHERE table_schema = current_schema() "
                                     "AND table_name = lower($1) AND column_name <> 'kv_rowid' ORDER BY ordinal_position",
                                     {table})) {
            const QString name = r.value(0).toString();
            names << byTable_.value(table.toLower()).value(name, spelled_.value(name, name));
        }
        return names;
    }

    int userVersion() const override
    {
        const Rows rows = ownQuery("SELECT obj_description(oid, 'pg_namespace') FROM pg_namespace WHERE nspname = current_schema()", {});
        return rows.isEmpty() ? 0 : rows.first().value(0).toString().toInt();
    }

    void setUserVersion(int version) override
    {
        run(conn_, "COMMENT ON SCHEMA " + quotedName(schema_) + " IS '" + QByteArray::number(version) + "'");
    }

    qint64 lastInsertRowId() const override
    {
        const Rows rows = ownQuery("SELECT current_setting('kavorel.rowid', true)", {});
        return rows.isEmpty() ? 0 : rows.first().value(0).toString().toLongLong();
    }

    bool inTransaction() const override { return PQtransactionStatus(conn_) != PQTRANS_IDLE; }

    QHash<QString, QString> objectTypes() const override
    {
        QHash<QString, QString> types;
        for (const Row& r : ownQuery("SELECT c.relname, CASE c.relkind WHEN 'r' THEN 'table' WHEN 'p' THEN 'table' WHEN 'i' THEN 'index' "
                                     "WHEN 'v' THEN 'view' ELSE 'other' END FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                                     "WHERE n.nspname = current_schema() UNION ALL SELECT t.tgname, 'trigger' FROM pg_trigger t "
                                     "JOIN pg_class c ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                                     "WHERE n.nspname = current_schema() AND NOT t.tgisinternal",
                                     {}))
            types.insert(r.value(0).toString().toLower(), r.value(1).toString());
        return types;
    }

    // The server keeps its own pages (and checks them as it reads them).
    QString pageFault(bool) const override { return {}; }

    void loadSpellings()
    {
        for (const Row& r : ownQuery("SELECT tbl, name, spelled FROM kv_names", {})) {
            const QString name = r.value(1).toString(), spelled = r.value(2).toString();
            if (!spelled_.contains(name))
                spelled_.insert(name, spelled);
            byTable_[r.value(0).toString()].insert(name, spelled);
        }
    }

    // A result column is named as the schema spells it, else as the statement does (an alias), as on a file.
    /// Runs one translated statement with its parameters; `sink` gets the result of a read.
    template <typename Sink>
    void walk(const QString& sql, const Params& params, bool readOnly, Sink sink) const
    {
        const PgStatement& st = translated(sql);
        if (st.empty)
            return;
        if (readOnly && st.writes)
            throw Error(QStringLiteral("Écriture refusée : une lecture ne peut pas modifier la base de données.\nDétail : ") + sql);
        QVariantList values;
        const QVariantList* bound = params.list;
        if (params.map) {
            for (const QString& name : st.names) {
                auto it = params.map->constBegin();
                for (; it != params.map->constEnd(); ++it)
                    if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                        break;
                if (it == params.map->constEnd())
                    throw Error(QStringLiteral("Paramètre absent : ") + name);
                values << it.value();
            }
            bound = &values;
        } else {
            if (!st.names.isEmpty())
                throw Error(QStringLiteral("Paramètre sans nom dans la requête"));
            const qsizetype given = bound ? bound->size() : 0;
            if (given != st.positional)
                throw parameterCountError(st.positional, given);
        }
        Result res(exec(st.text, bound));
        const ExecStatusType status = PQresultStatus(res.res);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            // The server names tables and columns in lower case: as the statement spells them instead.
            const Error e = serverError(conn_, res.res);
            QString message = e.message();
            for (auto it = st.spellings.constBegin(); it != st.spellings.constEnd(); ++it)
                message.replace(u'"' + it.key() + u'"', u'"' + it.value() + u'"');
            throw Error(message, e.code());
        }
        for (const QByteArray& after : st.after)
            run(conn_, after);
        if (!st.columnSpellings.isEmpty())
            noteSpellings(st);
        const int n = PQnfields(res.res);
        QStringList names;
        QList<int> shown;
        for (int i = 0; i < n; ++i) {
            const QString name = QString::fromUtf8(PQfname(res.res, i));
            if (name == QLatin1String("kv_rowid") && !st.mentionsRowid)
                continue; // the hidden row number of SELECT *
            shown << i;
            const Oid table = PQftable(res.res, i);
            const QString spelled = table != InvalidOid ? spellingIn(table, name) : QString();
            names << (spelled.isEmpty() ? spelled_.value(name, st.spellings.value(name, name)) : spelled);
        }
        sink(res.res, QSharedPointer<const Columns>::create(names), shown);
    }

    PGresult* exec(const QByteArray& text, const QVariantList* params) const
    {
        const int count = params ? int(params->size()) : 0;
        std::vector<QByteArray> texts(static_cast<size_t>(count));
        std::vector<const char*> values(static_cast<size_t>(count));
        std::vector<int> lengths(static_cast<size_t>(count)), formats(static_cast<size_t>(count));
        // A double is bound as one: left untyped, the server would take the type of what it meets
        // ("coalesce(?, 0)": an integer) and refuse "0.01". The other values stay untyped, so that a text
        // column compares with a text, a bigint column with a whole number.
        std::vector<Oid> types(static_cast<size_t>(count), 0);
        for (int i = 0; i < count; ++i) {
            const QVariant& v = (*params)[i];
            if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
                types[size_t(i)] = kFloat8;
            if (v.isNull()) {
                values[size_t(i)] = nullptr;
                continue;
            }
            bool binary = false;
            texts[size_t(i)] = textOf(v, &binary);
            values[size_t(i)] = texts[size_t(i)].constData();
            lengths[size_t(i)] = int(texts[size_t(i)].size());
            formats[size_t(i)] = binary ? 1 : 0;
        }
        if (pgStatementWatch)
            pgStatementWatch(text, values);
        return PQexecParams(conn_, text.constData(), count, types.data(), values.data(), lengths.data(), formats.data(), 0);
    }

private:
    Row rowOf(const PGresult* res, int r, const QSharedPointer<const Columns>& columns, const QList<int>& shown) const
    {
        QVariantList values;
        values.reserve(shown.size());
        for (int c : shown)
            values << valueOf(res, r, c);
        return Row(columns, std::move(values));
    }

    const PgStatement& translated(const QString& sql) const
    {
        auto it = cache_.constFind(sql);
        if (it != cache_.constEnd())
            return *it;
        if (cache_.size() > 4000)
            cache_.clear();
        return *cache_.insert(sql, toPostgres(sql));
    }

    Rows ownQuery(const char* sql, const QVariantList& params) const
    {
        Result res(exec(QByteArray(sql), &params));
        if (PQresultStatus(res.res) != PGRES_TUPLES_OK)
            throw serverError(conn_, res.res);
        QStringList names;
        QList<int> shown;
        for (int i = 0; i < PQnfields(res.res); ++i) {
            names << QString::fromUtf8(PQfname(res.res, i));
            shown << i;
        }
        const auto columns = QSharedPointer<const Columns>::create(names);
        Rows rows;
        for (int r = 0; r < PQntuples(res.res); ++r)
            rows.append(rowOf(res.res, r, columns, shown));
        return rows;
    }

    void noteSpellings(const PgStatement& st) const
    {
        QByteArrayList rows;
        for (const auto& [table, column] : st.columnSpellings) {
            const QString t = table.toLower(), c = column.toLower();
            if (!spelled_.contains(t))
                spelled_.insert(t, table);
            if (!spelled_.contains(c))
                spelled_.insert(c, column);
            byTable_[t].insert(c, column);
            rows << "(" + quotedLiteral(conn_, t) + ", " + quotedLiteral(conn_, c) + ", " + quotedLiteral(conn_, column) + ")";
        }
        if (!rows.isEmpty())
            run(conn_, "INSERT INTO kv_names (tbl, name, spelled) VALUES " + rows.join(", ") + " ON CONFLICT (tbl, name) DO NOTHING");
    }

    /// A column of a result read from a table: as that table's definition spells it, empty when unknown.
    QString spellingIn(Oid table, const QString& name) const
    {
        auto it = tableNames_.constFind(table);
        if (it == tableNames_.constEnd()) {
            const Rows rows = ownQuery("SELECT c.relname FROM pg_class c WHERE c.oid = $1", {qlonglong(table)});
            it = tableNames_.insert(table, rows.isEmpty() ? QString() : rows.first().value(0).toString());
        }
        return byTable_.value(*it).value(name);
    }

    PGconn* conn_;
    QString schema_;
    mutable QHash<QString, PgStatement> cache_;
    mutable QHash<QString, QString> spelled_;                  ///< lower-case name -> first spelling met
    mutable QHash<QString, QHash<QString, QString>> byTable_;  ///< table -> its columns' spellings
    mutable QHash<Oid, QString> tableNames_;
};

class PgPrepared final : public PreparedBackend {
public:
    PgPrepared(PgBackend& backend, QString sql) : backend_(backend), sql_(std::move(sql)) {}
    int execute(const QVariantList& params) override { return backend_.execute(sql_, params); }

private:
    PgBackend& backend_;
    QString sql_;
};

std::unique_ptr<PreparedBackend> PgBackend::prepare(const QString& sql)
{
    toPostgres(sql); // refused now, as a file refuses a statement it cannot prepare
    return std::make_unique<PgPrepared>(*this, sql);
}

namespace {

/// Makes the kavorel schema's definitions when they are missing or older than this program's.
void ensureShared(PGconn* conn)
{
    auto current = [&] {
        Result r(PQexec(conn, "SELECT obj_description(oid, 'pg_namespace') FROM pg_namespace WHERE nspname = 'kavorel'"));
        return PQresultStatus(r.res) == PGRES_TUPLES_OK && PQntuples(r.res) == 1
               && QByteArray(PQgetvalue(r.res, 0, 0)) == kSharedVersion;
    };
    if (current())
        return;
    // Several desks (or test processes) may start at once: one makes the definitions, the others wait.
    run(conn, "BEGIN");
    try {
        run(conn, "SELECT pg_advisory_xact_lock(hashtext('kavorel shared definitions'))");
        if (!current()) {
            run(conn, sharedDefinitions());
            run(conn, QByteArray("COMMENT ON SCHEMA kavorel IS '") + kSharedVersion + "'");
        }
        run(conn, "COMMIT");
    } catch (...) {
        PQclear(PQexec(conn, "ROLLBACK"));
        throw;
    }
}

} // namespace

std::unique_ptr<Backend> openPostgres(const ServerSettings& server, const QString& schema, Database::Mode mode)
{
    const QString name = Database::identifier(schema).toLower();
    PGconn* conn = connectOrThrow(server);
    auto backend = std::make_unique<PgBackend>(conn, name);
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    run(conn, "SET DateStyle = ISO; SET extra_float_digits = 1; SET client_min_messages = warning");
    if (mode != Database::Mode::ReadOnly)
        ensureShared(conn);
    {
        Result r(PQexecParams(conn, "SELECT 1 FROM pg_namespace WHERE nspname = $1", 1, nullptr,
                              std::array<const char*, 1>{name.toUtf8().constData()}.data(), nullptr, nullptr, 0));
        const bool exists = PQresultStatus(r.res) == PGRES_TUPLES_OK && PQntuples(r.res) == 1;
        if (!exists && mode != Database::Mode::Create)
            throw Error(QStringLiteral("L'exercice %1 est absent du serveur %2:%3 (base %4).").arg(name, server.host).arg(server.port).arg(server.database),
                        14);
    }
    if (mode == Database::Mode::Create)
        run(conn, "CREATE SCHEMA IF NOT EXISTS " + quotedName(name));
    run(conn, "SET search_path = " + quotedName(name) + ", kavorel");
    if (mode != Database::Mode::ReadOnly)
        run(conn, "CREATE TABLE IF NOT EXISTS kv_names (tbl text, name text, spelled text NOT NULL, PRIMARY KEY (tbl, name))");
    else
        run(conn, "SET default_transaction_read_only = on");
    {
        Result r(PQexec(conn, "SELECT 1 FROM pg_tables WHERE schemaname = current_schema() AND tablename = 'kv_names'"));
        if (PQresultStatus(r.res) == PGRES_TUPLES_OK && PQntuples(r.res) == 1)
            backend->loadSpellings();
    }
    return backend;
}

void dropPostgresSchema(const ServerSettings& server, const QString& schema)
{
    PGconn* conn = connectOrThrow(server);
    try {
        PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
        run(conn, "DROP SCHEMA IF EXISTS " + quotedName(schema) + " CASCADE");
    } catch (...) {
        PQfinish(conn);
        throw;
    }
    PQfinish(conn);
}

} // namespace kv::db::detail
