#!/usr/bin/env bash
# The Windows builds and their tests under Wine, with warnings as errors:
# the steps of the mingw32 and mingw64 workflows of CMakePresets.json (the
# i686 build, the reference target, and the x86_64 build; each one's suite
# under the Wine of its architecture, the archive's layout and its unpacked
# morvel.exe among it; the archives a Windows user gets,
# build/mingw32/morvel-<version>-win32.zip and
# build/mingw64/morvel-<version>-win64.zip). Ends with what ran under Wine.
#
# On a kernel that runs no 32-bit programs, or with MORVEL_WINE64_ONLY=1 on
# any kernel, the i686 build is still built, its imports and its archive
# checked and its archive made; one line says that its tests under Wine did
# not run, and why (build/<preset>/wine.sh --check decides). A build whose
# tests cannot run for any other reason fails the run.
# Installs what it needs on Debian 12 (as root, or with sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake make googletest groff-base \
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64

start=$(date +%s)
cd "$root"
rm -f build/mingw32/morvel-*-win32.zip build/mingw64/morvel-*-win64.zip

# Left behind on any exit: no Wine server or test run.
sessions=()
declare -A test_pid
cleanup() {
    local s
    for s in ${test_pid[@]+"${test_pid[@]}"}; do
        kill "$s" 2>/dev/null || true
    done
    for s in ${sessions[@]+"${sessions[@]}"}; do
        sh "$s" --stop >/dev/null 2>&1 || true
    done
}
trap cleanup EXIT

declare -A cpu=([mingw32]=i686 [mingw64]=x86_64)
# The tests of a build that need no Wine, and so run on any kernel.
wine_free='imports|archive'

# The names of a build's tests that run under Wine.
tests_under_wine() {
    ctest --preset "$1" -N | sed -n 's/^ *Test *#[0-9]*: //p' |
        grep -Evx "$wine_free|wine_start|wine_stop" | paste -sd ' ' | sed 's/ /, /g'
}

# What each build gets: "run" where the Wine of its architecture runs here;
# "skip" for the i686 build on a kernel that runs no 32-bit programs (or
# with MORVEL_WINE64_ONLY=1); anything else stops the run with the reason.
declare -A plan why
for preset in mingw32 mingw64; do
    echo "== $preset: configure"
    cmake --preset "$preset"
    status=0
    why[$preset]=$(sh "build/$preset/wine.sh" --check) || status=$?
    case $status/$preset in
    0/*) plan[$preset]=run ;;
    2/mingw32) plan[$preset]=skip ;;
    *)
        echo "test-windows: the ${cpu[$preset]} build's tests cannot run under Wine: ${why[$preset]}" >&2
        exit 1
        ;;
    esac
done

# The steps of the mingw32 and mingw64 workflows. The two test steps run
# side by side: under Wine they mostly wait on process start-up, so
# together they take little longer than one.
for preset in mingw32 mingw64; do
    echo "== $preset: build"
    cmake --build --preset "$preset"
done
for preset in mingw32 mingw64; do
    if [ "${plan[$preset]}" = run ]; then
        echo "== $preset: tests under ${preset#mingw}-bit Wine (output follows when they end)"
        sessions+=("build/$preset/wine.sh")
        ctest --preset "$preset" >"build/$preset/test-windows.log" 2>&1 &
        test_pid[$preset]=$!
    fi
done
failed=0
for preset in mingw32 mingw64; do
    if [ "${plan[$preset]}" = run ]; then
        status=0
        wait "${test_pid[$preset]}" || status=$?
        unset "test_pid[$preset]"
        echo "== $preset: the tests' output"
        cat "build/$preset/test-windows.log"
        [ "$status" -eq 0 ] || failed=1
    else
        echo "== $preset: the tests that need no Wine (those under Wine cannot run here)"
        ctest --preset "$preset" -R "^($wine_free)\$" || failed=1
    fi
done
if [ "$failed" -ne 0 ]; then
    echo "test-windows: a Windows build's tests failed (output above)" >&2
    exit 1
fi
for preset in mingw32 mingw64; do
    echo "== $preset: package"
    cpack --preset "$preset"
done

echo "== Windows suite passed in $(($(date +%s) - start)) s"
for preset in mingw32 mingw64; do
    [ "${plan[$preset]}" = skip ] ||
        echo "test-windows: ran the ${cpu[$preset]} build under ${preset#mingw}-bit Wine: $(tests_under_wine "$preset")"
done
if [ "${plan[mingw32]}" = skip ]; then
    echo "test-windows: the i686 build's tests under 32-bit Wine did not run ($(tests_under_wine mingw32)): ${why[mingw32]}; it was built with warnings as errors, its imports and its archive checked and its archive made"
fi
