#!/usr/bin/env bash
# Measures --diff and --apply on a generated database of N objects (300 000
# unless given) and a copy of it with 1 % of its ships changed: --diff of the
# two against a synced copy of one (time), and against the two files and
# 16 MB (peak memory); --apply of the change set against a synced copy of
# the database. Uses the campdb and campdb-gen of BUILD_DIR (default build/).
#
#   bench/diff.sh [OBJECTS]
set -euo pipefail

objects=${1:-300000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
campdb=$build/campdb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$build/tools/campdb-gen" "$objects" a.db >/dev/null
# B: every hundredth ship with another bpv, made through the text form.
"$campdb" --dump a.db a.jsonl
awk '/^\{"record":"ship"/ { if (++n % 100 == 0) sub(/"bpv":[0-9]+/, "\"bpv\":1") } { print }' a.jsonl >b.jsonl
"$campdb" --restore b.jsonl b.db
rm -f a.jsonl b.jsonl camp.info version.info

# The fastest of three runs: elapsed seconds, peak resident kilobytes and
# processor seconds (user and system; on a busy machine they say more than
# the elapsed time).
measure() {
  local best="" memory="" cpu=""
  for _ in 1 2 3; do
    /usr/bin/time -f '%e %M %U %S' -o t.txt "$@" >/dev/null 2>&1 || true
    read -r seconds kilobytes user system < <(tail -n 1 t.txt)
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then
      best=$seconds memory=$kilobytes cpu=$(awk "BEGIN{print $user + $system}")
    fi
  done
  echo "$best $memory $cpu"
}
copy() { cp "$1" copy.db && sync copy.db; }

read -r copySeconds _ copyCpu < <(measure bash -c "$(declare -f copy); copy a.db")
read -r diffSeconds diffKb diffCpu < <(measure "$campdb" --diff a.db b.db diff.txt)
"$campdb" --diff --json a.db b.db changes.jsonl || true
read -r applySeconds _ applyCpu < <(measure "$campdb" --apply changes.jsonl a.db out.db)
cmp -s out.db b.db && same=yes || same=no

sizeA=$(stat -c %s a.db)
sizeB=$(stat -c %s b.db)
awk -v n="$objects" -v c="$copySeconds" -v d="$diffSeconds" -v m="$diffKb" -v a="$applySeconds" \
    -v cc="$copyCpu" -v dc="$diffCpu" -v ac="$applyCpu" \
    -v sa="$sizeA" -v sb="$sizeB" -v same="$same" -v changes="$(($(wc -l <changes.jsonl) - 2))" 'BEGIN {
  limit = ((sa + sb) * 1.1 + 16 * 1048576) / 1024
  printf "%d objects, %d changes; synced copy %.2f s (processor %.2f s)\n", n, changes, c, cc
  printf "--diff  %.2f s = %.2f x copy (target 1.0), processor %.2f s; peak %d KB = %.2f x (files x 1.1 + 16 MB)\n", d, d / c, dc, m, m / limit
  printf "--apply %.2f s = %.2f x copy (target 1.3), processor %.2f s; output equals B: %s\n", a, a / c, ac, same
}'
