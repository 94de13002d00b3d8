#pragma once
// A scan (Database::scan) whose rows also give their texts and values: the reads of a list whose lines
// carry names and objects, each field taken from the engine as it holds it, without a row object per line.
#include "Database.h"

namespace kv::db {

/// The current row of a text scan: the numbers of a Cursor, and the fields as a row's values read them.
class TextCursor : public Cursor {
public:
    explicit TextCursor(sqlite3_stmt* stmt) : Cursor(stmt), stmt_(stmt) {}
    /// The field as Row::value gives it: null, a whole number, a number, a text.
    QVariant value(int column) const;
    /// The field's text as Row::value(...).toString() gives it; empty for null. A text is read straight
    /// from the engine's bytes.
    QString text(int column) const;

private:
    sqlite3_stmt* stmt_;
};

/// Runs one read as Database::scan does (the same checks and errors: Error on a refusal or a statement
/// that would write), handing each row to `each` as a TextCursor valid only inside the call.
void scanTexts(const Database& db, const QString& sql, const QVariantList& params, const std::function<void(const TextCursor&)>& each);

} // namespace kv::db
