#pragma once
// A scan (Database::scan) whose rows also give their texts and values: the reads of a list whose lines
// carry names and objects, each field taken from the engine as it holds it, without a row object per line.
#include "Database.h"

namespace kv::db {

/// The current row of a text scan: the numbers of a Cursor, and its fields as a row's values read them.
using TextCursor = Cursor;

/// Runs one read as Database::scan does (the same checks and errors), handing each row to `each` as a
/// cursor valid only inside the call.
inline void scanTexts(const Database& db, const QString& sql, const QVariantList& params,
                      const std::function<void(const TextCursor&)>& each)
{
    db.scan(sql, params, each);
}

} // namespace kv::db
