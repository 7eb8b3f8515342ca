#!/usr/bin/env bash
# morvel.exe for a Windows user: the 32-bit (i686) Release build of the
# mingw32 preset, one self-contained file at build/mingw32/tool/morvel.exe.
# Checks that it imports nothing beyond the DLLs every Windows has, then
# packs build/mingw32/morvel-<version>-win32.zip: morvel.exe, README.txt,
# LICENSE.txt and the manual page as plain text (morvel.txt), the text files
# with Windows line ends. Installs what it needs on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib.sh
. "$root/scripts/lib.sh"
need_packages cmake make googletest g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    groff-base zip

cd "$root"
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 --target morvel
exe="$root/build/mingw32/tool/morvel.exe"

header=$(i686-w64-mingw32-objdump -f "$exe")
if ! grep -q 'file format pei-i386' <<<"$header"; then
    echo "build-windows-exe: $exe is not a 32-bit Windows executable:" >&2
    echo "$header" >&2
    exit 1
fi
# The C runtime and the Win32 system DLLs only: no libstdc++, libgcc or
# winpthread DLL to ship beside it.
imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
unexpected=$(grep -viE '^(kernel32|msvcrt|ole32|oleaut32|user32|advapi32|ntdll)\.dll$' <<<"$imports" || true)
if [ -n "$unexpected" ]; then
    echo "build-windows-exe: $exe needs DLLs a Windows machine lacks:" >&2
    echo "$unexpected" >&2
    exit 1
fi
echo "build-windows-exe: $exe ($(stat -c %s "$exe") bytes; imports $(tr '\n' ' ' <<<"$imports"))"

# The archive. Notepad before Windows 10 shows a file with bare LF line ends
# as one long line, hence CR LF.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$root/build/mingw32/CMakeCache.txt")
[ -n "$version" ] || { echo "build-windows-exe: no project version in the cache" >&2; exit 1; }
name="morvel-$version-win32"
stage="$root/build/mingw32/archive/$name"
zip_file="$root/build/mingw32/$name.zip"
rm -rf "$stage" "$zip_file"
mkdir -p "$stage"
crlf() {
    sed 's/\r*$/\r/'
}
# Without its symbol tables: less than half the size.
i686-w64-mingw32-strip -o "$stage/morvel.exe" "$exe"
sed "s/@VERSION@/$version/" "$root/docs/windows-readme.txt" | crlf >"$stage/README.txt"
crlf <"$root/LICENSE" >"$stage/LICENSE.txt"
groff -ww -man -Tascii -P-cbou "$root/docs/morvel.1" | crlf >"$stage/morvel.txt"
if LC_ALL=C grep -n '[^[:print:][:space:]]' "$stage"/*.txt; then
    echo "build-windows-exe: the text files above are not plain ASCII" >&2
    exit 1
fi
(cd "$stage/.." && zip -qrX "$zip_file" "$name")
echo "build-windows-exe: $zip_file ($(stat -c %s "$zip_file") bytes)"
