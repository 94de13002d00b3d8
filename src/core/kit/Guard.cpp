#include "Guard.h"

#include "platform/ui/ErrorLog.h"

namespace kv::kit {

void showEngineError(ui::Ui& ui, const QString& message)
{
    ui::errorLog().write(QStringLiteral("Erreur du moteur : ") + message);
    ui.message(message, ui::Icon::Critical, kEngineErrorTitle);
}

} // namespace kv::kit
