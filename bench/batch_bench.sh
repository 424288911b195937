#!/bin/sh
# Speed and memory of a run that converts many files. Generates, once, a year
# of small hourly MDR collectives (8,760 files of about 20 station reports
# each, 2023) and converts them all with one command, next to a shell loop of
# one run per file over the same files. Prints the wall time of each (the
# median of RUNS runs of the one command, one run of the loop) and the
# average per file, and the peak memory of the one command next to that of a
# run of one file. Ends with status 1 when the one command takes more than
# 3 ms a file on average, or its peak memory exceeds that of one file by
# more than 5 %.
#
# BENCH_DIR (default /tmp/dirida-batch-bench) holds the files (about 60 MB
# with the converted ones); RUNS (default 3) sets the runs of the command.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target dirida >/dev/null

work=${BENCH_DIR:-/tmp/dirida-batch-bench}
runs=${RUNS:-3}
export vekdefault="$work" # no defaults file of the machine
mkdir -p "$work/raw" "$work/out"

# The collectives, one a file: the hour's reports of 20 stations of the
# station file taken in turn, at minutes 20 to 40, with echo digits.
if [ "$(find "$work/raw" -name '*_rad.txt' | wc -l)" -ne 8760 ]; then
    echo "generating 8760 hourly collectives..." >&2
    awk -v dir="$work/raw" '
        NF >= 10 { id[n++] = $4 }
        END {
            split("31 28 31 30 31 30 31 31 30 31 30 31", days, " ")
            k = 0
            for (m = 1; m <= 12; ++m) for (d = 1; d <= days[m]; ++d) for (h = 0; h < 24; ++h) {
                f = sprintf("%s/23%02d%02d%02d_rad.txt", dir, m, d, h)
                printf "ZCZC RDC001\nSDUS41 KWBC %02d%02d35\nMANUALLY DIGITIZED RADAR REPORTS\n",
                       d, h > f
                for (r = 0; r < 20; ++r) {
                    s = id[k++ % n]
                    printf "%s %02d%02d AREA %dTRW+/+ 250/60 290/95 35W C2520 MT 450 AT 275/80\n",
                           s, h, 20 + (k % 21), 1 + k % 9 > f
                    printf "^LL%d LM%d%d MM%d=\n", 1 + k % 6, 1 + k % 5, 2 + k % 4, 1 + k % 3 > f
                }
                print "NNNN" > f
                close(f)
            }
        }' data/rad.cty
fi
(cd "$work/raw" && ls | sed -n 's/_rad\.txt$//p') >"$work/names"

seconds() { # the wall time of a command, in seconds
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    echo "$(((t1 - t0) / 1000000))" | awk '{ printf "%.3f\n", $1 / 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

dirida="build-bench/dirida -ba -me none -pf over -fp data -dp $work/raw -cp $work/out"
# shellcheck disable=SC2046,SC2086 # the names are words
one_command() { $dirida $(cat "$work/names"); }
loop() {
    while read -r name; do $dirida "$name" || return; done <"$work/names"
}

cat "$work"/raw/* >/dev/null # warm the cache
one_command
t=$(for i in $(seq "$runs"); do seconds one_command; done | median)
l=$(seconds loop)
# shellcheck disable=SC2046,SC2086
peak=$(/usr/bin/time -f %M $dirida $(cat "$work/names") 2>&1 >/dev/null | tail -n 1)
peak_one=$(/usr/bin/time -f %M $dirida 23070112 2>&1 >/dev/null | tail -n 1)
files=$(wc -l <"$work/names")

printf '%-22s %7s %10s %10s\n' "" files seconds "ms a file"
printf '%-22s %7s %10s %10s\n' "one command" "$files" "$t" \
    "$(echo "$t $files" | awk '{ printf "%.3f", 1000 * $1 / $2 }')"
printf '%-22s %7s %10s %10s\n' "a run per file (loop)" "$files" "$l" \
    "$(echo "$l $files" | awk '{ printf "%.3f", 1000 * $1 / $2 }')"
printf 'peak memory: %s KB for %s files in one command, %s KB for one file\n' "$peak" "$files" "$peak_one"

echo "$t $files $peak $peak_one" | awk '{
    ok = 1
    if (1000 * $1 / $2 > 3) { print "FAILED: more than 3 ms a file"; ok = 0 }
    if ($3 > 1.05 * $4) { print "FAILED: the peak memory grows with the files"; ok = 0 }
    exit !ok }'
