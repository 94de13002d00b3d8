#include "MenuChecks.h"

#include "core/ledger/Ledger.h"
#include "core/state/Session.h"
#include "fleet/register/VehicleRegister.h"
#include "payroll/params/PayrollSettings.h"
#include "people/registers/PersonStore.h"

namespace kv::menu_checks {

bool salariedAgents(Session& s)
{
    if (people::hasSalaried(s.db()))
        return true;
    s.ui().refuse(QStringLiteral("Aucun agent salarié enregistré"));
    return false;
}

bool paysComputed(Session& s)
{
    if (payroll::anyClosedMonth(s.db()))
        return true;
    s.ui().message(QStringLiteral("Aucune paye calculée"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
    return false;
}

bool rentalPrerequisites(Session& s)
{
    if (!vehicles::hasCurrentVehicle(s.db())) {
        s.ui().refuse(QStringLiteral("Initialisation des véhicules préalable"));
        return false;
    }
    if (!people::hasCurrentClient(s.db())) {
        s.ui().refuse(QStringLiteral("Initialisation des clients préalable"));
        return false;
    }
    return true;
}

bool fundMovements(Session& s)
{
    if (ledger::hasMovements(s.db()))
        return true;
    s.ui().message(QStringLiteral("Aucun mouvement de fonds enregistré"), ui::Icon::Information, QStringLiteral("Z.E.B."));
    return false;
}

} // namespace kv::menu_checks
