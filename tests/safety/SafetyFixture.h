#pragma once
// What the safety tests share: a picture of a folder's files to prove that nothing changed, a folder
// that refuses writes, and a small file system that fills up.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

namespace kv::test {

/// Every file under a folder: its path relative to the folder, its digest and time of change.
struct FolderSnapshot {
    QMap<QString, QByteArray> files;
    static FolderSnapshot of(const QString& dir)
    {
        FolderSnapshot s;
        QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo info(path);
            QByteArray print = info.isDir() ? QByteArray("dir") : QByteArray::number(info.size());
            if (info.isFile()) {
                QFile f(path);
                if (f.open(QIODevice::ReadOnly))
                    print += QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
                print += ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
            }
            s.files.insert(QDir(dir).relativeFilePath(path), print);
        }
        return s;
    }
    bool operator==(const FolderSnapshot&) const = default;
};

/// Whether a file can be created in `dir` (the probe is removed again).
inline bool canWrite(const QString& dir)
{
    QFile probe(QDir(dir).filePath(QStringLiteral(".kv-probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

/// Makes a folder refuse every write while it lives: a read-only bind mount of the folder over itself
/// when the test runs as root (root writes through permission bits), its permission bits otherwise.
/// `active()` is false when neither works here; the test then skips.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& dir) : dir_(dir)
    {
        const QByteArray path = QFile::encodeName(dir);
        if (::geteuid() == 0) {
            if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0) {
                mounted_ = true;
                ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
            }
        } else {
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        }
        active_ = !canWrite(dir);
    }
    ~ReadOnlyFolder() { release(); }
    void release()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_).constData(), MNT_DETACH);
        else
            QFile::setPermissions(dir_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        mounted_ = false;
    }
    bool active() const { return active_; }

private:
    QString dir_;
    bool mounted_ = false;
    bool active_ = false;
};

/// A small tmpfs mounted on a fresh folder (root only); `active()` false where it cannot be mounted.
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes)
    {
        if (::geteuid() != 0 || !dir_.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        active_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (active_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool active() const { return active_; }
    QString path() const { return dir_.path(); }
    /// Fills the disk with a file until fewer than `leave` bytes stay free.
    void fill(qint64 leave)
    {
        QFile filler(QDir(path()).filePath(QStringLiteral("remplissage")));
        filler.open(QIODevice::WriteOnly | QIODevice::Append);
        const QByteArray block(4096, 'z');
        while (free() > leave && filler.write(block) == block.size())
            filler.flush();
    }
    void emptyFiller() { QFile::remove(QDir(path()).filePath(QStringLiteral("remplissage"))); }
    qint64 free() const;

private:
    QTemporaryDir dir_;
    bool active_ = false;
};

} // namespace kv::test

#include <sys/statvfs.h>

inline qint64 kv::test::SmallDisk::free() const
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(path()).constData(), &st) != 0)
        return 0;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}
