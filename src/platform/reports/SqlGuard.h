#pragma once
// What a report query may be: one statement that only reads. A template is a text file that users
// restyle, so its queries are checked before anything runs them.
#include <QString>
#include <QStringList>

namespace kv::reports {

/// Empty when `sql` is a single read-only SELECT (or WITH ... SELECT) statement; otherwise the reason
/// for refusing it, in French, ready to be shown. A final ';' is allowed. Words inside string
/// literals, quoted names and comments do not count.
QString readOnlyViolation(const QString& sql);

/// The named parameters (":annee") that `sql` uses, without the colon, each once, in order of first
/// appearance. Names inside literals and comments are not parameters.
QStringList parameterNames(const QString& sql);

} // namespace kv::reports
