#!/usr/bin/env bash
# The Debian package: builds Release without tests into build/pkg, checks
# what `cmake --install` puts in place, makes the .deb with CPack, checks its
# control fields, contents and owners, runs lintian on it (any error or
# warning fails), and checks that the unpacked manual page renders and the
# unpacked program starts. What the program does is the driver tests' job.
# Installs what it needs on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib.sh
. "$root/scripts/lib.sh"
need_packages cmake g++ make binutils dpkg-dev file groff-base gzip lintian

build="$root/build/pkg"
errors=0
fail() {
    echo "check-package: FAIL: $*" >&2
    errors=$((errors + 1))
}
ok() {
    echo "check-package: ok: $*"
}

echo "== package: Release build in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVEL_BUILD_TESTS=OFF \
    -DMORVEL_WERROR=OFF -DMORVEL_SANITIZE=OFF -DMORVEL_BUILD_BENCH=OFF -DMORVEL_FUZZ=OFF >/dev/null
cmake --build "$build" -j2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "check-package: no project version in the cache" >&2; exit 1; }
arch=$(dpkg --print-architecture)

# The files of the package, as paths below the prefix.
package_files="bin/morvel
share/doc/morvel/changelog.gz
share/doc/morvel/copyright
share/man/man1/morvel.1.gz"

# cmake --install: the same files under the prefix.
prefix="$build/install-prefix"
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
if [ "$installed" = "$package_files" ] && [ -x "$prefix/bin/morvel" ]; then
    ok "cmake --install puts $(tr '\n' ' ' <<<"$installed")"
else
    fail "cmake --install puts:
$installed
expected:
$package_files"
fi

echo "== package: cpack -G DEB"
rm -f "$build"/morvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
shopt -s nullglob
debs=("$build"/morvel_*.deb)
shopt -u nullglob
if [ ${#debs[@]} -ne 1 ]; then
    echo "check-package: expected one morvel_*.deb in $build, found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
expected_name="morvel_${version}_${arch}.deb"
if [ "$(basename "$deb")" = "$expected_name" ]; then
    ok "file name $expected_name"
else
    fail "file name $(basename "$deb"), expected $expected_name"
fi

# Control fields, from dpkg-deb --info.
info=$(dpkg-deb --info "$deb")
field() {
    # The value of a one-line control field as dpkg-deb --info shows it.
    printf '%s\n' "$info" | sed -n "s/^ $1: //p"
}
check_field() {
    local got
    got=$(field "$1")
    if [ "$got" = "$2" ]; then
        ok "$1: $got"
    else
        fail "$1 is '$got', expected '$2'"
    fi
}
check_field Package morvel
check_field Version "$version"
check_field Architecture "$arch"
check_field Section graphics
depends=$(field Depends)
# Each dependency on its own, without version constraints.
dep_names=$(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/^ *//; s/ *$//')
for need in ghostscript libc6 libstdc++6; do
    if printf '%s\n' "$dep_names" | grep -qx -- "$need"; then
        ok "Depends has $need"
    else
        fail "Depends ($depends) lacks $need"
    fi
done

# Contents: exactly the installed files, every entry root's.
contents=$(dpkg-deb --contents "$deb")
files=$(printf '%s\n' "$contents" | awk '$1 !~ /^d/ { print $6 }' | sort)
expected_files=$(sed 's|^|./usr/|' <<<"$package_files")
if [ "$files" = "$expected_files" ]; then
    ok "contents: $(tr '\n' ' ' <<<"$files")"
else
    fail "contents are:
$files
expected:
$expected_files"
fi
not_root=$(printf '%s\n' "$contents" | awk '$2 != "root/root"')
if [ -z "$not_root" ]; then
    ok "every entry is owned by root/root"
else
    fail "entries not owned by root/root:
$not_root"
fi

# Debian's own checker: information tags are shown, errors and warnings fail.
echo "== package: lintian"
set +e
lintian_out=$(lintian --fail-on error,warning --display-info "$deb" 2>"$build/lintian.err")
lintian_status=$?
set -e
[ -z "$lintian_out" ] || printf '%s\n' "$lintian_out"
if [ "$lintian_status" -eq 0 ] && ! grep -q '^[EW]: ' <<<"$lintian_out"; then
    ok "lintian: no error, no warning"
else
    fail "lintian: status $lintian_status, errors or warnings above; $(cat "$build/lintian.err")"
fi

echo "== package: unpacked into a scratch root"
scratch="$build/scratch-root"
rm -rf "$scratch"
mkdir -p "$scratch"
dpkg -x "$deb" "$scratch"

# The manual page renders without a warning and has its sections.
man_page="$scratch/usr/share/man/man1/morvel.1.gz"
man_warnings=$(zcat "$man_page" | groff -ww -man -Tutf8 2>&1 >/dev/null)
if [ -z "$man_warnings" ]; then
    ok "man page renders without warnings"
else
    fail "groff warns about the man page: $man_warnings"
fi
rendered=$(zcat "$man_page" | groff -man -Tutf8 -P-cbou 2>/dev/null)
sections_missing=0
for section in NAME SYNOPSIS DESCRIPTION ARGUMENTS OUTPUT "EXIT STATUS" "HOST DIFFERENCES" EXAMPLES "SEE ALSO"; do
    if ! printf '%s\n' "$rendered" | grep -qx -- "$section"; then
        fail "man page has no section $section"
        sections_missing=1
    fi
done
if [ "$sections_missing" -eq 0 ]; then
    ok "man page has its sections"
fi

# The unpacked program starts: without arguments, its usage text and status 1.
set +e
usage=$("$scratch/usr/bin/morvel" 2>&1)
status=$?
set -e
if [ "$status" -eq 1 ] && [ "$usage" = "morvel [gs dir] [ps dir]" ]; then
    ok "the unpacked morvel prints its usage text, status 1"
else
    fail "the unpacked morvel: status $status, output '$usage'"
fi

if [ "$errors" -ne 0 ]; then
    echo "check-package: $errors check(s) failed for $deb" >&2
    exit 1
fi
echo "== package: $(basename "$deb") passes"
