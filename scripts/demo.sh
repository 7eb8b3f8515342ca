#!/usr/bin/env bash
# The demo: builds morvel and converts the sample PostScript files with the
# real Ghostscript, into a folder of the build tree (the sources stay clean).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make ghostscript

build="$root/build/demo"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

out="$build/output"
rm -rf "$out"
mkdir -p "$out"
cp "$root"/examples/*.ps "$out"/

gs_dir=$(dirname "$(command -v gs)")
status=0
"$build/tool/morvel" "$gs_dir" "$out" || status=$?
echo
echo "morvel exited with status $status. The JPEG files are in: $out"
ls -l "$out"
exit "$status"
