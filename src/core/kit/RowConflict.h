#pragma once
// The guarded path of a screen's write of rows it showed, when several desks work on one year: another
// desk may have changed or deleted one of them since the screen read it. The row writer then wrote
// nothing (db::Conflict); the screen says why and shows the rows as they now are.
#include "core/kit/Guard.h"
#include "platform/db/RowWriter.h"

namespace kv::kit {

/// Runs `call`, a write of rows the screen showed; when another desk changed or deleted one of them
/// meanwhile (nothing was written), refuses with the row writer's words ("Enregistrement modifié par un
/// autre poste" / "Enregistrement introuvable", "ATTENTION") and runs `reload` so that the screen shows
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
