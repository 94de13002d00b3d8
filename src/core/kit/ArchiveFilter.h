#pragma once
// Which lines a list with an archive flag shows: the vehicles' register and the rentals. No widget: the
// lists' reads take it as it is, the kit's filter panel (ArchivePanel.h) lets the user choose it.
namespace kv::kit {

enum class ArchiveFilter {
    Ensemble, ///< every line
    Archives, ///< the archived lines only
    Recents,  ///< the lines not archived
};

} // namespace kv::kit
