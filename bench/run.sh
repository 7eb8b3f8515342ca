#!/usr/bin/env bash
# Benchmarks of morvel against what a user would run instead, on inputs
# generated in a temporary directory. hyperfine times the command lines, a
# warm-up run then several timed runs of each, and its Markdown export is
# the table:
#   1. driver overhead: empty .ps files and the no-op converter
#      (bench/noop_gs.cpp); morvel one at a time and with -j $(nproc), a sh
#      for loop and find -exec;
#   2. real Ghostscript: one-page files (bench/page.ps); morvel one at a
#      time and with -j $(nproc), the loop calling gs, xargs -P 1 and
#      -P $(nproc), GNU parallel -k -j $(nproc), and GraphicsMagick's gm
#      mogrify; then the parallel ones again in interleaved rounds, since a
#      shared machine's speed drifts between hyperfine's blocks;
#   3. the whole driver with the no-op converter on growing directories.
# Two more keep their own harness: bench/scan_growth.cpp (the scan and the
# list, 1000 to 100000 names) and bench/containers_bench.cpp (Google
# Benchmark: the containers beside the standard library's).
# Before it is timed, every contender runs once and is checked: status 0,
# one JPEG per page, and, against the no-op converter, the same arguments
# in the same working directory for every file.
#
# usage: bench/run.sh [--smoke | --write-doc]
#   --smoke      tiny inputs, one timed run each; fails when anything breaks
#   --write-doc  also copies the results into docs/benchmarks.md
# Builds with the bench preset into build/bench; installs what it needs on
# Debian 12.
set -euo pipefail
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
need_packages cmake g++ make ghostscript graphicsmagick hyperfine libbenchmark-dev parallel time

case ${1:-} in
--smoke)
    files=20 pages=2 names=100,300 scan_sizes="100 300" rounds=1
    timing=(--runs 1 --style none)
    gbench=(--smoke --benchmark_min_time=0.002) ;;
'' | --write-doc)
    files=2000 pages=40 names=1000,10000 scan_sizes="1000 10000 100000" rounds=7
    timing=(--warmup 1 --runs "$rounds" --style basic)
    gbench=(--benchmark_min_time=0.2 --benchmark_repetitions="$rounds"
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true) ;;
*) echo "usage: $0 [--smoke | --write-doc]" >&2; exit 2 ;;
esac

(cd "$root" && cmake --workflow --preset bench >/dev/null)
build=$root/build/bench
morvel=$build/tool/morvel
noop=$build/bench/noop-gs
work=$(mktemp -d "${TMPDIR:-/tmp}/morvel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
results=$work/results
[ "${1:-}" = --smoke ] || results=$build/bench-results
rm -rf "$results"
mkdir -p "$results"

fail() {
    echo "bench: FAIL: $*" >&2
    exit 1
}

# The contenders as hyperfine runs them, through sh. The loop and find start
# the converter with the same arguments from its directory, as morvel does;
# find cannot cut ".ps" from a name, so its output name is NAME.ps.jpg.
# contender NAME GS_DIR PS_DIR: the command line.
contender() {
    case $1 in
    morvel) echo "'$morvel' '$2' '$3'" ;;
    morvel-j) echo "'$morvel' -j $jobs '$2' '$3'" ;;
    xargs-1 | xargs-j)
        local p=1
        [ "$1" = xargs-j ] && p=$jobs
        echo "cd '$2' && printf '%s\\0' '$3'/*.ps | xargs -0 -n 1 -P $p sh -c './gs -sDEVICE=jpeg \"-r120*120\" -o \"\${1%.ps}.jpg\" \"\$1\"' _" ;;
    parallel) echo "cd '$2' && parallel --will-cite -k -j $jobs ./gs -sDEVICE=jpeg \"'-r120*120'\" -o {.}.jpg {} ::: '$3'/*.ps" ;;
    loop) echo "cd '$2' && for f in '$3'/*.ps; do ./gs -sDEVICE=jpeg '-r120*120' -o \"\${f%.ps}.jpg\" \"\$f\" || exit 1; done" ;;
    find) echo "cd '$2' && find '$3' -maxdepth 1 -type f -name '*.ps' -exec ./gs -sDEVICE=jpeg '-r120*120' -o {}.jpg {} ';'" ;;
    gm) echo "gm mogrify -density 120 -format jpg '$3'/*.ps" ;;
    floor) echo "'$build/bench/bench_spawn_loop' '$2' '$3'" ;;
    morvel-u) echo "'$morvel' -u '$2' '$3'" ;;
    esac
}
jobs=$(nproc)
declare -A label=([morvel]=morvel [morvel-j]="morvel -j $jobs" [loop]='sh for loop'
    [find]='find -exec' [gm]='gm mogrify' [xargs-1]='xargs -P 1' [xargs-j]="xargs -P $jobs"
    [parallel]="parallel -k -j $jobs" [floor]='spawn and wait (bench/spawn_loop.cpp)'
    [morvel-u]='morvel -u')

# jpegs DIR: how many of its *.jpg files begin as a JPEG file does.
jpegs() {
    local f n=0
    for f in "$1"/*.jpg; do
        [ "$(head -c 3 "$f" 2>/dev/null | od -An -tx1)" = " ff d8 ff" ] && n=$((n + 1))
    done
    echo "$n"
}

# check CONTENDER GS_DIR PS_DIR N: one untimed run exits 0 and leaves N JPEG
# files.
check() {
    rm -f "$3"/*.jpg
    sh -c "$(contender "$1" "$2" "$3")" >/dev/null 2>"$work/stderr" ||
        { cat "$work/stderr" >&2; fail "${label[$1]} exits non-zero"; }
    [ "$(jpegs "$3")" = "$4" ] || fail "${label[$1]} does not leave one JPEG per file"
}

# commands GS_DIR PS_DIR CONTENDER...: hyperfine's name and command line for
# each contender, in cmds.
commands() {
    local gs_dir=$1 ps_dir=$2 c
    shift 2
    cmds=()
    for c in "$@"; do
        cmds+=(-n "${label[$c]}" "$(contender "$c" "$gs_dir" "$ps_dir")")
    done
}

# compare SECTION GS_DIR PS_DIR CONTENDER...: each contender side by side,
# every run starting without the JPEG files of the one before.
compare() {
    local section=$1
    shift
    commands "$@"
    hyperfine "${timing[@]}" --prepare "rm -f '$2'/*.jpg" \
        --export-markdown "$results/$section.md" --export-json "$results/$section.json" "${cmds[@]}"
}

# empty_files DIR N: DIR, made, with N empty .ps files.
empty_files() {
    mkdir "$1"
    (cd "$1" && seq -f 'page-%06g.ps' 1 "$2" | xargs touch)
}

echo "== 1. driver overhead: $files files, the no-op converter"
empty_files "$work/empty" "$files"
for c in morvel morvel-j loop find floor; do
    rm -f "$work/calls"
    NOOP_GS_LOG=$work/calls check "$c" "$noop" "$work/empty" "$files"
    sed 's/\.ps\.jpg|/.jpg|/' "$work/calls" | sort >"$work/calls.$c"
    cmp -s "$work/calls.morvel" "$work/calls.$c" ||
        fail "${label[$c]} and morvel start the converter differently"
done
compare overhead "$noop" "$work/empty" floor morvel morvel-j loop find
# The usual rerun: every image there already; -u finds them all up to date.
commands "$noop" "$work/empty" floor morvel morvel-u
hyperfine "${timing[@]}" --export-markdown "$results/rerun.md" "${cmds[@]}"

echo "== 2. real Ghostscript: $pages one-page files"
gs_dir=$(dirname "$(command -v gs)")
mkdir "$work/pages"
for ((i = 1; i <= pages; i++)); do
    sed "s/@N@/$i/g" "$root/bench/page.ps" >"$(printf '%s/page-%03d.ps' "$work/pages" "$i")"
done
page_contenders=(morvel morvel-j loop xargs-1 xargs-j parallel gm)
for c in "${page_contenders[@]}"; do
    check "$c" "$gs_dir" "$work/pages" "$pages"
done
compare ghostscript "$gs_dir" "$work/pages" "${page_contenders[@]}"

# The same contenders once each per round, round after round, so that a
# drift of the machine's speed falls on all of them alike; the median of the
# rounds for each.
echo "== 2b. real Ghostscript, $rounds interleaved rounds"
interleaved=(morvel-j xargs-j parallel morvel xargs-1)
commands "$gs_dir" "$work/pages" "${interleaved[@]}"
for ((r = 1; r <= rounds; r++)); do
    hyperfine --runs 1 --style none --prepare "rm -f '$work/pages'/*.jpg" \
        --export-json "$work/round-$r.json" "${cmds[@]}" >/dev/null
done
# hyperfine's JSON, one result per command: its name, then its times.
awk '/"command":/ { sub(/.*"command": "/, ""); sub(/",?$/, ""); name = $0 }
     /"mean":/ { sub(/.*"mean": /, ""); sub(/,$/, ""); t[name] = t[name] " " $0 }
     END { for (n in t) print n "\t" t[n] }' "$work"/round-*.json |
    while IFS=$'\t' read -r name times; do
        median=$(printf '%s\n' $times | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
        printf '%s\t%s\n' "$name" "$median"
    done >"$work/interleaved.tsv"
{
    best=$(awk -F'\t' -v a="${label[xargs-j]}" -v b="${label[parallel]}" '$1 == a || $1 == b { if (m == "" || $2 < m) m = $2 } END { print m }' "$work/interleaved.tsv")
    echo "| command | median [s] | ÷ fastest of xargs -P $jobs and parallel |"
    echo "|---|---:|---:|"
    for c in "${interleaved[@]}"; do
        awk -F'\t' -v n="${label[$c]}" -v best="$best" '$1 == n { printf "| `%s` | %.3f | %.2f |\n", n, $2, $2 / best }' "$work/interleaved.tsv"
    done
} >"$results/interleaved.md"
[ "$(wc -l <"$results/interleaved.md")" -eq $((${#interleaved[@]} + 2)) ] || fail "interleaved rounds"

echo "== 3. growth: the whole driver on $names names, the scan on $scan_sizes"
scan_args=()
for n in ${names//,/ } $scan_sizes; do
    [ -d "$work/names-$n" ] || empty_files "$work/names-$n" "$n"
done
for n in $scan_sizes; do
    scan_args+=("$work/names-$n" "$n")
done
# The scan first: the driver's JPEG files would add entries to read.
"$build/bench/bench_scan_growth" "$rounds" "${scan_args[@]}" >"$results/scan-growth.md" || fail "the scan"
hyperfine "${timing[@]}" -L n "$names" --prepare "rm -f '$work'/names-{n}/*.jpg" \
    --export-markdown "$results/driver-growth.md" -n 'morvel, {n} names' "'$morvel' '$noop' '$work/names-{n}'"

# The largest directory, first run and then -u with everything up to date:
# time and peak memory.
big=${scan_sizes##* }
find "$work/names-$big" -name '*.jpg' -delete
{
    echo "| run | files | seconds | peak memory [MiB] |"
    echo "|---|---:|---:|---:|"
    for run in morvel morvel-u; do
        /usr/bin/time -f '%e %M' -o "$work/big" sh -c "$(contender "$run" "$noop" "$work/names-$big")" \
            >/dev/null || fail "${label[$run]} on $big files"
        read -r secs kb <"$work/big"
        echo "| \`${label[$run]}\` | $big | $secs | $((kb / 1024)) |"
    done
} >"$results/big-run.md"

echo "== 4. containers (Google Benchmark)"
"$build/bench/bench_containers" "${gbench[@]}" --benchmark_format=csv >"$results/containers.csv" \
    2>"$work/containers.err" || { cat "$work/containers.err" >&2; fail "the container benchmarks"; }
# One row per case and size: the median of ours and of the standard
# library's, per element. Names are "<case>:<implementation>/<n>".
{
    echo "| case | n | ours | ns per element | std | ns per element | ours ÷ std |"
    echo "|---|---:|---|---:|---|---:|---:|"
    awk -F, 'NR > 1 && $1 ~ /^"/ {
            name = $1; gsub(/"/, "", name)
            if (name ~ /_(mean|stddev|cv)$/) next
            sub(/_median$/, "", name)
            c = index(name, ":"); match(name, /\/[0-9]+$/)
            n = substr(name, RSTART + 1); key = substr(name, 1, c - 1) " | " n
            impl = substr(name, c + 1, RSTART - c - 1); ns = $3 / n
            if (impl ~ /^std::/) { std[key] = impl " | " sprintf("%.2f", ns); s[key] = ns }
            else { ours[key] = impl " | " sprintf("%.2f", ns); o[key] = ns; order[++k] = key }
        }
        END {
            for (i = 1; i <= k; i++) printf "| %s | %s | %s | %.2f |\n", order[i], ours[order[i]], std[order[i]], o[order[i]] / s[order[i]]
        }' "$results/containers.csv" | sort -t "|" -k2,2 -k3,3n
} >"$results/containers.md"
[ "$(wc -l <"$results/containers.md")" -gt 2 ] || fail "no container results"

machine="$(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), Debian $(cat /etc/debian_version)"
tools="$(hyperfine --version), Ghostscript $(gs --version), $(gm version | head -n 1 | cut -d' ' -f1-2)"
cat >"$results/report.md" <<EOF
Measured $(date -u '+%Y-%m-%d %H:%M UTC') with \`bench/run.sh\`: $machine; $tools.
Load average before the report: $(cut -d' ' -f1-3 /proc/loadavg).

### 1. Driver overhead ($files files, the no-op converter)

$(cat "$results/overhead.md")

The rerun, every image there already:

$(cat "$results/rerun.md")

### 2. Real Ghostscript ($pages one-page files)

$(cat "$results/ghostscript.md")

Interleaved: $rounds rounds, each command once per round, the median of each:

$(cat "$results/interleaved.md")

### 3. Growth

The whole driver with the no-op converter:

$(cat "$results/driver-growth.md")

The scan and the list (\`bench/scan_growth.cpp\`, median of $rounds):

$(cat "$results/scan-growth.md")

The largest directory, first run and then \`-u\` with everything up to date
(\`/usr/bin/time\`: elapsed seconds, peak resident memory):

$(cat "$results/big-run.md")

### 4. Containers (Google Benchmark, median of $rounds repetitions)

$(cat "$results/containers.md")
EOF
cat "$results/report.md"

if [ "${1:-}" = --write-doc ]; then
    doc=$root/docs/benchmarks.md
    sed -i -e '/^<!-- results:begin -->/,/^<!-- results:end -->/{//!d}' \
        -e "/^<!-- results:begin -->/r $results/report.md" "$doc"
    echo "== wrote $doc"
fi
if [ "${1:-}" = --smoke ]; then
    echo "== benchmark smoke run passed"
else
    echo "== results in $results"
fi
