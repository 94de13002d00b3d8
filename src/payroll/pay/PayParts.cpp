#include "PayParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv::payparts {

QLabel* totalLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setStyleSheet(kit::headingStyle());
    return label;
}

QWidget* sidePanel(const QString& heading, const QString& name, QWidget* parent, QVBoxLayout** layout)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(6, 0, 0, 0);
    l->addWidget(kit::panelHeading(heading, panel));
    *layout = l;
    return panel;
}

kit::PanelButtons printPanelButtons(QWidget* panel, const QString& printName, const QString& closeName)
{
    const kit::PanelButtons buttons = kit::panelButtons(panel, printName, closeName);
    buttons.confirm->setText(QStringLiteral("Imprimer"));
    buttons.confirm->setIcon(kit::icon(kit::Glyph::Print));
    buttons.cancel->setText(QStringLiteral("Fermer"));
    return buttons;
}

} // namespace kv::payparts
