#include "VehicleList.h"

#include "core/kit/ScreenKit.h"

namespace kv::vehicles {

QList<kit::GridColumn> listColumns(const QString& positionCaption)
{
    using kit::CellKind;
    return {{positionCaption, CellKind::Position},
            {QStringLiteral("Type")},
            {QStringLiteral("Marque")},
            {QStringLiteral("Modèle")},
            {QStringLiteral("Année"), CellKind::Text, Qt::AlignHCenter},
            {QStringLiteral("Matricule"), CellKind::Text, Qt::AlignHCenter, false, {}, kit::fixedFont()},
            {QStringLiteral("Arch."), CellKind::Text, Qt::AlignHCenter}};
}

} // namespace kv::vehicles
