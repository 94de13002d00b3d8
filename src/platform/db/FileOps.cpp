#include "FileOps.h"
#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>

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
        // The kernel copies file to file, the bytes never passing through the program; where it cannot
        // (another file system on an old kernel), the copy goes by blocks.
        qint64 left = in.size();
        bool copied = false;
        while (left > 0) {
            const ssize_t n = ::copy_file_range(in.handle(), nullptr, out.handle(), nullptr, size_t(left), 0);
            if (n < 0) {
                if (copied || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)) {
                    if (error)
                        *error = QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral(" : ") + target;
                    return false;
                }
                break;
            }
            if (n == 0)
                break;
            copied = true;
            left -= n;
        }
        if (copied && left == 0)
            return true;
        if (copied) {
            if (error)
                *error = QStringLiteral("Copie incomplète : ") + source;
            return false;
        }
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

namespace {

QString quoted(const QString& name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

bool copyDatabaseEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error)
{
    QFile::remove(target);
    if (!QFileInfo(source).isFile()) {
        // Attaching a missing file would create it empty.
        if (error)
            *error = QStringLiteral("Fichier introuvable (") + source + u')';
        return false;
    }
    try {
        {
            Database db;
            db.open(target, Database::Mode::Create);
            // The target is a work file of its own, thrown away on any failure, checked here and flushed
            // by the replacement that puts it in place: it needs neither journal nor flushes while filled.
            db.executeScript(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"));
            db.execute(QStringLiteral("ATTACH DATABASE ? AS src"), {source});
            // The new file takes the source's page layout before its first page is written.
            db.execute(QStringLiteral("PRAGMA main.page_size = ") + db.scalar(QStringLiteral("PRAGMA src.page_size")).toString());
            db.execute(QStringLiteral("PRAGMA main.auto_vacuum = ")
                       + db.scalar(QStringLiteral("PRAGMA src.auto_vacuum")).toString());
            const QVariant version = db.scalar(QStringLiteral("PRAGMA src.user_version"));
            const QVariant application = db.scalar(QStringLiteral("PRAGMA src.application_id"));

            struct Object {
                QString type, name, sql;
            };
            QList<Object> objects;
            for (const auto& row : db.query(QStringLiteral("SELECT type, name, sql FROM src.sqlite_master "
                                                           "WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                                                           "ORDER BY rowid")))
                objects.append({row.value(0).toString(), row.value(1).toString(), row.value(2).toString()});
            QSet<QString> skipped;
            for (const QString& t : emptied)
                skipped.insert(t.toLower());

            Transaction t(db);
            // Tables first, filled, then what is built on them: an index built once over its rows is
            // cheaper than one kept up to date row by row, and a trigger must not fire on the copy.
            for (const Object& o : objects)
                if (o.type == QLatin1String("table"))
                    db.execute(o.sql);
            for (const Object& o : objects)
                if (o.type == QLatin1String("table") && !skipped.contains(o.name.toLower()))
                    db.execute(QStringLiteral("INSERT INTO main.") + quoted(o.name) + QStringLiteral(" SELECT * FROM src.")
                               + quoted(o.name));
            // The counters of AUTOINCREMENT tables go on from where they were, emptied tables included.
            if (db.scalar(QStringLiteral("SELECT count(*) FROM src.sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0
                && db.scalar(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0) {
                db.execute(QStringLiteral("DELETE FROM main.sqlite_sequence"));
                db.execute(QStringLiteral("INSERT INTO main.sqlite_sequence SELECT * FROM src.sqlite_sequence"));
            }
            for (const Object& o : objects)
                if (o.type != QLatin1String("table"))
                    db.execute(o.sql);
            db.execute(QStringLiteral("PRAGMA main.user_version = ") + QString::number(version.toLongLong()));
            db.execute(QStringLiteral("PRAGMA main.application_id = ") + QString::number(application.toLongLong()));
            t.commit();
            db.execute(QStringLiteral("DETACH DATABASE src"));
        }
        if (!checkDatabaseFile(target, error)) {
            QFile::remove(target);
            return false;
        }
    } catch (const Error& e) {
        QFile::remove(target);
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

} // namespace kv::db
