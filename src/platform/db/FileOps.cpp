#include "FileOps.h"
#include "Database.h"

#include <QFile>
#include <QtEndian>
#include <QFileInfo>
#include <QList>
#include <QSet>

#include <sqlite3.h>

#include <limits>

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

namespace {

QString quoted(const QString& name)
{
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

qint64 Salvage::rows() const
{
    qint64 n = 0;
    for (const SalvagedTable& t : tables)
        n += t.rows;
    return n;
}

bool Salvage::lostRows() const
{
    for (const SalvagedTable& t : tables)
        if (t.damaged)
            return true;
    return false;
}

namespace {

/// A statement of the raw engine, finalised when it goes.
struct RawStatement {
    sqlite3_stmt* stmt = nullptr;
    RawStatement(sqlite3* db, const QString& sql)
    {
        const QByteArray text = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(stmt);
            stmt = nullptr;
            throw Error(message, rc);
        }
    }
    ~RawStatement() { sqlite3_finalize(stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;
};

/// Errors of the source that mean "this page cannot be read": the reading steps over them.
bool isReadFault(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_IOERR || primary == SQLITE_MISMATCH
           || primary == SQLITE_RANGE || primary == SQLITE_TOOBIG || primary == SQLITE_NOMEM || primary == SQLITE_ERROR;
}

/// True when the `n` bytes at `p` are UTF-8: every text of a database is, and bytes that are not were
/// written over it (a damaged page may still decode into a row whose texts are such bytes).
bool isUtf8(const unsigned char* p, int n)
{
    for (int i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow > n - 1)
            return false;
        for (int k = 1; k <= follow; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

/// Copies the rows of `table` from `src` into the same table of `dst` (both open), stepping over what
/// cannot be read. The rows are read in rowid order from a given rowid on; when the engine fails on a
/// page, the smallest rowid beyond the last row read from which reading works again is sought (first
/// by doubling steps, then by halving the interval), and the reading goes on from there.
void salvageTable(Database& src, Database& dst, const QString& table, SalvagedTable* out)
{
    QStringList columns;
    for (const Row& r : src.query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}))
        columns << quoted(r.value(0).toString());
    if (columns.isEmpty())
        return;
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString list = columns.join(QStringLiteral(", "));
    RawStatement insert(dst.handle(), QStringLiteral("INSERT INTO main.%1 (%2) VALUES (%3)").arg(quoted(table), list, marks.join(u',')));
    const QString select = QStringLiteral("SELECT rowid, %1 FROM main.%2 WHERE rowid >= ? ORDER BY rowid").arg(list, quoted(table));
    const int n = int(columns.size());
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 highest = std::numeric_limits<qint64>::max();

    // Whether reading from `from` on gives a first row (or the end of the table) without a fault.
    auto readable = [&](qint64 from) {
        RawStatement probe(src.handle(), select);
        sqlite3_bind_int64(probe.stmt, 1, from);
        const int rc = sqlite3_step(probe.stmt);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    };
    auto plus = [](qint64 a, qint64 b) { return a > highest - b ? highest : a + b; };

    qint64 from = lowest;
    bool haveLast = false;
    qint64 last = 0;
    for (;;) {
        RawStatement read(src.handle(), select);
        sqlite3_bind_int64(read.stmt, 1, from);
        bool readAny = false;
        int rc;
        while ((rc = sqlite3_step(read.stmt)) == SQLITE_ROW) {
            const qint64 rowid = sqlite3_column_int64(read.stmt, 0);
            if (haveLast && rowid <= last) {
                // A row out of order is no row of this table: what a damaged page decodes into.
                out->damaged = true;
                continue;
            }
            bool garbled = false;
            for (int i = 1; i <= n && !garbled; ++i)
                if (sqlite3_column_type(read.stmt, i) == SQLITE_TEXT)
                    garbled = !isUtf8(sqlite3_column_text(read.stmt, i), sqlite3_column_bytes(read.stmt, i));
            if (garbled) {
                out->damaged = true;
                last = rowid;
                haveLast = true;
                readAny = true;
                continue;
            }
            sqlite3_reset(insert.stmt);
            for (int i = 0; i < n; ++i)
                sqlite3_bind_value(insert.stmt, i + 1, sqlite3_column_value(read.stmt, i + 1));
            const int written = sqlite3_step(insert.stmt);
            if (written != SQLITE_DONE) {
                if ((written & 0xff) != SQLITE_CONSTRAINT)
                    throw Error(QString::fromUtf8(sqlite3_errmsg(dst.handle())), written);
                out->damaged = true; // a value the table refuses: read from a damaged page
            } else {
                ++out->rows;
            }
            last = rowid;
            haveLast = true;
            readAny = true;
        }
        if (rc == SQLITE_DONE)
            return;
        if (!isReadFault(rc))
            throw Error(QString::fromUtf8(sqlite3_errmsg(src.handle())), rc);
        out->damaged = true;
        // `failing`: a rowid from which reading fails; the next start lies above it.
        qint64 failing = readAny ? plus(last, 1) : from;
        if (failing == highest)
            return;
        qint64 gap = 1;
        qint64 good = plus(failing, gap);
        while (!readable(good)) {
            if (good == highest)
                return;
            failing = good;
            gap = gap > highest / 2 ? highest : gap * 2;
            good = plus(failing, gap);
        }
        while (good - failing > 1) {
            const qint64 middle = failing + (good - failing) / 2;
            if (readable(middle))
                good = middle;
            else
                failing = middle;
        }
        from = good;
    }
}

/// A schema object of a database (table, index, trigger, view), as written, in the order it was made.
struct SchemaObject {
    QString type, name, sql;
};

/// The objects of the attached database `schema` ("main", "src"), the engine's own left out.
QList<SchemaObject> schemaObjects(const Database& db, const QString& schema)
{
    QList<SchemaObject> objects;
    for (const auto& row : db.query(QStringLiteral("SELECT type, name, sql FROM ") + schema
                                    + QStringLiteral(".sqlite_master WHERE sql IS NOT NULL "
                                                     "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid")))
        objects.append({row.value(0).toString(), row.value(1).toString(), row.value(2).toString()});
    return objects;
}

} // namespace

bool recoverDatabase(const QString& source, const QString& target, Salvage* salvage, QString* error)
{
    Salvage result;
    auto fail = [&](const QString& message) {
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        if (error)
            *error = message;
        return false;
    };
    QFile::remove(target);
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("Fichier introuvable (") + source + u')');
    try {
        {
            Database src;
            src.open(source, Database::Mode::ReadOnly);
            // A cell that does not fit its page is a fault, not a row.
            src.executeScript(QStringLiteral("PRAGMA cell_size_check = ON"));
            try {
                result.sound = src.scalar(QStringLiteral("PRAGMA integrity_check(1)")).toString() == QLatin1String("ok");
            } catch (const Error&) {
                result.sound = false;
            }
            const QList<SchemaObject> objects = schemaObjects(src, QStringLiteral("main"));
            const QVariant pageSize = src.scalar(QStringLiteral("PRAGMA page_size"));
            const QVariant autoVacuum = src.scalar(QStringLiteral("PRAGMA auto_vacuum"));
            const QVariant version = src.scalar(QStringLiteral("PRAGMA user_version"));
            const QVariant application = src.scalar(QStringLiteral("PRAGMA application_id"));

            Database dst;
            dst.open(target, Database::Mode::Create);
            // A work file of its own, thrown away on any failure and checked before it is used.
            dst.executeScript(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"));
            dst.execute(QStringLiteral("PRAGMA page_size = ") + QString::number(pageSize.toInt()));
            dst.execute(QStringLiteral("PRAGMA auto_vacuum = ") + QString::number(autoVacuum.toInt()));
            Transaction t(dst);
            for (const SchemaObject& o : objects)
                if (o.type == QLatin1String("table"))
                    dst.execute(o.sql);
            for (const SchemaObject& o : objects)
                if (o.type == QLatin1String("table")) {
                    SalvagedTable table;
                    table.name = o.name;
                    salvageTable(src, dst, o.name, &table);
                    if (table.damaged) {
                        try {
                            table.counted = src.scalar(QStringLiteral("SELECT count(*) FROM main.") + quoted(o.name)).toLongLong();
                        } catch (const Error&) {
                            table.counted = -1;
                        }
                    }
                    result.tables.append(table);
                }
            // The counters of AUTOINCREMENT tables, when they can be read.
            try {
                const Rows sequence = src.query(QStringLiteral("SELECT name, seq FROM main.sqlite_sequence"));
                dst.execute(QStringLiteral("DELETE FROM main.sqlite_sequence"));
                for (const Row& r : sequence)
                    dst.execute(QStringLiteral("INSERT INTO main.sqlite_sequence (name, seq) VALUES (?, ?)"), {r.value(0), r.value(1)});
            } catch (const Error&) {
            }
            // Indexes are built from the rows now in the tables: whatever their pages held is gone.
            for (const SchemaObject& o : objects)
                if (o.type != QLatin1String("table"))
                    dst.execute(o.sql);
            dst.execute(QStringLiteral("PRAGMA user_version = ") + QString::number(version.toLongLong()));
            dst.execute(QStringLiteral("PRAGMA application_id = ") + QString::number(application.toLongLong()));
            t.commit();
        }
        QString check;
        if (!checkDatabaseFile(target, &check))
            return fail(check);
    } catch (const Error& e) {
        return fail(e.message());
    }
    if (salvage)
        *salvage = result;
    return true;
}

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

            const QList<SchemaObject> objects = schemaObjects(db, QStringLiteral("src"));
            QSet<QString> skipped;
            for (const QString& t : emptied)
                skipped.insert(t.toLower());

            Transaction t(db);
            // Tables first, filled, then what is built on them: an index built once over its rows is
            // cheaper than one kept up to date row by row, and a trigger must not fire on the copy.
            for (const SchemaObject& o : objects)
                if (o.type == QLatin1String("table"))
                    db.execute(o.sql);
            for (const SchemaObject& o : objects)
                if (o.type == QLatin1String("table") && !skipped.contains(o.name.toLower()))
                    db.execute(QStringLiteral("INSERT INTO main.") + quoted(o.name) + QStringLiteral(" SELECT * FROM src.")
                               + quoted(o.name));
            // The counters of AUTOINCREMENT tables go on from where they were, emptied tables included.
            if (db.scalar(QStringLiteral("SELECT count(*) FROM src.sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0
                && db.scalar(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0) {
                db.execute(QStringLiteral("DELETE FROM main.sqlite_sequence"));
                db.execute(QStringLiteral("INSERT INTO main.sqlite_sequence SELECT * FROM src.sqlite_sequence"));
            }
            for (const SchemaObject& o : objects)
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
