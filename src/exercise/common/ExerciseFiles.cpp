#include "ExerciseFiles.h"

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

bool FileOps::recover(const QString& source, const QString& target, db::Salvage* salvage, QString* error)
{
    return db::recoverDatabase(source, target, salvage, error);
}

bool FileOps::copyEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error)
{
    return db::copyDatabaseEmptying(source, target, emptied, error);
}

bool FileOps::writeState(const QString& path, const ExerciseState& state, QString* error)
{
    return writeExerciseState(path, state, error);
}

void FileOps::serverStep(const QString&) {}

FileOps& defaultFileOps()
{
    static FileOps ops;
    return ops;
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
