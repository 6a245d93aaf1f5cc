#!/bin/bash
# Installs the Debian packages still missing. usage: scripts/install-deps.sh [run|test]
#   run   what building and running brindle and brindle-cli need (./run.sh)
#   test  that, and what the tests, benchmarks, sanitizer builds and package checks need (./test.sh)
set -euo pipefail

RUN_PACKAGES=(
  g++ cmake pkg-config make
  qtbase5-dev librtmidi-dev librtaudio-dev libboost-dev zlib1g-dev libsndfile1-dev libsoxr-dev
)
TEST_PACKAGES=(
  libbenchmark-dev
  jackd2 xvfb xauth x11-utils sox strace
  clang libclang-rt-14-dev
  desktop-file-utils appstream lintian man-db groff dpkg-dev bash-completion
)

packages=("${RUN_PACKAGES[@]}")
[ "${1:-test}" = run ] || packages+=("${TEST_PACKAGES[@]}")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable realtime scheduling; the answer does not matter for the tests.
echo "jackd2 jackd/tweak_rt_limits boolean false" | debconf-set-selections
apt-get install -y --no-install-recommends "${missing[@]}" || {
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
}
