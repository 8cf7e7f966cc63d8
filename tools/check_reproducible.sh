#!/usr/bin/env bash
# Builds the 64-bit program again, from a copy of the sources in another
# folder, into another build folder, at a later time and in another time
# zone, and compares it byte for byte with the build in <build dir> (made by
# the win64 preset). Any difference fails, with the bytes that differ.
#   check_reproducible.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/.."
first="$(cd "$1" && pwd)"
work=$PWD/build/repro
source=$work/sources-elsewhere
rm -rf "$work"
mkdir -p "$source"
# The working tree as it is (committed or not), without build products.
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$source"

(cd "$source" &&
  TZ=Asia/Tokyo cmake --preset win64 -B "$work/second-build" >/dev/null &&
  TZ=Asia/Tokyo cmake --build "$work/second-build" -j"${JOBS:-2}" --target RavoVup rapi -- --no-print-directory >/dev/null)

status=0
for file in app/RavoVup.exe sim/rapi.dll; do
  "${PYTHON:-/usr/bin/python3}" tools/compare_binaries.py "$first/$file" "$work/second-build/$file" || status=1
done
[ "$status" = 0 ] && rm -rf "$work"
exit "$status"
