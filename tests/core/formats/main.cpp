#include "FormatsTests.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    for (auto run : {runKeyFiltersTest, runDatesTest, runNumbersTest, runNamesTest, runTelephoneTest,
                     runFieldRulesTest})
        failures += run(argc, argv);
    return failures;
}
