#!/usr/bin/env bash
# Runs every libFuzzer target in fuzz/ (the fuzz preset builds them) for a
# bounded time on its seed corpus (fuzz/corpus/<name>/) plus fresh inputs.
# New interesting inputs go to a scratch directory, so the repository corpus
# only grows by hand. A crash is copied into the corpus as a regression
# input and fails the run.
#   scripts/fuzz.sh [seconds-per-fuzzer]    (default 10)
# FUZZ_ONLY=<name> runs one fuzzer; FUZZ_ARGS adds libFuzzer flags.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake make clang libclang-rt-14-dev

seconds=${1:-10}
(cd "$root" && cmake --workflow --preset fuzz)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=()
for bin in "$root"/build/fuzz/fuzz/*_fuzzer; do
    name=$(basename "$bin" _fuzzer)
    [ -n "${FUZZ_ONLY:-}" ] && [ "$FUZZ_ONLY" != "$name" ] && continue
    corpus=$root/fuzz/corpus/$name
    mkdir -p "$corpus" "$scratch/$name/new" "$scratch/$name/crash"
    echo "== fuzz $name (${seconds} s)"
    # shellcheck disable=SC2086
    if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$scratch/$name/crash/" ${FUZZ_ARGS:-} \
        "$scratch/$name/new" "$corpus" >"$scratch/$name/log" 2>&1; then
        grep -E '^(stat::number_of_executed_units|Done)' "$scratch/$name/log" || true
    else
        tail -n 40 "$scratch/$name/log"
        for crash in "$scratch/$name/crash"/*; do
            [ -e "$crash" ] || continue
            cp "$crash" "$corpus/"
            echo "fuzz $name: kept $(basename "$crash") in fuzz/corpus/$name/ as a regression input"
        done
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzers that failed: ${failed[*]}" >&2
    exit 1
fi
