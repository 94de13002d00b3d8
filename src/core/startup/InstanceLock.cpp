#include "InstanceLock.h"

#include "platform/ui/Ui.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace kv {

InstanceLock::InstanceLock(const QString& programDir)
    : dir_(QDir::toNativeSeparators(QDir(programDir).absolutePath())),
      lock_(std::make_unique<QLockFile>(QDir(programDir).filePath(kInstanceLockName)))
{
    // A lock is stale only when its process is gone: never by age, since the program runs for days.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::clearUnreadableLock()
{
    const QString path = QDir(dir_).filePath(kInstanceLockName);
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        // No program makes its lock a folder: an empty one goes, one holding files is the user's.
        return QDir().rmdir(path);
    }
    if (!info.exists() && !info.isSymLink())
        return true;
    // A holder writes its process, host and name as it creates the lock: a lock that stays without
    // them (empty, cut short, garbage) has no living holder. A lock just made may not be written
    // yet: it is given a moment.
    qint64 pid = 0;
    QString host, app;
    QElapsedTimer waited;
    waited.start();
    while (!lock_->getLockInfo(&pid, &host, &app) || pid <= 0) {
        const qint64 age = QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime());
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            return true;
        if (age >= kUnwrittenLockGraceMs || waited.elapsed() >= kUnwrittenLockGraceMs)
            return QFile::remove(path);
        QThread::msleep(50);
    }
    return true;
}

InstanceLock::Result InstanceLock::tryLock()
{
    if (lock_->isLocked())
        return Result::Taken;
    const QFileInfo before(QDir(dir_).filePath(kInstanceLockName));
    const bool leftBehind = before.exists() || before.isSymLink();
    if (lock_->tryLock(0)) {
        tookOver_ = leftBehind;
        return Result::Taken;
    }
    // An unreadable lock (or a folder in its place) names no holder: it is stale.
    if (leftBehind && clearUnreadableLock() && lock_->tryLock(0)) {
        tookOver_ = true;
        return Result::Taken;
    }
    // QLockFile has already removed a lock whose process is gone (and then taken it); what is left is a
    // living holder, or a folder where the lock file cannot be made.
    return lock_->error() == QLockFile::LockFailedError ? Result::Held : Result::Refused;
}

bool InstanceLock::acquire(ui::Ui& ui)
{
    switch (tryLock()) {
    case Result::Taken: return true;
    case Result::Held: ui.refuse(heldText(dir_)); return false;
    case Result::Refused: ui.refuse(refusedText(dir_)); return false;
    }
    return false;
}

bool InstanceLock::isLocked() const { return lock_->isLocked(); }

void InstanceLock::unlock() { lock_->unlock(); }

QString InstanceLock::heldText(const QString& programDir)
{
    return QStringLiteral("Le programme est déjà ouvert sur le dossier\n") + programDir
           + QStringLiteral("\nUn seul programme à la fois peut travailler sur ce dossier.");
}

QString InstanceLock::refusedText(const QString& programDir)
{
    return QStringLiteral("Le dossier du programme\n") + programDir
           + QStringLiteral("\nn'accepte aucune écriture (dossier en lecture seule ou disque plein).\n"
                            "Aucun fichier n'a été modifié.");
}

} // namespace kv
