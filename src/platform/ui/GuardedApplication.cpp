#include "GuardedApplication.h"

#include "ErrorLog.h"

#include <new>

namespace kv::ui {

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handle(std::current_exception());
    }
    return false;
}

void GuardedApplication::handle(std::exception_ptr error) noexcept
{
    try {
        if (handler_ && handler_(error))
            return;
        QString text;
        try {
            std::rethrow_exception(error);
        } catch (const std::bad_alloc& e) {
            text = QStringLiteral("Mémoire insuffisante : l'opération n'a pas été faite.\nDétail : ") + QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            text = QString::fromStdString(e.what());
        } catch (...) {
            text = QStringLiteral("Erreur inattendue");
        }
        errorLog().write(QStringLiteral("Erreur non traitée : ") + text);
        // A failure while its own message is up is only logged.
        if (ui_ && !showing_) {
            showing_ = true;
            ui_->message(text, Icon::Critical, QStringLiteral("Z.E.B."));
            showing_ = false;
        }
    } catch (...) {
        showing_ = false;
    }
}

} // namespace kv::ui
