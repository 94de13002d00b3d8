#!/usr/bin/env bash
# Builds the Debian package of Kavorel into build/packages/ (kavorel_<version>_amd64.deb).
#   sudo apt-get install ./build/packages/kavorel_*_amd64.deb     installs it
#   sudo apt-get remove kavorel                                     removes it; the firm's data stay
# The package installs the program folder in /usr/lib/kavorel, the command /usr/bin/kavorel, the
# desktop entry and the icons; each user's data go to ~/.local/share/Kavorel.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
rm -f build/packages/kavorel_*.deb
(cd build && cpack -G DEB)
ls -1 build/packages/kavorel_*.deb
