#include "FormatsTests.h"

#include "core/formats/Numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace kv;

namespace {
/// Doubles compared exactly, shown with every digit when they differ.
QString exact(double value) { return QString::number(value, 'g', 17); }
} // namespace

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void readNumber_data();
    void readNumber();
    void parseAmount_data();
    void parseAmount();
    void amountForms_data();
    void amountForms();
    void round2_data();
    void round2();
    void round2HalvesGoAwayFromZero();
    void formatNumber_data();
    void formatNumber();
    void toCents_data();
    void toCents();
    void amountLimit_data();
    void amountLimit();
};

void NumbersTest::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("blanks inside and after") << "1 234.50 " << 1234.5;
    QTest::newRow("comma stops") << "12,5" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank") << "   " << 0.0;
    QTest::newRow("starts with a letter") << "abc12" << 0.0;
    QTest::newRow("letter stops") << "12a3" << 12.0;
    QTest::newRow("negative") << "-12.5" << -12.5;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("blank after sign") << "- 3" << -3.0;
    QTest::newRow("minus after digits stops") << "12-3" << 12.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("no integer digit") << ".5" << 0.5;
    QTest::newRow("point last") << "12." << 12.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("leading zeros") << "0012" << 12.0;
    QTest::newRow("no exponent") << "1e5" << 1.0;
    QTest::newRow("shown amount") << "1 234 567.89 " << 1234567.89;
}

void NumbersTest::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(exact(kv::readNumber(text)), exact(expected));
}

void NumbersTest::parseAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<double>("value");
    // Accepted, read as readNumber reads them.
    QTest::newRow("whole number") << "12" << true << 12.0;
    QTest::newRow("two decimals") << "12.50" << true << 12.5;
    QTest::newRow("negative") << "-12.50" << true << -12.5;
    QTest::newRow("blanks between groups") << "1 234.50" << true << 1234.5;
    QTest::newRow("shown amount with its trailing blank") << "1 234 567.89 " << true << 1234567.89;
    QTest::newRow("blank after the sign") << "- 3" << true << -3.0;
    QTest::newRow("tab around") << "\t7\t" << true << 7.0;
    QTest::newRow("point last") << "12." << true << 12.0;
    QTest::newRow("no integer digit") << ".5" << true << 0.5;
    QTest::newRow("negative, no integer digit") << "-.5" << true << -0.5;
    QTest::newRow("leading zeros") << "007" << true << 7.0;
    QTest::newRow("zero") << "0" << true << 0.0;
    QTest::newRow("minus zero reads as zero") << "-0" << true << 0.0;
    QTest::newRow("empty reads as 0") << "" << true << 0.0;
    QTest::newRow("blank reads as 0") << "   " << true << 0.0;
    // Refused: readNumber would have read a wrong figure from them.
    QTest::newRow("minus inside") << "12-50" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("two minus signs") << "--5" << false << 0.0;
    QTest::newRow("minus last") << "5-" << false << 0.0;
    QTest::newRow("minus after a blank-separated digit") << "1 -2" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("minus alone") << "-" << false << 0.0;
    QTest::newRow("minus and point") << "-." << false << 0.0;
    QTest::newRow("plus sign") << "+5" << false << 0.0;
    QTest::newRow("comma") << "12,5" << false << 0.0;
    QTest::newRow("letter") << "12a" << false << 0.0;
    QTest::newRow("exponent") << "1e5" << false << 0.0;
    QTest::newRow("currency after") << "12 DA" << false << 0.0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf16(u"\u0661\u0662") << false << 0.0;
    QTest::newRow("no-break space between groups") << QString::fromUtf16(u"1\u00A0234") << false << 0.0;
    QTest::newRow("beyond a double") << "1" + QString(400, u'0') << false << 0.0;
}

void NumbersTest::parseAmount()
{
    QFETCH(QString, text);
    QFETCH(bool, wellFormed);
    QFETCH(double, value);
    const std::optional<double> amount = kv::parseAmount(text);
    QCOMPARE(amount.has_value(), wellFormed);
    QCOMPARE(kv::isWellFormedAmount(text), wellFormed);
    if (wellFormed) {
        QCOMPARE(exact(*amount), exact(value));
        QCOMPARE(exact(*amount), exact(kv::readNumber(text)));   // the same figure as every reader
    }
}

// The one amount rule read in its two forms: what a user types, and what a list shows (read back by the
// export, which must not take a code or a telephone number for a figure).
void NumbersTest::amountForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<int>("decimals");
    QTest::newRow("grouped amount") << "-1 234 567.50" << true << true << -1234567.5 << "-1234567.50" << 2;
    QTest::newRow("whole amount") << "3 000" << true << true << 3000.0 << "3000" << 0;
    QTest::newRow("blanks around") << "  42.10 " << true << true << 42.1 << "42.10" << 2;
    QTest::newRow("minus zero") << "-0.00" << true << true << 0.0 << "-0.00" << 2;
    QTest::newRow("no-break space between groups") << QString::fromUtf16(u"1\u00A0234") << false << true << 1234.0 << "1234" << 0;
    QTest::newRow("narrow no-break space") << QString::fromUtf16(u"1\u202F234.5") << false << true << 1234.5 << "1234.5" << 1;
    QTest::newRow("blanks anywhere") << "1 23" << true << false << 123.0 << "123" << 0;
    QTest::newRow("blank after the sign") << "- 3" << true << false << -3.0 << "-3" << 0;
    QTest::newRow("leading zero: a code") << "0550123456" << true << false << 550123456.0 << "0550123456" << 0;
    QTest::newRow("zero before the point") << "0.75" << true << true << 0.75 << "0.75" << 2;
    QTest::newRow("point last") << "12." << true << false << 12.0 << "12." << 0;
    QTest::newRow("no integer digit") << ".5" << true << false << 0.5 << ".5" << 1;
    QTest::newRow("sixteen digits") << "1234567890123456" << true << false << 1234567890123456.0 << "1234567890123456" << 0;
    QTest::newRow("fifteen digits") << "1234567890123.45" << true << true << 1234567890123.45 << "1234567890123.45" << 2;
    QTest::newRow("empty") << "" << true << false << 0.0 << "0" << 0;
    QTest::newRow("group of four after a blank") << "1 2345" << true << false << 12345.0 << "12345" << 0;
    QTest::newRow("first group of four") << "1234 567" << true << false << 1234567.0 << "1234567" << 0;
    QTest::newRow("blank among decimals") << "1.234 5" << true << false << 1.2345 << "1.2345" << 4;
    QTest::newRow("two blanks between groups") << "1  234" << true << false << 1234.0 << "1234" << 0;
    QTest::newRow("comma decimals") << "12,50" << false << false << 0.0 << "" << 0;
    QTest::newRow("minus inside") << "12-50" << false << false << 0.0 << "" << 0;
    QTest::newRow("plus sign") << "+5" << false << false << 0.0 << "" << 0;
    QTest::newRow("minus alone") << "-" << false << false << 0.0 << "" << 0;
}

void NumbersTest::amountForms()
{
    QFETCH(QString, text);
    QFETCH(bool, typed);
    QFETCH(bool, shown);
    QFETCH(double, value);
    QFETCH(QString, plain);
    QFETCH(int, decimals);
    const std::optional<AmountReading> asTyped = readAmount(text, AmountForm::Typed);
    const std::optional<AmountReading> asShown = readAmount(text, AmountForm::Shown);
    QCOMPARE(asTyped.has_value(), typed);
    QCOMPARE(asShown.has_value(), shown);
    QCOMPARE(kv::parseAmount(text).has_value(), typed);   // parseAmount is the typed form
    for (const std::optional<AmountReading>& amount : {asTyped, asShown}) {
        if (!amount)
            continue;
        QCOMPARE(exact(amount->value), exact(value));
        if (amount->value == 0)
            QVERIFY(!std::signbit(amount->value));   // no negative zero
        QCOMPARE(amount->plain, plain);
        QCOMPARE(amount->decimals, decimals);
    }
}

void NumbersTest::round2_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("half up") << 0.125 << 0.13;
    QTest::newRow("negative half away from zero") << -0.125 << -0.13;
    QTest::newRow("integer") << 3.0 << 3.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    // Decimal halves whose binary value lies just below the half.
    QTest::newRow("1.005") << 1.005 << 1.01;
    QTest::newRow("2.675") << 2.675 << 2.68;
    QTest::newRow("1.015") << 1.015 << 1.02;
    QTest::newRow("-1.005") << -1.005 << -1.01;
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << 0.3;
    QTest::newRow("just below a half") << 1.0049999 << 1.0;
    QTest::newRow("carry into the integer") << 99.995 << 100.0;
    QTest::newRow("large amount") << 1234567.891 << 1234567.89;
    QTest::newRow("tiny") << 1e-20 << 0.0;
    QTest::newRow("small negative to zero") << -0.004 << 0.0;
}

void NumbersTest::round2()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(exact(kv::round2(value)), exact(expected));
}

void NumbersTest::round2HalvesGoAwayFromZero()
{
    // Every multiple of 0.005 from -200 to 200, as the user would type it: halves of a cent go
    // away from zero, and the rounded value is the one "#######0.00" shows, read back.
    for (int k = -40000; k <= 40000; ++k) {
        const double value = k / 200.0;
        const int cents = (std::abs(k) + 1) / 2;
        const double expected = (k < 0 ? -cents : cents) / 100.0;
        const double rounded = kv::round2(value);
        if (rounded != expected)
            QFAIL(qPrintable(QStringLiteral("round2(%1) = %2, expected %3")
                                 .arg(exact(value), exact(rounded), exact(expected))));
        const double shown = kv::readNumber(kv::formatNumber(value, u"#######0.00"));
        if (shown != rounded)
            QFAIL(qPrintable(QStringLiteral("%1 shows as %2").arg(exact(value), exact(shown))));
    }
}

void NumbersTest::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("millions") << 1234567.5 << "# ### ###.00" << "1 234 567.50";
    QTest::newRow("thousands, left blanks dropped") << 1234.5 << "### ###.00" << "1 234.50";
    QTest::newRow("hundreds") << 100.0 << "# ### ###" << "100";
    QTest::newRow("no room for every digit") << 1234567.0 << "### ###" << "1234 567";
    QTest::newRow("one digit more than the pattern") << 12345678.0 << "# ### ###" << "12 345 678";
    QTest::newRow("no integer digit with #") << 0.5 << "### ###.00" << ".50";
    QTest::newRow("zero shows nothing with #") << 0.0 << "# ### ###" << "";
    QTest::newRow("0 position shows a zero") << 0.5 << "### ### ##0.00" << "0.50";
    QTest::newRow("zero with 0 position") << 0.0 << "#######0.00" << "0.00";
    QTest::newRow("0 positions and blank") << 5.0 << "00 000" << "00 005";
    QTest::newRow("decimals added") << 12.3 << "########.00" << "12.30";
    QTest::newRow("integer pattern rounds half up") << 1234.5 << "# ### ###" << "1 235";
    QTest::newRow("integer pattern, no banker's rounding") << 1232.5 << "# ### ###" << "1 233";
    QTest::newRow("decimal half in binary below") << 1.005 << "#######0.00" << "1.01";
    QTest::newRow("quarter") << 0.125 << "#######0.00" << "0.13";
    QTest::newRow("carry adds a group") << 99999.995 << "### ###.00" << "100 000.00";
    QTest::newRow("carry beyond the pattern") << 999999.995 << "### ###.00" << "1000 000.00";
    QTest::newRow("negative") << -1234.5 << "### ###.00" << "-1 234.50";
    QTest::newRow("negative half") << -0.005 << "##0.00" << "-0.01";
    QTest::newRow("negative rounded to zero") << -0.001 << "##0.00" << "0.00";
    QTest::newRow("trailing blank kept") << 1234.5 << "### ###.00 " << "1 234.50 ";
    QTest::newRow("# decimals drop trailing zeros") << 1.5 << "0.##" << "1.5";
    QTest::newRow("# decimal after 0 decimal") << 1.25 << "0.0#" << "1.25";
    QTest::newRow("# decimals of an integer") << 1.0 << "0.##" << "1.";
}

void NumbersTest::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(kv::formatNumber(value, pattern), expected);
}

void NumbersTest::toCents_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("1.005 as the screen shows it") << 1.005 << qint64(101);
    QTest::newRow("2.675") << 2.675 << qint64(268);
    QTest::newRow("0.125") << 0.125 << qint64(13);
    QTest::newRow("-0.125 away from zero") << -0.125 << qint64(-13);
    QTest::newRow("1 200.50") << 1200.5 << qint64(120050);
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << qint64(30);
    QTest::newRow("carry into the integer") << 99.995 << qint64(10000);
    QTest::newRow("largest amount") << 999999999.99 << qint64(99999999999);
    QTest::newRow("small negative to zero") << -0.004 << qint64(0);
    QTest::newRow("zero") << 0.0 << qint64(0);
    QTest::newRow("beyond the type") << 1e30 << std::numeric_limits<qint64>::max();
}

void NumbersTest::toCents()
{
    QFETCH(double, value);
    QFETCH(qint64, cents);
    QCOMPARE(kv::toCents(value), cents);
    if (std::fabs(value) < 1e12)   // the same figure as round2 and the pattern "0.00"
        QCOMPARE(kv::formatNumber(value, u"0.00"), kv::formatNumber(double(cents) / 100, u"0.00"));
}

void NumbersTest::amountLimit_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("within");
    QTest::newRow("largest amount") << 999999999.99 << true;
    QTest::newRow("largest negative amount") << -999999999.99 << true;
    QTest::newRow("rounds down to the largest") << 999999999.994 << true;
    QTest::newRow("rounds up beyond") << 999999999.995 << false;
    QTest::newRow("ten digits") << 1000000000.0 << false;
    QTest::newRow("the pay entry of the fault") << 99999999999.0 << false;
    QTest::newRow("fourteen digits") << 12345678901234.0 << false;
    QTest::newRow("zero") << 0.0 << true;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false;
}

void NumbersTest::amountLimit()
{
    QFETCH(double, value);
    QFETCH(bool, within);
    QCOMPARE(kv::isWithinAmountLimit(value), within);
}

int runNumbersTest(int argc, char** argv)
{
    NumbersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "NumbersTest.moc"
