#pragma once
// The checks the main menu makes before some screens open; each failing check shows its message and
// leaves everything as it was.
namespace kv {

class Session;

namespace menu_checks {
/// "Calcul / Correction": at least one salaried agent.
bool salariedAgents(Session& s);
/// "Charges Patronales", "Supprimer une paye": at least one month's pays closed.
bool paysComputed(Session& s);
/// "Location": a current vehicle, then a current client.
bool rentalPrerequisites(Session& s);
/// "Caisse": at least one receipt or expense.
bool fundMovements(Session& s);
} // namespace menu_checks

} // namespace kv
