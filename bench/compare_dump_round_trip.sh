#!/usr/bin/env bash
# For every database given, read in both layouts: --restore of its --dump
# must write exactly what an Edit run that changes nothing writes (database,
# camp.info, version.info), and --dump must exit as that Edit run does (0,
# or 3 for a damaged database). Prints each database that differs and fails
# if any does.
#
#   bench/compare_dump_round_trip.sh CAMPDB DATABASE...
set -euo pipefail
tool=$(realpath "$1")
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
compared=0
differ=0
for db in "$@"; do
  db=$(realpath "$db")
  for layout in base ostrel; do
    answer=n
    [ "$layout" = ostrel ] && answer=y
    rm -rf "$work/edit" "$work/text"
    mkdir -p "$work/edit" "$work/text"
    edit=0 dump=0 restore=0
    (cd "$work/edit" && printf '%s\nE\nQ\n' "$answer" | "$tool" "$db" - out.db >/dev/null 2>&1) || edit=$?
    (cd "$work/text" && "$tool" --dump --layout "$layout" "$db" db.jsonl 2>/dev/null) || dump=$?
    (cd "$work/text" && "$tool" --restore db.jsonl out.db 2>/dev/null) || restore=$?
    compared=$((compared + 1))
    same=1
    for file in out.db camp.info version.info; do
      cmp -s "$work/edit/$file" "$work/text/$file" || same=0
    done
    if [ "$same" = 0 ] || [ "$edit" != "$dump" ] || [ "$restore" != 0 ]; then
      echo "differs: $db ($layout): edit $edit, dump $dump, restore $restore"
      differ=$((differ + 1))
    fi
  done
done
echo "$compared compared, $differ differ"
[ "$differ" = 0 ]
