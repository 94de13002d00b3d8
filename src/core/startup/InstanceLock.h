#pragma once
// One program, one folder: the program holds a lock file in its own folder for as long as it runs, so
// that a second start on the same folder (another user session, a double click too many) is refused
// before it reads or writes anything. A lock left behind by a run that crashed does not block: the lock
// file names its process, and a process that is gone leaves a stale lock that the next start takes over.
#include <QLockFile>
#include <QString>
#include <memory>

namespace kv {

namespace ui {
class Ui;
}

/// Name of the lock file in the program folder.
inline const QString kInstanceLockName = QStringLiteral("kavorel.lck");

class InstanceLock {
public:
    enum class Result {
        Taken,   ///< this run holds the folder
        Held,    ///< another running program holds it
        Refused  ///< the lock file cannot be written (read-only folder, no space)
    };

    explicit InstanceLock(const QString& programDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /// Tries once. A lock whose process is gone is removed and taken, and so is a lock that names no
    /// holder (empty, garbage, a folder in its place), once it has been there a moment.
    Result tryLock();
    /// True when the lock taken was left behind by a run that did not end cleanly.
    bool tookOverStaleLock() const { return tookOver_; }
    /// tryLock(), and when the folder is not taken the refusal shown through `ui` (critical, "ATTENTION").
    /// True when the program may go on.
    bool acquire(ui::Ui& ui);
    bool isLocked() const;
    void unlock();

    /// The message of a second start: names the folder.
    static QString heldText(const QString& programDir);
    /// The message when the lock cannot be written in the folder.
    static QString refusedText(const QString& programDir);

    /// How long a lock may stay without its holder's details before it counts as stale.
    static constexpr int kUnwrittenLockGraceMs = 1500;

private:
    bool clearUnreadableLock();
    bool tookOver_ = false;
    QString dir_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace kv
