#!/bin/bash
# Takes the window's picture for the README: the demo looper with its first song named, the window
# alone on a virtual screen of its size. Names and caches go to a temporary folder.
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT.png]      (default build/ and packaging/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v import >/dev/null || { echo "screenshot.sh needs import (apt-get install imagemagick)" >&2; exit 1; }
build=$(realpath "${1:-build}")
output=$(realpath -m "${2:-packaging/screenshot.png}")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_STATE_HOME=$home/state XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache XDG_CONFIG_HOME=$home/config
export BRINDLE_MIDI_API=simulator
"$build/cli/brindle-cli" name 1 "Drum loop" >/dev/null
# The window is shown at the screen's corner without a frame; its waveform is read within a second.
xvfb-run -a -s "-screen 0 704x595x24" bash -c '
    "$1/app/brindle" >/dev/null 2>&1 &
    pid=$!
    sleep 4
    import -window root "$2"
    kill "$pid"
    wait "$pid" || true' screenshot "$build" "$output"
echo "$output"
