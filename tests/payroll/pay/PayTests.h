#pragma once
// Each test file of the pay tests runs its own test object; main() runs them all on the two test screens.

int runIrgTest(int argc, char** argv);
int runPayTest(int argc, char** argv);
int runSalairesTest(int argc, char** argv);
int runPayMonthsTest(int argc, char** argv);
