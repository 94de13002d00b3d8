#include "FormatsTests.h"

#include "core/formats/Dates.h"
#include "harness/ScriptedUi.h"

#include <QTest>

using namespace kv;

class DatesTest : public QObject {
    Q_OBJECT
private slots:
    void formatDateTyping_data();
    void formatDateTyping();
    void dateCheck_data();
    void dateCheck();
    void normaliseDate_data();
    void normaliseDate();
};

void DatesTest::formatDateTyping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursor");
    QTest::newRow("empty") << "" << "" << 0;
    QTest::newRow("one digit") << "2" << "2" << 1;
    QTest::newRow("day") << "25" << "25/" << 3;
    QTest::newRow("day and slash") << "25/" << "25/" << 3;
    QTest::newRow("month tens") << "25/1" << "25/1" << 4;
    QTest::newRow("day and month") << "25/12" << "25/12/" << 6;
    QTest::newRow("year begun") << "25/12/2" << "25/12/2" << 7;
    QTest::newRow("full date") << "25/12/2021" << "25/12/2021" << 10;
    // Blanks count out of the length; the slash goes after the untrimmed text.
    QTest::newRow("leading blank") << " 25" << " 25/" << 4;
    QTest::newRow("trailing blank") << "25 " << "25 /" << 4;
    QTest::newRow("cursor before trailing blanks") << "25/12/2021  " << "25/12/2021  " << 10;
    QTest::newRow("blank only") << "  " << "  " << 0;
}

void DatesTest::formatDateTyping()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(int, cursor);
    const TypedDate shaped = kv::formatDateTyping(text);
    QCOMPARE(shaped.text, expected);
    QCOMPARE(shaped.cursor, cursor);
}

void DatesTest::dateCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("beeps");
    QTest::newRow("ordinary") << "25/12/2021" << 0 << 0;
    QTest::newRow("first of 1900") << "01/01/1900" << 0 << 0;
    QTest::newRow("31 december") << "31/12/2021" << 0 << 0;
    QTest::newRow("30 april") << "30/04/2021" << 0 << 0;
    QTest::newRow("28 february") << "28/02/2021" << 0 << 0;
    QTest::newRow("29 february, leap year") << "29/02/2020" << 0 << 0;
    QTest::newRow("29 february 2000 (divisible by 400)") << "29/02/2000" << 0 << 0;
    QTest::newRow("29 february 2024") << "29/02/2024" << 0 << 0;
    QTest::newRow("trailing blank") << "25/12/2021 " << 0 << 0;

    QTest::newRow("29 february, common year") << "29/02/2021" << 1 << 1;
    QTest::newRow("30 february, leap year") << "30/02/2020" << 1 << 1;
    QTest::newRow("31 april") << "31/04/2021" << 1 << 1;
    QTest::newRow("31 november") << "31/11/2021" << 1 << 1;
    QTest::newRow("before 1900") << "31/12/1899" << 1 << 1;
    QTest::newRow("day 0") << "00/05/2021" << 1 << 1;
    QTest::newRow("month 0") << "10/00/2021" << 1 << 1;
    QTest::newRow("month 13") << "10/13/2021" << 1 << 1;
    // Several rules fail, each beeps.
    QTest::newRow("day 32 of january: day rule and month length") << "32/01/2021" << 1 << 2;
    QTest::newRow("day 32 of month 13") << "32/13/2021" << 1 << 2;
    QTest::newRow("all zeros") << "00/00/0000" << 1 << 3;
    QTest::newRow("short date: month and year misread, too short") << "1/1/2021" << 1 << 3;
    QTest::newRow("letters read as 0") << "ab/cd/efgh" << 1 << 3;
    QTest::newRow("empty") << "" << 1 << 4;
    QTest::newRow("day and month only") << "25/12/" << 1 << 2;
    // February compares the day characters as text.
    QTest::newRow("february day compared as text") << "3a/02/2020" << 1 << 1;
    // Passes the rules above but is no day of the calendar: one beep more, and refused.
    QTest::newRow("29 february 1900 (not a leap year)") << "29/02/1900" << 1 << 1;
    QTest::newRow("29 february 2100 (not a leap year)") << "29/02/2100" << 1 << 1;
    QTest::newRow("31 of month \"2 \" (no month-length rule)") << "31/2 /2021" << 1 << 1;
    QTest::newRow("1 of month \" 1\"") << "01/ 1/2021" << 1 << 1;
    QTest::newRow("points as separators") << "25.12.2021" << 1 << 1;
    QTest::newRow("blank before the day") << " 5/12/2021" << 1 << 1;
    QTest::newRow("five-digit year") << "25/12/20211" << 1 << 1;
    QTest::newRow("text after the year") << "25/12/2021x" << 1 << 1;
    QTest::newRow("blank inside the year") << "25/12/20 21" << 1 << 1;
}

void DatesTest::dateCheck()
{
    QFETCH(QString, text);
    QFETCH(int, result);
    QFETCH(int, beeps);
    kv::test::ScriptedUi ui;
    QCOMPARE(kv::dateCheck(text, ui), result);
    QCOMPARE(ui.beeps, beeps);
    QVERIFY(ui.messages.isEmpty());
    // The silent form gives the same answer.
    QCOMPARE(kv::isValidDate(text), result == 0);
}

void DatesTest::normaliseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dashes") << "5-3-2021" << "5/3/2021";
    QTest::newRow("points, blanks around") << " 25.12.2021 " << "25/12/2021";
    QTest::newRow("already shaped") << "25/12/2021" << "25/12/2021";
    QTest::newRow("two separators in a row") << "05//2021" << "05//2021";
    QTest::newRow("blanks as separators") << "1 2 3" << "1/2/3";
    QTest::newRow("digits past the third group dropped") << "25/12/2021/07" << "25/12/2021";
    QTest::newRow("year only") << "2021" << "2021//";
    QTest::newRow("leading separator") << "a5" << "/5/";
    QTest::newRow("empty") << "" << "..../.../...";
    QTest::newRow("blank") << "   " << "..../.../...";
}

void DatesTest::normaliseDate()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(kv::normaliseDate(text), expected);
}

int runDatesTest(int argc, char** argv)
{
    DatesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DatesTest.moc"
