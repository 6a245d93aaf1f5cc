#!/bin/bash
# Installs the Debian packages the build, the tests and the demo need, only those still missing.
set -euo pipefail

PACKAGES=(
  g++ cmake pkg-config make
  qtbase5-dev librtmidi-dev librtaudio-dev libboost-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  jackd2 xvfb xauth sox libsndfile1-dev libsoxr-dev
  clang libclang-rt-14-dev
  desktop-file-utils appstream lintian man-db groff dpkg-dev x11-utils bash-completion
)

missing=()
for package in "${PACKAGES[@]}"; do
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
