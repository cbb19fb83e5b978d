#!/usr/bin/env bash
# Runs two builds of campdb on the same databases in every mode and both
# layouts, and through the actions that read one database (--check, --clean,
# --report, --dump, --map, --repair), and fails unless their console
# transcripts, diagnostics, exit statuses, output databases, info files,
# reports and other outputs are identical byte for byte. Used to check that
# a speed change alters no output.
#
#   bench/compare_outputs.sh [--transcripts] OLD-CAMPDB NEW-CAMPDB DATABASE...
#
# With --transcripts, standard error and the exit status are not compared:
# for two builds that are meant to differ only there.
set -euo pipefail
transcripts_only=0
if [ "${1:-}" = --transcripts ]; then
  transcripts_only=1
  shift
fi
old=$(realpath "$1")
new=$(realpath "$2")
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {  # binary, folder, database, answers
  mkdir -p "$2"
  local status=0
  (cd "$2" && printf "$4" | "$1" "$3" report.txt output.db >transcript.txt 2>diagnostics.txt) || status=$?
  if [ "$transcripts_only" = 1 ]; then
    rm "$2/diagnostics.txt"
  else
    echo "exit $status" >>"$2/diagnostics.txt"
  fi
}

act() {  # binary, folder, action and its arguments (the database first)
  local binary=$1 folder=$2
  shift 2
  mkdir -p "$folder"
  local status=0
  (cd "$folder" && "$binary" "$@" >stdout.txt 2>diagnostics.txt) || status=$?
  echo "exit $status" >>"$folder/diagnostics.txt"
}

failed=0
for db in "$@"; do
  db=$(realpath "$db")
  for action in "--check" "--check --json" "--clean" "--clean --json" "--report" "--dump" "--map" "--repair" \
                "--repair --json"; do
    outputs=()
    case "$action" in
      --clean*|--repair*) outputs=(out.db) ;;
      --map) outputs=(map.svg) ;;
    esac
    rm -rf "$work/old" "$work/new"
    # shellcheck disable=SC2086
    act "$old" "$work/old" $action "$db" "${outputs[@]}"
    # shellcheck disable=SC2086
    act "$new" "$work/new" $action "$db" "${outputs[@]}"
    if ! diff -r "$work/old" "$work/new" >/dev/null; then
      echo "DIFFERENT: $db with $action"
      diff -r "$work/old" "$work/new" | head -5 || true
      failed=1
    fi
  done
  for variant in n y; do
    for answers in "$variant\nC\n" "$variant\nE\nQ\n" "$variant\nR\n"; do
      rm -rf "$work/old" "$work/new"
      run "$old" "$work/old" "$db" "$answers"
      run "$new" "$work/new" "$db" "$answers"
      if ! diff -r "$work/old" "$work/new" >/dev/null; then
        echo "DIFFERENT: $db with answers $(printf "$answers" | tr '\n' ' ')"
        diff -r "$work/old" "$work/new" | head -5 || true
        failed=1
      fi
    done
  done
done
if [ "$failed" = 0 ]; then echo "identical outputs for $# databases"; fi
exit "$failed"
