// Kavorel: builds the real platform objects, runs the start-up sequence and shows the main window,
// from which every screen opens.
#include "Form1.h"
#include "core/about/Auteur.h"
#include "core/about/FP_imge.h"
#include "core/about/F_HLP.h"
#include "core/about/Guide.h"
#include "core/about/MainPictures.h"
#include "core/about/Pictures.h"
#include "core/formats/FieldRules.h"
#include "core/kit/Export.h"
#include "core/startup/DataFolder.h"
#include "core/startup/InstanceLock.h"
#include "core/startup/Startup.h"
#include "core/identity/F_Identite.h"
#include "core/state/Session.h"
#include "fleet/references/Initials.h"
#include "fleet/register/Vehicules.h"
#include "people/registers/J_Chauff.h"
#include "people/registers/J_clients.h"
#include "people/registers/j_AGENT.h"
#include "platform/os/Display.h"
#include "exercise/archives/F_Arch2.h"
#include "fleet/costs/F_CoutVehicules.h"
#include "fleet/duedates/DueDates.h"
#include "fleet/duedates/F_Echeances.h"
#include "exercise/closing/Closing.h"
#include "exercise/closing/Cloturex.h"
#include "exercise/closing/F_ecrase.h"
#include "exercise/repair/Mecano2.h"
#include "exercise/repair/Repair.h"
#include "exercise/viewing/Viewing.h"
#include "payroll/params/Identif.h"
#include "payroll/pay/Salaires.h"
#include "rentals/contracts/F_Location.h"
#include "treasury/cashbook/J_CAISSE.h"
#include "treasury/cashbook/Q_Date.h"
#include "treasury/charges/Chrges.h"
#include "treasury/journals/f_jrnl2.h"
#include "treasury/receipts/J_Recettes.h"
#include "platform/reports/ReportPreview.h"
#include "platform/ui/ErrorLog.h"
#include "platform/ui/GuardedApplication.h"
#include "platform/ui/QtUi.h"

#include <QApplication>
#include <QTimer>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    kv::ui::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavorel"));
    QApplication::setDesktopFileName(QStringLiteral("kavorel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/kavorel.svg")));

    // Qt's own texts (Yes/No buttons, file and print dialogs) in French.
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    kv::ui::QtUi ui;
    kv::kit::setExportUi(&ui);
    kv::setFieldUi(&ui);
    ui.setReportViewer([](const QString& pdf, const QString& title) {
        kv::reports::showPreview(pdf, title, QApplication::activeWindow());
    });

    // The data folder: the program folder when it can hold the data, otherwise the user's own.
    const kv::datafolder::Choice folder = kv::datafolder::prepare(QApplication::applicationDirPath());
    if (!folder.error.isEmpty()) {
        ui.message(folder.error, kv::ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return 1;
    }
    if (!folder.notice.isEmpty()) {
        ui.message(folder.notice, folder.refuse ? kv::ui::Icon::Critical : kv::ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
        if (folder.refuse)
            return 1;
    }
    kv::Session session(folder.dataDir, ui);
    // One program per folder: a second start is refused here, before any file is read or written.
    kv::InstanceLock instanceLock(session.programDir());
    if (!instanceLock.acquire(ui))
        return 1;
    kv::ui::errorLog().setPath(session.programFile(kv::ui::kErrorLogName));
    kv::ui::errorLog().write(QStringLiteral("Démarrage"));
    // A lock left behind: the last run did not end cleanly, the start-up reads the whole year through.
    session.uncleanExit = instanceLock.tookOverStaleLock();
    // The repair the start-up and the exit offer for a damaged year: the repair screen's own.
    session.repairYear = [&session](const QString& fileName) { return kv::exercise::repairExerciseFile(session, fileName); };
    // The last-resort guard: an error a screen let out is shown and the program goes on; a program end
    // requested from inside a screen (a connection that cannot be re-established) ends every loop.
    app.setUi(&ui);
    app.setHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const kv::ProgramEnd& end) {
            kv::ui::errorLog().write(QStringLiteral("Fin du programme demandée"));
            QApplication::exit(end.code ? end.code : 1);
            return true;
        } catch (...) {
        }
        return false;
    });
    try {
        kv::Startup(session).run();
    } catch (const kv::ProgramEnd& end) {
        return end.code;
    }

    std::unique_ptr<kv::os::Display> display = kv::os::platformDisplay();
    kv::installPreviewFrame(session.programDir());
    kv::MainPictures pictures;
    pictures.restoreLastChoice(session.programFile(QStringLiteral("photos")));

    kv::ScreenOpeners openers;
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
    kv::Form1* mainWindow = nullptr;
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

    kv::Form1 window(session, pictures, *display, openers);
    mainWindow = &window;
    window.show();
    kv::ui::centreWindow(window);
    window.activateWindow();
    QTimer::singleShot(0, &window, [&window] { window.askIdentityOnFirstStart(); });
    const int code = app.exec();
    kv::ui::errorLog().write(QStringLiteral("Sortie (%1)").arg(code));
    return code;
}
