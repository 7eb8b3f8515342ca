#!/usr/bin/env bash
# The Windows builds and their tests under Wine: builds the mingw32 (i686,
# the reference target) and mingw64 (x86_64) presets with warnings as errors,
# then runs the i686 suite under 32-bit Wine through CTest's emulator, and
# last the morvel.exe unpacked from the Windows archive.
# Installs what it needs on Debian 12 (as root, or with sudo). Wine runs
# quiet and headless in a prefix of its own, build/mingw32/wineprefix, which
# the first run creates.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib.sh
. "$root/scripts/lib.sh"

start=$(date +%s)

# wine32 comes from the i386 architecture.
if [ "$(dpkg --print-architecture)" = amd64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for wine32"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo dpkg --add-architecture i386
fi
need_packages cmake make googletest \
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix \
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix \
    wine wine32:i386

cd "$root"
for preset in mingw32 mingw64; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

echo "== morvel.exe and the archive as a Windows user gets them"
"$root/scripts/build-windows-exe.sh" | tail -2

# The same settings as the emulator in cmake/mingw-common.cmake: no display,
# no Mono or Gecko installers, no menu entries, no debug chatter.
export WINEPREFIX="$root/build/mingw32/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

wine_start=$(date +%s)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Wine prefix in $WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1
    # A crashing test program prints its backtrace instead of asking.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    wineserver -w
fi
# One server for all the test programs and the processes they start, and
# Wine's own services started now, away from CTest's output pipes: started by
# a test, they would keep those pipes open and CTest waiting.
wineserver -p || true
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot </dev/null >/dev/null 2>&1

echo "== i686 suite under Wine"
ctest --test-dir "$root/build/mingw32" --output-on-failure -j2

# The archive's morvel.exe starts and converts: the usage text, then one file
# against the stand-in converter, which records its working directory and
# arguments. The driver tests cover the rest.
echo "== the Windows archive, unpacked, under Wine"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$root/build/mingw32/CMakeCache.txt")
unpacked=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$unpacked"' EXIT
unzip -q "$root/build/mingw32/morvel-$version-win32.zip" -d "$unpacked"
exe="$unpacked/morvel-$version-win32/morvel.exe"
set +e
usage=$(wine "$exe" 2>"$unpacked/usage.err")
status=$?
set -e
if [ "$status" -ne 1 ] || [ "$usage" != "morvel [gswin32c dir] [ps dir]" ]; then
    echo "test-windows: the unpacked morvel.exe without arguments: status $status, output '$usage'" >&2
    exit 1
fi
# The program sees the scratch directory through Wine's Z: drive.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}
# One item of the stand-in's record: its length, a colon, the item.
record() {
    printf '%d:%s\n' "${#1}" "$1"
}
mkdir "$unpacked/gs" "$unpacked/in"
cp "$root/build/mingw32/fake-gs/gswin32c.exe" "$unpacked/gs/"
printf '%%!PS\nshowpage\n' >"$unpacked/in/report.ps"
gs_dir=$(windows_path "$unpacked/gs")
in_dir=$(windows_path "$unpacked/in")
set +e
FAKE_GS_LOG=$(windows_path "$unpacked/calls.log") FAKE_GS_WRITE=1 \
    wine "$exe" "$gs_dir" "$in_dir" >"$unpacked/out" 2>&1
status=$?
set -e
expected_log=$(printf 'CALL\n'
    record "$gs_dir"
    for arg in -sDEVICE=jpeg '-r120*120' -o "$in_dir\\report.jpg" "$in_dir\\report.ps"; do
        record "$arg"
    done)
if [ "$status" -ne 0 ] || [ "$(cat "$unpacked/calls.log" 2>/dev/null)" != "$expected_log" ] ||
    [ ! -f "$unpacked/in/report.jpg" ]; then
    echo "test-windows: the unpacked morvel.exe on one file: status $status; output:" >&2
    cat "$unpacked/out" >&2
    echo >&2
    echo "the stand-in's record:" >&2
    cat "$unpacked/calls.log" >&2 2>/dev/null || echo "(none)" >&2
    echo "expected:" >&2
    echo "$expected_log" >&2
    exit 1
fi
echo "test-windows: the unpacked morvel.exe prints its usage and converts a file"

wineserver -k 2>/dev/null || true
rm -rf "$unpacked"
trap - EXIT

end=$(date +%s)
echo "== Windows suite passed: $((end - wine_start)) s under Wine, $((end - start)) s with the builds"
