#!/usr/bin/env bash
# Configures and builds Kavorel into build/; the program folder is build/Kavorel/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
