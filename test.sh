#!/bin/bash
# Installs what is missing, builds, starts a JACK server for the RtMidi tests and runs every test;
# then checks the installed files and the Debian package (scripts/check-packaging.sh);
# then the whole suite once more in an AddressSanitizer + UndefinedBehaviorSanitizer build (clang),
# the threaded tests (transport, device port, monitor, JACK, playback) in a ThreadSanitizer build;
# and every fuzz target for a bounded time (BRINDLE_FUZZ_SECONDS each, default 20, side by side).
# The tests mostly wait on simulated devices, so each suite runs while the next build compiles
# (at a lower priority). Ends with the time each stage took.
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

# A test suite in the background, its output kept until it is awaited.
suite_pid=""
suite_log=""
start_suite() {
  suite_log=$(mktemp)
  "$@" >"$suite_log" 2>&1 &
  suite_pid=$!
}
await_suite() {
  local status=0
  wait "$suite_pid" || status=$?
  cat "$suite_log"
  rm -f "$suite_log"
  return $status
}

start_jack default
# Under the thread sanitizer a JACK client can take longer than a process cycle, and a cycle it
# misses loses the MIDI it was to pass on. A synchronous server waits for every client (up to 10 s)
# before it starts the next cycle, so the JACK test checks the same bytes at a slower pace.
start_jack brindle-tsan -S -t 10000

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp
tsan_tests=(tst_midilink tst_usbport tst_usbport_sim tst_devicemonitor tst_jack_link tst_playback)

stage "build"
scripts/build.sh build

stage "test; install, Debian package; sanitizer build"
start_suite ctest --test-dir build --output-on-failure -j2 --timeout 600
scripts/check-packaging.sh build
# Allocation stacks come from the frame-pointer unwinder: the full unwinder on every allocation
# made the suite five times slower, and the first library frame is enough for the suppressions.
CC=clang CXX=clang++ nice -n 10 scripts/build.sh build-asan -DBRINDLE_FUZZ=ON -DBRINDLE_BENCHMARKS=OFF
await_suite

stage "sanitizer test; thread sanitizer build (threaded tests only)"
start_suite ctest --test-dir build-asan --output-on-failure -j2 --timeout 900
CC=clang CXX=clang++ nice -n 10 scripts/build.sh build-tsan -DBRINDLE_TSAN=ON -DBRINDLE_BENCHMARKS=OFF \
  --target "${tsan_tests[@]}"
await_suite

stage "thread sanitizer test"
JACK_DEFAULT_SERVER=brindle-tsan ctest --test-dir build-tsan --output-on-failure -j2 --timeout 600 \
  -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$"

stage "fuzzing"
scripts/run-fuzzers.sh build-asan "${BRINDLE_FUZZ_SECONDS:-20}"
stage ""
echo "== stage times"
printf '%s\n' "${stage_times[@]}"
