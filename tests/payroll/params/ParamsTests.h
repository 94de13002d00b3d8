#pragma once
// The test classes of the payroll settings and documents, run by main.cpp on the two test screens.
int runParamsTest(int argc, char** argv);
int runDocumentsTest(int argc, char** argv);
