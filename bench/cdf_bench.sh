#!/bin/sh
# Speed of the netCDF form against the text form, each conversion timed RUNS
# times (default 31), alternating, so that both meet the same machine load:
# - the bundled MDR collective (data/24061512_rad.txt); target: netCDF at
#   most twice the time of the text form;
# - an RCM feed of FEED_MB megabytes (default 20; bench/gen_rcm_feed, every
#   site of data/rad.cty reporting many times); target: netCDF at most 1.5
#   times the text form.
# Reports the median wall time of each and their ratio; exit status 1 when a
# target is missed.
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target dirida gen_rcm_feed >/dev/null

runs=${RUNS:-31}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export vekdefault="$work" # no defaults file
cp data/rad.cty data/name_conv data/24061512_rad.txt "$work/"
build-bench/gen_rcm_feed data/rad.cty "${FEED_MB:-20}" >"$work/2406151245_rcm.txt"

convert() { # convert OUTPUT_WORD ARGS...
    form=$1
    shift
    build-bench/dirida -ba -me none -pf over -fp "$work" -dp "$work" -cp "$work/out" -ou "$form" "$@"
}
micros() { # the wall time of a conversion, in microseconds
    t0=$(date +%s%N)
    convert "$@" >/dev/null
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v t="$1" 'BEGIN { printf "%.2f ms", t / 1000 }'; }

failed=0
compare() { # compare WHAT TARGET ARGS...
    what=$1 target=$2
    shift 2
    convert vek "$@" >/dev/null # warm the cache and the program
    convert cdf "$@" >/dev/null
    : >"$work/vek.times"
    : >"$work/cdf.times"
    i=0
    while [ "$i" -lt "$runs" ]; do
        micros vek "$@" >>"$work/vek.times"
        micros cdf "$@" >>"$work/cdf.times"
        i=$((i + 1))
    done
    vek=$(median <"$work/vek.times")
    cdf=$(median <"$work/cdf.times")
    ratio=$(awk -v c="$cdf" -v v="$vek" 'BEGIN { printf "%.2f", c / v }')
    echo "$what, median of $runs runs each:"
    echo "  text form (-ou vek): $(ms "$vek")"
    echo "  netCDF    (-ou cdf): $(ms "$cdf")"
    echo "  ratio netCDF/text:   $ratio (target: at most $target)"
    awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }' || failed=1
}

compare "bundled MDR collective" 2 24061512
compare "RCM feed of ${FEED_MB:-20} MB" 1.5 -in rcm 2406151245
ls -l "$work/out" | awk 'NR > 1 { print "  " $5 " bytes: " $9 }'
exit "$failed"
