#include "PayParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv::payparts {

const QString kPanelStyle = QStringLiteral(
    "QGroupBox { font-weight: bold; border: 1px solid #b8c4d3; border-radius: 4px; margin-top: 14px; padding-top: 6px; }"
    " QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; color: #1f3b5c; padding: 0 6px; }");

QLineEdit* textField(QWidget* parent, const QString& name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

QLabel* totalLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #1f3b5c; }"));
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
