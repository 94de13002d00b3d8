#!/usr/bin/env bash
# Builds kavorel-bench (Release, build-bench/), makes the stress year there once (kavorel-demo --stress:
# 1,000,000 ledger lines, 500 vehicles, 2,000 persons), runs the benchmark and prints the table of each
# operation beside its bare SQLite baseline. Extra arguments go to Google Benchmark, for example
#   scripts/bench.sh --benchmark_filter=CashBook
# KAVOREL_STRESS_SEED changes the made-up year (the folder is made again when the seed changes).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends libbenchmark-dev
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVOREL_BENCH=ON
cmake --build build-bench --parallel "$(nproc)" --target kavorel-bench kavorel-demo
stress=build-bench/stress
seed="${KAVOREL_STRESS_SEED:-1}"
if [ "$(cat "$stress/.made-with-seed" 2>/dev/null)" != "$seed" ]; then
  rm -rf "$stress"
  build-bench/Kavorel/kavorel-demo --stress --year 2025 --seed "$seed" --folder "$stress"
  echo "$seed" > "$stress/.made-with-seed"
fi
QT_QPA_PLATFORM=offscreen build-bench/bench/kavorel-bench --folder="$stress" "$@"
