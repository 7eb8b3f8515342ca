#!/usr/bin/env bash
# The whole test suite: a warnings-as-errors build, an AddressSanitizer and
# UndefinedBehaviorSanitizer build, the end-to-end run with the real
# Ghostscript, then the Windows builds under Wine and the package check.
# Installs what it needs on Debian 12. MORVEL_SKIP_WINDOWS=1 leaves out Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make libgtest-dev googletest ghostscript libjpeg-turbo-progs clang-format valgrind

start=$(date +%s)
cd "$root"

echo "== formatting"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files

for kind in dev asan; do
    echo "== $kind build"
    opts=(-DMORVEL_WERROR=ON -DCMAKE_BUILD_TYPE=Debug)
    [ "$kind" = asan ] && opts+=(-DMORVEL_SANITIZE=ON)
    cmake -S "$root" -B "$root/build/$kind" "${opts[@]}" >/dev/null
    cmake --build "$root/build/$kind" -j2
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$root/build/$kind" --output-on-failure -j2
done

if [ -x "$root/scripts/check-package.sh" ]; then
    echo "== package"
    "$root/scripts/check-package.sh"
fi

# Benchmarks are too slow and noisy for CI; a run with tiny inputs keeps them
# working.
echo "== benchmark smoke run"
"$root/bench/run.sh" --smoke

echo "== fuzzers"
"$root/scripts/fuzz.sh" "${MORVEL_FUZZ_SECONDS:-10}"

if [ "${MORVEL_SKIP_WINDOWS:-0}" != 1 ] && [ -x "$root/scripts/test-windows.sh" ]; then
    echo "== Windows builds, tests under Wine"
    "$root/scripts/test-windows.sh"
fi

echo "== all suites passed in $(( $(date +%s) - start )) s"
