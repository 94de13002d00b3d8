#pragma once
// What a confirmed exit does after the user said Yes: the Arabic-labels flag is written, the connection
// is closed, the latest exercise is copied into Archives when it reads through (otherwise the earlier
// copy stays and the repair is offered), the workspace is closed, and Dir_Data.TXT is rewritten when a
// signature text changed.
#include <QDateTime>
#include <QString>
#include <functional>

namespace kv {

class Session;

struct ExitSequence {
    /// Restores the display size found at start-up when the display was changed (platform layer).
    std::function<void()> restoreDisplay;

    void run(Session& session);

private:
    static void copyToArchives(Session& session);
};

/// The message when the exit copy is not made because the year is damaged.
QString exitCopyRefusedText(int year, const QString& why);
/// The name under which the exit copy replaced after a repair at exit is kept in Archives.
QString exitCopyKeptName(int year, const QDateTime& when);

} // namespace kv
