#include "Zoom_V.h"

#include "core/state/Session.h"

namespace kv {

Zoom_V::Zoom_V(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Zoom_V"));
}

Zoom_V::~Zoom_V() = default;

} // namespace kv
