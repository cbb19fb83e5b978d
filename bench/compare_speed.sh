#!/usr/bin/env bash
# Measures two builds of campdb-bench on the same databases, taking turns
# (old, new, old, new, ...), so that both see the same load on the machine;
# every turn measures its own copy of the file, and the table of every turn
# is printed. A speed change is judged by the spread of the "x copy"
# columns over the turns, never by one run.
#
#   bench/compare_speed.sh [--turns N] [--only JOB,...] OLD-BENCH NEW-BENCH DATABASE...
#
# --only is passed to campdb-bench (default: clean,report); every turn runs
# each job 3 times and keeps the fastest. The outputs go to a temporary
# folder that is removed afterwards.
set -euo pipefail
turns=3
only=clean,report
while [ $# -gt 0 ]; do
  case "$1" in
    --turns) turns=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 3 ]; then
  echo "usage: bench/compare_speed.sh [--turns N] [--only JOB,...] OLD-BENCH NEW-BENCH DATABASE..." >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for db in "$@"; do
  for turn in $(seq "$turns"); do
    for build in old new; do
      bench=$old
      [ "$build" = new ] && bench=$new
      echo "== $build, turn $turn: $db"
      "$bench" --repeat 3 --only "$only" --workdir "$work" "$db" | sed -n '1,/^$/p' | grep -v '^$'
    done
  done
done
