#!/bin/sh
# Speed and memory of one RCM conversion at feed scale: a generated feed of
# Radar Coded Messages (about 1 GB; MB=n for another size; every message of
# every site of data/rad.cty in the window of the 12:45 run) converted with
# "-in rcm". Reports the median wall time of 5 warm-cache runs next to that
# of `grep -c 1234` over the same file, and the peak memory of the conversion
# (GNU time -v) for the whole feed and for a tenth of it.
# Needs about 1 GB in BENCH_DIR (default /tmp/dirida-rcm-bench).
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target dirida gen_rcm_feed >/dev/null

work=${BENCH_DIR:-/tmp/dirida-rcm-bench}
mb=${MB:-1000}
mkdir -p "$work/raw" "$work/small" "$work/out"
feed="$work/raw/2406151245_rcm.txt"
small="$work/small/2406151245_rcm.txt"
if [ ! -s "$feed" ] || [ "$(cat "$work/mb" 2>/dev/null)" != "$mb" ]; then
    echo "generating a feed of $mb MB..."
    build-bench/gen_rcm_feed data/rad.cty "$mb" >"$feed"
    build-bench/gen_rcm_feed data/rad.cty $((mb / 10 + 1)) >"$small"
    echo "$mb" >"$work/mb"
fi
export vekdefault="$work" # no defaults file

convert() { # convert DATA_DIR
    build-bench/dirida -ba -me none -pf over -in rcm -fp data -dp "$1" -cp "$work/out" 2406151245
}
. bench/timing.sh # seconds, median
peak() { # peak resident memory in KB of converting DATA_DIR
    /usr/bin/time -v sh -c "build-bench/dirida -ba -me none -pf over -in rcm -fp data -dp '$1' -cp '$work/out' 2406151245" 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}

cat "$feed" >/dev/null # warm the cache
convert "$work/raw" >/dev/null
dirida_times=$(for i in 1 2 3 4 5; do seconds convert "$work/raw"; done)
grep_times=$(for i in 1 2 3 4 5; do seconds grep -c 1234 "$feed"; done)
d=$(echo "$dirida_times" | median)
g=$(echo "$grep_times" | median)

echo "feed:               $(stat -c %s "$feed") bytes, $(cat "$work/stdout") messages (grep -c 1234)"
echo "dirida runs (s):    $(echo $dirida_times)"
echo "grep -c 1234 (s):   $(echo $grep_times)"
echo "median dirida:      $d s"
echo "median grep:        $g s"
echo "ratio:              $(echo "$d $g" | awk '{ printf "%.2f", $1 / $2 }') (limit 3)"
echo "peak memory:        $(peak "$work/raw") KB (whole feed), $(peak "$work/small") KB (a tenth of it; limit 32768 KB)"
echo "sites written:      $(grep -c '^\*\* ' "$work/out/2406151245_rcm.vek")"
