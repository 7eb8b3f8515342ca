#!/usr/bin/env bash
# The Windows builds and their tests under Wine: builds the mingw32 (i686,
# the reference target) and mingw64 (x86_64) presets with warnings as errors,
# then runs the i686 suite under 32-bit Wine through CTest's emulator.
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

echo "== morvel.exe as a Windows user gets it"
"$root/scripts/build-windows-exe.sh" | tail -1

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
wineserver -k 2>/dev/null || true
trap - EXIT

end=$(date +%s)
echo "== Windows suite passed: $((end - wine_start)) s under Wine, $((end - start)) s with the builds"
