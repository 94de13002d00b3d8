#pragma once
// The drawn pictures of the commands. One set for the whole program, so that a command looks the same
// on every screen.
#include <QIcon>

namespace kv::kit {

enum class Glyph { New, Edit, Delete, Quit, Filter, Zoom, Print, Down, Up, Confirm, Cancel, Open, Search, Export, None };

/// The picture of a command at `size` pixels, with its greyed form for a disabled command.
QIcon icon(Glyph glyph, int size = 22);

} // namespace kv::kit
