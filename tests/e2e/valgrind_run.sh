#!/bin/sh
# Runs the real morvel binary under valgrind memcheck over a small directory
# (a good file, a failing one, a name with a space) with the stand-in
# converter; any memory error or leak fails.
set -eu
morvel=$1
converter_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
printf '%%!PS\nshowpage\n' > "$work/in/good.ps"
printf '%%!PS\nshowpage\n' > "$work/in/with space.ps"
printf 'broken\n' > "$work/in/bad.ps"
# The missing-argument path too.
valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=all \
    --show-leak-kinds=all "$morvel" >/dev/null || [ $? -eq 1 ]
status=0
FAKE_GS_MATCH=bad.ps FAKE_GS_EXIT=1 \
    valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=all \
    --show-leak-kinds=all "$morvel" "$converter_dir" "$work/in" >"$work/out" 2>"$work/err" || status=$?
cat "$work/err"
if [ "$status" -ne 2 ]; then
    echo "expected exit status 2 (one conversion failed), got $status" >&2
    exit 1
fi
if grep -q '^==' "$work/err"; then
    echo "valgrind reported errors" >&2
    exit 1
fi
count=$(grep -o 'Converting ' "$work/out" | wc -l)
[ "$count" -eq 3 ] || { echo "expected 3 conversions, saw $count" >&2; exit 1; }
echo "valgrind: clean"
