#pragma once
// The icon commands of the fleet screens: a flat tool button with a drawn picture and a tooltip.
#include <QString>

class QToolButton;
class QWidget;

namespace kv::fleet {

enum class Glyph { New, Edit, Delete, Quit, Filter, Zoom, Print, Down, Up, Confirm, Cancel, Open };

/// A command button named `objectName`, showing `glyph`, with `tooltip` (empty: no tooltip).
QToolButton* commandButton(QWidget* parent, Glyph glyph, const QString& tooltip, const QString& objectName, int size = 32);

} // namespace kv::fleet
