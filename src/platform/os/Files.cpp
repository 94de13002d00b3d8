#include "Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv::os {

namespace {
QString resolveOne(const QString& folder, const QString& name)
{
    QDir dir(folder);
    if (dir.exists(name))
        return QDir::cleanPath(dir.filePath(name));
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return QDir::cleanPath(dir.filePath(e));
    return QDir::cleanPath(dir.filePath(name));
}
} // namespace

QString resolve(const QString& folder, const QString& name)
{
    QString path = folder;
    const QStringList parts = QDir::fromNativeSeparators(name).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts)
        path = resolveOne(path, part);
    return QDir::toNativeSeparators(path);
}

bool exists(const QString& folder, const QString& name, bool wantFolder)
{
    const QFileInfo info(resolve(folder, name));
    return info.exists() && (wantFolder ? info.isDir() : info.isFile());
}

QString ensureFolder(const QString& parent, const QString& name)
{
    const QString path = resolve(parent, name);
    if (!QFileInfo(path).isDir())
        QDir().mkpath(path);
    return path;
}

bool clearAttributes(const QString& path)
{
    QFile f(path);
    return f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
}

bool hasSpecialAttributes(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && (!info.isWritable() || info.isHidden());
}

} // namespace kv::os
