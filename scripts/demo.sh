#!/usr/bin/env bash
# The demo: builds morvel (the release preset) and converts the sample
# PostScript files with the real Ghostscript, into a folder of the build tree
# (the sources stay clean).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make ghostscript

cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target morvel >/dev/null

out=$root/build/demo/output
rm -rf "$out"
mkdir -p "$out"
cp "$root"/examples/*.ps "$out"/

status=0
"$root/build/release/tool/morvel" "$(dirname "$(command -v gs)")" "$out" || status=$?
echo
echo "morvel exited with status $status. The JPEG files are in: $out"
ls -l "$out"
exit "$status"
