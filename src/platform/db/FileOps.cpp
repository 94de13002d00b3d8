#include "FileOps.h"
#include "Database.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv::db {

namespace {
bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

bool replaceFile(const QString& source, const QString& target, QString* error)
{
    syncFile(source);
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0) {
        if (error)
            *error = QStringLiteral("Impossible de renommer %1 en %2 : %3")
                         .arg(source, target, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    syncFolder(target);
    return true;
}

QString temporaryOf(const QString& target) { return target + QStringLiteral(".kvtmp"); }

namespace {
/// Writes `temp` through `fill`, flushes it and renames it over `target`; the temporary goes on failure.
template <typename Fill>
bool writeThroughTemporary(const QString& target, QString* error, Fill fill)
{
    const QString temp = temporaryOf(target);
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = out.errorString() + QStringLiteral(" : ") + temp;
        return false;
    }
    if (!fill(out) || !out.flush()) {
        if (error && error->isEmpty())
            *error = out.errorString() + QStringLiteral(" : ") + temp;
        out.close();
        QFile::remove(temp);
        return false;
    }
    out.close();
    if (!replaceFile(temp, target, error)) {
        QFile::remove(temp);
        return false;
    }
    return true;
}
} // namespace

bool writeFileAtomic(const QString& target, const QByteArray& bytes, QString* error)
{
    return writeThroughTemporary(target, error, [&](QFile& out) { return out.write(bytes) == bytes.size(); });
}

bool copyFileAtomic(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString() + QStringLiteral(" : ") + source;
        return false;
    }
    return writeThroughTemporary(target, error, [&](QFile& out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() && in.error() != QFile::NoError) {
                if (error)
                    *error = in.errorString();
                return false;
            }
            if (out.write(chunk) != chunk.size())
                return false;
        }
        return true;
    });
}

bool checkDatabaseFile(const QString& path, QString* error)
{
    try {
        Database db;
        db.open(path, Database::Mode::ReadOnly);
        const QString result = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
        if (result != QLatin1String("ok")) {
            if (error)
                *error = result;
            return false;
        }
        return true;
    } catch (const Error& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

bool repairAndCompact(const QString& path, const QString& workFile, QString* error)
{
    QFile::remove(workFile);
    try {
        {
            Database db;
            db.open(path, Database::Mode::ReadWrite);
            // Repair: rebuild every index from its table, then write a compact copy of the whole file.
            db.executeScript(QStringLiteral("REINDEX"));
            db.execute(QStringLiteral("VACUUM INTO ?"), {workFile});
        }
        if (!checkDatabaseFile(workFile, error)) {
            QFile::remove(workFile);
            return false;
        }
    } catch (const Error& e) {
        QFile::remove(workFile);
        if (error)
            *error = e.message();
        return false;
    }
    if (!replaceFile(workFile, path, error)) {
        QFile::remove(workFile);
        return false;
    }
    return true;
}

} // namespace kv::db
