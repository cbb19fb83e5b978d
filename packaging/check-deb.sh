#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR and checks that it carries the tool,
# its compressed manual page, and the copyright file and compressed changelog
# every Debian package has. Exits non-zero when the package cannot be built or
# any of them is missing from it. (.ci/run then has lintian check the package
# as a whole.)
#
#   packaging/check-deb.sh BUILD_DIR
#
# BUILD_DIR is configured from this source tree first if it is not a CMake
# build folder yet. JOBS sets the number of parallel build jobs (default 2).
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build_dir=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}

for tool in cmake cpack dpkg; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-deb: $tool is not installed" >&2
    exit 1
  fi
done

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$source_dir" -B "$build_dir"
fi

# Only the package built now is checked.
rm -f "$build_dir"/campdb_*.deb
cmake --build "$build_dir" --target package -j"$jobs"

shopt -s nullglob
debs=("$build_dir"/campdb_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "check-deb: expected one campdb package in $build_dir, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}

listing=$(dpkg -c "$deb")
status=0
for wanted in ./usr/bin/campdb ./usr/share/man/man1/campdb.1.gz ./usr/share/doc/campdb/copyright \
  ./usr/share/doc/campdb/changelog.gz; do
  # The listing's last column is the path.
  if ! awk -v want="$wanted" '$NF == want { found = 1 } END { exit !found }' <<<"$listing"; then
    echo "check-deb: $deb does not contain $wanted" >&2
    status=1
  fi
done

if [ $status -eq 0 ]; then
  echo "check-deb: $deb contains usr/bin/campdb, its manual page, copyright and changelog"
else
  echo "check-deb: package contents:" >&2
  echo "$listing" >&2
fi
exit $status
