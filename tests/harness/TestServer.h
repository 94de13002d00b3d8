#pragma once
// The PostgreSQL server the tests run against when KAVOREL_TEST_SERVER holds its connection
// ("host=127.0.0.1 port=… dbname=… user=…", libpq's form; scripts/pg-cluster.sh starts a throwaway
// one). Unset: the tests run on files, as always. Each test process works in schemas of its own
// ("kvt_<pid>_…"), dropped at the end.
#include "platform/db/Database.h"

#include <QCoreApplication>
#include <QTest>
#include <libpq-fe.h>

#include <functional>
#include <optional>

namespace kv::test {

/// The test server, or nothing when the tests run on files.
inline std::optional<db::ServerSettings> testServer()
{
    const QByteArray conninfo = qgetenv("KAVOREL_TEST_SERVER");
    if (conninfo.trimmed().isEmpty())
        return std::nullopt;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.constData(), &error);
    if (!options) {
        const QString why = QString::fromUtf8(error ? error : "?");
        PQfreemem(error);
        qFatal("KAVOREL_TEST_SERVER: %s", qPrintable(why));
    }
    db::ServerSettings server;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword), value = QString::fromUtf8(o->val);
        if (key == QLatin1String("host") || key == QLatin1String("hostaddr"))
            server.host = value;
        else if (key == QLatin1String("port"))
            server.port = value.toInt();
        else if (key == QLatin1String("dbname"))
            server.database = value;
        else if (key == QLatin1String("user"))
            server.user = value;
        else if (key == QLatin1String("password"))
            server.password = value;
        else if (key == QLatin1String("passfile"))
            server.passFile = value;
    }
    PQconninfoFree(options);
    return server;
}

inline bool onServer() { return testServer().has_value(); }

/// A schema name of this test process: "kvt_<pid>_<tag>".
inline QString testSchema(const QString& tag)
{
    return QStringLiteral("kvt_%1_%2").arg(QCoreApplication::applicationPid()).arg(tag).toLower();
}

/// The test server with a database of this test process ("kvt_<pid>"), made at the first call and
/// dropped when the process ends; nothing when the tests run on files. The fixtures' exercise years
/// are schemas of it ("zeb_2021").
inline std::optional<db::ServerSettings> processServer()
{
    static const std::optional<db::ServerSettings> server = []() -> std::optional<db::ServerSettings> {
        auto base = testServer();
        if (!base)
            return std::nullopt;
        const QString name = QStringLiteral("kvt_%1").arg(QCoreApplication::applicationPid());
        auto admin = [base](const QByteArray& sql) {
            const QByteArray conninfo = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4'")
                                            .arg(base->host).arg(base->port).arg(base->database, base->user).toUtf8();
            PGconn* conn = PQconnectdb(conninfo.constData());
            PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
            PGresult* res = PQexec(conn, sql.constData());
            const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
            const QByteArray error = PQerrorMessage(conn);
            PQclear(res);
            PQfinish(conn);
            return ok ? QByteArray() : error;
        };
        admin("DROP DATABASE IF EXISTS " + name.toUtf8() + " WITH (FORCE)");
        const QByteArray error = admin("CREATE DATABASE " + name.toUtf8() + " TEMPLATE template0 ENCODING 'UTF8'");
        if (!error.isEmpty())
            qFatal("test server: %s", error.constData());
        // Dropped at the end of the process, whatever connections remain.
        static struct Dropper {
            std::function<void()> drop;
            ~Dropper() { drop(); }
        } dropper{[admin, name] { admin("DROP DATABASE IF EXISTS " + name.toUtf8() + " WITH (FORCE)"); }};
        db::ServerSettings settings = *base;
        settings.database = name;
        return settings;
    }();
    return server;
}

/// Skips the running test on the server, with the reason it is about files by nature.
#define KV_FILE_ONLY(reason)                                                                                            \
    do {                                                                                                               \
        if (::kv::test::onServer())                                                                                    \
            QSKIP("file engine only: " reason);                                                                        \
    } while (false)

} // namespace kv::test
