#pragma once
// The columns of a list of vehicles, the register's and the search's alike.
#include "core/kit/GridModel.h"

namespace kv::vehicles {

enum ListColumn { ColRow, ColType, ColMarque, ColModele, ColAnnee, ColMatricule, ColArch, ColumnCount };

/// Position, type, make, model, year, registration number (in the fixed-width font, which keeps its
/// padding blanks visible) and archive flag ("OUI" or a blank); `positionCaption` heads the first.
QList<kit::GridColumn> listColumns(const QString& positionCaption);

} // namespace kv::vehicles
