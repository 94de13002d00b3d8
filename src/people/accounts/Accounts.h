#pragma once
// The accounts of the three kinds of person: `ZOOM_Ag` (agent), `Zoom_Ch` (driver) and `Zoom_Cli`
// (client), each opened on the person whose number is in `num_courant`.
#include <QDialog>

namespace kv {

class Session;

/// Opens the account screen of the person `num_courant`, of the given kind (schema::person).
void openAccount(Session& session, int personKind, QWidget* parent = nullptr);

} // namespace kv
