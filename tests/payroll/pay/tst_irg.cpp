// The income tax: the table of results, the double arithmetic that gives 1 501.1 for 22 510, the
// floor to tens of the caller's variable, the situations, and the steps on their own.
#include "PayTests.h"
#include "payroll/tax/IRG.h"

#include <QTest>
#include <stdexcept>

using namespace kv::irg;

namespace {

/// The tax of a whole multiple of ten computed in exact decimal arithmetic, in tenths: what the
/// double arithmetic would give without its rounding errors.
qint64 exactTenths(qint64 x)
{
    // amounts in hundredths of a unit
    const qint64 xc = x * 100;
    qint64 t = 0;
    if (x > 120000)
        t = (xc - 12000000) * 35 / 100 + 3100000;
    else if (x > 30000)
        t = (xc - 3000000) * 30 / 100 + 400000;
    else if (x > 10000)
        t = (xc - 1000000) * 20 / 100;
    qint64 a = t * 40 / 100;   // exact: t is a multiple of 10 hundredths for multiples of ten
    a = std::clamp<qint64>(a, 100000, 150000);
    const qint64 diff = t - a;            // hundredths
    return diff / 10;                     // truncated toward zero to tenths
}

} // namespace

class IrgTest : public QObject {
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<double>("imposable");
        QTest::addColumn<double>("floored");
        QTest::addColumn<double>("bareme");
        QTest::addColumn<double>("result");
        QTest::newRow("9 500") << 9500.0 << 9500.0 << 0.0 << 0.0;
        QTest::newRow("10 000") << 10000.0 << 10000.0 << 0.0 << 0.0;
        QTest::newRow("10 005") << 10005.0 << 10000.0 << 0.0 << 0.0;
        QTest::newRow("12 345.67") << 12345.67 << 12340.0 << 468.0 << -532.0;
        QTest::newRow("15 000") << 15000.0 << 15000.0 << 1000.0 << 0.0;
        QTest::newRow("17 500") << 17500.0 << 17500.0 << 1500.0 << 500.0;
        QTest::newRow("20 000") << 20000.0 << 20000.0 << 2000.0 << 1000.0;
        QTest::newRow("25 000") << 25000.0 << 25000.0 << 3000.0 << 1800.0;
        QTest::newRow("30 000") << 30000.0 << 30000.0 << 4000.0 << 2500.0;
        QTest::newRow("35 000") << 35000.0 << 35000.0 << 5500.0 << 4000.0;
        QTest::newRow("120 000") << 120000.0 << 120000.0 << 31000.0 << 29500.0;
        QTest::newRow("130 000") << 130000.0 << 130000.0 << 34500.0 << 33000.0;
        QTest::newRow("22 510") << 22510.0 << 22510.0 << 2502.0 << 1501.1;
        QTest::newRow("27 777") << 27777.0 << 27770.0 << 3554.0 << 2132.3;
        QTest::newRow("23 660 (a pay of 26 000 less CNAS 2 340)") << 23660.0 << 23660.0 << 2732.0 << 1639.2;
    }
    void table()
    {
        QFETCH(double, imposable);
        QFETCH(double, floored);
        QFETCH(double, bareme);
        QFETCH(double, result);
        double value = imposable;
        const double tax = Arrondi_Dixieme(IRG_Calcul(value, Celibataire));
        QCOMPARE(value, floored);
        QCOMPARE(tax, result);
        QCOMPARE(IRG_Bareme(floored), bareme);
        QCOMPARE(taxe(imposable, Celibataire), result);
    }

    // The double arithmetic drops a tenth for 57 multiples of ten between 10 010 and 400 000, where
    // exact decimals keep it; every other amount is the exact tax.
    void doubleArithmeticAgainstExactDecimals()
    {
        QList<qint64> lower;
        for (qint64 x = 10010; x <= 400000; x += 10) {
            double value = double(x);
            const double tax = IRG_Calcul(value, Celibataire);
            const qint64 exact = exactTenths(x);
            const qint64 got = qRound64(tax * 10);
            QVERIFY2(got == exact || got == exact - 1, qPrintable(QString::number(x)));
            if (got != exact)
                lower << x;
        }
        QCOMPARE(lower.size(), 57);
        QVERIFY(lower.contains(22510));
        QVERIFY(lower.contains(27770));
    }

    void situations_data()
    {
        QTest::addColumn<int>("situation");
        QTest::addColumn<bool>("taxed");
        QTest::newRow("0 not subject") << 0 << false;
        QTest::newRow("1 single") << 1 << true;
        QTest::newRow("2 married") << 2 << true;
        QTest::newRow("3 married with children") << 3 << true;
        QTest::newRow("4 unknown") << 4 << false;
        QTest::newRow("-1 unknown") << -1 << false;
    }
    void situations()
    {
        QFETCH(int, situation);
        QFETCH(bool, taxed);
        for (double amount : {9500.0, 12345.67, 22510.0, 27777.0, 130000.0}) {
            double value = amount;
            double single = amount;
            const double tax = IRG_Calcul(value, qint16(situation));
            QCOMPARE(tax, taxed ? IRG_Calcul(single, Celibataire) : 0.0);
            // every situation floors the caller's variable once the amount is above 0
            QCOMPARE(value, Arrondi_Dizaine(amount));
        }
    }

    void nothingTaxableIsLeftUnchanged_data()
    {
        QTest::addColumn<double>("imposable");
        QTest::newRow("0") << 0.0;
        QTest::newRow("-0.5") << -0.5;
        QTest::newRow("-12 345.67") << -12345.67;
    }
    void nothingTaxableIsLeftUnchanged()
    {
        QFETCH(double, imposable);
        double value = imposable;
        QCOMPARE(IRG_Calcul(value, Celibataire), 0.0);
        QCOMPARE(value, imposable);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("dizaine");
        QTest::addColumn<double>("dixieme");
        QTest::newRow("whole") << 1234.0 << 1230.0 << 1234.0;
        QTest::newRow("above the half") << 1234.26 << 1230.0 << 1234.3;
        QTest::newRow("half of a small amount") << 0.05 << 0.0 << 0.1;
        // x - c is computed in doubles: 1234.25 - 1234.2 falls just below 0.05, so the tenth stays
        QTest::newRow("half lost in binary") << 1234.25 << 1230.0 << 1234.2;
        QTest::newRow("up to the next unit") << 1234.96 << 1230.0 << 1235.0;
        QTest::newRow("below half") << 1234.24 << 1230.0 << 1234.2;
        QTest::newRow("tens") << 1239.99 << 1230.0 << 1240.0;
        QTest::newRow("negative") << -532.0 << -540.0 << -532.0;
        QTest::newRow("negative fraction") << -532.04 << -540.0 << -532.0;
    }
    void rounding()
    {
        QFETCH(double, x);
        QFETCH(double, dizaine);
        QFETCH(double, dixieme);
        QCOMPARE(Arrondi_Dizaine(x), dizaine);
        QCOMPARE(Arrondi_Dixieme(x), dixieme);
    }

    // The abatement: 40 % of the bracket tax, at least 1 000, at most 1 500; the result may be negative.
    void abatement_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("net");
        QTest::newRow("below the minimum abatement") << 10010.0 << -998.0;
        QTest::newRow("minimum") << 20000.0 << 1000.0;
        QTest::newRow("40 %") << 25000.0 << 1800.0;
        QTest::newRow("maximum reached at 28 750") << 28750.0 << 2250.0;
        QTest::newRow("maximum") << 400000.0 << 127500.0;
        QTest::newRow("at the threshold") << 10000.0 << 0.0;
    }
    void abatement()
    {
        QFETCH(double, x);
        QFETCH(double, net);
        QCOMPARE(IRG_Net(x), net);
    }

    void overflowIsReported()
    {
        double value = std::numeric_limits<double>::infinity();
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, IRG_Calcul(value, Celibataire));
        value = std::numeric_limits<double>::quiet_NaN();
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, IRG_Calcul(value, Celibataire));
    }
};

int runIrgTest(int argc, char** argv)
{
    IrgTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_irg.moc"
