// The income tax, step by step in double arithmetic. Compiled with -ffp-contract=off (see
// payroll/CMakeLists.txt): a fused multiply-add would round once where the tax rounds twice.
#include "IRG.h"

#include <cmath>
#include <stdexcept>

namespace kv::irg {

namespace {

double finite(double value)
{
    if (!std::isfinite(value))
        throw std::overflow_error("Dépassement de capacité");
    return value;
}

} // namespace

double Arrondi_Dizaine(double x)
{
    const double tens = std::floor(x / 10);
    return tens * 10;
}

double Arrondi_Dixieme(double x)
{
    const double tenths = std::floor(x * 10);
    const double c = tenths / 10;
    const double rest = x - c;
    if (rest >= 0.05)
        return c + 0.1;
    return c;
}

double IRG_Bareme(double x)
{
    if (x >= 120000.01) {
        const double above = x - 120000;
        const double part = above * 0.35;
        return part + 31000;
    }
    if (x >= 30000.01) {
        const double above = x - 30000;
        const double part = above * 0.3;
        return part + 4000;
    }
    if (x >= 10000.01) {
        const double above = x - 10000;
        return above * 0.2;
    }
    return 0;
}

double IRG_Net(double x)
{
    if (!(x > 10000))
        return 0;
    const double t = IRG_Bareme(x);
    double a = t * 0.4;
    if (a < 1000)
        a = 1000;
    if (a > 1500)
        a = 1500;
    const double diff = t - a;
    const double tenths = std::trunc(diff * 10);
    return tenths / 10;
}

double IRG_Calcul(double& imposable, qint16 situation)
{
    finite(imposable);
    if (!(imposable > 0))
        return 0;
    imposable = Arrondi_Dizaine(imposable);
    switch (situation) {
    case Celibataire:
    case Marie:
    case MarieEnfants:
        return finite(IRG_Net(imposable));
    default:
        return 0;
    }
}

double taxe(double imposable, qint16 situation)
{
    double floored = imposable;
    return Arrondi_Dixieme(IRG_Calcul(floored, situation));
}

} // namespace kv::irg
