#!/bin/sh
# Renders the SVG icon sources in images/svg/ to the PNGs in images/ICO/ that
# icons.qrc embeds as ":/images/ICO/<Name>.png".
#
# The PNGs are committed, so a normal build never runs this script; run it after
# editing or adding an SVG and commit both files. Requires rsvg-convert
# (Debian/Ubuntu package librsvg2-bin).
#
# Usage: resources/tools/render-icons.sh [Name ...]   (default: every SVG)
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/images/svg"
dst="$here/images/ICO"

command -v rsvg-convert >/dev/null 2>&1 || {
    echo "render-icons.sh: rsvg-convert not found (install librsvg2-bin)" >&2
    exit 1
}

# Pixel size per icon: tool-button icons 64 px so they scale down crisply to
# 16-32 px; the layout list shows CustomScreen at 70 px; the company mark is
# painted unscaled as a watermark and the application icons are 256 px.
size_of() {
    case "$1" in
        logomin|Prismora|Addrwright|Flashmere) echo 256 ;;
        CustomScreen) echo 128 ;;
        *) echo 64 ;;
    esac
}

mkdir -p "$dst"
if [ "$#" -gt 0 ]; then
    names="$*"
else
    names=$(cd "$src" && ls *.svg | sed 's/\.svg$//')
fi

for name in $names; do
    in="$src/$name.svg"
    [ -f "$in" ] || { echo "render-icons.sh: no such source $in" >&2; exit 1; }
    px=$(size_of "$name")
    rsvg-convert --width="$px" --height="$px" --keep-aspect-ratio \
        --format=png --output="$dst/$name.png" "$in"
    echo "$name.png ${px}x${px}"
done
