#pragma once
// The one guarded path of a screen's engine calls: an error of the database engine is shown with the
// engine's own message and the call gives false; the operation's own transaction has left the data as
// it was. A program end (ProgramEnd) is not an engine error and passes through.
#include "platform/db/Error.h"
#include "platform/ui/Ui.h"

#include <utility>

namespace kv::kit {

/// Title of the box that shows an engine error no screen has a message of its own for.
inline const QString kEngineErrorTitle = QStringLiteral("Z.E.B.");

/// Shows an engine error (critical, "Z.E.B.") and writes it to the program's error log.
void showEngineError(ui::Ui& ui, const QString& message);

/// Runs `call`; on an engine error shows its message and returns false.
template <typename Call> bool guarded(ui::Ui& ui, Call&& call)
{
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const db::Error& e) {
        showEngineError(ui, e.message());
    }
    return false;
}

} // namespace kv::kit
