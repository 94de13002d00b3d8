#include "Folder.h"

#include "Migrate.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/WorkingYear.h"
#include "core/state/ExerciseStateFile.h"
#include "core/state/ProtectedSettings.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"
#include "platform/os/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <libpq-fe.h>

namespace kv::migrate {

namespace {

QString statePath(const QString& folder)
{
    ProtectedSettings settings;
    settings.load(os::resolve(folder, QStringLiteral("ZEB.CFG")));
    return os::resolve(folder, settings.installationCode() + QStringLiteral(".INI"));
}

QString rowsText(const Copied& c)
{
    return QStringLiteral("%1 tables, %2 lignes").arg(c.tables).arg(c.rows);
}

bool schemaExists(const db::ServerSettings& server, const QString& schema)
{
    try {
        db::Database d;
        d.openServer(server, schema, db::Database::Mode::ReadOnly);
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

} // namespace

bool parseConnection(const QString& text, db::ServerSettings* server, QString* error)
{
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &message);
    if (!options) {
        if (error)
            *error = QStringLiteral("paramètres de connexion illisibles (%1)").arg(message ? QString::fromUtf8(message).trimmed() : QString());
        PQfreemem(message);
        return false;
    }
    db::ServerSettings s;
    s.host.clear();
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword), value = QString::fromUtf8(o->val);
        if (key == QLatin1String("host") || key == QLatin1String("hostaddr"))
            s.host = value;
        else if (key == QLatin1String("port"))
            s.port = value.toInt();
        else if (key == QLatin1String("dbname"))
            s.database = value;
        else if (key == QLatin1String("user"))
            s.user = value;
        else if (key == QLatin1String("password"))
            s.password = value;
        else if (key == QLatin1String("passfile"))
            s.passFile = value;
    }
    PQconninfoFree(options);
    if (s.host.isEmpty() || s.database.isEmpty() || s.user.isEmpty() || s.port <= 0) {
        if (error)
            *error = QStringLiteral("indiquez host=, dbname= et user= (et port= s'il n'est pas 5432)");
        return false;
    }
    *server = s;
    return true;
}

bool toServer(const Move& m)
{
    const QMap<int, QString> years = yearFiles(m.folder);
    if (years.isEmpty()) {
        m.say(QStringLiteral("Aucun exercice (ZEB_<année>.MDB) dans %1.").arg(QDir::toNativeSeparators(m.folder)));
        return false;
    }
    QString why;
    if (!db::testServerConnection(m.server, &why)) {
        m.say(why);
        return false;
    }
    bool all = true;
    const QString scratch = QDir(m.folder).filePath(QStringLiteral("migration.mdb"));
    for (auto it = years.constBegin(); it != years.constEnd(); ++it) {
        const int year = it.key();
        const QString file = QFileInfo(it.value()).fileName(), schema = db::exerciseSchema(year);
        if (!m.replace && schemaExists(m.server, schema)) {
            m.say(QStringLiteral("Exercice %1 : le schéma %2 existe déjà sur le serveur (--replace pour le remplacer) ; non copié.").arg(year).arg(schema));
            all = false;
            continue;
        }
        // The year file is only read: it is checked (and brought to the current version) on a copy.
        const QString fault = schema::workingYearFaultOfCopy(it.value(), scratch);
        if (!fault.isEmpty()) {
            m.say(QStringLiteral("Exercice %1 : %2 n'est pas un exercice utilisable (%3) ; non copié.").arg(year).arg(file, fault));
            QFile::remove(scratch);
            all = false;
            continue;
        }
        const bool made = !schemaExists(m.server, schema);
        bool copiedOk = false;
        try {
            db::Database from;
            from.open(scratch, db::Database::Mode::ReadOnly);
            if (made)
                schema::createExerciseSchema(m.server, year);
            db::Database to;
            to.openServer(m.server, schema, db::Database::Mode::ReadWrite);
            Copied copied;
            QString error;
            copiedOk = copyYearChecked(from, to, &copied, &error);
            if (copiedOk)
                m.say(QStringLiteral("Exercice %1 : %2 copié dans le schéma %3 (%4, identiques ligne à ligne).")
                          .arg(year)
                          .arg(file, schema, rowsText(copied)));
            else {
                m.say(QStringLiteral("Exercice %1 : échec de la copie dans %2 : %3").arg(year).arg(schema, error));
                all = false;
            }
        } catch (const db::Error& e) {
            m.say(QStringLiteral("Exercice %1 : %2").arg(year).arg(e.message()));
            all = false;
        }
        // A schema this copy made and could not fill goes: nothing half-written stays on the server.
        if (made && !copiedOk) {
            try {
                db::Database::dropServerSchema(m.server, schema);
            } catch (const db::Error& e) {
                m.say(QStringLiteral("Exercice %1 : le schéma %2 n'a pas pu être retiré : %3").arg(year).arg(schema, e.message()));
            }
        }
        QFile::remove(scratch);
    }
    const ExerciseState state = readExerciseState(statePath(m.folder));
    if (!all) {
        m.say(QStringLiteral("L'état des exercices n'est pas copié : tous les exercices ne l'ont pas été."));
        return false;
    }
    try {
        db::Database kept;
        kept.openServer(m.server, serverstate::kSchema, db::Database::Mode::Create);
        const ExerciseState there = serverstate::read(kept);
        if (there.firstYear != 0 && !m.replace && (there.firstYear != state.firstYear || there.closings != state.closings)) {
            m.say(QStringLiteral("Le serveur tient déjà un autre état des exercices (premier exercice %1, %2 clôture(s)) : "
                                 "--replace pour le remplacer.")
                      .arg(there.firstYear)
                      .arg(there.closings));
            return false;
        }
        serverstate::write(kept, state);
        m.say(QStringLiteral("État des exercices copié : premier exercice %1, %2 clôture(s).").arg(state.firstYear).arg(state.closings));
    } catch (const db::Error& e) {
        m.say(QStringLiteral("État des exercices : %1").arg(e.message()));
        return false;
    }
    return true;
}

bool toFiles(const Move& m)
{
    ExerciseState state;
    try {
        db::Database kept;
        kept.openServer(m.server, serverstate::kSchema, db::Database::Mode::ReadOnly);
        state = serverstate::read(kept);
    } catch (const db::Error& e) {
        m.say(QStringLiteral("État des exercices du serveur illisible : %1").arg(e.message()));
        return false;
    }
    if (state.firstYear == 0) {
        m.say(QStringLiteral("Le serveur ne tient aucun exercice."));
        return false;
    }
    const QString templatePath = os::resolve(m.folder, QStringLiteral("ZEB_00.mdb"));
    if (!QFileInfo(templatePath).isFile()) {
        m.say(QStringLiteral("La base modèle ZEB_00.mdb est absente de %1.").arg(QDir::toNativeSeparators(m.folder)));
        return false;
    }
    bool all = true;
    for (int year = state.firstYear; year <= state.firstYear + state.closings; ++year) {
        const QString schema = db::exerciseSchema(year);
        const QString target = os::resolve(m.folder, QStringLiteral("ZEB_%1.MDB").arg(year));
        try {
            if (!schemaExists(m.server, schema)) {
                m.say(QStringLiteral("Exercice %1 : le schéma %2 est absent du serveur ; non copié.").arg(year).arg(schema));
                all = false;
                continue;
            }
            db::Database from;
            from.openServer(m.server, schema, db::Database::Mode::ReadOnly);
            Copied copied;
            QString error;
            if (writeYearFile(from, templatePath, target, m.replace, &copied, &error))
                m.say(QStringLiteral("Exercice %1 : schéma %2 copié dans %3 (%4, identiques ligne à ligne).")
                          .arg(year)
                          .arg(schema, QFileInfo(target).fileName(), rowsText(copied)));
            else {
                m.say(QStringLiteral("Exercice %1 : %2").arg(year).arg(error));
                all = false;
            }
        } catch (const db::Error& e) {
            m.say(QStringLiteral("Exercice %1 : %2").arg(year).arg(e.message()));
            all = false;
        }
    }
    if (!all) {
        m.say(QStringLiteral("L'état des exercices n'est pas écrit : tous les exercices n'ont pas été copiés."));
        return false;
    }
    const QString path = statePath(m.folder);
    const ExerciseState here = QFileInfo::exists(path) ? readExerciseState(path) : ExerciseState{};
    if (here.firstYear != 0 && !m.replace && (here.firstYear != state.firstYear || here.closings != state.closings)) {
        m.say(QStringLiteral("Le dossier tient déjà un autre état des exercices (premier exercice %1, %2 clôture(s)) : "
                             "--replace pour le remplacer.")
                  .arg(here.firstYear)
                  .arg(here.closings));
        return false;
    }
    QString error;
    if (!writeExerciseState(path, state, &error)) {
        m.say(QStringLiteral("État des exercices : %1").arg(error));
        return false;
    }
    m.say(QStringLiteral("État des exercices écrit : premier exercice %1, %2 clôture(s).").arg(state.firstYear).arg(state.closings));
    return true;
}

} // namespace kv::migrate
