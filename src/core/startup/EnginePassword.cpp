#include "EnginePassword.h"

#include <cmath>

namespace kv {

QString enginePasswordFrom(const QString& digits)
{
    QString password;
    for (int k = 1; k <= 8; ++k) {
        const int value = digits.mid(4 * k - 3, 3).toInt(); // positions 4k-2 .. 4k, counted from 1
        password += QChar(char16_t(std::lround(value / 2.0)));
    }
    return password;
}

QString enginePassword()
{
    static const char kDigits[] = "31507194123692225164820242166110";
    return enginePasswordFrom(QString::fromLatin1(kDigits));
}

} // namespace kv
