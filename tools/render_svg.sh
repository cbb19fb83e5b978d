#!/usr/bin/env bash
# Renders an SVG picture (the map that campdb --map draws) with headless
# Chromium, as a person would see it in a browser, and checks it:
#
#   tools/render_svg.sh PICTURE.svg SCREENSHOT.png
#
# The window takes the picture's own width and height (at most 4000 pixels
# each). Fails when the browser fails, when it reports the file as not
# well-formed (its page then holds a parser error instead of the picture),
# or when the screenshot is blank: a handful of colours at most.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: tools/render_svg.sh PICTURE.svg SCREENSHOT.png" >&2; exit 2; }
picture=$(realpath "$1")
screenshot=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "render_svg: no chromium to render with" >&2; exit 1; }

# The picture's size, from the attributes of its root element.
root=$(grep -m1 -o '<svg [^>]*>' "$picture" || true)
width=$(sed -n 's/.* width="\([0-9]*\)".*/\1/p' <<<"$root")
height=$(sed -n 's/.* height="\([0-9]*\)".*/\1/p' <<<"$root")
[ -n "$width" ] && [ -n "$height" ] || { echo "render_svg: $1 has no <svg> root with a width and height" >&2; exit 1; }
width=$((width > 4000 ? 4000 : width))
height=$((height > 4000 ? 4000 : height))

profile=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$profile" "$log"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --hide-scrollbars --user-data-dir="$profile")

if ! timeout 120 "$browser" "${flags[@]}" --dump-dom "file://$picture" >"$log" 2>/dev/null; then
  echo "render_svg: the browser failed to load $1" >&2
  exit 1
fi
if grep -q -e parsererror -e 'This page contains the following errors' "$log"; then
  echo "render_svg: the browser cannot parse $1:" >&2
  grep -o 'error on line[^<]*' "$log" | head -3 >&2 || true
  exit 1
fi
rm -f "$screenshot"
if ! timeout 120 "$browser" "${flags[@]}" --window-size="$width,$height" --screenshot="$screenshot" \
     "file://$picture" >"$log" 2>&1 || [ ! -s "$screenshot" ]; then
  echo "render_svg: the browser made no screenshot of $1:" >&2
  tail -5 "$log" >&2
  exit 1
fi
counted=$(python3 "$here/png_colours.py" "$screenshot")
read -r size colours _ <<<"$counted"
if ! [ "$colours" -gt 8 ] 2>/dev/null; then
  echo "render_svg: the screenshot of $1 is blank ($colours colours)" >&2
  exit 1
fi
echo "$1: $size pixels, $colours colours: $2"
