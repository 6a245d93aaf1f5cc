#!/bin/bash
# Installs what is missing, builds, starts a JACK server for the RtMidi tests and runs every test;
# then checks the installed files and the Debian package (scripts/check-packaging.sh);
# then the whole suite once more in an AddressSanitizer + UndefinedBehaviorSanitizer build (clang),
# the threaded tests (transport, device port, monitor, JACK, playback) in a ThreadSanitizer build; and every
# fuzz target for a bounded time (BRINDLE_FUZZ_SECONDS each, default 30, side by side). Ends with
# the time each stage took.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test

jack_pids=()
stop_jacks() { for pid in "${jack_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done; true; }
trap stop_jacks EXIT
# start_jack NAME JACKD_OPTIONS...: a JACK server with the dummy driver under that name, unless one answers.
start_jack() {
  local name=$1
  shift
  command -v jackd >/dev/null || return 0
  JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1 && return 0
  jackd -n "$name" --no-realtime "$@" -d dummy -r 48000 >"/tmp/brindle-jackd-$name.log" 2>&1 &
  jack_pids+=($!)
  for _ in 1 2 3 4 5 6 7 8 9 10; do JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1 && break; sleep 0.5; done
}

# Each stage's wall time, listed at the end.
stage_times=()
stage_name=""
stage_start=$SECONDS
stage() {
  [ -z "$stage_name" ] || stage_times+=("$(printf '%5d s  %s' $((SECONDS - stage_start)) "$stage_name")")
  stage_name=$1
  stage_start=$SECONDS
  [ -z "$stage_name" ] || echo "== $stage_name"
}

start_jack default

stage "build and test"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2 --timeout 600

stage "install, Debian package"
scripts/check-packaging.sh build

stage "sanitizer build and test"
CC=clang CXX=clang++ scripts/build.sh build-asan -DBRINDLE_FUZZ=ON -DBRINDLE_BENCHMARKS=OFF
# Allocation stacks come from the frame-pointer unwinder: the full unwinder on every allocation
# made the suite five times slower, and the first library frame is enough for the suppressions.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900

stage "thread sanitizer build and test (threaded tests only)"
tsan_tests=(tst_midilink tst_usbport tst_usbport_sim tst_devicemonitor tst_jack_link tst_playback)
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_TSAN=ON \
  -DBRINDLE_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${tsan_tests[@]}"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp
# Under the sanitizer a JACK client can take longer than a process cycle, and a cycle it misses
# loses the MIDI it was to pass on. A synchronous server waits for every client (up to 10 s)
# before it starts the next cycle, so the JACK test checks the same bytes at a slower pace.
start_jack brindle-tsan -S -t 10000
JACK_DEFAULT_SERVER=brindle-tsan ctest --test-dir build-tsan --output-on-failure -j2 --timeout 600 \
  -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$"

stage "fuzzing"
scripts/run-fuzzers.sh build-asan "${BRINDLE_FUZZ_SECONDS:-30}"
stage ""
echo "== stage times"
printf '%s\n' "${stage_times[@]}"
