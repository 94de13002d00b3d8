#include "Accounts.h"

#include "AccountScreen.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"

#include <memory>

namespace kv {

void openAccount(Session& session, int personKind, QWidget* parent)
{
    std::unique_ptr<AccountScreen> screen;
    switch (personKind) {
    case schema::person::Chauffeur: screen = std::make_unique<Zoom_Ch>(session, parent); break;
    case schema::person::Client: screen = std::make_unique<Zoom_Cli>(session, parent); break;
    default: screen = std::make_unique<ZOOM_Ag>(session, parent); break;
    }
    // A person no longer stored was reported by the screen, which closes at once.
    if (screen->found())
        session.ui().showModal(*screen);
}

} // namespace kv
