#pragma once
// Telephone dialling through the desktop's "tel:" handler.
#include <QString>

namespace kv {

namespace ui { class Ui; }

/// Dials a number. An empty number shows "Numéro omis" (critical, "ATTENTION "). Otherwise the
/// number is trimmed and, when longer than 3 characters, every character after the first that is
/// not a digit is removed (a leading "+" or "(" stays); the desktop is asked to open "tel:" + number,
/// and a refused request shows "Erreur dans l'appel" (critical, "GHI").
/// Returns true when the request was made and accepted.
bool dial(const QString& number, ui::Ui& ui);

} // namespace kv
