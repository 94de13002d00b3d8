#pragma once
// What a rental is worth: the one amount shown for a rental wherever one is shown (the client's
// "Locations" tab, the printed contract; the rentals screen shows its flat rate in the flat-rate field
// and its day-rate amount only while it is not at a flat rate). A rental at a flat rate is worth its flat rate,
// what the client pays; any other its day-rate amount. The day-rate amount (`montant`, days × price
// per day) is stored for every rental, a flat-rate one included, and is shown only as such.
// Header only, so that the client's account reads the rule without depending on the rentals screen.
namespace kv::rentals {

/// The amount a rental is worth, from its stored `flag_forfait`, `montant` and `montant_forfait`.
constexpr double rentalAmount(bool forfait, double montant, double montantForfait)
{
    return forfait ? montantForfait : montant;
}

} // namespace kv::rentals
