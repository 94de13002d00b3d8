#pragma once
// Twenty text slots, numbered 1 to 20, each exactly 40 characters, through which a screen passes values
// to a modal dialog and reads what the dialog returns.
#include <QString>
#include <array>

namespace kv {

class Echange {
public:
    static constexpr int kSlots = 20;
    static constexpr int kWidth = 40;

    /// Stores a value cut to 40 characters and padded with blanks. Slots outside 1..20 are ignored.
    void set(int slot, const QString& value)
    {
        if (slot >= 1 && slot <= kSlots)
            slots_[slot - 1] = value.left(kWidth).leftJustified(kWidth, u' ');
    }
    /// The slot as stored (40 characters).
    QString raw(int slot) const { return slot >= 1 && slot <= kSlots ? slots_[slot - 1] : QString(kWidth, u' '); }
    /// The slot trimmed, as readers take it.
    QString get(int slot) const { return raw(slot).trimmed(); }
    void clear() { slots_.fill(QString(kWidth, u' ')); }

    Echange() { clear(); }

private:
    std::array<QString, kSlots> slots_;
};

} // namespace kv
