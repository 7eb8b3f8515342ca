#!/usr/bin/env bash
# The whole test suite: the formatting, the dev and asan workflows of
# CMakePresets.json (warnings as errors; then ASan + UBSan), the Debian
# package, the benchmark smoke run, the fuzzers, then the Windows builds and
# their tests under Wine (scripts/test-windows.sh, which says which ran).
# Installs what it needs on Debian 12.
# MORVEL_SKIP_WINDOWS=1 leaves out the Windows builds; MORVEL_WINE64_ONLY=1
# runs them as on a kernel that runs no 32-bit programs;
# MORVEL_FUZZ_SECONDS sets the time per fuzzer (10).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make libgtest-dev googletest ghostscript libjpeg-turbo-progs clang-format valgrind

start=$(date +%s)
cd "$root"

echo "== formatting"
# The sources git knows, or outside a git checkout every source but the build trees'.
{ git ls-files -z '*.cpp' '*.h' 2>/dev/null ||
    find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; } |
    xargs -0 -r clang-format --dry-run --Werror

for preset in dev asan; do
    echo "== $preset: configure, build, test"
    cmake --workflow --preset "$preset"
done

echo "== package"
scripts/check-package.sh

# Benchmarks are too slow and noisy for CI; a run with tiny inputs keeps them
# working.
echo "== benchmark smoke run"
bench/run.sh --smoke

echo "== fuzzers"
scripts/fuzz.sh "${MORVEL_FUZZ_SECONDS:-10}"

if [ "${MORVEL_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "== Windows builds, tests under Wine"
    scripts/test-windows.sh
else
    echo "== Windows builds and their tests left out (MORVEL_SKIP_WINDOWS=1)"
fi

echo "== all suites passed in $(($(date +%s) - start)) s"
