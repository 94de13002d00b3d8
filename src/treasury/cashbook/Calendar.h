#pragma once
// The calendar of the date choice Q_Date, without its widgets: a month is shown as 42 cells in seven
// columns, the week starting on Saturday (Saturday, then Sunday to Friday); the 1st sits under its
// weekday and the month's days follow in order, the other cells stay empty.
#include <QStringList>
#include <array>

namespace kv::cashbook::calendar {

inline constexpr int kColumns = 7;
inline constexpr int kCells = 42;
/// The first year the year buttons reach.
inline constexpr int kFirstYear = 1989;
/// The last year the year buttons reach: the year after the current one.
int lastYear();

/// The number of days of a month (February: 29 in a leap year).
int daysInMonth(int year, int month);
/// The column of the month's 1st: 0 for a Saturday, 1 for a Sunday, ... 6 for a Friday.
int firstColumn(int year, int month);
/// The day shown in each cell, 0 for an empty cell.
std::array<int, kCells> cells(int year, int month);
/// The day of `day` kept within the month: a remembered day beyond its end becomes its last day.
int clampDay(int year, int month, int day);
/// The year reached from `year` by `step` (-1 or +1), kept between kFirstYear and lastYear().
int stepYear(int year, int step);

/// The captions of the seven columns, Saturday first ("Sam", "Dim", ... "Ven").
QStringList columnCaptions();
/// A date in words: "Samedi 01 Février 2020".
QString inWords(int year, int month, int day);

} // namespace kv::cashbook::calendar
