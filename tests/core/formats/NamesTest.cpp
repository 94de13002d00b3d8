#include "FormatsTests.h"

#include "core/formats/Names.h"

#include <QTest>

using namespace kv;

class NamesTest : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
};

void NamesTest::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");

    const DayMonthNames& names = dayMonthNames();
    auto rows = [](const char* table, const auto& entries, int width, const QStringList& expected) {
        QCOMPARE(qsizetype(entries.size()), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QTest::addRow("%s %d", table, int(i)) << entries[std::size_t(i)] << width << expected[i];
    };
    rows("french day", names.frenchDays, 10,
         {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"});
    rows("arabic day", names.arabicDays, 10,
         {"الأحـد", "الإثـنين", "الثلاثاء", "الأربعاء", "الـخميس", "الـجمعة", "الـسبت"});
    rows("french month", names.frenchMonths, 20,
         {"Janvier", "Février", "Mars", "Avril", "Mai", "Juin", "Juillet", "Août", "Septembre", "Octobre",
          "Novembre", "Décembre"});
    rows("arabic month", names.arabicMonths, 20,
         {"جـانـفي", "فـبرايـر", "مــارس", "أفـريــل", "مــاي", "جــوان", "جـويـلية", "أوت", "سبـتـمـبر",
          "أكـتـوبـر", "نـوفـمـبر", "ديـسـمـبر"});
}

void NamesTest::names()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(name.size(), width);
    QCOMPARE(name.trimmed(), expected);
    QCOMPARE(name.mid(expected.size()), QString(width - expected.size(), u' '));
}

int runNamesTest(int argc, char** argv)
{
    NamesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "NamesTest.moc"
