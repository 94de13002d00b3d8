#pragma once
// The small parts the pay screens are built of: their text fields, the caption of a total, the heading
// of a side panel and the commands of a document panel.
#include "core/kit/ScreenKit.h"

#include <QString>

class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace kv::payparts {

/// The caption of a total, in the totals' colour.
QLabel* totalLabel(const QString& caption, QWidget* parent);
/// A panel of the side: its heading, then its content (laid out in `*layout`).
QWidget* sidePanel(const QString& heading, const QString& name, QWidget* parent, QVBoxLayout** layout);
/// The "Imprimer" and "Fermer" commands of a document panel.
kit::PanelButtons printPanelButtons(QWidget* panel, const QString& printName, const QString& closeName);

} // namespace kv::payparts
