// Kavorel: builds the real platform objects, runs the start-up sequence and shows the main window.
#include "Form1.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "platform/reports/ReportPreview.h"
#include "platform/ui/QtUi.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavorel"));

    // Qt's own texts (Yes/No buttons, file and print dialogs) in French.
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    kv::ui::QtUi ui;
    ui.setReportViewer([](const QString& pdf, const QString& title) {
        kv::reports::showPreview(pdf, title, QApplication::activeWindow());
    });

    kv::Session session(QApplication::applicationDirPath(), ui);
    try {
        kv::Startup(session).run();
    } catch (const kv::ProgramEnd& end) {
        return end.code;
    }

    kv::Form1 window(session);
    window.show();
    return app.exec();
}
