#pragma once
// `IRG`: the monthly income tax withheld from a salaried agent's pay.
//
// Pure double arithmetic, no state: the pay screen and the pay slip call it each time they recompute
// a pay, the annual statement multiplies its monthly result by 12. The brackets, the abatement and the
// thresholds are fixed here; no parameter table changes them.
//
// Every step is an IEEE 754 double operation rounded to a double, in the order written in IRG.cpp (the
// file is compiled without floating-point contraction so that no step is fused with the next). Exact
// decimal arithmetic gives another tenth for some amounts: 22 510 gives 1 501.1 here, 1 501.2 in
// decimals; that is the tax this program has always withheld, and it is kept.
//
// How a caller uses it:
//     double imposable = poste - cnas;
//     const double tax = irg::Arrondi_Dixieme(irg::IRG_Calcul(imposable, situation));
//     // tax > 0: shown and stored; otherwise no income tax (an empty field)
#include <QtGlobal>

namespace kv::irg {

/// Family situations. The three subject codes give the same tax; any other value gives 0.
enum Situation : qint16 {
    NonSoumis = 0,       ///< not subject
    Celibataire = 1,     ///< single
    Marie = 2,           ///< married with no child
    MarieEnfants = 3     ///< married with at least one child
};

/// The entry operation. A taxable amount not above 0 gives 0 and is left unchanged; otherwise
/// `imposable` is floored to tens (the caller's variable holds the floored amount afterwards) and the
/// result is IRG_Net of it for situations 1 to 3, 0 for any other situation.
/// Throws std::overflow_error when the taxable amount or a step is not a finite number.
double IRG_Calcul(double& imposable, qint16 situation);

/// The bracket tax less the abatement (40 % of it, at least 1 000 and at most 1 500), truncated
/// toward zero to tenths; 0 when x is not above 10 000. Negative between 10 010 and 14 990: not
/// clamped here (callers show no tax when the rounded tax is not above 0).
double IRG_Net(double x);

/// The bracket tax before the abatement: 0 up to 10 000, 20 % above it up to 30 000, then 4 000 +
/// 30 % above 30 000 up to 120 000, then 31 000 + 35 % above 120 000.
double IRG_Bareme(double x);

/// floor(x / 10) × 10.
double Arrondi_Dizaine(double x);

/// x rounded to the nearest tenth, halves up: c = floor(x × 10) / 10, then c + 0.1 when x − c ≥ 0.05.
double Arrondi_Dixieme(double x);

/// The tax a pay withholds: Arrondi_Dixieme of IRG_Calcul on a copy of the taxable amount.
/// Not above 0 means no income tax.
double taxe(double imposable, qint16 situation);

} // namespace kv::irg
