#include "ScreenTable.h"

#include "core/about/Auteur.h"
#include "core/about/FP_imge.h"
#include "core/about/F_HLP.h"
#include "core/about/Guide.h"
#include "core/about/MainPictures.h"
#include "core/connexion/Connexion.h"
#include "core/identity/F_Identite.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "exercise/archives/F_Arch2.h"
#include "exercise/closing/Closing.h"
#include "exercise/closing/Cloturex.h"
#include "exercise/closing/F_ecrase.h"
#include "exercise/repair/Mecano2.h"
#include "exercise/viewing/Viewing.h"
#include "fleet/costs/F_CoutVehicules.h"
#include "fleet/duedates/DueDates.h"
#include "fleet/duedates/F_Echeances.h"
#include "fleet/references/Initials.h"
#include "fleet/register/Vehicules.h"
#include "payroll/params/Identif.h"
#include "payroll/pay/Salaires.h"
#include "people/registers/J_Chauff.h"
#include "people/registers/J_clients.h"
#include "people/registers/j_AGENT.h"
#include "platform/ui/ErrorLog.h"
#include "rentals/contracts/F_Location.h"
#include "treasury/cashbook/J_CAISSE.h"
#include "treasury/cashbook/Q_Date.h"
#include "treasury/charges/Chrges.h"
#include "treasury/journals/f_jrnl2.h"
#include "treasury/receipts/J_Recettes.h"

namespace kv {

ScreenOpeners screenOpeners(Session& session, MainPictures& pictures, Form1*& mainWindow)
{
    ScreenOpeners openers;
    auto modal = [&session](auto&& make) {
        return [&session, make] {
            auto screen = make();
            session.ui().showModal(*screen);
        };
    };
    openers.screens.insert(QStringLiteral("Auteur"), modal([&] { return std::make_unique<kv::Auteur>(session); }));
    openers.screens.insert(QStringLiteral("Guide"), modal([&] { return std::make_unique<kv::Guide>(session); }));
    openers.screens.insert(QStringLiteral("F_HLP"), modal([&] { return std::make_unique<kv::F_HLP>(session); }));
    openers.screens.insert(QStringLiteral("FP_imge"), modal([&] { return std::make_unique<kv::FP_imge>(session, pictures); }));
    for (int mode = 1; mode <= 4; ++mode)
        openers.screens.insert(QStringLiteral("Initials%1").arg(mode), [&session, mode] {
            session.dialogValue = mode;
            kv::Initials screen(session);
            session.ui().showModal(screen);
        });
    openers.screens.insert(QStringLiteral("Vehicules"), modal([&] { return std::make_unique<kv::Vehicules>(session); }));
    openers.screens.insert(QStringLiteral("J_Chauff"), modal([&] { return std::make_unique<kv::J_Chauff>(session); }));
    openers.screens.insert(QStringLiteral("J_clients"), modal([&] { return std::make_unique<kv::J_clients>(session); }));
    openers.screens.insert(QStringLiteral("j_AGENT"), modal([&] { return std::make_unique<kv::j_AGENT>(session); }));
    openers.screens.insert(QStringLiteral("J_Recettes"), modal([&] { return std::make_unique<kv::J_Recettes>(session); }));
    // The cash book: the calendar chooses the day.
    openers.chooseDate = [&session](QDate first) { return kv::chooseDate(session, first); };
    openers.cashBook = [&session](QDate day) { kv::showCashBook(session, day); };
    openers.screens.insert(QStringLiteral("f_jrnl2"), modal([&] { return std::make_unique<kv::f_jrnl2>(session); }));
    openers.screens.insert(QStringLiteral("F_Identite"), modal([&] { return std::make_unique<kv::F_Identite>(session); }));
    openers.screens.insert(QStringLiteral("Chrges"), modal([&] { return std::make_unique<kv::Chrges>(session); }));
    openers.screens.insert(QStringLiteral("Connexion"), modal([&] { return std::make_unique<kv::Connexion>(session); }));
    openers.screens.insert(QStringLiteral("F_Location"), modal([&] { return std::make_unique<kv::F_Location>(session); }));
    openers.screens.insert(QStringLiteral("Salaires"), modal([&] { return std::make_unique<kv::Salaires>(session); }));
    // Identif: identification (0), employer charges (1), deletion of a month's pays (2).
    for (int mode = 0; mode <= 2; ++mode)
        openers.screens.insert(QStringLiteral("Identif%1").arg(mode), [&session, mode] {
            session.dialogValue = mode;
            kv::Identif screen(session);
            session.ui().showModal(screen);
        });
    // What is due, and what each vehicle costs.
    openers.screens.insert(QStringLiteral("F_Echeances"), modal([&] { return std::make_unique<kv::F_Echeances>(session); }));
    openers.screens.insert(QStringLiteral("F_CoutVehicules"), modal([&] { return std::make_unique<kv::F_CoutVehicules>(session); }));
    openers.notice = [&session] {
        // The notice never interrupts: an engine error here is only logged.
        try {
            return session.isOpen() ? kv::duedates::noticeText(session.db()) : QString();
        } catch (const kv::db::Error& e) {
            kv::ui::errorLog().write(QStringLiteral("Échéances : ") + e.message());
            return QString();
        }
    };
    // Exercise lifecycle: closing and its undo, another exercise, archives and import, repair.
    openers.screens.insert(QStringLiteral("Cloturex"), modal([&] { return std::make_unique<kv::Cloturex>(session); }));
    openers.confirmUndo = [&session] { return kv::confirmUndo(session); };
    openers.undoClosing = [&session] { kv::exercise::undoLastClosing(session); };
    for (int mode : {0, 1})
        openers.screens.insert(QStringLiteral("F_Arch2_%1").arg(mode), [&session, mode] {
            session.dialogValue = mode;
            kv::F_Arch2 screen(session);
            session.ui().showModal(screen);
        });
    openers.screens.insert(QStringLiteral("Mecano2"), modal([&] { return std::make_unique<kv::Mecano2>(session); }));
    openers.screens.insert(QStringLiteral("VoirExercice"), [&session, &mainWindow] {
        kv::exercise::viewAnotherExercise(session, [&mainWindow] {
            if (mainWindow) {
                mainWindow->reinitialise_les_menus();
                mainWindow->refreshHeader();
            }
        });
    });
    openers.restart = [&session] {
        try {
            kv::Startup(session).run();
            return true;
        } catch (const kv::ProgramEnd&) {
            return false;
        }
    };
    return openers;
}

} // namespace kv
