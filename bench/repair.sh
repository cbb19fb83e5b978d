#!/usr/bin/env bash
# Measures campdb --repair on a generated database: a healthy one, and the
# same with one size word changed at a tenth of its length, against a copy
# of the file synced to disk. Prints the time (fastest of N runs) and the
# peak memory of each, as ratios to the copy and to the file's size. The
# budget: healthy within 1.3 times the copy, damaged within 2 times, peak
# memory within 1.25 times the file plus 16 MB.
#
#   bench/repair.sh [--repeat N] [OBJECTS...]
#
# Builds in build-bench/ (or uses the build in $BUILD_DIR as it is); the databases (300,000 objects
# unless given) go to a temporary folder that is removed afterwards.
set -euo pipefail

repeat=3
counts=()
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    -*) echo "usage: bench/repair.sh [--repeat N] [OBJECTS...]" >&2; exit 2 ;;
    *) counts+=("$1"); shift ;;
  esac
done
[ ${#counts[@]} -gt 0 ] || counts=(300000)

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
if [ -z "${BUILD_DIR:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCAMPDB_BUILD_BENCH=ON -DCAMPDB_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target campdb campdb-gen
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fastest elapsed seconds, largest peak KiB and fewest processor seconds
# of `repeat` runs of a command.
measure() {
  local best="" peak=0 cpu=""
  for _ in $(seq "$repeat"); do
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>&1 || true
    read -r seconds kib user sys < <(tail -1 "$work/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    local used
    used=$(awk "BEGIN{print $user + $sys}")
    if [ -z "$cpu" ] || awk "BEGIN{exit !($used < $cpu)}"; then cpu=$used; fi
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  echo "$best $peak $cpu"
}

printf '%-10s %9s %8s %7s %8s %9s %8s\n' job seconds "x copy" "cpu s" "x copy" "peak MB" "x file"
for objects in "${counts[@]}"; do
  db="$work/db-$objects.db"
  "$build/tools/campdb-gen" "$objects" "$db" >/dev/null
  bytes=$(stat -c %s "$db")
  # A size word changed: the first object whose tag begins after a tenth
  # of the file gets its first size word's lowest byte flipped.
  damaged="$work/damaged-$objects.db"
  cp "$db" "$damaged"
  tag=$(grep -obUa -m1 --binary-files=text '\.?AVt' <(tail -c +$((bytes / 10)) "$db") | head -1 | cut -d: -f1)
  at=$((bytes / 10 - 1 + tag - 12))
  printf "$(printf '\\%03o' $(( ($(od -An -tu1 -j "$at" -N1 "$db") ^ 1) )))" |
    dd of="$damaged" bs=1 seek="$at" conv=notrunc status=none
  read -r copy _ copycpu < <(measure dd if="$db" of="$work/copy.db" bs=1M conv=fsync status=none)
  report() {
    local name=$1
    shift
    read -r seconds kib cpu < <(measure "$@")
    printf '%-10s %9.2f %8.2f %7.2f %8.2f %9.1f %8.2f\n' "$name" "$seconds" "$(awk "BEGIN{print $seconds / $copy}")" \
      "$cpu" "$(awk "BEGIN{print $cpu / $copycpu}")" "$(awk "BEGIN{print $kib / 1024}")" \
      "$(awk "BEGIN{print $kib * 1024 / $bytes}")"
  }
  echo "$objects objects, $bytes bytes; synced copy ${copy}s, ${copycpu}s of processor time"
  (cd "$work" && report healthy "$build/campdb" --repair "$db" "$work/out.db")
  (cd "$work" && report damaged "$build/campdb" --repair "$damaged" "$work/out.db")
done
