#!/usr/bin/env bash
# The Debian package: the release workflow of CMakePresets.json builds it
# with CPack (build/release/morvel_<version>_<arch>.deb). lintian checks it
# against Debian's policy (any error or warning fails) and dpkg-deb its
# format; this checks what they cannot know: the package's own control
# fields, its file list, and that the unpacked program runs.
# Installs what it needs on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make binutils dpkg-dev file gzip lintian

build=$root/build/release
rm -f "$build"/morvel_*.deb
(cd "$root" && cmake --workflow --preset release >/dev/null)
deb=$(echo "$build"/morvel_*.deb)
[ -f "$deb" ] || { echo "check-package: expected one morvel_*.deb in $build" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")

errors=0
# check WHAT GOT EXPECTED
check() {
    if [ "$2" = "$3" ]; then
        echo "check-package: ok: $1"
    else
        printf 'check-package: FAIL: %s:\n%s\nexpected:\n%s\n' "$1" "$2" "$3" >&2
        errors=$((errors + 1))
    fi
}

check "control fields" "$(dpkg-deb --field "$deb" Package Version Architecture Section)" "Package: morvel
Version: $version
Architecture: $(dpkg --print-architecture)
Section: graphics"
# Each dependency's name, without version constraints or alternatives.
depends=$(dpkg-deb --field "$deb" Depends | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/ //g')
check "Depends has ghostscript and the C and C++ runtimes" \
    "$(grep -x -e ghostscript -e libc6 -e 'libstdc++6' <<<"$depends" | sort)" "ghostscript
libc6
libstdc++6"
check "file list" "$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)" "./usr/bin/morvel
./usr/share/doc/morvel/changelog.gz
./usr/share/doc/morvel/copyright
./usr/share/man/man1/morvel.1.gz"

echo "check-package: lintian"
lintian --fail-on error,warning --display-info "$deb" || check "lintian" "status $?" "status 0"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
status=0
usage=$("$scratch/usr/bin/morvel" 2>&1) || status=$?
check "the unpacked morvel without arguments" "status $status: $usage" "status 1: morvel [gs dir] [ps dir]"

if [ "$errors" -ne 0 ]; then
    echo "check-package: $errors check(s) failed for $deb" >&2
    exit 1
fi
echo "check-package: $(basename "$deb") passes"
