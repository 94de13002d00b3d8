#pragma once
// Damage done to a closed database file page by page, as a disk or a copy cut short leaves it: the
// leaves of a table's or an index's b-tree are found by reading the file's pages, and bytes of one are
// overwritten.
#include "platform/db/Database.h"

#include <QFile>
#include <QList>

#include <functional>

namespace kv::test {

struct Leaf {
    int page = 0;   ///< page number, from 1
    int cells = 0;  ///< rows (table) or entries (index) it holds
};

/// The leaves of the b-tree of the table or index `name` in the closed database `path`, in key order.
inline QList<Leaf> leaves(const QString& path, const QString& name)
{
    int root = 0, pageSize = 0;
    {
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        root = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"), {name}).toInt();
        pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toInt();
    }
    QFile f(path);
    if (root <= 0 || !f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    auto u8 = [&](qsizetype at) { return int(static_cast<unsigned char>(bytes.at(at))); };
    auto u16 = [&](qsizetype at) { return (u8(at) << 8) | u8(at + 1); };
    auto u32 = [&](qsizetype at) { return (quint32(u16(at)) << 16) | quint32(u16(at + 2)); };
    QList<Leaf> found;
    std::function<void(int)> walk = [&](int page) {
        const qsizetype start = qsizetype(page - 1) * pageSize;
        const qsizetype header = start + (page == 1 ? 100 : 0);
        const int type = u8(header);
        const int cells = u16(header + 3);
        if (type == 0x0D || type == 0x0A) {
            found.append({page, cells});
            return;
        }
        for (int i = 0; i < cells; ++i)
            walk(int(u32(start + u16(header + 12 + 2 * i))));
        walk(int(u32(header + 8)));
    };
    walk(root);
    return found;
}

/// Overwrites `count` bytes of page `page` of `path` from `offset` in the page with 0xFF.
inline bool damagePage(const QString& path, int page, int offset, int count)
{
    int pageSize = 0;
    {
        db::Database db;
        db.open(path, db::Database::Mode::ReadOnly);
        pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toInt();
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(qint64(page - 1) * pageSize + offset))
        return false;
    return f.write(QByteArray(count, '\xff')) == count;
}

} // namespace kv::test
