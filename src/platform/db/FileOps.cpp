#include "FileOps.h"
#include "Database.h"

#include <QFile>
#include <QtEndian>
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
            *error = QStringLiteral("Impossible de renommer %1 en %2 : %3").arg(source, target, systemMessage(errno));
        return false;
    }
    syncFolder(target);
    return true;
}

QString systemMessage(int err)
{
    QString text;
    switch (err) {
    case ENOSPC:
    case EDQUOT: text = QStringLiteral("Le disque est plein"); break;
    case EROFS: text = QStringLiteral("Le disque est en lecture seule"); break;
    case EACCES:
    case EPERM: text = QStringLiteral("Accès refusé"); break;
    case ENOENT: text = QStringLiteral("Fichier ou dossier introuvable"); break;
    case EISDIR: text = QStringLiteral("Un dossier porte ce nom"); break;
    case EIO: text = QStringLiteral("Erreur de lecture ou d'écriture sur le disque"); break;
    case EBUSY:
    case ETXTBSY: text = QStringLiteral("Le fichier est occupé"); break;
    case EXDEV: text = QStringLiteral("Le fichier ne peut pas changer de disque par un renommage"); break;
    default: text = QStringLiteral("Erreur du système"); break;
    }
    return text + QStringLiteral(" (détail : ") + QString::fromLocal8Bit(std::strerror(err)) + u')';
}

QString temporaryOf(const QString& target) { return target + QStringLiteral(".kvtmp"); }

namespace {
/// Writes `temp` through `fill`, flushes it and renames it over `target`; the temporary goes on failure.
template <typename Fill>
bool writeThroughTemporary(const QString& target, QString* error, Fill fill)
{
    const QString temp = temporaryOf(target);
    QFile out(temp);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = (errno ? systemMessage(errno) : out.errorString()) + QStringLiteral(" : ") + temp;
        return false;
    }
    if (!fill(out) || !out.flush()) {
        const int err = errno;
        if (error && error->isEmpty())
            *error = (err ? systemMessage(err) : out.errorString()) + QStringLiteral(" : ") + temp;
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
                        *error = systemMessage(errno) + QStringLiteral(" : ") + target;
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

bool checkDatabaseHeader(const QString& path, QString* error)
{
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return refuse(f.errorString() + QStringLiteral(" : ") + path);
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArray("SQLite format 3\0", 16)))
        return refuse(QStringLiteral("le fichier n'est pas une base de données (en-tête absent)"));
    const auto be32 = [&h](int at) { return qFromBigEndian<quint32>(h.constData() + at); };
    quint32 pageSize = qFromBigEndian<quint16>(h.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return refuse(QStringLiteral("taille de page impossible dans l'en-tête (%1)").arg(pageSize));
    const qint64 size = f.size();
    if (size % pageSize != 0)
        return refuse(QStringLiteral("la longueur du fichier (%1 octets) n'est pas un nombre entier de pages").arg(size));
    // The page count of the header is valid when written by the same change as the header's counter.
    if (be32(92) == be32(24) && qint64(be32(28)) != size / pageSize)
        return refuse(QStringLiteral("le fichier compte %1 pages, son en-tête %2").arg(size / pageSize).arg(be32(28)));
    return true;
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
