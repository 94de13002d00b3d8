// The pay tests: the income tax, the pay computation and the pay screen. Like KV_SCREEN_TEST_MAIN, the
// application gets the two test screens (1280×800 and 1280×1024) and the last-resort guard.
#include "PayTests.h"
#include "harness/ScreenFit.h"

int main(int argc, char** argv)
{
    kv::test::useTestScreens();
    kv::ui::GuardedApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    int failures = 0;
    for (auto run : {runIrgTest, runPayTest, runSalairesTest, runPayMonthsTest})
        failures += run(argc, argv);
    return failures;
}
