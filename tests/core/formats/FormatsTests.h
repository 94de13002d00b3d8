#pragma once
// Each test file of the formats library runs its own test object; main() runs them all.

int runKeyFiltersTest(int argc, char** argv);
int runDatesTest(int argc, char** argv);
int runNumbersTest(int argc, char** argv);
int runNamesTest(int argc, char** argv);
int runTelephoneTest(int argc, char** argv);
int runFieldRulesTest(int argc, char** argv);
