#pragma once
// The mark of a screen's title band (kit::titleBand), by which the ui names the screen's window
// after it (prepareScreen).

namespace kv::ui {

/// The property a title band carries (true).
inline constexpr const char* kTitleBandProperty = "kv_bandeauTitre";

} // namespace kv::ui
