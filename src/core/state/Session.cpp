#include "Session.h"

#include "ExerciseStateFile.h"
#include "core/connexion/Desks.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/Schema.h"
#include "platform/db/RecordSet.h"
#include "platform/os/Files.h"

#include <QFileInfo>

namespace kv {

Session::Session(QString programDir, ui::Ui& ui) : programDir_(std::move(programDir)), ui_(ui) {}

Session::~Session() = default;

QString Session::programFile(const QString& name) const { return os::resolve(programDir_, name); }

QString Session::exercisePath(int year) const
{
    return programFile(QStringLiteral("ZEB_") + QString::number(year) + QStringLiteral(".MDB"));
}

QString Session::exerciseStatePath() const
{
    return programFile(settings.installationCode() + QStringLiteral(".INI"));
}

void Session::ouvrir_exercice()
{
    fermer_exercice();
    const QString path = exercisePath(exerciceOuvert);
    try {
        if (server) {
            // The year's schema on the firm's server, checked and brought up to date as a file is.
            auto db = std::make_unique<db::Database>();
            db->openServer(*server, db::exerciseSchema(exerciceOuvert));
            for (const QString& table : schema::standingTables)
                db->query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(db::Database::identifier(table)));
            schema::upgradeExerciseDatabase(*db);
            // The desk says it is in the year, and holds it against closings and imports meanwhile.
            desks::ensureTables(*server);
            desks::enterYear(*db, exerciceOuvert);
            db_ = std::move(db);
            return;
        }
        if (!QFileInfo(path).isFile())
            throw db::Error(QStringLiteral("Fichier introuvable : ") + path);
        std::unique_ptr<db::Database> db =
            workspace ? workspace->openDatabase(path) : std::make_unique<db::Database>();
        if (!db->isOpen())
            db->open(path);
        // The standing tables are looked for before anything is written: a file that is not an exercise
        // database (an empty file reads as an empty database) is reported and left exactly as it was.
        for (const QString& table : schema::standingTables)
            db->query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(db::Database::identifier(table)));
        schema::upgradeExerciseDatabase(*db);
        db_ = std::move(db);
    } catch (const db::Error&) {
        db_.reset();
        ui_.message(QStringLiteral("La base de données semble endommagée\n"), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
        throw ProgramEnd{1};
    }
}

void Session::fermer_exercice() noexcept
{
    if (db_ && db_->engine() == db::Engine::Server)
        desks::leaveYear(*db_);
    if (db_)
        db_->close();
    db_.reset();
}

db::Database& Session::db() const
{
    if (!db_)
        throw db::Error(QStringLiteral("Aucun exercice ouvert"));
    return *db_;
}

bool Session::writeExerciseState()
{
    QString error;
    if (server) {
        // On a server the state is the firm's, kept there for every desk.
        try {
            serverstate::writeOnServer(*server, {static_cast<qint16>(premierExercice), static_cast<qint16>(nbClotures)});
            return true;
        } catch (const db::Error& e) {
            ui_.refuse(e.message());
            return false;
        }
    }
    const bool ok = kv::writeExerciseState(exerciseStatePath(),
                                           {static_cast<qint16>(premierExercice), static_cast<qint16>(nbClotures)}, &error);
    if (!ok)
        ui_.refuse(error);
    return ok;
}

bool Session::fichier_existe(const QString& path, int attributes)
{
    const QFileInfo info(path);
    const QString resolved = os::resolve(info.absolutePath(), info.fileName());
    const QFileInfo found(resolved);
    return attributes == 16 ? found.isDir() : found.isFile();
}

QDate Session::defaultDay() const
{
    const QDate today = QDate::currentDate();
    if (exerciceOuvert <= 0 || today.year() == exerciceOuvert)
        return today;
    if (lastDayUsed_.isValid() && lastDayUsed_.year() == exerciceOuvert)
        return lastDayUsed_;
    return QDate(exerciceOuvert, 12, 31);
}

void Session::noteDayUsed(const QDate& day)
{
    if (day.isValid() && day.year() == exerciceOuvert)
        lastDayUsed_ = day;
}

void Session::ecrire_identite()
{
    db::RecordSet textes(db(), schema::textes);
    if (textes.recordCount() == 0) {
        textes.addNew();
    } else {
        textes.moveFirst();
        textes.edit();
    }
    textes.setField(QStringLiteral("ch1"), identite(1).trimmed());
    textes.setField(QStringLiteral("ch2"), identite(2).trimmed());
    textes.setField(QStringLiteral("ch3"), identite(3).trimmed());
    textes.setField(QStringLiteral("ch30"), QStringLiteral("(") + identite(4).trimmed() + QStringLiteral(")"));
    textes.update();
}

QStringList Session::headerLines() const
{
    return {identite(1).trimmed(), identite(3).trimmed(), QStringLiteral("Année  ") + QString::number(exerciceOuvert)};
}

} // namespace kv
