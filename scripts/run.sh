#!/usr/bin/env bash
# Sets up, builds and starts Kavorel.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/Kavorel/kavorel
