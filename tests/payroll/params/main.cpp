// The payroll settings and documents tests. Like KV_SCREEN_TEST_MAIN, the application gets the two
// test screens (1280×800 and 1280×1024) and the last-resort guard.
#include "ParamsFixture.h"
#include "ParamsTests.h"
#include "harness/ScreenFit.h"

#include <QDir>
#include <QFile>

namespace kv::test {

void keepDocument(const QString& pdf, const QString& name)
{
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(name + QStringLiteral(".pdf"));
    QFile::remove(target);
    QFile::copy(pdf, target);
}

} // namespace kv::test

int main(int argc, char** argv)
{
    kv::test::useTestScreens();
    kv::ui::GuardedApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    int failures = 0;
    for (auto run : {runParamsTest, runDocumentsTest})
        failures += run(argc, argv);
    return failures;
}
