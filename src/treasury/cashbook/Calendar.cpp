#include "Calendar.h"

#include "core/formats/Names.h"

#include <QDate>

namespace kv::cashbook::calendar {

int lastYear() { return QDate::currentDate().year() + 1; }

int daysInMonth(int year, int month) { return QDate(year, month, 1).daysInMonth(); }

int firstColumn(int year, int month)
{
    // dayOfWeek: Monday 1 ... Saturday 6, Sunday 7; the week here starts on Saturday.
    return (QDate(year, month, 1).dayOfWeek() + 1) % kColumns;
}

std::array<int, kCells> cells(int year, int month)
{
    std::array<int, kCells> c{};
    const int first = firstColumn(year, month);
    const int days = daysInMonth(year, month);
    for (int d = 1; d <= days; ++d)
        c[first + d - 1] = d;
    return c;
}

int clampDay(int year, int month, int day) { return std::clamp(day, 1, daysInMonth(year, month)); }

int stepYear(int year, int step) { return std::clamp(year + step, kFirstYear, std::max(kFirstYear, lastYear())); }

QStringList columnCaptions()
{
    const auto& days = dayMonthNames().frenchDays; // Sunday first
    QStringList captions;
    for (int c = 0; c < kColumns; ++c)
        captions << days[(c + 6) % 7].trimmed().left(3);
    return captions;
}

QString inWords(int year, int month, int day)
{
    const QDate d(year, month, day);
    if (!d.isValid())
        return {};
    const auto& names = dayMonthNames();
    return names.frenchDays[d.dayOfWeek() % 7].trimmed() + u' ' + d.toString(QStringLiteral("dd")) + u' ' +
           names.frenchMonths[month - 1].trimmed() + u' ' + QString::number(year);
}

} // namespace kv::cashbook::calendar
