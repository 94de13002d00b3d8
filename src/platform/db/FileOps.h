#pragma once
// File operations on closed database files. Every replacement is atomic: the new content is written
// to a temporary file in the target's folder, flushed, checked, and renamed over the target in one step,
// so that no failure leaves the target missing or half written.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::db {

/// Renames `source` over `target` in one step (replacing it). False with a message on failure.
bool replaceFile(const QString& source, const QString& target, QString* error);
/// The temporary an atomic write of `target` goes through: "<target>.kvtmp", beside it (one writer per
/// folder, under the program's lock). Start-up removes one a crash left.
QString temporaryOf(const QString& target);
/// Copies `source` to `target`, replacing it atomically. False with a message on failure.
bool copyFileAtomic(const QString& source, const QString& target, QString* error);
/// Writes `bytes` as the whole of `target`, replacing it atomically. False with a message on failure.
bool writeFileAtomic(const QString& target, const QByteArray& bytes, QString* error);
/// Checks a closed database file: true when the engine opens it and finds it sound.
bool checkDatabaseFile(const QString& path, QString* error);
/// What a recovery brought back from a database file, table by table.
struct SalvagedTable {
    QString name;
    qint64 rows = 0;       ///< rows written into the recovered file
    bool damaged = false;  ///< some of its rows could not be read (pages skipped) and are lost
    qint64 counted = -1;   ///< for a damaged table, its rows as the engine still counts them; -1 when it cannot
};
struct Salvage {
    bool sound = true;     ///< the engine found the source sound: every page, every index against its table
    QList<SalvagedTable> tables;
    qint64 rows() const;
    bool lostRows() const; ///< some table lost rows
};
/// Writes into `target` (made anew) what can be read of the closed database `source`, which is only
/// read: its tables, then each index built afresh from the rows (a damaged index is rebuilt whole), its
/// triggers and views, version and counters. The rows of each table are read in rowid order; a page the
/// engine cannot read is stepped over (the next readable rowid is sought) and the table reported
/// damaged, so that every row that can be read comes back; a row read from a damaged page whose texts
/// are not UTF-8 (bytes written over it) or that the table refuses is left out. Fails when the source's schema itself cannot
/// be read, or the result is not sound; then `target` is removed and the message is in `error`.
bool recoverDatabase(const QString& source, const QString& target, Salvage* salvage, QString* error);
/// Writes into `target` (made anew) a compact copy of the closed database `source`: the same tables,
/// indexes, triggers, views, version and counters, every row of every table except those of `emptied`,
/// which come out empty. Each index is built afresh from its rows, so the copy is repaired as well.
/// The source is only read. On failure `target` is removed and the message is in `error`.
bool copyDatabaseEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error);

} // namespace kv::db
