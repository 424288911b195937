#!/bin/sh
# Speed and memory of one conversion at archive scale: a generated year of
# hourly MDR collectives (about 1 GB; DAYS=n for another length) converted at
# the nominal time 12:30, which the reader matches by time of day, so the
# reports of noon of every day are decoded. Reports the median wall time of
# 5 warm-cache runs next to that of `grep -c '='` over the same file, and the
# peak memory of the conversion for the whole archive and for a tenth of it.
# Needs about 1 GB in BENCH_DIR (default /tmp/dirida-archive-bench).
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target dirida gen_mdr_archive >/dev/null

work=${BENCH_DIR:-/tmp/dirida-archive-bench}
days=${DAYS:-365}
mkdir -p "$work/raw" "$work/small" "$work/out"
archive="$work/raw/24010112_rad.txt"
small="$work/small/24010112_rad.txt"
if [ ! -s "$archive" ] || [ "$(cat "$work/days" 2>/dev/null)" != "$days" ]; then
    echo "generating $days days of hourly collectives..."
    build-bench/gen_mdr_archive data/rad.cty "$days" >"$archive"
    build-bench/gen_mdr_archive data/rad.cty $((days / 10 + 1)) >"$small"
    echo "$days" >"$work/days"
fi
export vekdefault="$work" # no defaults file

convert() { # convert DATA_DIR
    build-bench/dirida -ba -me none -pf over -fp data -dp "$1" -cp "$work/out" 24010112
}
. bench/timing.sh # seconds, median

cat "$archive" >/dev/null # warm the cache
convert "$work/raw" >/dev/null
dirida_times=$(for i in 1 2 3 4 5; do seconds convert "$work/raw"; done)
grep_times=$(for i in 1 2 3 4 5; do seconds grep -c '=' "$archive"; done)
d=$(echo "$dirida_times" | median)
g=$(echo "$grep_times" | median)
peak=$(/usr/bin/time -f "%M" sh -c "build-bench/dirida -ba -me none -pf over -fp data -dp '$work/raw' -cp '$work/out' 24010112" 2>&1 >/dev/null | tail -n 1)
peak_small=$(/usr/bin/time -f "%M" sh -c "build-bench/dirida -ba -me none -pf over -fp data -dp '$work/small' -cp '$work/out' 24010112" 2>&1 >/dev/null | tail -n 1)

echo "archive:            $(stat -c %s "$archive") bytes ($days days)"
echo "dirida runs (s):    $(echo $dirida_times)"
echo "grep -c '=' (s):    $(echo $grep_times)"
echo "median dirida:      $d s"
echo "median grep:        $g s"
echo "ratio:              $(echo "$d $g" | awk '{ printf "%.2f", $1 / $2 }') (limit 3)"
echo "peak memory:        $peak KB (whole archive), $peak_small KB (a tenth of it; limit 32768 KB)"
echo "stations reporting: $(sed -n '/^SDXX STATIONS$/,$p' "$work/out/24010112_rad.vek" | grep -vc -e '^SDXX' -e ' NA \* \* \* \* \* \*$')"
