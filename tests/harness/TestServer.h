#pragma once
// The PostgreSQL server the tests run against when KAVOREL_TEST_SERVER holds its connection
// ("host=127.0.0.1 port=… dbname=… user=…", libpq's form; scripts/pg-cluster.sh starts a throwaway
// one). Unset: the tests run on files, as always. Each test process works in schemas of its own
// ("kvt_<pid>_…"), dropped at the end.
#include "platform/db/Database.h"

#include <QCoreApplication>
#include <QTest>
#include <libpq-fe.h>

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

/// Skips the running test on the server, with the reason it is about files by nature.
#define KV_FILE_ONLY(reason)                                                                                            \
    do {                                                                                                               \
        if (::kv::test::onServer())                                                                                    \
            QSKIP("file engine only: " reason);                                                                        \
    } while (false)

} // namespace kv::test
