#pragma once
// The entry functions of the fuzz targets: each takes the bytes of one file the program reads and
// hands them to the program's own reader, in a program folder of its own. libFuzzer calls them
// (scripts/fuzz.sh, KAVOREL_FUZZ=ON); the corpus test feeds them the kept cases in every build.
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace kv::fuzz {

/// The names of the targets: cfg, state, vosk, dirdata, signdata, rpt, picture, exercise, import.
QStringList targets();
/// Runs one target over the bytes; false for an unknown target. Never throws.
bool run(const QString& target, const uint8_t* data, size_t size);

} // namespace kv::fuzz
