#pragma once
// Transitional: the fleet screens' icon buttons, now drawn by the screen kit.
#include "core/kit/Glyphs.h"

#include <QToolButton>

namespace kv::fleet {

using Glyph = kit::Glyph;

inline QToolButton* commandButton(QWidget* parent, Glyph glyph, const QString& tooltip, const QString& objectName,
                                  int size = 32)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setIcon(kit::icon(glyph, size));
    b->setIconSize(QSize(size, size));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    if (!tooltip.isEmpty())
        b->setToolTip(tooltip);
    return b;
}

} // namespace kv::fleet
