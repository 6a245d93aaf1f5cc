#!/bin/bash
# The device work of the window, run through brindle-cli on a simulated looper whose flash is
# kept in a file between the commands. usage: scripts/cli-demo.sh BUILD_DIR
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/cli/brindle-cli
work=$(mktemp -d /tmp/brindle-demo.XXXXXX)
export BRINDLE_MIDI_API=simulator
# The demo looper keeps its songs in this run's folder, not in the user's own demo file.
export XDG_STATE_HOME=$work/state

run() {
  echo "\$ brindle-cli $*"
  "$cli" "$@"
  echo "(exit status $?)"
  echo
}

# With no simulator variable the looper is the demo PULSE RIG with three synthesised songs.
if [ -z "${BRINDLE_SIM_MODEL:-}" ]; then
  run list
  run upload 1 "$work/drums.wav"
fi

export BRINDLE_SIM_MODEL=${BRINDLE_SIM_MODEL:-10002}
export BRINDLE_SIM_FLASH=$work/flash.bin

run ports
run info
run list
if command -v sox >/dev/null; then
  sox -n -r 44100 -b 16 -c 2 "$work/tone.wav" synth 2 sine 440 2>/dev/null
  run download "$work/tone.wav" 1
  run list
  run upload 1 "$work/song1.wav"
  command -v soxi >/dev/null && soxi "$work/song1.wav"
  run delete 1 --yes
  run list
fi
"$build/tests/tools/make-test-package" --product "$BRINDLE_SIM_MODEL" --area 2 --start 0x10000 --sectors 16 \
  --sector-size 4096 --image-size 10000 "$work/firmware.dat" >/dev/null
run inspect "$work/firmware.dat"
run update "$work/firmware.dat"
echo "Files of this run are in $work"
