#pragma once
// Dates as the user types, shows and carries them: text "dd/mm/yyyy".
// (Conversion to and from the database's ISO text belongs to the database layer.)
#include <QString>

namespace kv {

namespace ui { class Ui; }

/// A date field's text after shaping, and where its cursor goes.
struct TypedDate {
    QString text;
    int cursor = 0;
    bool operator==(const TypedDate&) const = default;
};

/// Shapes a date while it is typed: when the trimmed text is 2 or 5 characters long, "/" is appended
/// to the text (25 -> 25/, 25/12 -> 25/12/). The cursor goes after the last non-blank character.
TypedDate formatDateTyping(const QString& text);

/// Checks a typed date: 1 when it is not acceptable, 0 when it is. Day = characters 1-2, month =
/// characters 4-5, year = characters 7-10, each read as a number (see readNumber). Every failing
/// rule beeps once, so a bad date can beep several times:
///   day > 31; day < 1; month > 12; year < 1900; month < 1;
///   too many days for the month, when the month is written with two digits "01".."12"
///   (February: the day characters compared as text with "29" when the year divides by 4 and
///   with "28" otherwise);
///   fewer than 10 characters;
/// and, when none of these failed, a text that is not a real calendar day written "dd/mm/yyyy"
/// (trailing blanks allowed) beeps once more and is refused: 29/02/1900 and 29/02/2100 (no leap
/// day in those years), a month written "2 ", separators other than "/". Such a date could not be
/// stored. This is the one date check of the program: date fields call it when the focus leaves
/// them, and screens confirming an entry call isValidDate or checkDateField (FieldRules.h).
int dateCheck(const QString& text, ui::Ui& ui);

/// Whether dateCheck accepts the text, without a beep.
bool isValidDate(const QString& text);

/// Turns a date typed with any separators into day/month/year: digits go to group 1, 2 or 3, every
/// other character moves to the next group (digits beyond group 3 are dropped). 5-3-2021 gives
/// 5/3/2021, 05//2021 stays 05//2021; a blank text gives "..../.../...".
QString normaliseDate(const QString& text);

} // namespace kv
