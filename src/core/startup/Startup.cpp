#include "Startup.h"

#include "EnginePassword.h"
#include "Form12.h"
#include "Recovery.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/connexion/ServerStart.h"
#include "core/formats/Names.h"
#include "core/kit/Guard.h"
#include "core/passwords/Form_v2.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/Schema.h"
#include "core/state/ExerciseStateFile.h"
#include "platform/db/FileOps.h"
#include "platform/db/RecordSet.h"
#include "platform/os/Files.h"
#include "platform/ui/ErrorLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
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
    const QByteArray data = (u'"' + first + QStringLiteral("\"\r\n\"") + second + QStringLiteral("\"\r\n")).toUtf8();
    return db::writeFileAtomic(path, data, error);
}

bool isPossibleExerciseState(int firstYear, int closings)
{
    if (firstYear == 0)
        return true; // no first exercise yet: the dialog asks for one and writes (year, 0)
    return firstYear >= kFirstPossibleYear && closings >= 0 && firstYear + closings <= kLastPossibleYear;
}

bool isSafeInstallationCode(const QString& code)
{
    for (const QChar c : code)
        if (!c.isLetterOrNumber())
            return false;
    return true;
}

QString repairOfferText(int year)
{
    return QStringLiteral("L'exercice %1 (ZEB_%1.MDB) est endommagé.\n"
                          "Le réparer maintenant ? (Le mot de passe de niveau 2 est demandé s'il en existe un.)\n"
                          "Sans réparation, le programme s'arrête sans rien modifier.")
        .arg(year);
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
    chooseEngine();
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
    db::writeFileAtomic(path, "0\r\n", nullptr);
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
    // The installation code names the exercise state file: a code that could name a file elsewhere
    // ("../x") is refused before any file is read or written through it.
    if (!isSafeInstallationCode(s_.settings.installationCode())) {
        s_.ui().message(QStringLiteral("Le code d'installation lu dans ZEB.CFG (« %1 ») n'est pas valable : il ne peut "
                                       "contenir que des lettres et des chiffres.\nLe programme s'arrête sans rien modifier.")
                            .arg(s_.settings.installationCode()),
                        ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
        throw ProgramEnd{1};
    }
    if (s_.settings.isProtected(1)) {
        s_.dialogValue = 1;
        Form_v2 prompt(s_);
        s_.ui().showModal(prompt);
        if (s_.dialogValue != 1)
            throw ProgramEnd{0};
    }
}

void Startup::chooseEngine() { connexion::chooseEngine(s_); }

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
    // Work left to put right means a run cut short: the year is read through before it is opened.
    if (report.any())
        s_.uncleanExit = true;
}

bool Startup::exerciseFileSound(bool full, QString* why, bool* newer)
{
    const QString path = s_.exercisePath(s_.exerciceOuvert);
    *newer = false;
    // The header and the file's length agree: a truncated or foreign file is found without reading it.
    if (!db::checkDatabaseHeader(path, why))
        return false;
    if (full && !db::checkDatabaseFile(path, why))
        return false;
    try {
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        for (const QString& table : schema::standingTables) {
            if (!db.hasTable(table)) {
                *why = QStringLiteral("table %1 absente").arg(table);
                return false;
            }
            // Read as the connection reads them: a schema that names them but cannot be read is found
            // here. The small ones are read through, the ledger's two only opened.
            const bool ledger = table == schema::Depenses || table == schema::Recettes;
            db.query(QString::fromLatin1(ledger ? "SELECT * FROM %1 LIMIT 0" : "SELECT count(*) FROM %1").arg(db::Database::identifier(table)));
        }
        const int version = db.userVersion();
        // No version of the program writes a negative schema version: such a file is not one of its years.
        if (version < 0) {
            *why = QStringLiteral("version de base inconnue");
            return false;
        }
        if (version > schema::kSchemaVersion) {
            *newer = true;
            *why = QStringLiteral("base écrite par une version plus récente du programme");
            return false;
        }
    } catch (const db::Error& e) {
        *why = e.message();
        return false;
    }
    return true;
}

void Startup::checkExerciseDatabase()
{
    // A truncated or foreign file is found here, before the connection writes anything into it. Every
    // start checks the header, the length and the standing tables; after a run that did not end cleanly
    // the engine also reads every page and every index (the exit does the same before its copy).
    if (s_.server)
        return; // the server keeps its own pages; the exercise connection checks the standing tables
    const QString path = s_.exercisePath(s_.exerciceOuvert);
    const bool full = s_.uncleanExit;
    QString why;
    bool newer = false;
    if (exerciseFileSound(full, &why, &newer)) {
        if (full)
            s_.uncleanExit = false; // read through once: a later start-up of this run (an import) need not
        return;
    }
    ui::errorLog().write(QStringLiteral("Exercice %1 refusé au démarrage : %2").arg(s_.exerciceOuvert).arg(why));
    if (newer) {
        s_.ui().message(QStringLiteral("L'exercice %1 (%2) a été écrit par une version plus récente du programme.\n"
                                       "Cette version ne peut pas l'ouvrir ; le fichier est laissé tel quel.")
                            .arg(s_.exerciceOuvert)
                            .arg(QDir::toNativeSeparators(path)),
                        ui::Icon::Exclamation, kZebTitle);
        throw ProgramEnd{1};
    }
    s_.ui().message(QStringLiteral("La base de données semble endommagée\n"), ui::Icon::Exclamation, kZebTitle);
    // The repair, offered behind the level-2 password as its screen is, then the start goes on with
    // the repaired year once it reads through.
    if (s_.repairYear && s_.ui().ask(repairOfferText(s_.exerciceOuvert), ui::Icon::Question, kZebTitle) && checkLevel2(s_)) {
        const bool repaired = s_.repairYear(QFileInfo(path).fileName());
        s_.fermer_exercice();
        if (repaired && exerciseFileSound(true, &why, &newer))
            return;
        if (repaired)
            s_.ui().message(QStringLiteral("La base de données semble endommagée\n"), ui::Icon::Exclamation, kZebTitle);
    }
    throw ProgramEnd{1};
}

void Startup::readExerciseState()
{
    ExerciseState state;
    if (s_.server) {
        // The firm's state, kept on the server for every desk.
        try {
            state = serverstate::readOnServer(*s_.server);
        } catch (const db::Error& e) {
            s_.ui().message(e.message(), ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
            throw ProgramEnd{1};
        }
    } else {
        state = kv::readExerciseState(s_.exerciseStatePath());
    }
    // A record no first-exercise dialog or closing can write (a year -1, 32767, 1993) is not opened:
    // nothing is created from it.
    if (!isPossibleExerciseState(state.firstYear, state.closings)) {
        s_.ui().message(QStringLiteral("Le fichier d'état des exercices %1 est incohérent : premier exercice %2, %3 clôture(s).\n"
                                       "Les exercices possibles vont de %4 à %5. Le programme s'arrête sans rien créer ni modifier.")
                            .arg(QDir::toNativeSeparators(s_.exerciseStatePath()))
                            .arg(state.firstYear)
                            .arg(state.closings)
                            .arg(kFirstPossibleYear)
                            .arg(kLastPossibleYear),
                        ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
        throw ProgramEnd{1};
    }
    s_.premierExercice = state.firstYear;
    s_.nbClotures = state.closings;
    if (s_.premierExercice == 0) {
        Form12 dialog(s_);
        const int result = s_.ui().showModal(dialog);
        if (result == Form12::kConnectionChanged) {
            // The exercises are now read where the new connection points.
            chooseEngine();
            readExerciseState();
            return;
        }
        if (result != QDialog::Accepted)
            throw ProgramEnd{0};
        s_.firstStart = true;
    }
    s_.exerciceOuvert = s_.latestYear();
}

void Startup::ensureExerciseDatabase()
{
    if (s_.server) {
        // A year on the server is its schema: made, whole, when the firm's first year is chosen.
        try {
            db::Database year;
            year.openServer(*s_.server, db::exerciseSchema(s_.exerciceOuvert), db::Database::Mode::ReadOnly);
            if (year.hasTable(schema::Agents))
                return;
        } catch (const db::Error&) {
        }
        try {
            schema::createExerciseSchema(*s_.server, s_.exerciceOuvert);
        } catch (const db::Error& e) {
            s_.ui().message(e.message(), ui::Icon::Critical, QStringLiteral("ATTENTION: End"));
            throw ProgramEnd{1};
        }
        return;
    }
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
