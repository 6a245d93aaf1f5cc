#!/bin/bash
# Installs what is missing, builds, starts a JACK server for the RtMidi tests and runs every test;
# then checks the installed files and the Debian package (scripts/check-packaging.sh);
# then the whole suite once more in an AddressSanitizer + UndefinedBehaviorSanitizer build (clang),
# the threaded tests (transport, device port, monitor) in a ThreadSanitizer build; and every
# fuzz target for a bounded time (BRINDLE_FUZZ_SECONDS each, default 30).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

jack_pid=""
stop_jack() { [ -n "$jack_pid" ] && kill "$jack_pid" 2>/dev/null && wait "$jack_pid" 2>/dev/null; true; }
trap stop_jack EXIT
if command -v jackd >/dev/null && ! jack_lsp >/dev/null 2>&1; then
  jackd --no-realtime -d dummy -r 48000 >/tmp/brindle-jackd.log 2>&1 &
  jack_pid=$!
  for _ in 1 2 3 4 5 6 7 8 9 10; do jack_lsp >/dev/null 2>&1 && break; sleep 0.5; done
fi

echo "== build and test"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2 --timeout 600

echo "== install, Debian package"
scripts/check-packaging.sh build

echo "== sanitizer build and test"
CC=clang CXX=clang++ scripts/build.sh build-asan -DBRINDLE_FUZZ=ON -DBRINDLE_BENCHMARKS=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900

echo "== thread sanitizer build and test (threaded tests only)"
# Not the JACK test: under the sanitizer's pace its clients miss JACK's process cycles on a busy
# machine, and a missed cycle loses the message being echoed.
tsan_tests=(tst_midilink tst_usbport tst_usbport_sim tst_devicemonitor)
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_TSAN=ON \
  -DBRINDLE_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${tsan_tests[@]}"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp
ctest --test-dir build-tsan --output-on-failure -j2 --timeout 600 -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$"

echo "== fuzzing"
scripts/run-fuzzers.sh build-asan "${BRINDLE_FUZZ_SECONDS:-30}"
