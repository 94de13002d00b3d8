#pragma once
// The one guarded path of a screen's engine calls: an error of the database engine is shown with the
// engine's own message and the call gives false; the operation's own transaction has left the data as
// it was. A program end (ProgramEnd) is not an engine error and passes through.
#include "platform/db/Error.h"
#include "platform/db/RowWriter.h"
#include "platform/ui/Ui.h"

#include <utility>

namespace kv::kit {

/// Title of the box that shows an engine error no screen has a message of its own for.
inline const QString kEngineErrorTitle = QStringLiteral("Z.E.B.");

/// Shows an engine error (critical, "Z.E.B.") and writes it to the program's error log.
void showEngineError(ui::Ui& ui, const QString& message);

/// Runs `call`; on an engine error shows its message and returns false. A row another desk changed or
/// deleted meanwhile is refused with its own words ("ATTENTION").
template <typename Call> bool guarded(ui::Ui& ui, Call&& call)
{
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const db::Conflict& e) {
        ui.refuse(e.message());
    } catch (const db::Error& e) {
        showEngineError(ui, e.message());
    }
    return false;
}

/// Runs `call`, a write of rows the screen showed; when another desk changed or deleted one of them
/// meanwhile (nothing was written), shows why ("ATTENTION") and runs `reload` so that the screen shows
/// the rows as they now are; on another engine error shows its message. False unless `call` ran through.
template <typename Call, typename Reload> bool guarded(ui::Ui& ui, Call&& call, Reload&& reload)
{
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const db::Conflict& e) {
        ui.refuse(e.message());
    } catch (const db::Error& e) {
        showEngineError(ui, e.message());
        return false;
    }
    guarded(ui, std::forward<Reload>(reload));
    return false;
}

} // namespace kv::kit
