#include "ExerciseFiles.h"

#include "core/schema/ExerciseSchema.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>

namespace kv::exercise {

QString errorText(const QString& prefix, const Failure& failure)
{
    return prefix + QStringLiteral(" ") + QString::number(failure.number) + u'\n' + failure.description;
}

bool FileOps::copy(const QString& source, const QString& target, QString* error)
{
    return db::copyFileAtomic(source, target, error);
}

bool FileOps::replace(const QString& source, const QString& target, QString* error)
{
    return db::replaceFile(source, target, error);
}

bool FileOps::remove(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.errorString() + QStringLiteral(" : ") + path;
    return false;
}

bool FileOps::repairAndCompact(const QString& path, const QString& workFile, QString* error)
{
    return db::repairAndCompact(path, workFile, error);
}

bool FileOps::copyEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error)
{
    return db::copyDatabaseEmptying(source, target, emptied, error);
}

bool FileOps::writeState(const QString& path, const ExerciseState& state, QString* error)
{
    return writeExerciseState(path, state, error);
}

FileOps& defaultFileOps()
{
    static FileOps ops;
    return ops;
}

bool isExerciseDatabase(const QString& path, QString* why)
{
    auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!QFileInfo(path).isFile())
        return refuse(QStringLiteral("fichier absent"));
    QString error;
    if (!db::checkDatabaseFile(path, &error))
        return refuse(error);
    try {
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        const int version = db.userVersion();
        if (version > schema::kSchemaVersion)
            return refuse(QStringLiteral("base écrite par une version plus récente du programme"));
        if (version < 0)
            return refuse(QStringLiteral("version de base inconnue"));
        // The tables of an exercise database of the first version: later versions only add to them.
        static const QStringList tables = {schema::Agents,    schema::Vehicules,  schema::Genres,     schema::Marques,
                                           schema::Modeles,   schema::Carburants, schema::Depenses,   schema::Recettes,
                                           schema::Assurances, schema::Controles, schema::Vignettes,  schema::Affectations,
                                           schema::Locations, schema::Salaires,   schema::Permn,      schema::textes,
                                           schema::Csse,      schema::Tampon1};
        for (const QString& table : tables)
            if (!db.hasTable(table))
                return refuse(QStringLiteral("table %1 absente").arg(table));
    } catch (const db::Error& e) {
        return refuse(e.message());
    }
    return true;
}

BusyPointer::BusyPointer()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        set_ = true;
    }
}

BusyPointer::~BusyPointer()
{
    if (set_)
        QGuiApplication::restoreOverrideCursor();
}

QString inPlaceText(int year)
{
    return QStringLiteral("Exercice  ") + QString::number(year) + QStringLiteral(" en place");
}

} // namespace kv::exercise
