#include "MenuChecks.h"

#include "core/schema/Schema.h"
#include "core/state/Session.h"

namespace kv::menu_checks {

namespace {
bool any(Session& s, const QString& sql) { return !s.db().query(sql).isEmpty(); }
} // namespace

bool salariedAgents(Session& s)
{
    if (any(s, QStringLiteral("SELECT 1 FROM Agents WHERE Salarie = 1 LIMIT 1")))
        return true;
    s.ui().refuse(QStringLiteral("Aucun agent salarié enregistré"));
    return false;
}

bool paysComputed(Session& s)
{
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << QStringLiteral("M%1 = 1").arg(m);
    if (any(s, QStringLiteral("SELECT 1 FROM Permn WHERE ") + months.join(QStringLiteral(" OR ")) + QStringLiteral(" LIMIT 1")))
        return true;
    s.ui().message(QStringLiteral("Aucune paye calculée"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
    return false;
}

bool rentalPrerequisites(Session& s)
{
    if (!any(s, QStringLiteral("SELECT 1 FROM Vehicules WHERE flag_Arch = 0 LIMIT 1"))) {
        s.ui().refuse(QStringLiteral("Initialisation des véhicules préalable"));
        return false;
    }
    if (!any(s, QStringLiteral("SELECT 1 FROM Agents WHERE Type_Ag = %1 AND Arch = 0 LIMIT 1").arg(schema::person::Client))) {
        s.ui().refuse(QStringLiteral("Initialisation des clients préalable"));
        return false;
    }
    return true;
}

bool fundMovements(Session& s)
{
    if (any(s, QStringLiteral("SELECT 1 FROM Recettes LIMIT 1")) || any(s, QStringLiteral("SELECT 1 FROM Depenses LIMIT 1")))
        return true;
    s.ui().message(QStringLiteral("Aucun mouvement de fonds enregistré"), ui::Icon::Information, QStringLiteral("Z.E.B."));
    return false;
}

} // namespace kv::menu_checks
