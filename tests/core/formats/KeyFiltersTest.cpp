#include "FormatsTests.h"

#include "core/formats/KeyFilters.h"
#include "harness/ScriptedUi.h"

#include <QTest>

using namespace kv;

class KeyFiltersTest : public QObject {
    Q_OBJECT
private slots:
    void digitKey_data();
    void digitKey();
    void decimalKey_data();
    void decimalKey();
    void decimalKeyInPlace_data();
    void decimalKeyInPlace();
    void dateKey_data();
    void dateKey();
};

void KeyFiltersTest::digitKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("0") << int('0') << int('0');
    QTest::newRow("9") << int('9') << int('9');
    QTest::newRow("letter") << int('a') << 0;
    QTest::newRow("point") << int('.') << 0;
    QTest::newRow("minus") << int('-') << 0;
    QTest::newRow("accented letter") << 0xE9 << 0;
    QTest::newRow("blank passes (32 is a control code)") << 32 << 32;
    QTest::newRow("backspace") << kBackspaceKey << kBackspaceKey;
    QTest::newRow("enter") << kEnterKey << kEnterKey;
}

void KeyFiltersTest::digitKey()
{
    QFETCH(int, key);
    QFETCH(int, expected);
    QCOMPARE(kv::digitKey(key), expected);
}

void KeyFiltersTest::decimalKey_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("comma becomes point") << "12" << int(',') << int('.');
    QTest::newRow("comma into empty field") << "" << int(',') << int('.');
    QTest::newRow("second comma refused") << "12." << int(',') << 0;
    QTest::newRow("second point refused") << "1.5" << int('.') << 0;
    QTest::newRow("first point") << "15" << int('.') << int('.');
    QTest::newRow("digit after point") << "1.5" << int('7') << int('7');
    QTest::newRow("minus into empty field") << "" << int('-') << int('-');
    QTest::newRow("digit after minus") << "-" << int('5') << int('5');
    QTest::newRow("minus after digits refused") << "12" << int('-') << 0;
    QTest::newRow("second minus refused") << "-" << int('-') << 0;
    QTest::newRow("minus after point refused") << "." << int('-') << 0;
    QTest::newRow("blank refused") << "12" << int(' ') << 0;
    QTest::newRow("letter refused") << "12" << int('a') << 0;
    QTest::newRow("plus refused") << "" << int('+') << 0;
    QTest::newRow("backspace") << "1.5" << kBackspaceKey << kBackspaceKey;
    QTest::newRow("enter") << "1.5" << kEnterKey << kEnterKey;
    QTest::newRow("tenth integer digit refused") << "999999999" << int('9') << 0;
    QTest::newRow("tenth digit of a negative refused") << "-999999999" << int('9') << 0;
    QTest::newRow("backspace in a nine-digit amount") << "999999999" << kBackspaceKey << kBackspaceKey;
}

void KeyFiltersTest::decimalKey()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, expected);
    QCOMPARE(kv::decimalKey(field, key), expected);
}

void KeyFiltersTest::decimalKeyInPlace_data()
{
    // The key replaces the characters [from, to) of the field: the selection, or the cursor's place.
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("minus at the start") << "12" << 0 << 0 << int('-') << int('-');
    QTest::newRow("minus inside") << "12" << 1 << 1 << int('-') << 0;
    QTest::newRow("minus at the end") << "12" << 2 << 2 << int('-') << 0;
    QTest::newRow("minus before a minus") << "-12" << 0 << 0 << int('-') << 0;
    QTest::newRow("minus after the minus") << "-12" << 1 << 1 << int('-') << 0;
    QTest::newRow("minus over the whole text") << "-12.5" << 0 << 5 << int('-') << int('-');
    QTest::newRow("minus over the sign") << "-12" << 0 << 1 << int('-') << int('-');
    QTest::newRow("minus over a middle selection") << "123" << 1 << 2 << int('-') << 0;
    QTest::newRow("digit before the sign") << "-12" << 0 << 0 << int('5') << 0;
    QTest::newRow("point before the sign") << "-12" << 0 << 0 << int('.') << 0;
    QTest::newRow("comma before the sign") << "-12" << 0 << 0 << int(',') << 0;
    QTest::newRow("digit over the sign") << "-12" << 0 << 1 << int('5') << int('5');
    QTest::newRow("digit after the sign") << "-12" << 1 << 1 << int('5') << int('5');
    QTest::newRow("digit at the start") << "12" << 0 << 0 << int('5') << int('5');
    QTest::newRow("point rule sees the selection too") << "1.5" << 0 << 3 << int('.') << 0;
    QTest::newRow("backspace before the sign") << "-12" << 0 << 0 << kBackspaceKey << kBackspaceKey;
    // No amount beyond nine digits in front of its point (999 999 999.99).
    QTest::newRow("ninth integer digit") << "12345678" << 8 << 8 << int('9') << int('9');
    QTest::newRow("tenth integer digit refused") << "123456789" << 9 << 9 << int('0') << 0;
    QTest::newRow("tenth digit after the sign refused") << "-123456789" << 10 << 10 << int('1') << 0;
    QTest::newRow("tenth digit typed in front refused") << "123456789.5" << 0 << 0 << int('1') << 0;
    QTest::newRow("decimals of a nine-digit amount") << "999999999.9" << 11 << 11 << int('9') << int('9');
    QTest::newRow("digit over a selected digit") << "123456789" << 0 << 1 << int('9') << int('9');
    QTest::newRow("point that leaves nine in front") << "1234567891" << 9 << 9 << int('.') << int('.');
    QTest::newRow("comma that leaves nine in front") << "1234567891" << 9 << 9 << int(',') << int('.');
}

void KeyFiltersTest::decimalKeyInPlace()
{
    QFETCH(QString, field);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, key);
    QFETCH(int, expected);
    QCOMPARE(kv::decimalKey(field, key, from, to), expected);
}

void KeyFiltersTest::dateKey_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("beeps");
    // Day.
    QTest::newRow("day tens 3") << "" << int('3') << int('3') << 0;
    QTest::newRow("day tens 0") << "" << int('0') << int('0') << 0;
    QTest::newRow("day tens 4 refused") << "" << int('4') << 0 << 1;
    QTest::newRow("day units 9") << "3" << int('9') << int('9') << 0;
    QTest::newRow("slash after one digit refused") << "3" << int('/') << 0 << 1;
    // Month.
    QTest::newRow("month tens 1") << "25/" << int('1') << int('1') << 0;
    QTest::newRow("month tens 2 refused") << "25/" << int('2') << 0 << 1;
    QTest::newRow("month units 9") << "25/1" << int('9') << int('9') << 0;
    QTest::newRow("slash after month tens refused") << "25/1" << int('/') << 0 << 1;
    // Year.
    QTest::newRow("year first digit") << "25/12/" << int('9') << int('9') << 0;
    QTest::newRow("year last digit") << "25/12/202" << int('1') << int('1') << 0;
    QTest::newRow("letter in year refused") << "25/12/20" << int('x') << 0 << 1;
    // Refusals of every kind at a filtering length, Backspace never.
    QTest::newRow("blank refused") << "" << int(' ') << 0 << 1;
    QTest::newRow("letter refused") << "25/" << int('a') << 0 << 1;
    QTest::newRow("backspace at 1") << "2" << kBackspaceKey << kBackspaceKey << 0;
    QTest::newRow("backspace at 4") << "25/1" << kBackspaceKey << kBackspaceKey << 0;
    QTest::newRow("backspace at 9") << "25/12/202" << kBackspaceKey << kBackspaceKey << 0;
    // Lengths 2, 5 and 10 or more are not filtered.
    QTest::newRow("anything at 2") << "25" << int('x') << int('x') << 0;
    QTest::newRow("slash at 2") << "25" << int('/') << int('/') << 0;
    QTest::newRow("anything at 5") << "25/12" << int('9') << int('9') << 0;
    QTest::newRow("anything at 10") << "25/12/2021" << int('a') << int('a') << 0;
    QTest::newRow("anything at 11") << "25/12/2021 " << int('4') << int('4') << 0;
}

void KeyFiltersTest::dateKey()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, expected);
    QFETCH(int, beeps);
    kv::test::ScriptedUi ui;
    QCOMPARE(kv::dateKey(field, key, ui), expected);
    QCOMPARE(ui.beeps, beeps);
    QVERIFY(ui.messages.isEmpty());
}

int runKeyFiltersTest(int argc, char** argv)
{
    KeyFiltersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "KeyFiltersTest.moc"
