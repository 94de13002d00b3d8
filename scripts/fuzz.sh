#!/usr/bin/env bash
# Runs every fuzz target (libFuzzer, clang from Debian's packages) for a bounded time, with
# AddressSanitizer and UndefinedBehaviorSanitizer, into build-fuzz/. Not part of the default build.
#
#   scripts/fuzz.sh              every target, 600 s each
#   scripts/fuzz.sh 60 rpt cfg   the named targets, 60 s each
#
# Each target starts from the kept cases of tests/fuzz/corpus/<target>/ and grows its own working
# corpus in build-fuzz/corpus/<target>/. A finding (crash, timeout, out-of-memory) is written to
# build-fuzz/findings/<target>/ and stops that target; the run then fails. A finding fixed goes into
# tests/fuzz/corpus/<target>/ under a name that says what it was, so that ctest keeps it fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(cfg state vosk dirdata signdata rpt picture exercise import)

scripts/setup.sh
if ! command -v clang++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi

# Coverage for libFuzzer in every library of the program (the targets link the fuzzer's main).
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" \
  -DKAVOREL_SANITIZE=ON -DKAVOREL_FUZZ=ON
cmake --build build-fuzz --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
failed=()
for t in "${targets[@]}"; do
  work="build-fuzz/corpus/$t"
  findings="build-fuzz/findings/$t"
  mkdir -p "$work" "$findings"
  echo "=== fuzz_$t: ${seconds} s"
  if ! "build-fuzz/tests/fuzz/fuzz_$t" "$work" "tests/fuzz/corpus/$t" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
        -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tail -n 40; then
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (see build-fuzz/findings/)"
  exit 1
fi
echo "No finding."
