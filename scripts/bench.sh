#!/usr/bin/env bash
# Builds kavorel-bench (Release, build-bench/), makes the stress year there once (kavorel-demo --stress:
# 1,000,000 ledger lines, 500 vehicles, 2,000 persons) and the demo year (5,000 lines), runs the benchmark
# on both under a virtual display (the start-up is timed to the real program's main window mapped) and
# prints the table of each operation on the stress year beside its bare SQLite baseline, then the growth
# from the demo year to the stress year. Extra arguments go to Google Benchmark, for example
#   scripts/bench.sh --benchmark_filter=CashBook
# KAVOREL_STRESS_SEED changes the made-up year (the folder is made again when the seed changes).
# When the PostgreSQL server is installed (scripts/setup.sh), a throwaway cluster is started
# (scripts/pg-cluster.sh), the stress year copied to it (kavorel-migrate --to-server) and the table gains
# a PostgreSQL column: each operation on the server beside bare libpq sending the same statements; the
# cluster is stopped at the end. KAVOREL_BENCH_SERVER=0 leaves the server out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
missing=""
for p in libbenchmark-dev libxcb1-dev xvfb xauth; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVOREL_BENCH=ON
cmake --build build-bench --parallel "$(nproc)" --target kavorel-bench kavorel-demo kavorel kavorel-migrate
stress=build-bench/stress
seed="${KAVOREL_STRESS_SEED:-1}"
if [ "$(cat "$stress/.made-with-seed" 2>/dev/null)" != "$seed" ]; then
  rm -rf "$stress"
  build-bench/Kavorel/kavorel-demo --stress --year 2025 --seed "$seed" --folder "$stress"
  echo "$seed" > "$stress/.made-with-seed"
fi
demo=build-bench/demo-year
if [ "$(cat "$demo/.made-with-seed" 2>/dev/null)" != "$seed" ]; then
  rm -rf "$demo"
  build-bench/Kavorel/kavorel-demo --year 2025 --seed "$seed" --folder "$demo"
  echo "$seed" > "$demo/.made-with-seed"
fi
server_args=()
if [ "${KAVOREL_BENCH_SERVER:-1}" != 0 ] && ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
  eval "$(scripts/pg-cluster.sh start)"
  trap 'scripts/pg-cluster.sh stop' EXIT
  pgbin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
  port="$(cat "$KAVOREL_PG_DIR/port")"
  "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U kavorel -E UTF8 -T template0 kavorel_bench
  conninfo="host=127.0.0.1 port=$port dbname=kavorel_bench user=kavorel"
  build-bench/Kavorel/kavorel-migrate --folder "$stress" --to-server "$conninfo"
  server_args=(--server="$conninfo")
else
  echo "bench: no PostgreSQL server installed (or KAVOREL_BENCH_SERVER=0): no PostgreSQL column"
fi
run() { QT_QPA_PLATFORM=offscreen xvfb-run -a -s "-screen 0 1280x1024x24" build-bench/bench/kavorel-bench "$@"; }
# The demo year first, for the growth of what must not grow with the year (its table is not printed).
grown='CashOpeningJan2_Kavorel CashOpeningDec31_Kavorel CashBookJan2_Kavorel CashBookJan2_Bare CashBookDec31_Kavorel CashBookDec31_Bare CashBookScreenJan2_Kavorel CashBookScreenDec31_Kavorel Costs_Kavorel Costs_Bare CostScreen_Kavorel Startup_Kavorel Startup_Bare'
run --folder="$demo" --figures=build-bench/figures-demo.txt \
    --benchmark_filter="^($(echo $grown | tr ' ' '|'))(/|\$)" "$@" > build-bench/demo-run.txt
run --folder="$stress" --figures=build-bench/figures-stress.txt "${server_args[@]}" "$@"
figure() { awk -v op="$2" -v f="${3:-2}" '$1 == op { print $f }' "build-bench/figures-$1.txt"; }
echo
echo "Lines of the day: 2 January $(figure demo Lines_Jan2) (demo year), $(figure stress Lines_Jan2) (stress year);" \
     "31 December $(figure demo Lines_Dec31) (demo year), $(figure stress Lines_Dec31) (stress year)."
echo "The day's own lists grow with the lines of the day; the opening balance must not grow with the year."
echo
echo "| Operation | Demo year (5,000 lines) | Stress year (1,000,000 lines) | Growth | CPU demo | CPU stress | CPU growth |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for op in $grown; do
  d=$(figure demo "$op"); s=$(figure stress "$op")
  dc=$(figure demo "$op" 4); sc=$(figure stress "$op" 4)
  if [ -n "$d" ] && [ -n "$s" ]; then
    awk -v op="$op" -v d="$d" -v s="$s" -v dc="$dc" -v sc="$sc" 'BEGIN {
      cpu = (op ~ /^Startup/) ? "| – | – | –" : sprintf("| %.2f ms | %.2f ms | %.2f", dc, sc, (dc > 0 ? sc / dc : 0))
      printf "| %s | %.2f ms | %.2f ms | %.2f %s |\n", op, d, s, (d > 0 ? s / d : 0), cpu }'
  fi
done
