#pragma once
// Day and month names in French and Arabic, for dates shown or printed in words.
#include <QString>
#include <array>

namespace kv {

/// Fixed-width names padded with blanks on the right; readers trim them. The Arabic names keep
/// their elongation characters (U+0640, tatweel).
struct DayMonthNames {
    std::array<QString, 7> frenchDays;     ///< Sunday first, 10 characters each
    std::array<QString, 7> arabicDays;     ///< Sunday first, 10 characters each
    std::array<QString, 12> frenchMonths;  ///< January first, 20 characters each
    std::array<QString, 12> arabicMonths;  ///< January first, 20 characters each
};

inline constexpr int kDayNameWidth = 10;
inline constexpr int kMonthNameWidth = 20;

/// The tables, filled on first use.
const DayMonthNames& dayMonthNames();

} // namespace kv
