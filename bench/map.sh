#!/usr/bin/env bash
# Measures campdb --map on maps of 200 x 200 hexes in both layouts: the
# time and peak memory of a whole run (layout detection, load, the picture
# with shading by economy) and the size of the picture. The budget is under
# half a second and a picture under 10 MB.
#
#   bench/map.sh [--repeat N] [--map COLUMNSxROWS]
#
# --repeat N runs every job N times (default 5) and keeps the fastest; --map
# changes the map's size. Builds in build-bench/ (or $BUILD_DIR); the
# databases, 1000 objects each, go to a temporary folder that is removed
# afterwards. The other rows of the table (copy, load, clean, edit, report)
# are measured on the same files, as bench/run.sh does.
set -euo pipefail

repeat=5
size=200x200
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --map) size=$2; shift 2 ;;
    *) echo "usage: bench/map.sh [--repeat N] [--map COLUMNSxROWS]" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCAMPDB_BUILD_BENCH=ON -DCAMPDB_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target campdb-gen campdb-bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/campdb-gen" --map "$size" 1000 "$work/map-$size-base.db"
"$build/tools/campdb-gen" --ostrel --map "$size" 1000 "$work/map-$size-ostrel.db"
echo
"$build/bench/campdb-bench" --repeat "$repeat" --workdir "$work" "$work/map-$size-base.db"
echo
"$build/bench/campdb-bench" --repeat "$repeat" --ostrel --workdir "$work" "$work/map-$size-ostrel.db"
