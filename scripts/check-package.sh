#!/usr/bin/env bash
# The POSIX release artefacts: builds Release without tests into build/pkg,
# checks what `cmake --install` puts in place, makes the .deb with CPack,
# inspects its control fields and contents, unpacks it into a scratch root
# and runs the unpacked morvel there: once without arguments and once on a
# directory with one .ps file and a stand-in gs. Any mismatch fails the run.
# Installs what it needs on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib.sh
. "$root/scripts/lib.sh"
need_packages cmake g++ make binutils dpkg-dev file groff-base

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
cmake --build "$build" -j2 --target morvel

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "check-package: no project version in the cache" >&2; exit 1; }
arch=$(dpkg --print-architecture)

# cmake --install: the program in bin/, the manual page in share/man/man1/.
prefix="$build/install-prefix"
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
if [ -f "$prefix/bin/morvel" ] && [ -x "$prefix/bin/morvel" ]; then
    ok "cmake --install puts bin/morvel"
else
    fail "cmake --install: no executable $prefix/bin/morvel"
fi
if [ -f "$prefix/share/man/man1/morvel.1" ]; then
    ok "cmake --install puts share/man/man1/morvel.1"
else
    fail "cmake --install: no $prefix/share/man/man1/morvel.1"
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
maintainer=$(field Maintainer)
if [[ "$maintainer" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]]; then
    ok "Maintainer: $maintainer"
else
    fail "Maintainer '$maintainer' is not 'Name <address>'"
fi
summary=$(field Description)
if [ -n "$summary" ]; then
    ok "Description: $summary"
else
    fail "no Description summary"
fi
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

# Contents: the program and the manual page, and no other file.
contents=$(dpkg-deb --contents "$deb")
files=$(printf '%s\n' "$contents" | awk '$1 !~ /^d/ { print $6 }' | sort)
expected_files=$(printf '%s\n' ./usr/bin/morvel ./usr/share/man/man1/morvel.1 | sort)
if [ "$files" = "$expected_files" ]; then
    ok "contents: $(printf '%s' "$files" | tr '\n' ' ')"
else
    fail "contents are:
$files
expected:
$expected_files"
fi
if printf '%s\n' "$contents" | grep -Eq '^-rwxr-xr-x root/root +[0-9]+ [0-9-]+ [0-9:]+ \./usr/bin/morvel$'; then
    ok "./usr/bin/morvel is root's, mode 755"
else
    fail "./usr/bin/morvel is not a root-owned 755 file:
$(printf '%s\n' "$contents" | grep 'usr/bin/morvel' || true)"
fi

echo "== package: unpacked into a scratch root"
scratch="$build/scratch-root"
rm -rf "$scratch"
mkdir -p "$scratch"
dpkg -x "$deb" "$scratch"
morvel="$scratch/usr/bin/morvel"
man_page="$scratch/usr/share/man/man1/morvel.1"
[ -x "$morvel" ] || { echo "check-package: $morvel is missing after dpkg -x" >&2; exit 1; }

# The manual page renders without a warning and has its sections.
man_warnings=$(groff -ww -man -Tutf8 "$man_page" 2>&1 >/dev/null)
if [ -z "$man_warnings" ]; then
    ok "man page renders without warnings"
else
    fail "groff warns about the man page: $man_warnings"
fi
rendered=$(groff -man -Tutf8 -P-cbou "$man_page" 2>/dev/null)
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

# No arguments: exactly the usage text, no line break, status 1.
out="$build/pkg-usage.out"
set +e
"$morvel" >"$out" 2>"$build/pkg-usage.err"
status=$?
set -e
if [ "$status" -eq 1 ]; then
    ok "no arguments: status 1"
else
    fail "no arguments: status $status, expected 1"
fi
if cmp -s "$out" <(printf '%s' 'morvel [gs dir] [ps dir]'); then
    ok "no arguments: stdout is exactly the usage text"
else
    fail "no arguments: stdout is '$(od -c "$out" | head -5)'"
fi

# One conversion with a stand-in gs that records its arguments and working
# directory and writes the -o file.
work="$build/pkg-run"
rm -rf "$work"
mkdir -p "$work/gs" "$work/in"
cat >"$work/gs/gs" <<'EOF'
#!/bin/sh
log="$(dirname "$0")/calls.log"
pwd -P >>"$log"
out=
for a in "$@"; do
    printf '[%s]\n' "$a" >>"$log"
done
while [ $# -gt 0 ]; do
    if [ "$1" = -o ]; then
        out=$2
    fi
    shift
done
[ -n "$out" ] || exit 3
printf 'stand-in JPEG\n' >"$out"
EOF
chmod 755 "$work/gs/gs"
printf '%%!PS\nshowpage\n' >"$work/in/report.ps"
gs_dir=$(cd "$work/gs" && pwd -P)
in_dir=$(cd "$work/in" && pwd -P)

set +e
(cd "$work" && "$morvel" "$gs_dir" "$in_dir" >"$work/stdout" 2>"$work/stderr")
status=$?
set -e
if [ "$status" -eq 0 ]; then
    ok "conversion: status 0"
else
    fail "conversion: status $status, expected 0; stderr: $(cat "$work/stderr")"
fi
expected_out="Converting report.ps to report.jpg ...
gs -sDEVICE=jpeg -r120*120 -o \"$in_dir/report.jpg\" \"$in_dir/report.ps\""
if cmp -s "$work/stdout" <(printf '%s' "$expected_out"); then
    ok "conversion: stdout is the progress line and the command"
else
    fail "conversion: stdout differs:
$(cat "$work/stdout")
expected:
$expected_out"
fi
if [ -s "$work/stderr" ]; then
    fail "conversion: stderr is not empty: $(cat "$work/stderr")"
fi
expected_log="$gs_dir
[-sDEVICE=jpeg]
[-r120*120]
[-o]
[$in_dir/report.jpg]
[$in_dir/report.ps]"
if [ -f "$gs_dir/calls.log" ] && [ "$(cat "$gs_dir/calls.log")" = "$expected_log" ]; then
    ok "conversion: the stand-in ran once, in the gs dir, with the five arguments"
else
    fail "conversion: the stand-in's record differs:
$(cat "$gs_dir/calls.log" 2>/dev/null || echo '(no record)')
expected:
$expected_log"
fi
if [ "$(cat "$in_dir/report.jpg" 2>/dev/null)" = "stand-in JPEG" ]; then
    ok "conversion: report.jpg written beside report.ps"
else
    fail "conversion: no report.jpg from the stand-in"
fi

# A converter that fails: reported on stderr, status 2.
mkdir -p "$work/gs-failing"
printf '#!/bin/sh\nexit 5\n' >"$work/gs-failing/gs"
chmod 755 "$work/gs-failing/gs"
set +e
"$morvel" "$work/gs-failing" "$in_dir" >"$work/stdout-failing" 2>"$work/stderr-failing"
status=$?
set -e
expected_err="morvel: $in_dir/report.ps: converter exited with status 5"
if [ "$status" -eq 2 ] && [ "$(cat "$work/stderr-failing")" = "$expected_err" ]; then
    ok "failing converter: status 2 and the file named on stderr"
else
    fail "failing converter: status $status, stderr '$(cat "$work/stderr-failing")', expected 2 and '$expected_err'"
fi

if [ "$errors" -ne 0 ]; then
    echo "check-package: $errors check(s) failed for $deb" >&2
    exit 1
fi
echo "== package: $(basename "$deb") passes"
