#include "Startup.h"

#include "EnginePassword.h"
#include "Form12.h"
#include "Recovery.h"
#include "core/formats/Names.h"
#include "core/kit/Guard.h"
#include "core/passwords/Form_v2.h"
#include "core/schema/Schema.h"
#include "core/state/ExerciseStateFile.h"
#include "platform/db/FileOps.h"
#include "platform/db/RecordSet.h"
#include "platform/os/Files.h"
#include "platform/ui/ErrorLog.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QSaveFile>
#include <QScreen>
#include <QStringDecoder>

namespace kv {

namespace {
const QString kZebTitle = QStringLiteral("Z.E.B.");

QString unquote(QString line)
{
    line = line.trimmed();
    if (line.startsWith(u'"'))
        line.remove(0, 1);
    if (line.endsWith(u'"'))
        line.chop(1);
    return line;
}
} // namespace

std::pair<QString, QString> readSignatureFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.read(64 * 1024);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    const QStringList lines = text.split(u'\n');
    return {unquote(lines.value(0)), unquote(lines.value(1))};
}

bool writeSignatureFile(const QString& path, const QString& first, const QString& second, QString* error)
{
    QSaveFile out(path);
    const QByteArray data = (u'"' + first + QStringLiteral("\"\r\n\"") + second + QStringLiteral("\"\r\n")).toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

void Startup::run()
{
    setTextFormats();
    rememberScreenSize();
    readSignatureTexts();
    checkSystemFiles();
    writeEngineSettings();
    fillNames();
    openEngine();
    readProtectedSettings();
    createFolders();
    recoverInterruptedWork();
    readExerciseState();
    ensureExerciseDatabase();
    checkExerciseDatabase();
    s_.ouvrir_exercice();
    s_.dernierExercice = true;
    // A parameters row the engine refuses to write is reported; the exercise stays open as it is.
    kit::guarded(s_.ui(), [this] { ensureParameters(); });
}

void Startup::setTextFormats()
{
    // Dates are day/month/four-digit year and the decimal separator is "." throughout the program.
    // This is the program's own locale: the user's system settings are left alone.
    QLocale::setDefault(QLocale::c());
}

void Startup::rememberScreenSize()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        s_.originalScreenSize = screen->size();
    s_.displayChoice = DisplayChoice::Origine;
    s_.displayChanged = false;
}

void Startup::readSignatureTexts()
{
    const auto [first, second] = readSignatureFile(s_.programFile(QStringLiteral("Dir_Data.TXT")));
    s_.signature1 = s_.signatureRead1 = first;
    s_.signature2 = s_.signatureRead2 = second;
}

void Startup::checkSystemFiles()
{
    const QString mdw = s_.programFile(QStringLiteral("system.mdw"));
    const QString mda = s_.programFile(QStringLiteral("system.mda"));
    if (!QFile::exists(mdw) && QFile::exists(mda))
        db::copyFileAtomic(mda, mdw, nullptr);
    if (!QFile::exists(mdw)) {
        s_.ui().message(QStringLiteral("Un fichier system est absent! ! !"), ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
        throw ProgramEnd{1};
    }
    if (!QFile::exists(s_.programFile(QStringLiteral("ZEB_00.mdb")))) {
        s_.ui().message(QStringLiteral("Fichier système absent"));
        s_.ui().beep();
        throw ProgramEnd{1};
    }
}

void Startup::writeEngineSettings()
{
    const QString path = s_.programFile(QStringLiteral("VOSK.INI"));
    QFile::remove(path);
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write("0\r\n");
        out.commit();
    }
}

void Startup::fillNames() { dayMonthNames(); }

void Startup::openEngine()
{
    const QString password = enginePassword();
    const db::EngineSettings engine{s_.programFile(QStringLiteral("VOSK.INI")), kEngineUser, password,
                                    s_.programFile(QStringLiteral("system.mdw"))};
    try {
        s_.workspace = std::make_unique<db::Workspace>(engine, kWorkspaceName, kEngineUser, password);
    } catch (const db::Error& e) {
        s_.ui().message(e.message(), ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
        throw ProgramEnd{1};
    }
}

void Startup::readProtectedSettings()
{
    s_.settings.load(s_.programFile(QStringLiteral("ZEB.CFG")));
    if (s_.settings.isProtected(1)) {
        s_.dialogValue = 1;
        Form_v2 prompt(s_);
        s_.ui().showModal(prompt);
        if (s_.dialogValue != 1)
            throw ProgramEnd{0};
    }
}

void Startup::createFolders()
{
    os::ensureFolder(s_.programDir(), QStringLiteral("Archives"));
    os::ensureFolder(s_.programDir(), QStringLiteral("photos"));
}

void Startup::recoverInterruptedWork()
{
    // A run cut short (crash, power cut) leaves work files, journals and maybe a closing half done:
    // put right before the state file is read, so that what follows sees either the old state or the new.
    const recovery::Report report = recovery::recoverInterruptedWork(s_.programDir(), s_.exerciseStatePath());
    QStringList lines;
    if (!report.closing.isEmpty())
        lines << report.closing;
    if (!report.rolledBack.isEmpty())
        lines << QStringLiteral("transaction interrompue annulée : ") + report.rolledBack.join(QStringLiteral(", "));
    if (!report.removed.isEmpty())
        lines << QStringLiteral("fichiers de travail supprimés : ") + report.removed.join(QStringLiteral(", "));
    if (!report.kept.isEmpty())
        lines << QStringLiteral("journaux laissés en place : ") + report.kept.join(QStringLiteral(", "));
    if (!lines.isEmpty())
        ui::errorLog().write(QStringLiteral("Reprise après interruption : ") + lines.join(QStringLiteral("; ")));
}

void Startup::checkExerciseDatabase()
{
    // A truncated or foreign file is found here, before the connection writes anything into it: the
    // engine reads every page (a quick check) and the standing tables must be there.
    const QString path = s_.exercisePath(s_.exerciceOuvert);
    bool sound = false;
    try {
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        sound = db.scalar(QStringLiteral("PRAGMA quick_check")).toString() == QLatin1String("ok");
        for (const QString& table : schema::standingTables) {
            sound = sound && db.hasTable(table);
            // Read as the connection reads them: a schema that names them but cannot be read is found here.
            if (sound)
                db.query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(db::Database::identifier(table)));
        }
        // No version of the program writes a negative schema version: such a file is not one of its years.
        sound = sound && db.userVersion() >= 0;
    } catch (const db::Error&) {
        sound = false;
    }
    if (!sound) {
        s_.ui().message(QStringLiteral("La base de données semble endommagée\n"), ui::Icon::Exclamation, kZebTitle);
        throw ProgramEnd{1};
    }
}

void Startup::readExerciseState()
{
    const ExerciseState state = kv::readExerciseState(s_.exerciseStatePath());
    s_.premierExercice = state.firstYear;
    s_.nbClotures = state.closings;
    if (s_.premierExercice == 0) {
        Form12 dialog(s_);
        if (s_.ui().showModal(dialog) != QDialog::Accepted)
            throw ProgramEnd{0};
        s_.firstStart = true;
    }
    s_.exerciceOuvert = s_.latestYear();
}

void Startup::ensureExerciseDatabase()
{
    const QString path = s_.exercisePath(s_.exerciceOuvert);
    if (!QFile::exists(path))
        db::copyFileAtomic(s_.programFile(QStringLiteral("ZEB_00.mdb")), path, nullptr);
}

void Startup::ensureParameters()
{
    db::Transaction t(s_.db());
    db::RecordSet permn(s_.db(), schema::Permn);
    if (permn.recordCount() > 0)
        return;
    permn.addNew();
    for (const char* field : {"RC", "Id_Fiscale", "Article", "Telephone", "Fax", "Compte_Bancaire"})
        permn.setField(QString::fromLatin1(field), QStringLiteral(" "));
    permn.setField(QStringLiteral("Taux_CNAS"), 9.0);
    permn.setField(QStringLiteral("Taux_PP"), 25.5);
    permn.setField(QStringLiteral("Taux_VF"), 0);
    permn.setField(QStringLiteral("arabe"), 1);
    permn.update();
    t.commit();
}

} // namespace kv
