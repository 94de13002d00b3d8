#include "core/formats/Dates.h"

#include "core/formats/Numbers.h"
#include "platform/ui/Ui.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kv {

TypedDate formatDateTyping(const QString& text)
{
    TypedDate shaped{text, 0};
    const qsizetype trimmedLength = text.trimmed().size();
    if (trimmedLength == 2 || trimmedLength == 5)
        shaped.text += u'/';
    qsizetype end = shaped.text.size();
    while (end > 0 && shaped.text.at(end - 1).isSpace())
        --end;
    shaped.cursor = int(end);
    return shaped;
}

namespace {

/// A text "dd/mm/yyyy" (trailing blanks allowed) that names a day of the calendar, leap years by
/// the Gregorian rule.
bool isCalendarDay(const QString& text)
{
    QStringView date(text);
    while (!date.isEmpty() && date.back().isSpace())
        date.chop(1);
    if (date.size() != 10 || date[2] != u'/' || date[5] != u'/')
        return false;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 3, 6};
    const int lengths[3] = {2, 2, 4};
    for (int p = 0; p < 3; ++p)
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const QChar c = date[i];
            if (c < u'0' || c > u'9')
                return false;
            parts[p] = parts[p] * 10 + (c.unicode() - u'0');
        }
    return QDate::isValid(parts[2], parts[1], parts[0]);
}

/// Counts the failing rules of dateCheck, calling `failed` for each.
template <typename OnFailure> int failedDateRules(const QString& text, OnFailure failed)
{
    const QStringView view(text);
    const QStringView dayText = view.mid(0, 2);
    const QStringView monthText = view.mid(3, 2);
    const double day = readNumber(dayText);
    const double month = readNumber(monthText);
    const double year = readNumber(view.mid(6, 4));

    int failures = 0;
    auto rule = [&](bool fails) {
        if (fails) {
            failed();
            ++failures;
        }
    };
    rule(day > 31);
    rule(day < 1);
    rule(month > 12);
    rule(year < 1900);
    rule(month < 1);

    static constexpr QStringView longMonths[]{u"01", u"03", u"05", u"07", u"08", u"10", u"12"};
    static constexpr QStringView shortMonths[]{u"04", u"06", u"09", u"11"};
    auto isOneOf = [monthText](const auto& months) {
        return std::find(std::begin(months), std::end(months), monthText) != std::end(months);
    };
    if (isOneOf(longMonths))
        rule(day > 31);
    else if (isOneOf(shortMonths))
        rule(day > 30);
    else if (monthText == u"02") {
        const bool leap = std::fmod(year, 4.0) == 0.0;
        rule(dayText.compare(leap ? u"29" : u"28") > 0);
    }

    rule(text.size() < 10);
    // What passes the rules above must still be a day the calendar has, or it could not be stored.
    if (failures == 0)
        rule(!isCalendarDay(text));
    return failures;
}

} // namespace

int dateCheck(const QString& text, ui::Ui& ui)
{
    return failedDateRules(text, [&ui] { ui.beep(); }) > 0 ? 1 : 0;
}

bool isValidDate(const QString& text)
{
    return failedDateRules(text, [] {}) == 0;
}

QString normaliseDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("..../.../...");
    QString groups[3];
    int group = 0;
    for (QChar c : trimmed) {
        if (c >= u'0' && c <= u'9') {
            if (group < 3)
                groups[group] += c;
        } else {
            ++group;
        }
    }
    return groups[0] + u'/' + groups[1] + u'/' + groups[2];
}

} // namespace kv
