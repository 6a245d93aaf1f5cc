#!/bin/bash
# Installs what is missing, builds and starts Brindle on a simulated looper. Without a display
# the same device work runs through brindle-cli.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
scripts/build.sh build

export BRINDLE_MIDI_API=${BRINDLE_MIDI_API:-simulator}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/brindle "$@"
fi

echo "No display found: running the same device work through brindle-cli instead."
scripts/cli-demo.sh build
