// Kavorel: builds the real platform objects, runs the start-up sequence and shows the main window,
// from which every screen opens.
#include "Form1.h"
#include "ScreenTable.h"
#include "core/about/MainPictures.h"
#include "core/about/Pictures.h"
#include "core/connexion/ConnectionFile.h"
#include "core/formats/FieldRules.h"
#include "core/kit/Export.h"
#include "core/startup/DataFolder.h"
#include "core/startup/InstanceLock.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "exercise/repair/Repair.h"
#include "platform/os/Display.h"
#include "platform/reports/ReportPreview.h"
#include "platform/ui/ErrorLog.h"
#include "platform/ui/GuardedApplication.h"
#include "platform/ui/QtUi.h"

#include <QApplication>
#include <QTimer>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <optional>

namespace {

/// The application's names and icon, and Qt's own texts (Yes/No buttons, file and print dialogs) in
/// French through `qtFrench`.
void buildApplication(QTranslator& qtFrench)
{
    QApplication::setApplicationName(QStringLiteral("Kavorel"));
    QApplication::setDesktopFileName(QStringLiteral("kavorel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/kavorel.svg")));
    if (qtFrench.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);
}

/// The real ui serves the field rules, the export commands and the report viewer.
void buildUi(kv::ui::QtUi& ui)
{
    kv::kit::setExportUi(&ui);
    kv::setFieldUi(&ui);
    ui.setReportViewer([](const QString& pdf, const QString& title) {
        kv::reports::showPreview(pdf, title, QApplication::activeWindow());
    });
}

/// The data folder: the program folder when it can hold the data, otherwise the user's own. Nothing
/// when the program cannot run (the user was told why).
std::optional<QString> chooseDataFolder(kv::ui::QtUi& ui)
{
    const kv::datafolder::Choice folder = kv::datafolder::prepare(QApplication::applicationDirPath());
    if (!folder.error.isEmpty()) {
        ui.message(folder.error, kv::ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return std::nullopt;
    }
    if (!folder.notice.isEmpty()) {
        ui.message(folder.notice, folder.refuse ? kv::ui::Icon::Critical : kv::ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
        if (folder.refuse)
            return std::nullopt;
    }
    return folder.dataDir;
}

/// The last-resort guard: an error a screen let out is shown and the program goes on; a program end
/// requested from inside a screen (a connection that cannot be re-established) ends every loop.
void guardApplication(kv::ui::GuardedApplication& app, kv::ui::QtUi& ui)
{
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
}

/// The main window with every screen, until the program ends; returns the program's exit code.
int runMainWindow(kv::ui::GuardedApplication& app, kv::Session& session)
{
    std::unique_ptr<kv::os::Display> display = kv::os::platformDisplay();
    kv::installPreviewFrame(session.programDir());
    kv::MainPictures pictures;
    pictures.restoreLastChoice(session.programFile(QStringLiteral("photos")));

    kv::Form1* mainWindow = nullptr;
    kv::Form1 window(session, pictures, *display, kv::screenOpeners(session, pictures, mainWindow));
    mainWindow = &window;
    window.show();
    kv::ui::centreWindow(window);
    window.activateWindow();
    QTimer::singleShot(0, &window, [&window] { window.askIdentityOnFirstStart(); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    kv::ui::GuardedApplication app(argc, argv);
    QTranslator qtFrench;
    buildApplication(qtFrench);
    kv::ui::QtUi ui;
    buildUi(ui);
    const std::optional<QString> dataDir = chooseDataFolder(ui);
    if (!dataDir)
        return 1;

    kv::Session session(*dataDir, ui);
    // One program per folder on the local year files: a second start is refused here, before any file
    // is read or written. A desk on a server does not lock the folder; should it fall back to the local
    // files at start-up, the start-up takes the lock then (Session::lockFolder).
    kv::InstanceLock instanceLock(session.programDir());
    session.lockFolder = [&session, &instanceLock, &ui] {
        if (instanceLock.isLocked())
            return true;
        if (!instanceLock.acquire(ui))
            return false;
        // A lock left behind: the last run did not end cleanly, the start-up reads the whole year through.
        session.uncleanExit = session.uncleanExit || instanceLock.tookOverStaleLock();
        return true;
    };
    if (!kv::connexion::readChoice(session.programFile(kv::connexion::kChoiceFileName)).choice.onServer &&
        !session.lockFolder())
        return 1;
    kv::ui::errorLog().setPath(session.programFile(kv::ui::kErrorLogName));
    kv::ui::errorLog().write(QStringLiteral("Démarrage"));
    // The repair the start-up and the exit offer for a damaged year: the repair screen's own.
    session.repairYear = [&session](const QString& fileName) { return kv::exercise::repairExerciseFile(session, fileName); };
    guardApplication(app, ui);
    try {
        kv::Startup(session).run();
    } catch (const kv::ProgramEnd& end) {
        return end.code;
    }

    const int code = runMainWindow(app, session);
    kv::ui::errorLog().write(QStringLiteral("Sortie (%1)").arg(code));
    return code;
}
