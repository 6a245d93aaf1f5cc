#!/bin/bash
# Runs every libFuzzer target of a BRINDLE_FUZZ build for a bounded time each, seeded by our own
# builders and the stored regression inputs. Any crash, leak or sanitizer report fails the run.
# usage: scripts/run-fuzzers.sh BUILD_DIR [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=${2:-30}
work=$build/fuzz-run
rm -rf "$work"
mkdir -p "$work"
# Targets run side by side, one per core (BRINDLE_FUZZ_JOBS), each for its full time.
jobs_at_once=${BRINDLE_FUZZ_JOBS:-$(nproc)}
# Whole-stack unwinding on every allocation would slow the fuzzers tenfold.
export ASAN_OPTIONS=detect_leaks=1

fuzz_target() {
  local target=$1 name corpus log runs
  name=$(basename "$target")
  corpus=$work/corpus-$name
  mkdir -p "$corpus"
  "$build/fuzz/make-fuzz-seeds" "$name" "$corpus"
  cp fuzz/regressions/"$name"/* "$corpus"/ 2>/dev/null || true
  local dict=()
  [ -f fuzz/dict/$name.dict ] && dict=(-dict=fuzz/dict/$name.dict)
  log=$work/$name.log
  if "$target" "$corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
       -artifact_prefix="$work/$name-" -print_final_stats=1 >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "$name: $runs executions in $seconds s, corpus $(ls "$corpus" | wc -l) inputs"
  else
    echo "$name: FAILED, see $log"$'\n'"$(tail -40 "$log")"
    return 1
  fi
}

failed=0
running=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  if [ "$running" -ge "$jobs_at_once" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_target "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
