#pragma once
// Key filters applied to each character typed into an entry field.
//
// A filter receives the character code of the key (and, for some filters, the field's text before
// the key) and returns the code to insert: the same code, another one, or 0 to cancel the key.
// Codes of 32 and below (Backspace = 8, Enter = 13...) pass unless a filter says otherwise.
#include <QStringView>

namespace kv {

namespace ui { class Ui; }

inline constexpr int kBackspaceKey = 8;
inline constexpr int kEnterKey = 13;

/// Digits only: a key above 32 that is not a digit is cancelled (a blank, 32, passes).
int digitKey(int key);

/// Decimal number (amounts), for a key typed at the end of the field: digits and one "."; a comma
/// becomes a point while the field holds none; a "-" only into an empty field; blanks and every
/// other key above 32 are cancelled, and so is a digit that would give the text more than
/// kMaxAmountDigits digits in front of its point (no amount goes beyond 999 999 999.99).
int decimalKey(QStringView fieldText, int key);

/// The same for a key whose character replaces the characters [from, to) of the field's text (the
/// selection, or the empty span at the cursor): a "-" is accepted only as the first character of the
/// text and when the rest does not start with one, and nothing can be typed in front of a leading
/// "-". The point rules look at the whole text, selection included.
int decimalKey(QStringView fieldText, int key, qsizetype from, qsizetype to);

/// Typing a date "dd/mm/yyyy": the digits allowed depend on the field's length before the key
/// (0: 0-3, 1: 0-9, 3: 0-1, 4: 0-9, 6 to 9: 0-9; 2, 5 and 10 or more: any key). At a filtering length
/// Backspace passes and any other key outside the allowed digits beeps and is cancelled.
int dateKey(QStringView fieldText, int key, ui::Ui& ui);

} // namespace kv
