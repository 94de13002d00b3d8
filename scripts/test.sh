#!/usr/bin/env bash
# Sets up, builds and runs every test (offscreen: no display needed): first on files (SQLite), then the
# tests labelled "server" again on a throwaway PostgreSQL cluster of their own (scripts/pg-cluster.sh),
# stopped on every exit.
set -euo pipefail
cd "$(dirname "$0")/.."
unset KAVOREL_TEST_SERVER
scripts/setup.sh
scripts/build.sh
root="$PWD"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"

export KAVOREL_PG_DIR=""
stop_cluster() { [[ -n "$KAVOREL_PG_DIR" ]] && "$root/scripts/pg-cluster.sh" stop || true; }
trap stop_cluster EXIT
eval "$("$root/scripts/pg-cluster.sh" start)"
echo "== the same tests on PostgreSQL ($KAVOREL_TEST_SERVER)"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" -L server
