#!/bin/sh
# Speed of the netCDF form: the bundled MDR collective (data/24061512_rad.txt)
# converted to netCDF ("-ou cdf") and to the text form ("-ou vek"), RUNS times
# each (default 31), alternating, so that both meet the same machine load.
# Reports the median wall time of each and their ratio; the target is a
# netCDF conversion of at most twice the time of the text one (exit status 1
# when it is missed).
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target dirida >/dev/null

runs=${RUNS:-31}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export vekdefault="$work" # no defaults file

convert() { # convert OUTPUT_WORD
    build-bench/dirida -ba -me none -pf over -fp data -dp data -cp "$work/out" -ou "$1" 24061512
}
micros() { # the wall time of a conversion, in microseconds
    t0=$(date +%s%N)
    convert "$1" >/dev/null
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

convert vek >/dev/null # warm the cache and the program
convert cdf >/dev/null
: >"$work/vek.times"
: >"$work/cdf.times"
i=0
while [ "$i" -lt "$runs" ]; do
    micros vek >>"$work/vek.times"
    micros cdf >>"$work/cdf.times"
    i=$((i + 1))
done
vek=$(median <"$work/vek.times")
cdf=$(median <"$work/cdf.times")
ratio=$(awk -v c="$cdf" -v v="$vek" 'BEGIN { printf "%.2f", c / v }')
echo "bundled collective, median of $runs runs each:"
echo "  text form (-ou vek): $(awk -v t="$vek" 'BEGIN { printf "%.2f ms", t / 1000 }') ($(stat -c %s "$work/out/24061512_rad.vek") bytes)"
echo "  netCDF    (-ou cdf): $(awk -v t="$cdf" 'BEGIN { printf "%.2f ms", t / 1000 }') ($(stat -c %s "$work/out/24061512_rad.nc") bytes)"
echo "  ratio netCDF/text:   $ratio (target: at most 2)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 2) }'
