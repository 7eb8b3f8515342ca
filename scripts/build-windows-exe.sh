#!/usr/bin/env bash
# morvel.exe for a Windows user: the 32-bit (i686) Release build of the
# mingw32 preset, one self-contained file at build/mingw32/tool/morvel.exe.
# Checks that it imports nothing beyond the DLLs every Windows has.
# Installs the cross compiler on Debian 12 when it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib.sh
. "$root/scripts/lib.sh"
need_packages cmake make googletest g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686

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
