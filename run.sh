#!/bin/bash
# Installs what building and running need, builds the window and the command-line tool, and
# starts Brindle on a simulated looper. Without a display the same device work runs through
# brindle-cli. ./test.sh installs and builds the rest.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh run
scripts/build.sh build --target brindle brindle-cli

export BRINDLE_MIDI_API=${BRINDLE_MIDI_API:-simulator}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/brindle "$@"
fi

echo "No display found: running the same device work through brindle-cli instead."
scripts/cli-demo.sh build
