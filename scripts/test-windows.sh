#!/usr/bin/env bash
# The Windows builds and their tests under Wine, with warnings as errors:
# the steps of the mingw32 and mingw64 workflows of CMakePresets.json (the
# i686 build, the reference target, and the x86_64 build; each one's suite
# under the Wine of its architecture; the archives a Windows user gets,
# build/mingw32/morvel-<version>-win32.zip and
# build/mingw64/morvel-<version>-win64.zip); last the morvel.exe unpacked
# from each archive, under Wine. Ends with what ran under Wine.
#
# On a kernel that runs no 32-bit programs, or with MORVEL_WINE64_ONLY=1 on
# any kernel, the i686 build is still built, its imports checked and its
# archive made; one line says that its tests did not run, and why. A build
# whose tests cannot run for any other reason fails the run.
# Installs what it needs on Debian 12 (as root, or with sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake make googletest groff-base unzip \
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64

start=$(date +%s)
cd "$root"
rm -f build/mingw32/morvel-*-win32.zip build/mingw64/morvel-*-win64.zip

# Left behind on any exit: no Wine server, test run or scratch directory.
scratch=()
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
    rm -rf ${scratch[@]+"${scratch[@]}"}
}
trap cleanup EXIT

declare -A cpu=([mingw32]=i686 [mingw64]=x86_64) suffix=([mingw32]=win32 [mingw64]=win64)

# The names of a build's tests that run under Wine.
tests_under_wine() {
    ctest --preset "$1" -N | sed -n 's/^ *Test *#[0-9]*: //p' |
        grep -vx -e imports -e wine_start -e wine_stop | paste -sd ' ' | sed 's/ /, /g'
}

# Both archives hold the same files in a folder named as the archive.
check_archive_layout() {
    local zip=$1 expected=LICENSE.txt$'\n'README.txt$'\n'morvel.exe$'\n'morvel.txt listed folder
    folder=$(basename "$zip" .zip)
    listed=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^$folder/||" | LC_ALL=C sort)
    if [ "$listed" != "$expected" ]; then
        printf 'test-windows: %s holds, under %s/:\n%s\nexpected:\n%s\n' "$zip" "$folder" "$listed" "$expected" >&2
        exit 1
    fi
}

# The program sees the scratch directory through Wine's Z: drive.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}

# The archive's morvel.exe starts and converts: the usage text, then one
# file against the stand-in converter, which records its working directory
# and arguments. The driver tests cover the rest. Output goes to files:
# Wine's services, started by the first program, would keep a pipe open.
check_unpacked() {
    local build=$root/build/$1 arch=$2 unpacked exe status expected item gs_dir in_dir
    unpacked=$(mktemp -d)
    scratch+=("$unpacked")
    unzip -q "$build"/morvel-*-"$arch".zip -d "$unpacked"
    exe=$(echo "$unpacked"/morvel-*-"$arch"/morvel.exe)
    sh "$build/wine.sh" --start
    status=0
    sh "$build/wine.sh" "$exe" >"$unpacked/usage" 2>&1 || status=$?
    if [ "$status" -ne 1 ] || [ "$(cat "$unpacked/usage")" != "morvel [gswin32c dir] [ps dir]" ]; then
        echo "test-windows: the unpacked $arch morvel.exe without arguments: status $status, output '$(cat "$unpacked/usage")'" >&2
        exit 1
    fi
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
        echo "test-windows: the unpacked $arch morvel.exe on one file: status $status; output:" >&2
        cat "$unpacked/out" >&2
        printf '\nthe stand-in'"'"'s record:\n%s\nexpected:\n%s\n' "$(cat "$unpacked/calls.log" 2>/dev/null)" "$expected" >&2
        exit 1
    fi
    sh "$build/wine.sh" --stop
}

# What each build gets: "run" where the Wine of its architecture runs here;
# "skip" for the i686 build on a kernel that runs no 32-bit programs (or
# with MORVEL_WINE64_ONLY=1); anything else stops the run with the reason.
declare -A plan why
for preset in mingw32 mingw64; do
    echo "== $preset: configure"
    cmake --preset "$preset"
    build=build/$preset
    bits=${preset#mingw}
    status=0
    if [ ! -f "$build/wine.sh" ]; then
        why[$preset]="no $bits-bit Wine found (MORVEL_WINE_LOADER, MORVEL_WINE_SERVER in $build/CMakeCache.txt)"
        status=1
    else
        why[$preset]=$(sh "$build/wine.sh" --check) || status=$?
    fi
    if [ "$bits" = 32 ] && [ "${MORVEL_WINE64_ONLY:-0}" = 1 ]; then
        why[$preset]="MORVEL_WINE64_ONLY=1 asks for the path of a kernel that runs no 32-bit programs"
        status=2
    fi
    if [ "$status" -eq 0 ]; then
        plan[$preset]=run
    elif [ "$status" -eq 2 ] && [ "$bits" = 32 ]; then
        plan[$preset]=skip
    else
        echo "test-windows: the ${cpu[$preset]} build's tests cannot run under Wine: ${why[$preset]}" >&2
        exit 1
    fi
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
        echo "== $preset: imports (its tests under Wine cannot run here)"
        ctest --preset "$preset" -R '^imports$' || failed=1
    fi
done
if [ "$failed" -ne 0 ]; then
    echo "test-windows: a Windows build's tests failed (output above)" >&2
    exit 1
fi
for preset in mingw32 mingw64; do
    echo "== $preset: package"
    cpack --preset "$preset"
    check_archive_layout "$(echo "build/$preset"/morvel-*-"${suffix[$preset]}".zip)"
done

ran=()
not_run=
for preset in mingw32 mingw64; do
    bits=${preset#mingw}
    if [ "${plan[$preset]}" = run ]; then
        echo "== $preset: the archive's morvel.exe, unpacked, under $bits-bit Wine"
        check_unpacked "$preset" "${suffix[$preset]}"
        ran+=("the ${cpu[$preset]} build under $bits-bit Wine: $(tests_under_wine "$preset"), the unpacked archive")
    else
        not_run="the ${cpu[$preset]} build's tests under $bits-bit Wine did not run ($(tests_under_wine "$preset"), the unpacked archive): ${why[$preset]}; it was built with warnings as errors, its imports checked and its archive made"
    fi
done

echo "== Windows suite passed in $(($(date +%s) - start)) s"
for line in "${ran[@]}"; do
    echo "test-windows: ran $line"
done
if [ -n "$not_run" ]; then
    echo "test-windows: $not_run"
fi
