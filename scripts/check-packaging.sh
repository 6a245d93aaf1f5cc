#!/bin/bash
# Checks the installed files of a finished build (desktop entry, AppStream metainfo, manual pages,
# icon sizes, bash completion), then packs them with cpack into a Debian package, checks it with
# lintian, installs it with apt-get, runs the installed programs and removes the package again.
# Usage: scripts/check-packaging.sh [BUILD_DIR]   (the package steps need root)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
version=$(sed -n 's/^#define BRINDLE_VERSION "\(.*\)"$/\1/p' "$build/generated/BrindleVersion.h")
stage=$(mktemp -d)
installed=""
cleanup() {
    [ -n "$installed" ] && DEBIAN_FRONTEND=noninteractive apt-get remove -y brindle >/dev/null
    rm -rf "$stage"
}
trap cleanup EXIT

fail() {
    echo "check-packaging: $*" >&2
    exit 1
}

# png_size FILE: "WIDTHxHEIGHT" from the PNG header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_installed_files() {
    local root=$1
    desktop-file-validate "$root"/share/applications/*.desktop
    appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml
    grep -q "<release version=\"$version\"" "$root"/share/metainfo/*.metainfo.xml || fail "metainfo lacks release $version"
    for page in "$root"/share/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
        zcat "$page" | groff -man -ww -z 2>&1 | { ! grep .; } || fail "$page: groff warnings"
    done
    local count=0
    for icon in "$root"/share/icons/hicolor/*x*/apps/*.png; do
        folder=$(basename "$(dirname "$(dirname "$icon")")")
        [ "$(png_size "$icon")" = "$folder" ] || fail "$icon is $(png_size "$icon"), not $folder"
        count=$((count + 1))
    done
    [ "$count" -eq 7 ] || fail "$count hicolor PNG icons installed, 7 expected"
    [ -s "$root"/share/icons/hicolor/scalable/apps/org.brindle.Brindle.svg ] || fail "no scalable icon"
}

# complete LINE: the completions bash offers at the end of LINE.
complete_line() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"
             COMP_LINE=$2 COMP_POINT=${#2}
             read -ra COMP_WORDS <<<"$2"
             [[ $2 == *" " ]] && COMP_WORDS+=("")
             COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
             cd "$3" && _brindle_cli && printf "%s\n" "${COMPREPLY[@]}"' _ "$1" "$2" "$3"
}

check_completion() {
    local script=$1 files=$stage/files
    mkdir -p "$files" && touch "$files/take.wav" "$files/take.flac" "$files/fw.dat"
    [ "$(complete_line "$script" "brindle-cli upl" "$files")" = upload ] || fail "no command completion"
    [ "$(complete_line "$script" "brindle-cli --api si" "$files")" = simulator ] || fail "no --api completion"
    [ "$(complete_line "$script" "brindle-cli inspect " "$files")" = fw.dat ] || fail "no .dat completion"
    [ "$(complete_line "$script" "brindle-cli upload 1 " "$files")" = take.wav ] || fail "no .wav completion"
}

echo "-- cmake --install"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
check_installed_files "$stage/usr"
check_completion "$stage/usr/share/bash-completion/completions/brindle-cli"

echo "-- cpack and lintian"
rm -f "$build"/brindle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(realpath "$build/brindle_${version}_$(dpkg --print-architecture).deb")
lintian --fail-on error "$deb"

if [ "$(id -u)" -ne 0 ]; then
    echo "-- not root: the package is built and checked, not installed"
    exit 0
fi
echo "-- apt-get install, run, remove"
installed=yes
# A copy left by an earlier, interrupted run would hide this build's package ("already newest").
DEBIAN_FRONTEND=noninteractive apt-get remove -y brindle >/dev/null 2>&1 || true
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >/dev/null
[ "$(/usr/bin/brindle-cli --version)" = "brindle-cli $version" ] || fail "installed --version is wrong"
# The demo looper keeps its songs in the stage folder, not in the user's own demo file.
export XDG_STATE_HOME=$stage/state
BRINDLE_MIDI_API=simulator /usr/bin/brindle-cli info | grep -qx "Model:    PULSE RIG" || fail "installed info failed"
# The installed window must show its title on a display within 20 s.
BRINDLE_MIDI_API=simulator timeout 60 xvfb-run -a sh -c '
    /usr/bin/brindle >"$1" 2>&1 & pid=$!
    for _ in $(seq 40); do
        xwininfo -root -tree | grep -q "\"Brindle V$0 - (Connected" && { kill $pid; exit 0; }
        sleep 0.5
    done
    kill $pid; exit 1' "$version" "$stage/window.log" || fail "the installed window did not show: $(cat "$stage/window.log")"
DEBIAN_FRONTEND=noninteractive apt-get remove -y brindle >/dev/null
installed=""
[ ! -e /usr/bin/brindle-cli ] || fail "brindle-cli is still there after removal"
echo "-- packaging checks passed"
