#pragma once
// File operations on closed database files. Every replacement is atomic: the new content is written
// to a temporary file in the target's folder, flushed, checked, and renamed over the target in one step,
// so that no failure leaves the target missing or half written.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kv::db {

/// The user's text of a system error number: what happened, in French, with the system's own text as
/// detail ("Le disque est plein (détail : No space left on device)").
QString systemMessage(int err);

/// Renames `source` over `target` in one step (replacing it). False with a message on failure.
bool replaceFile(const QString& source, const QString& target, QString* error);
/// The temporary an atomic write of `target` goes through: "<target>.kvtmp", beside it (one writer per
/// folder, under the program's lock). Start-up removes one a crash left.
QString temporaryOf(const QString& target);
/// Copies `source` to `target`, replacing it atomically. False with a message on failure.
bool copyFileAtomic(const QString& source, const QString& target, QString* error);
/// Writes `bytes` as the whole of `target`, replacing it atomically. False with a message on failure.
bool writeFileAtomic(const QString& target, const QByteArray& bytes, QString* error);
/// The cheap check of a closed database file, without the engine: the header is the engine's, its page
/// size is possible, and the file holds exactly the pages the header counts. False with the reason.
bool checkDatabaseHeader(const QString& path, QString* error);
/// Checks a closed database file: true when the engine opens it and finds it sound (every page, every
/// index against its table).
bool checkDatabaseFile(const QString& path, QString* error);
/// Repairs a closed database file and compacts it into a fresh file that takes its place under the
/// same name. On any failure the file is left exactly as it was. `workFile` is the temporary file.
bool repairAndCompact(const QString& path, const QString& workFile, QString* error);
/// Writes into `target` (made anew) a compact copy of the closed database `source`: the same tables,
/// indexes, triggers, views, version and counters, every row of every table except those of `emptied`,
/// which come out empty. Each index is built afresh from its rows, so the copy is repaired as well.
/// The source is only read. On failure `target` is removed and the message is in `error`.
bool copyDatabaseEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error);

} // namespace kv::db
