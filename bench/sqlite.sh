#!/usr/bin/env bash
# Measures campdb --sqlite against a synced copy of the same database file:
# wall time, processor time and peak memory, for databases of the given
# numbers of objects (default 300000) made by campdb-gen.
#
#   bench/sqlite.sh [--ostrel] [OBJECTS...]
#
# Targets: within 5 times the copy's time, linear in the objects, and peak
# memory within 1.25 times the file plus 64 MB. The build is build/ (or
# $BUILD_DIR) and must hold campdb and tools/campdb-gen; the files go to a
# folder under $TMPDIR that is removed afterwards.
set -euo pipefail

ostrel=()
if [ "${1:-}" = --ostrel ]; then ostrel=(--ostrel); shift; fi
[ $# -gt 0 ] || set -- 300000
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() {  # prints: wall seconds, cpu seconds, peak KB
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null
  read -r wall user sys peak <"$work/time"
  echo "$wall $(echo "$user + $sys" | bc) $peak"
}

printf '%10s %10s %9s %9s %7s %9s %9s\n' objects "file MB" "copy s" "sqlite s" ratio "peak MB" "limit MB"
for objects in "$@"; do
  db="$work/db-$objects.db"
  "$build/tools/campdb-gen" "${ostrel[@]}" "$objects" "$db" >/dev/null
  size=$(stat -c %s "$db")
  sync
  read -r copy _ _ < <(measure dd if="$db" of="$work/copy.db" bs=1M conv=fsync status=none)
  rm -f "$work/copy.db"
  sync
  read -r wall cpu peak < <(measure "$build/campdb" --sqlite "$db" "$work/out.sqlite")
  rm -f "$work/out.sqlite"
  printf '%10d %10.1f %9.2f %9.2f %7.2f %9.1f %9.1f\n' "$objects" "$(echo "$size / 1048576" | bc -l)" "$copy" "$wall" \
    "$(echo "$wall / $copy" | bc -l)" "$(echo "$peak / 1024" | bc -l)" "$(echo "1.25 * $size / 1048576 + 64" | bc -l)"
  rm -f "$db"
done
