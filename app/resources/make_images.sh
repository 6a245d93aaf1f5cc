#!/bin/sh
# Draws every picture of the resource bundle and the Windows application icon.
# The outputs are committed; run this again only after changing a drawing:
#   sh app/resources/make_images.sh
# Needs ImageMagick 6 (convert). Outputs are byte-for-byte reproducible with the
# same ImageMagick build: no timestamps or other metadata are written.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out="$here/Pictures"
CONVERT=${CONVERT:-convert}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every pictogram is drawn on a 192 x 192 canvas and scaled down: drawing at
# four to eight times the final size gives clean anti-aliased edges at 48, 32,
# 24 and 16 pixels.
S=192

# layer NAME TOP BOTTOM EDGE RADIUS DRAW-ARGS...
# One shape of a pictogram: DRAW-ARGS paint the shape in white (they start with
# fill white, no stroke); it is filled with a vertical gradient TOP..BOTTOM and
# rimmed with EDGE, RADIUS canvas pixels wide (EDGE "none" for no rim).
layer() {
    name=$1 top=$2 bottom=$3 edge=$4 radius=$5
    shift 5
    "$CONVERT" -size ${S}x${S} xc:black -fill white -stroke none "$@" \
        -colorspace Gray "$tmp/$name.mask.png"
    "$CONVERT" -size ${S}x${S} "gradient:$top-$bottom" "$tmp/$name.mask.png" \
        -alpha off -compose CopyOpacity -composite "$tmp/$name.fill.png"
    if [ "$edge" = none ]; then
        cp "$tmp/$name.fill.png" "$tmp/$name.png"
    else
        "$CONVERT" -size ${S}x${S} "xc:$edge" \
            \( "$tmp/$name.mask.png" -morphology Dilate "Disk:$radius" \) \
            -alpha off -compose CopyOpacity -composite \
            "$tmp/$name.fill.png" -compose Over -composite "$tmp/$name.png"
    fi
}

# stack MASTER LAYER... : puts the layers over each other, first at the bottom.
stack() {
    master=$1
    shift
    "$CONVERT" -size ${S}x${S} xc:none "$tmp/$master.png"
    for l in "$@"; do
        "$CONVERT" "$tmp/$master.png" "$tmp/$l.png" -compose Over -composite "$tmp/$master.png"
    done
}

# png MASTER SIZE FILE : writes a stacked master as an RGBA PNG of SIZE pixels.
png() {
    "$CONVERT" "$tmp/$1.png" -filter Box -resize "$2x$2" -strip \
        -define png:exclude-chunks=date,time PNG32:"$out/$3"
}

# gray SOURCE FILE : the inactive variant of a tab icon, same shape without colour.
gray() {
    "$CONVERT" "$out/$1" -modulate 112,0 -strip \
        -define png:exclude-chunks=date,time PNG32:"$out/$2"
}

# ico MASTER FILE SIZE... : one icon file holding the master at each size.
ico() {
    m=$1 f=$2
    shift 2
    args=""
    for s in "$@"; do
        "$CONVERT" "$tmp/$m.png" -filter Box -resize "${s}x${s}" -strip PNG32:"$tmp/$m.$s.png"
        args="$args $tmp/$m.$s.png"
    done
    # shellcheck disable=SC2086  # the temporary paths hold no blanks
    "$CONVERT" $args -strip "$f"
}

# arc CX CY R FROM TO : a polyline along a circle, angles in degrees clockwise
# from three o'clock. Stroked open paths with an arc segment get their chord
# stroked as well in ImageMagick 6, so arcs are drawn as dense polylines.
arc() {
    awk -v cx="$1" -v cy="$2" -v r="$3" -v a0="$4" -v a1="$5" 'BEGIN {
        printf "stroke-linecap round stroke-linejoin round polyline"
        n = int((a1 - a0) / 3); if (n < 2) n = 2
        for (i = 0; i <= n; i++) {
            a = (a0 + (a1 - a0) * i / n) * 3.14159265 / 180
            printf " %.1f,%.1f", cx + r * cos(a), cy + r * sin(a)
        }
    }'
}

# --- Upload / Download: bold arrows ---------------------------------------------
layer up "#8ce99a" "#2b8a3e" "#17502a" 5 -stroke white -strokewidth 10 \
    -draw "stroke-linejoin round polygon 96,14 172,94 126,94 126,176 66,176 66,94 20,94"
stack arrow_up up
png arrow_up 48 "Arrow2 Up.png"

layer down "#a5d8ff" "#1c64c4" "#0f3b78" 5 -stroke white -strokewidth 10 \
    -draw "stroke-linejoin round polygon 96,178 172,98 126,98 126,16 66,16 66,98 20,98"
stack arrow_down down
png arrow_down 48 "Arrow2 Down.png"

# --- Save: a floppy disk -------------------------------------------------------
layer disk "#5c7cfa" "#2a3f9e" "#17215a" 4 -stroke white -strokewidth 12 \
    -draw "stroke-linejoin round polygon 24,24 148,24 168,44 168,168 24,168"
layer shutter "#f8f9fa" "#adb5bd" "#495057" 3 -draw "rectangle 58,24 134,76"
layer slot "#2a3f9e" "#2a3f9e" none 0 -draw "rectangle 106,34 122,66"
layer label "#ffffff" "#e9ecef" "#495057" 3 -draw "roundrectangle 44,100 148,162 6,6"
layer label_lines "#adb5bd" "#adb5bd" none 0 -stroke white -strokewidth 6 \
    -draw "line 58,118 134,118" -draw "line 58,140 134,140"
stack save disk shutter slot label label_lines
png save 48 "Save.png"

# --- Search: a magnifier (also the small one of the firmware file button) -----------
layer handle "#d9a05b" "#7a4412" "#3d220a" 4 -stroke white -strokewidth 28 \
    -draw "stroke-linecap round line 126,126 168,168"
layer glass "#f1f8ff" "#a5d8ff" none 0 -draw "circle 82,82 82,130"
layer ring "#adb5bd" "#343a40" "#1b1e21" 3 -fill none -stroke white -strokewidth 18 \
    -draw "circle 82,82 82,136"
layer shine "#ffffff" "#ffffff" none 0 -fill none -stroke white -strokewidth 9 \
    -draw "$(arc 82 82 32 190 260)"
stack search handle glass ring shine
png search 48 "Search.png"
png search 32 "Search-Small.png"

# --- Refresh: two circular arrows (the firmware update button) ----------------------
layer refresh "#66d9e8" "#1971c2" "#0c3d70" 4 -fill none -stroke white -strokewidth 22 \
    -draw "$(arc 96 96 58 195 315)" \
    -draw "$(arc 96 96 58 15 135)" \
    -fill white -stroke none \
    -draw "polygon 168,86 158,34 116,76" -draw "polygon 24,106 34,158 76,116"
stack refresh_icon refresh
png refresh_icon 48 "Refresh.png"

# --- ChangeWav: a waveform (tab "Song Edit") ------------------------------------
# Drawn for 24 px: each bar covers exactly two pixel columns, two columns apart.
layer wave "#ffb366" "#d9480f" none 0 -stroke white -strokewidth 16 \
    -draw "stroke-linecap round line 32,70 32,122" \
    -draw "stroke-linecap round line 64,36 64,156" \
    -draw "stroke-linecap round line 96,14 96,178" \
    -draw "stroke-linecap round line 128,42 128,150" \
    -draw "stroke-linecap round line 160,74 160,118"
stack changewav wave
png changewav 24 "ChangeWav.png"
gray "ChangeWav.png" "ChangeWav - Gray.png"

# --- UpdateFirmware: a chip with an up arrow (tab "Firmware Update") --------------
# Drawn for 24 px: each pin is two pixels wide, on the pixel grid.
layer pins "#ced4da" "#868e96" none 0 -stroke white -strokewidth 16 \
    -draw "line 14,64 50,64" -draw "line 14,96 50,96" -draw "line 14,128 50,128" \
    -draw "line 142,64 178,64" -draw "line 142,96 178,96" -draw "line 142,128 178,128" \
    -draw "line 64,14 64,50" -draw "line 96,14 96,50" -draw "line 128,14 128,50" \
    -draw "line 64,142 64,178" -draw "line 96,142 96,178" -draw "line 128,142 128,178"
layer chip "#495057" "#1b1e21" "#0b0c0e" 3 -draw "roundrectangle 40,40 152,152 14,14"
layer chip_arrow "#b2f2bb" "#2f9e44" "#0f3d1a" 3 -stroke white -strokewidth 8 \
    -draw "stroke-linejoin round polygon 96,54 136,98 112,98 112,138 80,138 80,98 56,98"
stack firmware pins chip chip_arrow
png firmware 24 "UpdateFirmware.png"
gray "UpdateFirmware.png" "UpdateFirmware - Gray.png"

# --- Folder -----------------------------------------------------------------------
layer folder_back "#f0b429" "#b7791f" "#7a4e00" 4 -stroke white -strokewidth 10 \
    -draw "stroke-linejoin round polygon 20,40 72,40 90,58 170,58 170,164 20,164"
layer folder_front "#ffe066" "#f5a70a" "#8a5d00" 4 -stroke white -strokewidth 10 \
    -draw "stroke-linejoin round polygon 40,84 180,84 168,164 20,164"
stack folder folder_back folder_front
png folder 48 "Folder.png"

# --- Stop: a square -----------------------------------------------------------------
layer stop_square "#ff8787" "#c92a2a" "#6b1010" 4 -draw "roundrectangle 36,36 156,156 18,18"
stack stop stop_square
png stop 48 "Stop.png"

# --- Start: a play triangle ---------------------------------------------------------
layer play "#8ce99a" "#2b8a3e" "#17502a" 4 -stroke white -strokewidth 14 \
    -draw "stroke-linejoin round polygon 56,30 166,96 56,162"
stack start play
png start 48 "Start.png"

# --- FxDebug: a bug ---------------------------------------------------------------
layer legs "#343a40" "#343a40" none 0 -fill none -stroke white -strokewidth 9 \
    -draw "stroke-linecap round stroke-linejoin round polyline 72,98 40,84 26,64" \
    -draw "stroke-linecap round line 68,122 28,122" \
    -draw "stroke-linecap round stroke-linejoin round polyline 74,146 42,158 30,178" \
    -draw "stroke-linecap round stroke-linejoin round polyline 120,98 152,84 166,64" \
    -draw "stroke-linecap round line 124,122 164,122" \
    -draw "stroke-linecap round stroke-linejoin round polyline 118,146 150,158 162,178" \
    -draw "stroke-linecap round line 86,50 70,22" \
    -draw "stroke-linecap round line 106,50 122,22"
layer bug_head "#495057" "#1b1e21" "#0b0c0e" 3 -draw "circle 96,62 96,86"
layer bug_body "#ff8787" "#c92a2a" "#5c0e0e" 4 -draw "ellipse 96,126 44,54 0,360"
layer bug_seam "#5c0e0e" "#5c0e0e" none 0 -stroke white -strokewidth 5 -draw "line 96,78 96,178"
layer bug_spots "#1b1e21" "#1b1e21" none 0 \
    -draw "circle 76,112 76,122" -draw "circle 116,112 116,122" \
    -draw "circle 78,148 78,156" -draw "circle 114,148 114,156"
stack fxdebug legs bug_body bug_head bug_seam bug_spots
png fxdebug 48 "FxDebug.png"

# --- Trash: a waste bin -------------------------------------------------------------
layer bin_handle "#adb5bd" "#495057" "#212529" 3 -fill none -stroke white -strokewidth 9 \
    -draw "roundrectangle 74,16 118,40 6,6"
layer bin_lid "#e9ecef" "#868e96" "#212529" 4 -draw "roundrectangle 30,36 162,56 6,6"
layer bin_can "#dee2e6" "#868e96" "#212529" 4 -stroke white -strokewidth 8 \
    -draw "stroke-linejoin round polygon 44,60 148,60 138,176 54,176"
layer bin_ribs "#495057" "#495057" none 0 -stroke white -strokewidth 8 \
    -draw "stroke-linecap round line 74,78 78,160" \
    -draw "stroke-linecap round line 96,78 96,160" \
    -draw "stroke-linecap round line 118,78 114,160"
stack trash bin_handle bin_lid bin_can bin_ribs
png trash 48 "Trash.png"

# --- Song list icons: a note for a slot holding a song, a faded one for an empty slot
note_shape() {
    layer "$1" "$2" "$3" "$4" 5 \
        -draw "translate 72,148 rotate -24 ellipse 0,0 38,27 0,360" \
        -draw "rectangle 96,26 112,144" \
        -draw "path 'M 96,26 C 124,44 170,58 156,124 C 150,98 134,84 104,82 Z'"
}
note_shape note "#4dabf7" "#1864ab" "#0b3058"
stack tone note
ico tone "$out/tone.ico" 32 16

note_shape note_empty "#e9ecef" "#adb5bd" "#868e96"
stack tone_empty note_empty
"$CONVERT" "$tmp/tone_empty.png" -channel A -evaluate multiply 0.7 +channel "$tmp/tone_empty.png"
ico tone_empty "$out/toneNone.ico" 32 16

# --- Backgrounds of the window and its two pages (704 x 595, the window's size) ---
# A soft diagonal gradient with a few faint sound waves across it: light enough
# that black text and the native widgets stay easy to read.
waves() {
    # waves BASE_Y AMPLITUDE PERIOD PHASE : one sine wave across the width
    awk -v b="$1" -v a="$2" -v p="$3" -v ph="$4" 'BEGIN {
        printf "polyline"
        for (x = -10; x <= 714; x += 4) {
            env = 0.55 + 0.45 * sin(x / 704 * 3.14159)
            printf " %d,%.1f", x, b + a * env * sin(x / p * 6.28318 + ph)
        }
    }'
}
background() {
    file=$1 from=$2 to=$3 line=$4
    "$CONVERT" -size 704x595 xc:white \
        -sparse-color Barycentric "0,0 $from 704,595 $to" \
        \( -size 704x595 xc:none -fill none -stroke "$line" -strokewidth 2 \
           -draw "$(waves 430 38 230 0.0)" \
           -draw "$(waves 450 26 170 1.3)" \
           -draw "$(waves 470 46 300 2.6)" \
           -blur 0x0.6 \) \
        -compose Over -composite -strip -quality 92 -sampling-factor 1x1 "$out/$file"
}
background "Bg1.jpg" "#f5f9ff" "#cfe0f5" "rgba(255,255,255,0.55)"
background "Bg2.jpg" "#eef1f5" "#c5ced9" "rgba(255,255,255,0.45)"
background "Bg3.jpg" "#f6fbf4" "#d2e7cd" "rgba(255,255,255,0.55)"

# --- Windows application icon: a loop arrow round a waveform on a tile ----------
layer app_tile "#845ef7" "#3b1f9e" "#1f0f5a" 3 -draw "roundrectangle 8,8 184,184 38,38"
layer app_loop "#ffffff" "#e5dbff" none 0 -fill none -stroke white -strokewidth 20 \
    -draw "$(arc 96 96 54 -50 225)" \
    -fill white -stroke none -draw "polygon 86,30 38,38 78,78"
layer app_wave "#ffe066" "#fcc419" none 0 -stroke white -strokewidth 12 \
    -draw "stroke-linecap round line 76,86 76,106" \
    -draw "stroke-linecap round line 96,72 96,120" \
    -draw "stroke-linecap round line 116,82 116,110"
stack app app_tile app_loop app_wave
ico app "$here/BrindleQT.ico" 48 32 24 16
