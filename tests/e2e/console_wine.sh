#!/bin/sh
# morvel.exe with its standard streams on a console, under Wine: the texts
# must reach the console as wide characters, so that a name shows as it is
# whatever the console's code page. The console is set to code page 437,
# where only the wide path shows a Cyrillic letter; Wine writes the console
# to a pseudo-terminal in the Unix locale, where it is read back.
# Usage: console_wine.sh morvel.exe fake-converter.exe emulator-command...
set -eu
morvel=$1
converter=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/gs" "$work/in"
cp "$converter" "$work/gs/gswin32c.exe"
name='broken Ж'
printf '%%!PS\nshowpage\n' >"$work/in/$name.ps"
win() { printf 'Z:%s' "$1" | tr / '\\'; }
emulator=
for word in "$@"; do
    emulator="$emulator '$word'"
done
# A wide terminal, so that no line is wrapped.
LC_ALL=C.UTF-8 FAKE_GS_EXIT=3 script -qec "stty cols 400; $emulator cmd /c 'chcp 437 >nul & \
$(win "$morvel") $(win "$work/gs") $(win "$work/in")'" /dev/null >"$work/out" || true
text=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/out" | tr -d '\r')
for expected in "Converting $name.ps to $name.jpg ..." \
    "morvel: $(win "$work/in")\\$name.ps: converter exited with status 3"; do
    case $text in
    *"$expected"*) ;;
    *)
        printf 'console_wine: not on the console: %s\nit showed:\n%s\n' "$expected" "$text" >&2
        exit 1
        ;;
    esac
done
echo "console_wine: names shown whole"
