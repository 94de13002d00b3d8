#include "core/formats/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace kv {

namespace {

/// A number rounded to a count of decimals, as decimal digits.
struct Decimal {
    bool negative = false;
    std::string integer;   ///< integer digits without leading zeros; empty for 0
    std::string fraction;  ///< exactly the requested count of digits
};

/// Rounds |value| half away from zero on its 15-significant-digit decimal form.
Decimal roundDecimal(double value, int decimals)
{
    Decimal result;
    if (!std::isfinite(value) || value == 0.0) {
        result.fraction.assign(decimals, '0');
        return result;
    }

    // d.dddddddddddddde±x: 15 significant digits, the point after the first one.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, 14);
    int integerLength = std::atoi(buffer + 17) + 1;   // digits before the point
    if (integerLength < 0) {
        digits.insert(0, std::size_t(-integerLength), '0');
        integerLength = 0;
    }
    if (std::size_t(integerLength) + decimals + 1 > digits.size())
        digits.resize(std::size_t(integerLength) + decimals + 1, '0');

    const char roundingDigit = digits[std::size_t(integerLength) + decimals];
    digits.resize(std::size_t(integerLength) + decimals);
    if (roundingDigit >= '5') {
        std::size_t i = digits.size();
        for (; i > 0; --i) {
            if (digits[i - 1] != '9') {
                ++digits[i - 1];
                break;
            }
            digits[i - 1] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            ++integerLength;
        }
    }

    result.fraction = digits.substr(std::size_t(integerLength));
    result.integer = digits.substr(0, std::size_t(integerLength));
    result.integer.erase(0, result.integer.find_first_not_of('0'));
    result.negative = value < 0
        && (!result.integer.empty() || result.fraction.find_first_not_of('0') != std::string::npos);
    return result;
}

bool isDigitPosition(QChar c) { return c == u'#' || c == u'0'; }

/// The blanks a typed number may hold anywhere, and those a shown amount has between its thousands.
bool isTypedBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }
bool isGroupBlank(QChar c) { return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F); }

} // namespace

double readNumber(QStringView text)
{
    // Collects the sign, digits and point that make the number, blanks skipped, then converts the
    // plain ASCII form without any locale.
    std::string number;
    bool started = false;
    bool point = false;
    for (QChar c : text) {
        if (isTypedBlank(c))
            continue;
        if (c >= u'0' && c <= u'9') {
            number += char(c.unicode());
        } else if (c == u'.' && !point) {
            point = true;
            number += '.';
        } else if ((c == u'-' || c == u'+') && !started) {
            if (c == u'-')
                number += '-';
        } else {
            break;
        }
        started = true;
    }
    double value = 0.0;
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc())
        return 0.0;   // nothing but a sign or a point
    return value + 0.0;   // no negative zero
}

std::optional<AmountReading> readAmount(QStringView text, AmountForm form)
{
    const bool shown = form == AmountForm::Shown;
    if (shown)
        text = text.trimmed();
    std::string number;       // the plain form: sign, digits and point
    int whole = 0;            // integer digits
    int decimals = 0;         // digits after the point
    int group = -1;           // digits since the last thousands blank (-1: none yet)
    bool point = false;
    for (QChar c : text) {
        if (shown ? isGroupBlank(c) : isTypedBlank(c)) {
            // Shown: a blank only separates thousands, after the first 1 to 3 digits or a group of 3.
            if (shown && (point || whole == 0 || (group < 0 ? whole > 3 : group != 3)))
                return std::nullopt;
            group = 0;
            continue;
        }
        if (c >= u'0' && c <= u'9') {
            number += char(c.unicode());
            if (point) {
                ++decimals;
            } else {
                ++whole;
                if (group >= 0)
                    ++group;
            }
        } else if (c == u'.' && !point) {
            if (shown && (whole == 0 || (group >= 0 && group != 3)))
                return std::nullopt;
            number += '.';
            point = true;
        } else if (c == u'-' && number.empty()) {
            number += '-';
        } else {
            return std::nullopt;
        }
    }
    if (shown) {
        if (whole == 0 || (point && decimals == 0) || (!point && group >= 0 && group != 3))
            return std::nullopt;
        const std::size_t first = number.front() == '-' ? 1 : 0;
        if (whole > 1 && number[first] == '0')
            return std::nullopt;   // a code or a telephone number ("0550…")
        if (whole + decimals > 15)
            return std::nullopt;   // beyond what a spreadsheet number holds exactly
    } else if (number.empty()) {
        return AmountReading{0.0, QStringLiteral("0"), 0};
    } else if (whole + decimals == 0) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt;   // beyond the range of a double
    return AmountReading{value + 0.0, QString::fromLatin1(number), decimals};   // no negative zero
}

std::optional<double> parseAmount(QStringView text)
{
    const std::optional<AmountReading> amount = readAmount(text, AmountForm::Typed);
    return amount ? std::optional<double>(amount->value) : std::nullopt;
}

bool isWellFormedAmount(QStringView text) { return parseAmount(text).has_value(); }

bool isWithinAmountLimit(double value)
{
    return std::isfinite(value) && std::fabs(round2(value)) <= kMaxAmount;
}

qint64 toCents(double value)
{
    if (std::isnan(value))
        return 0;
    const Decimal d = roundDecimal(value, 2);
    const std::string digits = d.integer + d.fraction;
    constexpr std::size_t kMaxDigits = 18;   // below 2^63
    if (!std::isfinite(value) || digits.size() > kMaxDigits)
        return value < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    qint64 cents = 0;
    for (char c : digits)
        cents = cents * 10 + (c - '0');
    return d.negative ? -cents : cents;
}

double round2(double value)
{
    const Decimal d = roundDecimal(value, 2);
    std::string text = (d.integer.empty() ? std::string("0") : d.integer) + '.' + d.fraction;
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return d.negative ? -result : result;
}

QString formatNumber(double value, QStringView pattern)
{
    const qsizetype pointAt = pattern.indexOf(u'.');
    const QStringView integerPattern = pointAt < 0 ? pattern : pattern.left(pointAt);
    const QStringView fractionPattern = pointAt < 0 ? QStringView() : pattern.mid(pointAt + 1);

    int decimals = 0;
    for (QChar c : fractionPattern)
        decimals += isDigitPosition(c);
    const Decimal d = roundDecimal(value, decimals);

    // Integer part, right to left; then the digits the pattern has no room for.
    QString reversed;
    reversed.reserve(integerPattern.size() + qsizetype(d.integer.size()));
    std::size_t left = d.integer.size();
    for (qsizetype i = integerPattern.size() - 1; i >= 0; --i) {
        const QChar c = integerPattern[i];
        if (!isDigitPosition(c))
            reversed += c;
        else if (left > 0)
            reversed += QLatin1Char(d.integer[--left]);
        else if (c == u'0')
            reversed += u'0';
    }
    while (left > 0)
        reversed += QLatin1Char(d.integer[--left]);
    while (!reversed.isEmpty() && reversed.back() == u' ')
        reversed.chop(1);

    QString text;
    text.reserve(pattern.size() + 1 + reversed.size());
    if (d.negative)
        text += u'-';
    for (qsizetype i = reversed.size() - 1; i >= 0; --i)
        text += reversed[i];

    if (pointAt >= 0) {
        text += u'.';
        const std::size_t lastShown = d.fraction.find_last_not_of('0');  // npos when all zeros
        std::size_t next = 0;
        for (QChar c : fractionPattern) {
            if (!isDigitPosition(c)) {
                text += c;
                continue;
            }
            const std::size_t at = next++;
            if (c == u'0' || (lastShown != std::string::npos && at <= lastShown))
                text += QLatin1Char(d.fraction[at]);
        }
    }
    return text;
}

} // namespace kv
