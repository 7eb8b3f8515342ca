#!/usr/bin/env bash
# Benchmarks of morvel against what a user would run instead, on inputs
# generated in a temporary directory:
#   1. driver overhead: 2000 files, a no-op converter; morvel, a sh `for`
#      loop and `find -exec` running the same stand-in;
#   2. real Ghostscript: 40 one-page files; morvel, the same loop calling gs,
#      and ImageMagick's mogrify;
#   3. growth: the scan and the list for 1000, 10000, 100000 names, and the
#      driver end to end with the no-op converter, with memory per entry;
#   4. the containers beside their standard-library equivalents.
# Contenders run side by side, interleaved round by round, and are compared
# as ratios of medians: the machine is shared and noisy.
#
# usage: bench/run.sh [--smoke] [--rounds N] [--write-doc] [--no-build] [--build-dir DIR]
#   --smoke      tiny inputs, one round; fails when anything breaks (CI)
#   --rounds N   rounds per benchmark (default 7)
#   --write-doc  put the results into docs/benchmarks.md and the growth plot
#                into docs/benchmarks-growth.png
#   --no-build   use the binaries already built in the build directory
#   --build-dir  where to build (default build/bench)
# Installs what it needs on Debian 12 with apt-get.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"

smoke=0
rounds=7
write_doc=0
build=1
build_dir="$root/build/bench"
while [ $# -gt 0 ]; do
    case "$1" in
    --smoke) smoke=1 ;;
    --rounds) rounds=$2; shift ;;
    --write-doc) write_doc=1 ;;
    --no-build) build=0 ;;
    --build-dir) build_dir=$2; shift ;;
    *) echo "usage: $0 [--smoke] [--rounds N] [--write-doc] [--no-build] [--build-dir DIR]" >&2; exit 2 ;;
    esac
    shift
done
if [ "$smoke" = 1 ]; then
    rounds=1
    driver_files=20
    gs_files=2
    growth_sizes="100 1000"
    driver_growth_sizes="100"
else
    driver_files=2000
    gs_files=40
    growth_sizes="1000 10000 100000"
    driver_growth_sizes="1000 10000"
fi

need_packages cmake g++ make ghostscript imagemagick libbenchmark-dev gnuplot-nox time strace

if [ "$build" = 1 ]; then
    echo "== building (Release) in $build_dir"
    cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DMORVEL_BUILD_BENCH=ON \
        -DMORVEL_BUILD_TESTS=OFF -DMORVEL_WERROR=ON >/dev/null
    cmake --build "$build_dir" -j2 --target morvel bench_noop_gs bench_scan_growth bench_containers >/dev/null
fi
morvel="$build_dir/tool/morvel"
noop_dir="$build_dir/bench/noop-gs"
scan_growth="$build_dir/bench/bench_scan_growth"
containers="$build_dir/bench/bench_containers"
for f in "$morvel" "$noop_dir/gs" "$scan_growth" "$containers"; do
    [ -x "$f" ] || { echo "missing $f (build first)" >&2; exit 1; }
done
real_gs_dir=$(dirname "$(command -v gs)")

work=$(mktemp -d "${TMPDIR:-/tmp}/morvel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ "$smoke" = 1 ]; then
    results="$work/results"
else
    results="$build_dir/bench-results"
fi
rm -rf "$results"
mkdir -p "$results"
samples="$results/samples.tsv" # bench, contender, round, seconds
: >"$samples"

# Round 0 warms the caches and is not counted; a smoke run has no time for it.
first_round=$((smoke == 1 ? 1 : 0))

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# ---- helpers ---------------------------------------------------------------

# timed BENCH CONTENDER ROUND CMD...: runs CMD with stdout and stderr into
# files of the work directory, fails the run unless it exits 0, and records
# its wall time. EPOCHREALTIME costs no process.
timed() {
    local bench=$1 contender=$2 round=$3
    shift 3
    local t0 t1 rc=0
    t0=$EPOCHREALTIME
    "$@" >"$work/out" 2>"$work/err" || rc=$?
    t1=$EPOCHREALTIME
    if [ "$rc" != 0 ]; then
        cat "$work/err" >&2
        fail "$bench/$contender exited with status $rc"
    fi
    printf '%s\t%s\t%s\t%s\n' "$bench" "$contender" "$round" \
        "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')" >>"$samples"
}

# median_of: the median of the numbers on standard input, one a line.
median_of() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "nan"; exit 1 }
        if (NR % 2) printf "%.6f\n", v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# median BENCH CONTENDER: the median of the recorded seconds.
median() {
    awk -F'\t' -v b="$1" -v c="$2" '$1 == b && $2 == c && $3 != 0 { print $4 }' "$samples" | median_of
}

# paired BENCH A B: the median over the rounds of A's time divided by B's in
# the same round; rounds share the machine's load, so this is the steadier
# ratio when the load drifts.
paired() {
    awk -F'\t' -v b="$1" -v x="$2" -v y="$3" '$1 == b && $3 != 0 {
            if ($2 == x) t[$3] = $4; if ($2 == y) u[$3] = $4 }
        END { for (r in t) if (r in u) print t[r] / u[r] }' "$samples" | median_of
}

# spread BENCH CONTENDER: "min-max" of the recorded seconds.
spread() {
    awk -F'\t' -v b="$1" -v c="$2" '$1 == b && $2 == c && $3 != 0 { print $4 }' "$samples" | sort -g |
        awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.3f-%.3f", lo, hi }'
}

calc() {
    awk "BEGIN { printf \"$1\n\", $2 }"
}

# rotate N ITEM...: the items, starting at item N mod count; each round
# starts with another contender so none always runs first.
rotate() {
    local n=$1
    shift
    local items=("$@") i
    for ((i = 0; i < ${#items[@]}; i++)); do
        printf '%s\n' "${items[$(((i + n) % ${#items[@]}))]}"
    done
}

# The loop a user writes: the same converter, the same arguments, started
# from the converter's directory as morvel starts it. '-r120*120' is quoted
# so that the shell does not expand it.
# shellcheck disable=SC2016 # expanded by the sh that runs it
loop_script='cd "$1" && for f in "$2"/*.ps; do ./gs -sDEVICE=jpeg "-r120*120" -o "${f%.ps}.jpg" "$f" || exit 1; done'
shell_loop() { # GS_DIR PS_DIR
    sh -c "$loop_script" sh "$1" "$2"
}

# find cannot cut ".ps" from a name, so its output name is NAME.ps.jpg; the
# converter is started the same way otherwise.
# shellcheck disable=SC2016
find_script='cd "$1" && exec find "$2" -maxdepth 1 -type f -name "*.ps" -exec ./gs -sDEVICE=jpeg "-r120*120" -o "{}.jpg" "{}" ";"'
find_exec() { # GS_DIR PS_DIR
    sh -c "$find_script" sh "$1" "$2"
}

run_morvel() { # GS_DIR PS_DIR
    "$morvel" "$1" "$2"
}

# conversions FILE: the progress lines morvel wrote there. The echoed command
# has no line break, so the next progress line starts right after it.
conversions() {
    grep -o 'Converting [^ ]*\.ps to [^ ]*\.jpg \.\.\.' "$1" | wc -l
}

# make_ps DIR COUNT: one-page PostScript files with a few shapes and text.
make_ps() {
    local dir=$1 count=$2 i
    mkdir -p "$dir"
    for ((i = 1; i <= count; i++)); do
        local r g b
        r=$(calc '%.2f' "($i * 37 % 100) / 100")
        g=$(calc '%.2f' "($i * 61 % 100) / 100")
        b=$(calc '%.2f' "($i * 83 % 100) / 100")
        cat >"$(printf '%s/page-%03d.ps' "$dir" "$i")" <<EOF
%!PS-Adobe-3.0
%%BoundingBox: 0 0 612 792
%%Pages: 1
%%Page: 1 1
$r $g $b setrgbcolor
$((40 + i % 50)) 520 240 180 rectfill
0 0 0 setrgbcolor 3 setlinewidth
newpath 420 $((300 + i % 80)) $((60 + i % 40)) 0 360 arc stroke
newpath 80 120 moveto 300 $((200 + i)) lineto 520 120 lineto closepath
$b $r $g setrgbcolor fill
0 0 0 setrgbcolor
/Helvetica-Bold findfont 28 scalefont setfont
72 730 moveto (Benchmark page $i) show
/Times-Roman findfont 14 scalefont setfont
72 700 moveto (A few shapes and a line of text, rendered at 120 dpi.) show
72 90 moveto (The quick brown fox jumps over the lazy dog, $i times.) show
showpage
%%EOF
EOF
    done
}

# make_empty_ps DIR COUNT: COUNT small files named page-NNNNNN.ps.
make_empty_ps() {
    mkdir -p "$1"
    (cd "$1" && seq -f 'page-%06g.ps' 1 "$2" | xargs touch)
}

# count_jpegs DIR: how many *.jpg files there are that begin as JPEG does.
count_jpegs() {
    local n=0 f
    for f in "$1"/*.jpg; do
        [ -e "$f" ] || continue
        [ "$(head -c 3 "$f" | od -An -tx1 | tr -d ' \n')" = ffd8ff ] && n=$((n + 1))
    done
    echo "$n"
}

# ---- ImageMagick's PostScript policy ---------------------------------------

# Debian's ImageMagick refuses PostScript by policy. The run gets a policy
# file of its own through MAGICK_CONFIGURE_PATH. Where the system file still
# wins (ImageMagick 6 applies the last matching rule, and reads the system
# file after ours), mogrify runs in a private mount namespace in which our
# file stands in for the system's: the system file is never changed.
policy_dir="$work/magick"
mkdir -p "$policy_dir"
cat >"$policy_dir/policy.xml" <<'EOF'
<policymap>
  <policy domain="coder" rights="read|write" pattern="{PS,PS2,PS3,EPS}" />
</policymap>
EOF
system_policy=$(find /etc -maxdepth 2 -path '/etc/ImageMagick-*/policy.xml' 2>/dev/null | head -n 1 || true)
mogrify_mode="env"
run_mogrify() { # PS_DIR
    if [ "$mogrify_mode" = env ]; then
        MAGICK_CONFIGURE_PATH="$policy_dir" mogrify -density 120 -format jpg "$1"/*.ps
    else
        MAGICK_CONFIGURE_PATH="$policy_dir" unshare --mount sh -c \
            'mount --bind "$1" "$2" && shift 2 && exec mogrify -density 120 -format jpg "$@"' \
            sh "$policy_dir/policy.xml" "$system_policy" "$1"/*.ps
    fi
}
probe="$work/probe"
make_ps "$probe" 1
if ! run_mogrify "$probe" >/dev/null 2>&1 || [ "$(count_jpegs "$probe")" != 1 ]; then
    mogrify_mode=namespace
    [ -n "$system_policy" ] || fail "mogrify refuses PostScript and no system policy file was found"
    run_mogrify "$probe" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; fail "mogrify cannot read PostScript even with our policy"; }
    [ "$(count_jpegs "$probe")" = 1 ] || fail "mogrify wrote no JPEG"
fi
echo "== mogrify reads PostScript through our policy ($mogrify_mode)"

# ---- 1. driver overhead ----------------------------------------------------

echo "== 1. driver overhead: $driver_files files, no-op converter, $rounds round(s)"
overhead_dir="$work/overhead"
make_empty_ps "$overhead_dir" "$driver_files"

if [ "$smoke" = 1 ]; then
    # The three contenders must start the converter with the same arguments:
    # a recording stand-in logs them once for each.
    rec_dir="$work/recording-gs"
    mkdir -p "$rec_dir"
    printf '#!/bin/sh\nprintf "%%s|" "$PWD" "$@" >>"%s"\necho >>"%s"\n' "$work/rec.log" "$work/rec.log" >"$rec_dir/gs"
    chmod +x "$rec_dir/gs"
    for c in run_morvel shell_loop find_exec; do
        : >"$work/rec.log"
        "$c" "$rec_dir" "$overhead_dir" >/dev/null || fail "$c with the recording converter"
        sed 's/\.ps\.jpg|/.jpg|/' "$work/rec.log" | sort >"$work/rec.$c"
    done
    [ "$(wc -l <"$work/rec.run_morvel")" = "$driver_files" ] || fail "morvel did not run the converter once per file"
    cmp -s "$work/rec.run_morvel" "$work/rec.shell_loop" || fail "the loop and morvel pass different arguments"
    cmp -s "$work/rec.run_morvel" "$work/rec.find_exec" || fail "find -exec and morvel pass different arguments (beyond the .ps.jpg name)"
fi

for ((round = first_round; round <= rounds; round++)); do
    while read -r c; do
        timed overhead "$c" "$round" "$c" "$noop_dir" "$overhead_dir"
        if [ "$c" = run_morvel ]; then
            n=$(conversions "$work/out")
            [ "$n" = "$driver_files" ] || fail "morvel reported $n conversions, not $driver_files"
        fi
    done < <(rotate "$round" run_morvel shell_loop find_exec)
done

# What each contender asks of the kernel per file, counted once (untimed:
# strace slows everything down) on at most 200 of the files.
strace_dir="$work/strace"
strace_files=$((driver_files < 200 ? driver_files : 200))
make_empty_ps "$strace_dir" "$strace_files"
for c in run_morvel shell_loop find_exec; do
    case $c in
    run_morvel) cmd=("$morvel" "$noop_dir" "$strace_dir") ;;
    shell_loop) cmd=(sh -c "$loop_script" sh "$noop_dir" "$strace_dir") ;;
    find_exec) cmd=(sh -c "$find_script" sh "$noop_dir" "$strace_dir") ;;
    esac
    strace -f -c -o "$work/strace.$c" "${cmd[@]}" >/dev/null 2>&1 || fail "$c under strace"
    # strace -c columns: % time, seconds, usecs/call, calls, [errors,] name.
    awk -v n="$strace_files" -v c="$c" '
        $1 ~ /^[0-9.]+$/ { calls[$NF] = $4 }
        END { printf "%s\t%.1f\t%.1f\n", c, calls["total"] / n, calls["rt_sigaction"] / n }' "$work/strace.$c" >>"$results/syscalls.tsv"
done

# ---- 2. real Ghostscript ---------------------------------------------------

echo "== 2. real Ghostscript: $gs_files files, $rounds round(s)"
gs_dir="$work/pages"
make_ps "$gs_dir" "$gs_files"
for ((round = first_round; round <= rounds; round++)); do
    while read -r c; do
        rm -f "$gs_dir"/*.jpg
        case "$c" in
        run_mogrify) timed ghostscript "$c" "$round" run_mogrify "$gs_dir" ;;
        *) timed ghostscript "$c" "$round" "$c" "$real_gs_dir" "$gs_dir" ;;
        esac
        n=$(count_jpegs "$gs_dir")
        [ "$n" = "$gs_files" ] || fail "$c wrote $n JPEG files, not $gs_files"
    done < <(rotate "$round" run_morvel shell_loop run_mogrify)
done
cp "$gs_dir/page-001.jpg" "$results/page-001.jpg"

# ---- 3. growth -------------------------------------------------------------

echo "== 3. growth: $growth_sizes names, $rounds round(s)"
growth="$results/growth.tsv" # names, round, scan_ns, read_ns, free_ns, heap/entry, rss/entry, raw_ns
: >"$growth"
for n in $growth_sizes; do
    make_empty_ps "$work/growth-$n" "$n"
done
for ((round = first_round; round <= rounds; round++)); do
    for n in $growth_sizes; do
        line=$("$scan_growth" "$work/growth-$n" "$n") || fail "scan of $n names"
        echo "$line" | awk -v r="$round" '{
            for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
            printf "%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", v["names"], r, v["scan_ns"], v["read_ns"], v["free_ns"],
                v["heap_per_entry"], v["rss_per_entry"], v["raw_ns"] }' >>"$growth"
    done
    # The whole driver with the no-op converter, and its peak memory.
    for n in $driver_growth_sizes; do
        timed "driver-$n" morvel "$round" /usr/bin/time -f '%M' -o "$work/rss" \
            "$morvel" "$noop_dir" "$work/growth-$n"
        n_done=$(conversions "$work/out")
        [ "$n_done" = "$n" ] || fail "morvel converted $n_done of $n names"
        printf '%s\t%s\t%s\n' "$n" "$round" "$(cat "$work/rss")" >>"$results/driver-rss.tsv"
    done
done

# gmedian COLUMN NAMES: median of a growth column for one size.
gmedian() {
    awk -F'\t' -v n="$2" -v c="$1" '$1 == n && $2 != 0 { print $c }' "$growth" | median_of
}
rss_median() {
    awk -F'\t' -v n="$1" '$1 == n && $2 != 0 { print $3 }' "$results/driver-rss.tsv" | median_of
}

plot_data="$results/growth-medians.dat"
echo "# names scan_ns_per_name read_ns_per_name free_ns_per_name total_ns_per_name heap_bytes_per_entry raw_ns_per_name" >"$plot_data"
for n in $growth_sizes; do
    s=$(gmedian 3 "$n")
    r=$(gmedian 4 "$n")
    f=$(gmedian 5 "$n")
    h=$(gmedian 6 "$n")
    w=$(gmedian 8 "$n")
    printf '%s %s %s %s %s %s %s\n' "$n" "$(calc '%.1f' "$s / $n")" "$(calc '%.2f' "$r / $n")" \
        "$(calc '%.2f' "$f / $n")" "$(calc '%.1f' "($s + $r + $f) / $n")" "$(calc '%.1f' "$h")" \
        "$(calc '%.1f' "$w / $n")" >>"$plot_data"
done

# ---- 4. containers ---------------------------------------------------------

echo "== 4. containers (Google Benchmark)"
if [ "$smoke" = 1 ]; then
    gb_flags=(--smoke --benchmark_min_time=0.002 --benchmark_repetitions=1)
else
    gb_flags=(--benchmark_min_time=0.2 --benchmark_repetitions="$rounds"
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true)
fi
"$containers" "${gb_flags[@]}" --benchmark_format=csv >"$results/containers.csv" 2>"$work/err" ||
    { cat "$work/err" >&2; fail "container benchmarks"; }
# name,iterations,real_time,cpu_time,time_unit,... -> case, impl, n, stat, ns
awk -F',' 'NR > 1 && $1 ~ /^"/ {
    name = $1; gsub(/"/, "", name)
    stat = "median"
    if (match(name, /_(mean|median|stddev|cv)$/)) { stat = substr(name, RSTART + 1); name = substr(name, 1, RSTART - 1) }
    split(name, parts, ":"); rest = substr(name, length(parts[1]) + 2)
    slash = match(rest, /\/[0-9]+$/)
    impl = substr(rest, 1, RSTART - 1); n = substr(rest, RSTART + 1)
    if (stat == "median") printf "%s\t%s\t%s\t%s\n", parts[1], impl, n, $3
}' "$results/containers.csv" >"$results/containers-medians.tsv"
[ -s "$results/containers-medians.tsv" ] || fail "no container results"
if grep -q ',true,' "$results/containers.csv"; then
    fail "a container benchmark reported an error"
fi

# ---- report ----------------------------------------------------------------

verdict() { # CONDITION-EXPR
    if awk "BEGIN { exit !($1) }"; then echo met; else echo "NOT met"; fi
}

report="$results/report.md"
{
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') with \`bench/run.sh --rounds $rounds\`."
    echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)," \
        "$(free -g | awk '/^Mem:/ { print $2 }') GiB memory, Debian $(cat /etc/debian_version)," \
        "Linux $(uname -r); $(g++ --version | head -n 1);" \
        "Ghostscript $(gs --version); $(mogrify -version | head -n 1 | sed 's/^Version: //; s/ http.*//');" \
        "Google Benchmark $(dpkg-query -W -f='${Version}' libbenchmark-dev 2>/dev/null || echo '?')."
    echo "Load average before the report: $(cut -d' ' -f1-3 /proc/loadavg) (shared machine)."
    echo

    mo=$(median overhead run_morvel)
    lo=$(median overhead shell_loop)
    echo "### 1. Driver overhead ($driver_files files, no-op converter, median of $rounds)"
    echo
    echo "| contender | median s | range s | files/s | µs per file | morvel ÷ it, medians | morvel ÷ it, per round |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
    for c in run_morvel shell_loop find_exec; do
        m=$(median overhead "$c")
        label=$c
        case $c in
        run_morvel) label='`morvel`' ;;
        shell_loop) label='`sh` for loop' ;;
        find_exec) label='`find -exec`' ;;
        esac
        echo "| $label | $(calc '%.3f' "$m") | $(spread overhead "$c") | $(calc '%.0f' "$driver_files / $m") |" \
            "$(calc '%.0f' "$m * 1e6 / $driver_files") | $(calc '%.3f' "$mo / $m") | $(calc '%.3f' "$(paired overhead run_morvel "$c")") |"
    done
    echo
    echo "Goal, morvel's time per file at most the loop's: $(verdict "$mo <= $lo") (ratio $(calc '%.3f' "$mo / $lo"))."
    echo
    echo "System calls per file, counted once with \`strace -f -c\` on $strace_files files (all processes, the converter's included):"
    echo
    echo "| contender | system calls per file | of them rt_sigaction |"
    echo "|---|---:|---:|"
    while IFS=$'\t' read -r c total sig; do
        case $c in
        run_morvel) label='`morvel`' ;;
        shell_loop) label='`sh` for loop' ;;
        find_exec) label='`find -exec`' ;;
        esac
        echo "| $label | $total | $sig |"
    done <"$results/syscalls.tsv"
    echo

    mg=$(median ghostscript run_morvel)
    lg=$(median ghostscript shell_loop)
    ig=$(median ghostscript run_mogrify)
    echo "### 2. Real Ghostscript ($gs_files one-page files, median of $rounds)"
    echo
    echo "| contender | median s | range s | files/s | morvel ÷ it, medians | morvel ÷ it, per round |"
    echo "|---|---:|---:|---:|---:|---:|"
    for c in run_morvel shell_loop run_mogrify; do
        m=$(median ghostscript "$c")
        case $c in
        run_morvel) label='`morvel`' ;;
        shell_loop) label='`sh` for loop calling `gs`' ;;
        run_mogrify) label='`mogrify -density 120 -format jpg`' ;;
        esac
        echo "| $label | $(calc '%.3f' "$m") | $(spread ghostscript "$c") | $(calc '%.1f' "$gs_files / $m") | $(calc '%.3f' "$mg / $m") | $(calc '%.3f' "$(paired ghostscript run_morvel "$c")") |"
    done
    echo
    echo "Goals: within 2% of the loop: $(verdict "$mg <= 1.02 * $lg") (ratio $(calc '%.3f' "$mg / $lg"));" \
        "faster than mogrify: $(verdict "$mg < $ig") (ratio $(calc '%.3f' "$mg / $ig"))."
    echo

    echo "### 3. Growth: scan and list (median of $rounds)"
    echo
    echo "| names | scan ns/name | read ns/name | delete ns/name | total ns/name | total ÷ smallest | readdir + fstatat ns/name | scan ÷ readdir + fstatat | heap bytes/entry |"
    echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    first_total=""
    while read -r n s r f t h w; do
        [ "$n" = "#" ] && continue
        [ -n "$first_total" ] || first_total=$t
        echo "| $n | $s | $r | $f | $t | $(calc '%.2f' "$t / $first_total") | $w | $(calc '%.2f' "$s / $w") | $h |"
        last_total=$t
    done <"$plot_data"
    echo
    echo "Cost per name, largest ÷ smallest directory: $(calc '%.2f' "$last_total / $first_total")" \
        "for $(calc '%.0f' "$(echo "$growth_sizes" | awk '{ print $NF / $1 }')") times the names" \
        "(linear growth keeps it near 1; a quadratic step would multiply it by the same factor)."
    echo
    echo "Whole driver with the no-op converter:"
    echo
    echo "| names | median s | µs per file | peak RSS KiB |"
    echo "|---:|---:|---:|---:|"
    for n in $driver_growth_sizes; do
        m=$(median "driver-$n" morvel)
        echo "| $n | $(calc '%.3f' "$m") | $(calc '%.0f' "$m * 1e6 / $n") | $(calc '%.0f' "$(rss_median "$n")") |"
    done
    set -- $driver_growth_sizes
    if [ $# -ge 2 ]; then
        echo
        echo "Peak RSS per added entry, $1 to $2 names: $(calc '%.0f' "($(rss_median "$2") - $(rss_median "$1")) * 1024 / ($2 - $1)") bytes."
    fi
    echo

    echo "### 4. Containers (Google Benchmark, median of $rounds repetitions)"
    echo
    echo "| case | n | ours | ns per element | std | ns per element | ours ÷ std |"
    echo "|---|---:|---|---:|---|---:|---:|"
    sort -t "$(printf '\t')" -k1,1 -k3,3n "$results/containers-medians.tsv" | awk -F'\t' '
        $2 ~ /^std::/ { std[$1 "\t" $3] = $2 "\t" $4; next }
        { key = $1 "\t" $3; ours[key] = $2 "\t" $4; if (!(key in seen)) { seen[key] = 1; order[++k] = key } }
        END {
            for (i = 1; i <= k; i++) {
                key = order[i]; split(key, a, "\t"); split(ours[key], o, "\t"); split(std[key], s, "\t")
                if (s[2] == "") continue
                printf "| %s | %s | %s | %.2f | %s | %.2f | %.2f |\n", a[1], a[2], o[1], o[2] / a[2], s[1], s[2] / a[2], o[2] / s[2]
            }
        }'
} >"$report"

# ---- plot ------------------------------------------------------------------

gnuplot <<EOF
set terminal pngcairo size 900,520 font "DejaVu Sans,11"
set output "$results/growth.png"
set title "morvel: directory scan and file list, cost per name (median of $rounds)"
set logscale x
set xlabel "names in the directory"
set ylabel "ns per name"
set y2label "heap bytes per entry"
set yrange [0:*]
set y2range [0:*]
set ytics nomirror
set y2tics
set xtics ($(echo $growth_sizes | sed 's/\([0-9]*\)/"\1" \1/g; s/ "/, "/g'))
set key bottom right box opaque
set grid ytics
set xrange [$(echo "$growth_sizes" | awk '{ print $1 / 2 ":" $NF * 2 }')]
plot "$plot_data" using 1:5 with linespoints lw 2 pt 7 title "scan + read + delete", \
     "$plot_data" using 1:2 with linespoints lw 2 pt 5 title "scan alone", \
     "$plot_data" using 1:7 with linespoints lw 2 pt 13 title "readdir + fstatat alone (the system's share)", \
     "$plot_data" using 1:6 axes x1y2 with linespoints lw 2 pt 9 dt 2 title "heap bytes per entry (right)"
EOF
[ -s "$results/growth.png" ] || fail "no growth plot"

cat "$report"

if [ "$write_doc" = 1 ]; then
    doc="$root/docs/benchmarks.md"
    grep -q '^<!-- results:begin -->' "$doc" || fail "$doc has no results markers"
    awk -v rep="$report" '
        /^<!-- results:begin -->/ { print; while ((getline l < rep) > 0) print l; skip = 1; next }
        /^<!-- results:end -->/ { skip = 0 }
        !skip { print }' "$doc" >"$work/doc"
    cp "$work/doc" "$doc"
    cp "$results/growth.png" "$root/docs/benchmarks-growth.png"
    echo "== wrote $doc and docs/benchmarks-growth.png"
fi

if [ "$smoke" = 1 ]; then
    echo "== benchmark smoke run passed"
else
    echo "== results in $results"
fi
