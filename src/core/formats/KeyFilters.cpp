#include "core/formats/KeyFilters.h"

#include "core/formats/Numbers.h"
#include "platform/ui/Ui.h"

#include <QString>

namespace kv {

namespace {
constexpr bool isDigit(int key) { return key >= '0' && key <= '9'; }

/// The digits in front of the point (of the whole text when it has none).
qsizetype integerDigits(QStringView text)
{
    const qsizetype point = text.indexOf(u'.');
    qsizetype count = 0;
    for (QChar c : point < 0 ? text : text.left(point))
        count += c.isDigit();
    return count;
}
} // namespace

int digitKey(int key)
{
    return key > 32 && !isDigit(key) ? 0 : key;
}

int decimalKey(QStringView fieldText, int key)
{
    return decimalKey(fieldText, key, fieldText.size(), fieldText.size());
}

int decimalKey(QStringView fieldText, int key, qsizetype from, qsizetype to)
{
    if (key > 32) {
        from = qBound<qsizetype>(0, from, fieldText.size());
        to = qBound<qsizetype>(from, to, fieldText.size());
        const bool atStart = from == 0;
        const bool signFollows = atStart && fieldText.mid(to).startsWith(u'-');
        if (key == '-')
            return atStart && !signFollows ? key : 0;
        if (signFollows)
            return 0;   // nothing goes in front of the sign
    }
    const bool hasPoint = fieldText.contains(u'.');
    if (key == ',')
        return hasPoint ? 0 : '.';
    if (key > 32 && !isDigit(key) && key != '.' && key != '-')
        return 0;
    if (key == '.' && hasPoint)
        return 0;
    if (key == ' ')
        return 0;
    if (isDigit(key)) {
        // No amount goes beyond kMaxAmountDigits integer digits.
        from = qBound<qsizetype>(0, from, fieldText.size());
        to = qBound<qsizetype>(from, to, fieldText.size());
        const QString after = fieldText.left(from).toString() + QChar(char16_t(key)) + fieldText.mid(to).toString();
        if (integerDigits(after) > kMaxAmountDigits)
            return 0;
    }
    return key;
}

int dateKey(QStringView fieldText, int key, ui::Ui& ui)
{
    char highest;
    switch (fieldText.size()) {
    case 0: highest = '3'; break;           // first digit of the day
    case 3: highest = '1'; break;           // first digit of the month
    case 1: case 4:                         // second digit of the day, of the month
    case 6: case 7: case 8: case 9:         // the year
        highest = '9';
        break;
    default: return key;                    // 2, 5, 10 or more: separators and beyond
    }
    if (key == kBackspaceKey || (key >= '0' && key <= highest))
        return key;
    ui.beep();
    return 0;
}

} // namespace kv
