#!/usr/bin/env bash
# Builds the program and every test in Debug (Qt's asserts on in our code) with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/, and runs every test there (offscreen). A memory error,
# an undefined behaviour (a call on an object already destroyed included) or a failed assert stops
# the test with its stack, and the run fails.
#
# Leaks are not checked: Qt keeps some of its own allocations to the end (gesture scrollers, the PDF
# loader's threads, the accessibility cache), and a test of the last-resort guard unwinds an exception
# through Qt's event delivery on purpose, which leaves what Qt had allocated on the way.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVOREL_SANITIZE=ON
cmake --build build-asan --parallel "$(nproc)"
cd build-asan
export ASAN_OPTIONS=detect_leaks=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
