#!/usr/bin/env bash
# Rebuilds the seed corpora from the sample files in examples/, the scripted
# edit sessions in tests/sessions/ and the saved inputs in
# tests/regressions/. Run from anywhere.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
examples="$here/../examples"
load="$here/corpus/load_database"
edit="$here/corpus/edit_session"
rm -rf "$load" "$edit"
mkdir -p "$load" "$edit"

# A database input: one layout byte (0 base, 1 Ostrel), then the file.
seed_db() { { printf "$1"; cat "$2"; } > "$load/$3"; }
seed_db '\000' "$examples/sample-base.db" base
seed_db '\001' "$examples/sample-ostrel.db" ostrel
seed_db '\001' "$examples/sample-base.db" base-read-as-ostrel
seed_db '\000' "$examples/sample-ostrel.db" ostrel-read-as-base
{ printf '\000'; head -c 700 "$examples/sample-base.db"; } > "$load/base-cut-short"

# An edit input: one sample byte (0 base, 1 Ostrel), the operator's script
# (the session's standard input after its opening answers, "n E" or "y E"),
# the marker line, then the shiplist file.
seed_edit() {
  { printf "$1"; tail -c +5 "$here/../tests/sessions/$2/stdin"; printf '\n#SHIPLIST#\n'; cat "$examples/sample-shiplist.txt"; } \
    > "$edit/$3"
}
seed_edit '\000' every-editor every-editor-base
seed_edit '\001' every-editor every-editor-ostrel
seed_edit '\001' ostrel-captain ostrel-captain
seed_edit '\000' ostrel-captain ostrel-script-on-base
for s in garbage-then-quit empty-name letters-for-numbers; do
  seed_edit '\000' "$s" "$s"
done

# The saved hostile and once-failing inputs are seeds as well.
cp "$here/../tests/regressions/load_database/"* "$load/"
cp "$here/../tests/regressions/edit_session/"* "$edit/"

# The check takes a database input like the loader's, and with its second
# bit set leaves the layout to be found from the bytes: the loader's seeds,
# and the samples with their layout left to the check.
check="$here/corpus/check"
rm -rf "$check"
mkdir -p "$check"
cp "$load/"* "$check/"
for s in base ostrel damaged; do
  { printf '\002'; cat "$examples/sample-$s.db"; } > "$check/sample-$s-detected"
done

# The repair takes a database input like the loader's.
repair="$here/corpus/repair"
rm -rf "$repair"
mkdir -p "$repair"
cp "$load/"* "$repair/"
{ printf '\000'; cat "$examples/sample-damaged.db"; } > "$repair/sample-damaged"
