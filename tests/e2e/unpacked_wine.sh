#!/bin/sh
# The morvel.exe unpacked from the archive (the archive test leaves it
# there), under Wine: it starts and converts. First the usage text, then one
# file against the stand-in converter, which records its working directory
# and arguments; the driver tests cover the rest. Output goes to files:
# Wine's services, started by the first program, would keep a pipe open.
# Usage: unpacked_wine.sh unpacked-dir fake-converter.exe emulator-command...
set -eu
exe=$(echo "$1"/*/morvel.exe)
converter=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { printf 'Z:%s' "$1" | tr / '\\'; }

status=0
"$@" "$exe" >"$work/usage" 2>&1 || status=$?
if [ "$status" -ne 1 ] || [ "$(cat "$work/usage")" != "morvel [gswin32c dir] [ps dir]" ]; then
    echo "unpacked_wine: $exe without arguments: status $status, output '$(cat "$work/usage")'" >&2
    exit 1
fi

mkdir "$work/gs" "$work/in"
cp "$converter" "$work/gs/gswin32c.exe"
printf '%%!PS\nshowpage\n' >"$work/in/report.ps"
gs_dir=$(win "$work/gs")
in_dir=$(win "$work/in")
status=0
FAKE_GS_LOG=$(win "$work/calls.log") "$@" "$exe" "$gs_dir" "$in_dir" >"$work/out" 2>&1 || status=$?
# The record: CALL, then each item as its length, a colon and the item.
expected=CALL
for item in "$gs_dir" -sDEVICE=jpeg '-r120*120' -o "$in_dir\\report.jpg" "$in_dir\\report.ps"; do
    expected="$expected
${#item}:$item"
done
record=$(cat "$work/calls.log" 2>/dev/null || true)
if [ "$status" -ne 0 ] || [ "$record" != "$expected" ] || [ ! -f "$work/in/report.jpg" ]; then
    echo "unpacked_wine: $exe on one file: status $status; output:" >&2
    cat "$work/out" >&2
    printf '\nthe stand-in'"'"'s record:\n%s\nexpected:\n%s\n' "$record" "$expected" >&2
    exit 1
fi
echo "unpacked_wine: $exe starts and converts"
