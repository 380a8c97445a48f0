#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once plain,
# once under AddressSanitizer and UndefinedBehaviorSanitizer (core, CLI and the
# desktop program's tests, the city pane's on a virtual screen), then each
# fuzz harness briefly.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh

scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j"$(nproc)"

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCODEBURG_SANITIZE=ON -DCODEBURG_BENCH=OFF
# Leaks are found in full; scripts/lsan.supp names the few that system
# libraries (D-Bus, Mesa) keep for the life of the process. The software
# renderer draws on one thread here: LeakSanitizer's final check can crash
# while stopping its worker threads, which would fail a test that passed.
LP_NUM_THREADS=0 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

# Every fuzz harness for 15 seconds over its corpus (seeds from the test data):
# a smoke test of the readers under both sanitizers, not a fuzzing campaign.
fuzz/run.sh --smoke
