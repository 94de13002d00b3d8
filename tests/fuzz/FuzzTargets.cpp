#include "FuzzTargets.h"

#include "core/startup/Startup.h"
#include "core/state/ExerciseStateFile.h"
#include "core/state/ProtectedSettings.h"
#include "core/state/Session.h"
#include "core/schema/WorkingYear.h"
#include "exercise/common/ExerciseFiles.h"
#include "fleet/vehiclefile/VehicleFile.h"
#include "harness/ScriptedUi.h"
#include "platform/db/FileOps.h"
#include "platform/reports/ReportEngine.h"
#include "platform/reports/SqlGuard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

namespace kv::fuzz {

namespace {

/// One program folder for the whole run, with the template database and the security file.
const QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    static bool filled = [] {
        const QDir program(QStringLiteral(KAVOREL_PROGRAM_DIR));
        for (const char* name : {"ZEB_00.mdb", "system.mdw"})
            QFile::copy(program.filePath(QString::fromLatin1(name)), dir.filePath(QString::fromLatin1(name)));
        return true;
    }();
    (void)filled;
    return dir;
}

QString put(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = folder().filePath(name);
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

void cfg(const uint8_t* data, size_t size)
{
    ProtectedSettings settings;
    settings.load(put(QStringLiteral("ZEB.CFG"), data, size));
    for (int level : {1, 2}) {
        settings.isProtected(level);
        settings.password(level);
    }
    settings.overridePassword();
    settings.installationCode();
    for (int field = 1; field <= 16; ++field)
        if (settings.identity(field).size() != ProtectedSettings::kIdentityWidths[field - 1])
            std::abort(); // an identity field always has its width
    // A settings file the start-up accepts names a state file inside the program folder.
    test::ScriptedUi ui;
    ui.yesToEverything = true; // fuzzed input: its questions cannot be known
    Session s(folder().path(), ui);
    try {
        Startup(s).readProtectedSettings();
    } catch (const ProgramEnd&) {
        return;
    }
    const QFileInfo statePath(s.exerciseStatePath());
    if (statePath.absolutePath() != QFileInfo(folder().path()).absoluteFilePath()
        || statePath.fileName() != s.settings.installationCode() + QStringLiteral(".INI"))
        std::abort();
}

void state(const uint8_t* data, size_t size)
{
    const QString path = put(QStringLiteral(".INI"), data, size);
    {
        // A state the start-up accepts opens a year in range (a first year not chosen yet asks for one:
        // the scripted dialog is left, which ends the start).
        test::ScriptedUi ui;
        ui.yesToEverything = true; // fuzzed input: its questions cannot be known
        Session session(folder().path(), ui);
        try {
            Startup(session).readExerciseState();
            if (session.exerciceOuvert < kFirstPossibleYear || session.exerciceOuvert > kLastPossibleYear)
                std::abort();
        } catch (const ProgramEnd&) {
        }
    }
    const ExerciseState s = readExerciseState(path);
    // Writing keeps any bytes after record 1 and reads back what was written.
    if (writeExerciseState(path, {s.firstYear, qint16(s.closings + 1)}, nullptr)) {
        const ExerciseState back = readExerciseState(path);
        if (back.firstYear != s.firstYear || back.closings != qint16(s.closings + 1))
            std::abort();
    }
}

void vosk(const uint8_t* data, size_t size)
{
    // The engine settings file is never read: whatever lies there, start-up writes it again as "0".
    put(QStringLiteral("VOSK.INI"), data, size);
    test::ScriptedUi ui;
    ui.yesToEverything = true; // fuzzed input: its questions cannot be known
    Session s(folder().path(), ui);
    Startup start(s);
    start.writeEngineSettings();
    QFile f(folder().filePath(QStringLiteral("VOSK.INI")));
    if (!f.open(QIODevice::ReadOnly) || f.readAll() != "0\r\n")
        std::abort();
    try {
        start.openEngine();
    } catch (const ProgramEnd&) {
    }
}

void dirdata(const uint8_t* data, size_t size) { readSignatureFile(put(QStringLiteral("Dir_Data.TXT"), data, size)); }

void signdata(const uint8_t* data, size_t size) { vehiclefile::readSigner(put(QStringLiteral("SignData.TXT"), data, size)); }

void rpt(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const reports::Template tpl = reports::parseTemplate(text, folder().filePath(QStringLiteral("F.RPT")), &error);
    for (const reports::Query& q : tpl.queries) {
        reports::readOnlyViolation(q.sql);
        reports::parameterNames(q.sql);
    }
    if (!tpl.valid)
        return;
    // Every query answers two rows of the same columns; the tags are filled from them.
    const reports::QueryRunner runner = [](const QString& sql, const QVariantMap&) {
        reports::Row row{{QStringLiteral("num"), 1}, {QStringLiteral("nom"), QStringLiteral("<b>é'\"")},
                         {QStringLiteral("montant"), 1234.5}, {QStringLiteral("date"), QStringLiteral("2021-03-05")}};
        for (const QString& name : reports::parameterNames(sql))
            row.insert(name, name);
        return QList<reports::Row>{row, row};
    };
    QVariantMap params;
    for (const reports::Query& q : tpl.queries)
        for (const QString& name : reports::parameterNames(q.sql))
            params.insert(name, QStringLiteral("x"));
    reports::fill(tpl, {{QStringLiteral("ch1"), QStringLiteral("A")}}, runner, params, &error);
}

void picture(const uint8_t* data, size_t size)
{
    const QString path = put(QStringLiteral("photos.BMP"), data, size);
    QImageReader reader(path);
    reader.setAllocationLimit(64);
    reader.read();
}

void exercise(const uint8_t* data, size_t size)
{
    // Start-up's check of the year's file, then the connection: open, upgrade, standing tables.
    const QString path = put(QStringLiteral("ZEB_2021.MDB"), data, size);
    test::ScriptedUi ui;
    ui.yesToEverything = true; // fuzzed input: its questions cannot be known
    Session s(folder().path(), ui);
    s.exerciceOuvert = 2021;
    s.premierExercice = 2021;
    // As after an unclean exit: the full check. A file it accepts, once opened (and upgraded), reads
    // through: every page, every index against its rows.
    s.uncleanExit = true;
    try {
        Startup(s).checkExerciseDatabase();
        s.ouvrir_exercice();
        s.db().scalar(QStringLiteral("SELECT count(*) FROM Permn"));
        s.fermer_exercice();
        QString why;
        if (!db::checkDatabaseFile(path, &why))
            std::abort();
    } catch (const ProgramEnd&) {
        // A refused file is left as it was. One exception: a file that came in write-ahead-log mode (no
        // version of the program writes one) is switched to a rollback journal when the connection opens
        // it, which rewrites the header's journal-mode bytes and stamps its change counter; every other
        // byte stays.
        QFile f(path);
        QByteArray now;
        QByteArray before(reinterpret_cast<const char*>(data), qsizetype(size));
        if (!f.open(QIODevice::ReadOnly))
            std::abort();
        now = f.readAll();
        const bool walHeader = before.size() >= 100 && before.startsWith("SQLite format 3") && before[18] == 2 && before[19] == 2;
        if (walHeader && now.size() == before.size()) {
            for (int i : {18, 19, 24, 25, 26, 27, 92, 93, 94, 95, 96, 97, 98, 99})
                now[i] = before[i];
        }
        if (now != before)
            std::abort();
    } catch (const db::Error&) {
    }
    s.fermer_exercice();
}

void import(const uint8_t* data, size_t size)
{
    const QString path = put(QStringLiteral("20210305.ZEB"), data, size);
    schema::workingYearFaultOfCopy(path, folder().filePath(QStringLiteral("prov.mdb")));
}

} // namespace

QStringList targets()
{
    return {QStringLiteral("cfg"),      QStringLiteral("state"), QStringLiteral("vosk"),
            QStringLiteral("dirdata"),  QStringLiteral("signdata"), QStringLiteral("rpt"),
            QStringLiteral("picture"),  QStringLiteral("exercise"), QStringLiteral("import")};
}

bool run(const QString& target, const uint8_t* data, size_t size)
{
    using Entry = void (*)(const uint8_t*, size_t);
    static const QHash<QString, Entry> entries = {{QStringLiteral("cfg"), cfg},         {QStringLiteral("state"), state},
                                                  {QStringLiteral("vosk"), vosk},       {QStringLiteral("dirdata"), dirdata},
                                                  {QStringLiteral("signdata"), signdata}, {QStringLiteral("rpt"), rpt},
                                                  {QStringLiteral("picture"), picture}, {QStringLiteral("exercise"), exercise},
                                                  {QStringLiteral("import"), import}};
    const auto it = entries.find(target);
    if (it == entries.end())
        return false;
    try {
        it.value()(data, size);
    } catch (const db::Error&) {
    } catch (const std::exception&) {
    }
    return true;
}

} // namespace kv::fuzz
