#include "InstanceLock.h"

#include "platform/ui/Ui.h"

#include <QDir>

namespace kv {

InstanceLock::InstanceLock(const QString& programDir)
    : dir_(QDir::toNativeSeparators(QDir(programDir).absolutePath())),
      lock_(std::make_unique<QLockFile>(QDir(programDir).filePath(kInstanceLockName)))
{
    // A lock is stale only when its process is gone: never by age, since the program runs for days.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::tryLock()
{
    if (lock_->isLocked())
        return Result::Taken;
    if (lock_->tryLock(0))
        return Result::Taken;
    // QLockFile has already removed a lock whose process is gone (and then taken it); what is left is a
    // living holder, or a folder where the lock file cannot be made.
    return lock_->error() == QLockFile::LockFailedError ? Result::Held : Result::Refused;
}

bool InstanceLock::acquire(ui::Ui& ui)
{
    switch (tryLock()) {
    case Result::Taken: return true;
    case Result::Held: ui.message(heldText(dir_), ui::Icon::Critical, QStringLiteral("ATTENTION")); return false;
    case Result::Refused: ui.message(refusedText(dir_), ui::Icon::Critical, QStringLiteral("ATTENTION")); return false;
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
