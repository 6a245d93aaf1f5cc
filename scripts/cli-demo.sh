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

# With no simulator variable the looper is the demo PULSE RIG with three synthesised songs; two of
# them, copied out, are the audio files stored into the second looper below.
if [ -z "${BRINDLE_SIM_MODEL:-}" ]; then
  run list
  run upload 1 "$work/drums.wav"
  run export 2 "$work/bass.flac"
fi

export BRINDLE_SIM_MODEL=${BRINDLE_SIM_MODEL:-10002}
export BRINDLE_SIM_FLASH=$work/flash.bin

run ports
run info
run list
if [ ! -f "$work/drums.wav" ] && command -v sox >/dev/null; then
  sox -n -r 44100 -b 16 -c 2 -e signed-integer "$work/drums.wav" synth 2 sine 440 2>/dev/null
fi
if [ -f "$work/drums.wav" ]; then
  run download "$work/drums.wav" 1
  [ -f "$work/bass.flac" ] && run import "$work/bass.flac" 2
  run list
  run upload 1 "$work/song1.wav"
  run delete 1 --yes
  run list
fi
# The firmware package maker is one of the test tools, which ./test.sh builds.
if [ -x "$build/tests/tools/make-test-package" ]; then
  "$build/tests/tools/make-test-package" --product "$BRINDLE_SIM_MODEL" --area 2 --start 0x10000 \
    --sectors 16 --sector-size 4096 --image-size 10000 "$work/firmware.dat" >/dev/null
  run inspect "$work/firmware.dat"
  run update "$work/firmware.dat"
else
  echo "(./test.sh builds the tool that makes a firmware package for the update example)"
fi
echo "Files of this run are in $work"
