#!/usr/bin/env bash
# The Windows builds and their tests under Wine, with warnings as errors:
# the mingw32 workflow of CMakePresets.json (the i686 build, the reference
# target; its suite under 32-bit Wine; the archive a Windows user gets,
# build/mingw32/morvel-<version>-win32.zip) and the mingw64 build; last the
# morvel.exe unpacked from that archive, under Wine.
# Installs what it needs on Debian 12 (as root, or with sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake make googletest groff-base unzip \
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine wine32:i386

start=$(date +%s)
cd "$root"
rm -f build/mingw32/morvel-*-win32.zip
echo "== mingw32: configure, build, test under Wine, package"
cmake --workflow --preset mingw32
echo "== mingw64: configure, build"
cmake --workflow --preset mingw64

# The archive's morvel.exe starts and converts: the usage text, then one
# file against the stand-in converter, which records its working directory
# and arguments. The driver tests cover the rest. Output goes to files:
# Wine's services, started by the first program, would keep a pipe open.
echo "== the Windows archive, unpacked, under Wine"
build=$root/build/mingw32
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$build"/morvel-*-win32.zip -d "$unpacked"
exe=$(echo "$unpacked"/morvel-*-win32/morvel.exe)
status=0
sh "$build/wine.sh" "$exe" >"$unpacked/usage" 2>&1 || status=$?
if [ "$status" -ne 1 ] || [ "$(cat "$unpacked/usage")" != "morvel [gswin32c dir] [ps dir]" ]; then
    echo "test-windows: the unpacked morvel.exe without arguments: status $status, output '$(cat "$unpacked/usage")'" >&2
    exit 1
fi
# The program sees the scratch directory through Wine's Z: drive.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}
mkdir "$unpacked/gs" "$unpacked/in"
cp "$build/fake-gs/gswin32c.exe" "$unpacked/gs/"
printf '%%!PS\nshowpage\n' >"$unpacked/in/report.ps"
gs_dir=$(windows_path "$unpacked/gs")
in_dir=$(windows_path "$unpacked/in")
status=0
FAKE_GS_LOG=$(windows_path "$unpacked/calls.log") \
    sh "$build/wine.sh" "$exe" "$gs_dir" "$in_dir" >"$unpacked/out" 2>&1 || status=$?
# The record: CALL, then each item as its length, a colon and the item.
expected=CALL
for item in "$gs_dir" -sDEVICE=jpeg '-r120*120' -o "$in_dir\\report.jpg" "$in_dir\\report.ps"; do
    expected+=$'\n'"${#item}:$item"
done
if [ "$status" -ne 0 ] || [ "$(cat "$unpacked/calls.log" 2>/dev/null)" != "$expected" ] ||
    [ ! -f "$unpacked/in/report.jpg" ]; then
    echo "test-windows: the unpacked morvel.exe on one file: status $status; output:" >&2
    cat "$unpacked/out" >&2
    printf '\nthe stand-in'"'"'s record:\n%s\nexpected:\n%s\n' "$(cat "$unpacked/calls.log" 2>/dev/null)" "$expected" >&2
    exit 1
fi
echo "test-windows: the unpacked morvel.exe prints its usage and converts a file"
echo "== Windows suite passed in $(($(date +%s) - start)) s"
