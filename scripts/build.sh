#!/bin/bash
# Configures and builds into the folder given (default build/).
# usage: scripts/build.sh [DIR [CMAKE_OPTION...] [--target TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
configure=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = --target ]; then
    shift
    targets=(--target "$@")
    break
  fi
  configure+=("$1")
  shift
done
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
