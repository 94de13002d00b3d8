#include "core/formats/Names.h"

namespace kv {

namespace {

template <std::size_t N>
std::array<QString, N> padded(const char16_t* const (&names)[N], int width)
{
    std::array<QString, N> table;
    for (std::size_t i = 0; i < N; ++i)
        table[i] = QString::fromUtf16(names[i]).leftJustified(width, u' ');
    return table;
}

DayMonthNames makeNames()
{
    static const char16_t* const frenchDays[] = {
        u"Dimanche", u"Lundi", u"Mardi", u"Mercredi", u"Jeudi", u"Vendredi", u"Samedi"};
    // الأحـد الإثـنين الثلاثاء الأربعاء الـخميس الـجمعة الـسبت
    static const char16_t* const arabicDays[] = {
        u"\u0627\u0644\u0623\u062D\u0640\u062F",
        u"\u0627\u0644\u0625\u062B\u0640\u0646\u064A\u0646",
        u"\u0627\u0644\u062B\u0644\u0627\u062B\u0627\u0621",
        u"\u0627\u0644\u0623\u0631\u0628\u0639\u0627\u0621",
        u"\u0627\u0644\u0640\u062E\u0645\u064A\u0633",
        u"\u0627\u0644\u0640\u062C\u0645\u0639\u0629",
        u"\u0627\u0644\u0640\u0633\u0628\u062A"};
    static const char16_t* const frenchMonths[] = {
        u"Janvier", u"F\u00E9vrier", u"Mars", u"Avril", u"Mai", u"Juin",
        u"Juillet", u"Ao\u00FBt", u"Septembre", u"Octobre", u"Novembre", u"D\u00E9cembre"};
    // جـانـفي فـبرايـر مــارس أفـريــل مــاي جــوان جـويـلية أوت سبـتـمـبر أكـتـوبـر نـوفـمـبر ديـسـمـبر
    static const char16_t* const arabicMonths[] = {
        u"\u062C\u0640\u0627\u0646\u0640\u0641\u064A",
        u"\u0641\u0640\u0628\u0631\u0627\u064A\u0640\u0631",
        u"\u0645\u0640\u0640\u0627\u0631\u0633",
        u"\u0623\u0641\u0640\u0631\u064A\u0640\u0640\u0644",
        u"\u0645\u0640\u0640\u0627\u064A",
        u"\u062C\u0640\u0640\u0648\u0627\u0646",
        u"\u062C\u0640\u0648\u064A\u0640\u0644\u064A\u0629",
        u"\u0623\u0648\u062A",
        u"\u0633\u0628\u0640\u062A\u0640\u0645\u0640\u0628\u0631",
        u"\u0623\u0643\u0640\u062A\u0640\u0648\u0628\u0640\u0631",
        u"\u0646\u0640\u0648\u0641\u0640\u0645\u0640\u0628\u0631",
        u"\u062F\u064A\u0640\u0633\u0640\u0645\u0640\u0628\u0631"};

    return DayMonthNames{padded(frenchDays, kDayNameWidth), padded(arabicDays, kDayNameWidth),
                         padded(frenchMonths, kMonthNameWidth), padded(arabicMonths, kMonthNameWidth)};
}

} // namespace

const DayMonthNames& dayMonthNames()
{
    static const DayMonthNames names = makeNames();
    return names;
}

} // namespace kv
