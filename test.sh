#!/bin/bash
# Installs what is missing, builds, starts a JACK server for the RtMidi test and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
scripts/build.sh build

jack_pid=""
stop_jack() { [ -n "$jack_pid" ] && kill "$jack_pid" 2>/dev/null && wait "$jack_pid" 2>/dev/null; true; }
trap stop_jack EXIT
if command -v jackd >/dev/null; then
  jackd --no-realtime -d dummy -r 48000 >/tmp/brindle-jackd.log 2>&1 &
  jack_pid=$!
  sleep 1
fi

ctest --test-dir build --output-on-failure -j2 --timeout 600
