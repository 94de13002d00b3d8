#pragma once
// Numbers as typed and shown: reading a text as a number, two-decimal rounding of amounts and
// number patterns such as "### ###.00".
//
// Rounding works on the decimal value of a number taken at 15 significant digits - what the user
// typed or what was shown - and not on its binary value: 1.005 is stored just below 1.005 in
// binary, yet rounds to 1.01 like 0.125 rounds to 0.13. Halves go away from zero.
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace kv {

/// The largest amount the program takes, either way: 999 999 999.99, nine integer digits.
inline constexpr double kMaxAmount = 999999999.99;
inline constexpr int kMaxAmountDigits = 9;

/// Reads a number from text: blanks anywhere are skipped; then a leading sign, digits and one "."
/// are read up to the first other character. An empty text, or one starting with another
/// character, reads as 0. "1 234.50 " -> 1234.5, "12,5" -> 12, "abc" -> 0.
double readNumber(QStringView text);

/// The two forms of an amount text, read by the one rule readAmount.
enum class AmountForm {
    /// Typed by the user: blanks anywhere are skipped (as readNumber does); what remains must be an
    /// optional leading "-", then digits with at most one "." among or around them, with at least one
    /// digit. An empty or blank text reads as 0. Accepted: "-12.50", "1 234.50", "12", "12.", ".5", "007".
    Typed,
    /// As a list shows it, read back by the export: blanks around are ignored; an optional leading "-",
    /// digits grouped by thousands with one blank, no-break space or narrow no-break space, or not
    /// grouped, then "." and at least one decimal or nothing. A whole part with a leading zero ("0550…",
    /// a code or a telephone number), more than 15 digits (beyond what a spreadsheet number holds
    /// exactly), an empty text, "12." or ".5" are no amount: the cell stays a text.
    Shown
};

/// An amount read from a text: its value (never a negative zero), its plain form ("-1234.50": sign,
/// digits and point, no blank) and its count of decimals.
struct AmountReading {
    double value = 0.0;
    QString plain;
    int decimals = 0;
};

/// The one reading of an amount text, in either form; no value when the text is not an amount of that
/// form ("12-50", "1.2.3", "--5", "5-", "+5", "12,5", "1e5", ".", "-" in both) or is beyond the range
/// of a double.
std::optional<AmountReading> readAmount(QStringView text, AmountForm form);

/// Reads an amount typed by the user (readAmount, AmountForm::Typed), refusing what is not a
/// well-formed number, where readNumber would have read a wrong figure. An empty or blank text reads
/// as 0 (a screen that needs an amount says "Montant omis" first).
std::optional<double> parseAmount(QStringView text);

/// Whether parseAmount gives a value for the text.
bool isWellFormedAmount(QStringView text);

/// Whether an amount, rounded to the cent, stays within kMaxAmount either way (0.004 above passes).
bool isWithinAmountLimit(double value);

/// The amount as a whole number of cents, rounded as round2 rounds: 1.005 -> 101, -0.125 -> -13.
/// Figures beyond the range of the type are clamped to it.
qint64 toCents(double value);

/// The number rounded to two decimals, halves away from zero: the value shown by "#######0.00",
/// read back. 0.125 -> 0.13, -0.125 -> -0.13, 1.005 -> 1.01.
double round2(double value);

/// Shows a number with a pattern: "#" shows a digit only where the number has one, "0" always shows
/// a digit, "." is the decimal point, any other character (a blank between digit positions) is
/// written as it stands. Integer digits fill the pattern from the right of its integer part; extra
/// digits are all shown on the left. Decimals are rounded to the positions after the point, halves
/// away from zero; a "#" decimal position shows nothing for a trailing zero.
/// Blanks left of the first character shown are dropped (the result never starts with a blank), and
/// a negative number gets "-" in front unless every digit shown is 0.
///   1234567.5, "# ### ###.00" -> "1 234 567.50";  1234.5, "### ###.00" -> "1 234.50";
///   0.5, "### ###.00" -> ".50" (no integer digit to show);  0.5, "### ##0.00" -> "0.50";
///   1234567, "### ###" -> "1234 567".
/// This is the one formatter of figures: screens, printed reports and exports all show amounts with it.
QString formatNumber(double value, QStringView pattern);

} // namespace kv
