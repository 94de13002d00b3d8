#pragma once
// A temporary program folder with a session over the scripted ui, and helpers to write the settings
// files the way the installation leaves them.
#include "core/connexion/ConnectionFile.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/schema/ExerciseSchema.h"
#include "core/startup/Startup.h"
#include "core/state/ProtectedSettings.h"
#include "core/state/Session.h"
#include "harness/ScriptedUi.h"
#include "harness/TestFolder.h"
#include "harness/TestServer.h"

#include <QDir>
#include <QSet>
#include <QtEndian>
#include <memory>

namespace kv::test {

/// Bytes of a ZEB.CFG holding the given records (1-based); other records are zeros.
inline QByteArray cfgBytes(const QMap<int, CfgRecord>& records)
{
    int last = 0;
    for (int n : records.keys())
        last = std::max(last, n);
    QByteArray data(last * ProtectedSettings::kRecordSize, '\0');
    for (auto it = records.constBegin(); it != records.constEnd(); ++it)
        for (int i = 0; i < 42; ++i)
            qToLittleEndian<qint16>(it.value()[i], data.data() + (it.key() - 1) * ProtectedSettings::kRecordSize + 2 * i);
    return data;
}

/// Record 4 with an installation code.
inline CfgRecord codeRecord(const QString& code)
{
    CfgRecord r{};
    for (int i = 0; i < code.size() && i < 3; ++i)
        r[i + 1] = static_cast<qint16>(code[i].unicode() * 7);
    return r;
}

inline QByteArray stateBytes(qint16 first, qint16 closings)
{
    QByteArray data(4, '\0');
    qToLittleEndian<qint16>(first, data.data());
    qToLittleEndian<qint16>(closings, data.data() + 2);
    return data;
}

/// With KAVOREL_TEST_SERVER set, the session works on the test process's database of the server
/// (processServer): the fixture's years are schemas there, dropped when a new fixture is made.
struct CoreFixture {
    std::unique_ptr<TestFolder> folder = std::make_unique<TestFolder>();
    ScriptedUi ui;
    std::unique_ptr<Session> session = newSession(folder->path(), ui);

    static std::unique_ptr<Session> newSession(const QString& path, ScriptedUi& ui)
    {
        auto session = std::make_unique<Session>(path, ui);
        if (const auto server = processServer()) {
            dropServerYears(*server);
            session->server = server;
            // The desk is pointed at the server as a user points it, through its choice file; the test
            // server trusts its role, so the start-up asks no password.
            const connexion::Choice choice{true, *server};
            QString error;
            if (!connexion::writeChoice(QDir(path).filePath(connexion::kChoiceFileName), choice, &error))
                qFatal("the test server's choice file: %s", qPrintable(error));
        }
        return session;
    }

    /// Drops every exercise year of the test process's server database.
    static void dropServerYears(const db::ServerSettings& server)
    {
        for (int year = 1994; year <= 2100; ++year)
            if (createdYears().remove(year))
                db::Database::dropServerSchema(server, db::exerciseSchema(year));
    }
    static QSet<int>& createdYears()
    {
        static QSet<int> years;
        return years;
    }

    /// On the server, makes the exercise `year` afresh (as the template copy makes it on a file), once
    /// per fixture.
    void makeServerYear(int year)
    {
        if (!session->server || createdYears().contains(year))
            return;
        db::Database::dropServerSchema(*session->server, db::exerciseSchema(year));
        createdYears().insert(year);
        schema::createExerciseSchema(*session->server, year);
    }

    /// On the server, makes the years that the folder's exercise state files name (the first year and
    /// one per closing), as the template copies make them on files; nothing on files.
    void makeServerYearsOfState()
    {
        if (!session->server)
            return;
        ExerciseState written;
        for (const QString& name : QDir(folder->path()).entryList({QStringLiteral("*.INI")}, QDir::Files | QDir::Hidden)) {
            const QByteArray state = folder->read(name);
            if (state.size() != 4)
                continue; // not a state file (the engine's settings are text)
            const int first = qFromLittleEndian<qint16>(state.constData());
            const int closings = qFromLittleEndian<qint16>(state.constData() + 2);
            written = {qint16(first), qint16(closings)};
            for (int year = first; first >= 1994 && closings >= 0 && closings <= 30 && year <= first + closings && year <= 2100; ++year)
                makeServerYear(year);
        }
        // On a server the desks read the firm's state there: it is the state file's, as the test wrote it.
        serverstate::writeOnServer(*session->server, written);
    }

    /// The program as a user finds it after start-up: the exercise of `year` open (the latest one).
    void openExercise(qint16 year = 2021)
    {
        folder->write(".INI", stateBytes(year, 0));
        makeServerYearsOfState();
        Startup(*session).run();
    }

    /// A new folder and session; the ui's script is checked (ScriptedUi::check) and started afresh.
    void reset()
    {
        session.reset();
        folder = std::make_unique<TestFolder>();
        ui.reset();
        session = newSession(folder->path(), ui);
    }
};

} // namespace kv::test
