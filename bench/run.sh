#!/usr/bin/env bash
# Builds campdb and its benchmark in Release mode, generates databases of
# 10 000, 100 000 and 300 000 objects into a temporary folder, and measures
# load, Clean, an unchanged Edit and Report on each against a plain copy of
# the same file, and --dump and --restore against a copy of the dump.
#
#   bench/run.sh [--repeat N] [--ostrel] [--far-ships] [OBJECTS...]
#
# --repeat N runs every operation N times (default 5) and keeps the fastest;
# --ostrel generates and reads the Ostrel layout; --far-ships places every
# player's ships anywhere after the player in the list, so that each
# captain is looked up far away. OBJECTS replace the three sizes, e.g.
# 300000 1000000 3000000 (3 000 000 objects make a 1.4 GB file). The build goes to
# build-bench/ (or $BUILD_DIR), the databases to a folder under $TMPDIR that
# is removed afterwards.
set -euo pipefail

repeat=5
ostrel=()
far=()
sizes=()
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --ostrel) ostrel=(--ostrel); shift ;;
    --far-ships) far=(--far-ships); shift ;;
    [0-9]*) sizes+=("$1"); shift ;;
    *) echo "usage: bench/run.sh [--repeat N] [--ostrel] [--far-ships] [OBJECTS...]" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCAMPDB_BUILD_BENCH=ON -DCAMPDB_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target campdb-gen campdb-bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=()
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 300000)
for objects in "${sizes[@]}"; do
  "$build/tools/campdb-gen" "${ostrel[@]}" "${far[@]}" "$objects" "$work/db-$objects.db"
  files+=("$work/db-$objects.db")
done
echo
"$build/bench/campdb-bench" --repeat "$repeat" "${ostrel[@]}" --workdir "$work" "${files[@]}"
