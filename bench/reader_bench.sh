#!/bin/sh
# Speed and memory of the bulletin readers at archive scale. Generates, once,
# about 1 GB of each kind of input: a year of hourly MDR collectives (with
# the summary bulletins of every hour), an archive of summary bulletins only,
# and, when the RCM feed generator is built, a feed of Radar Coded Messages.
# Each is converted for one nominal time; the reports of that time of day are
# decoded on every day of the archive. Prints, for each, the median wall time
# of 5 warm-cache runs of dirida next to those of `wc -l` and `grep -c` over
# the same file, and the peak memory of the conversion for the whole file and
# for a tenth of it.
#
# Needs about 4 GB in BENCH_DIR (default /tmp/dirida-reader-bench). KINDS
# picks the inputs (default "mdr summary rcm").
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null

work=${BENCH_DIR:-/tmp/dirida-reader-bench}
kinds=${KINDS:-mdr summary rcm}
export vekdefault="$work" # no defaults file of the machine
mkdir -p "$work/out"

# generate KIND FILE SCALE: writes the input of KIND at SCALE (1 = about 1 GB,
# 10 = a tenth) unless it is there already.
generate() {
    [ -s "$2" ] && [ "$(cat "$2.scale" 2>/dev/null)" = "$3" ] && return 0
    mkdir -p "$(dirname "$2")"
    echo "generating $1 input (1/$3 of the full size)..." >&2
    case $1 in
    mdr) build-bench/gen_mdr_archive data/rad.cty $((365 / $3)) >"$2" ;;
    summary) build-bench/gen_mdr_archive data/rad.cty $((470 / $3)) summary >"$2" ;;
    rcm) build-bench/gen_rcm_feed data/rad.cty $((1000 / $3)) >"$2" ;;
    esac
    echo "$3" >"$2.scale"
}

seconds() { # the wall time of a command, in seconds
    t0=$(date +%s%N)
    # Not /dev/null: grep stops at the first match when it writes there.
    # grep -c finding nothing ends with status 1, which is no failure here.
    "$@" >"$work/stdout" || [ "$1" = grep ]
    t1=$(date +%s%N)
    echo "$(((t1 - t0) / 1000000))" | awk '{ printf "%.3f\n", $1 / 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
median_of_5() { for i in 1 2 3 4 5; do seconds "$@"; done | median; }
# peak_kb KIND DIR: the peak resident memory of one conversion, in KB.
peak_kb() { run "$1" "$2" /usr/bin/time -f "%M" 2>&1 >/dev/null | tail -n 1; }

# run KIND DIR [COMMAND...]: one conversion of the input of KIND in DIR, run
# by COMMAND when one is given (a shell function cannot be run by another
# program, so the measuring command goes inside).
run() {
    case $1 in
    mdr) what="-in mdr 24010112" ;;
    summary) what="-in raw 24010112" ;;
    rcm) what="-in rcm 2406151245" ;;
    esac
    dir=$2
    shift 2
    # shellcheck disable=SC2086 # $what is three words
    "$@" build-bench/dirida -ba -me none -pf over -fp data -dp "$dir" -cp "$work/out" $what
}

printf '%-8s %7s %8s %8s %8s %7s %7s %10s %10s\n' input GB dirida 'wc -l' grep '/wc' '/grep' 'peak KB' 'tenth KB'
for kind in $kinds; do
    case $kind in
    mdr) name=24010112_rad.txt pattern='=' ;;
    summary) name=24010112_rad.txt pattern='=' ;;
    rcm) name=2406151245_rcm.txt pattern=1234 ;;
    *) echo "unknown kind $kind" >&2; exit 2 ;;
    esac
    if [ "$kind" = rcm ] && [ ! -x build-bench/gen_rcm_feed ]; then
        echo "rcm: no feed generator built, skipped" >&2
        continue
    fi
    full="$work/$kind/full/$name"
    tenth="$work/$kind/tenth/$name"
    generate "$kind" "$full" 1
    generate "$kind" "$tenth" 10
    cat "$full" >/dev/null # warm the cache
    run "$kind" "$work/$kind/full" >/dev/null
    d=$(median_of_5 run "$kind" "$work/$kind/full")
    w=$(median_of_5 wc -l "$full")
    g=$(median_of_5 grep -c "$pattern" "$full")
    p=$(peak_kb "$kind" "$work/$kind/full")
    pt=$(peak_kb "$kind" "$work/$kind/tenth")
    gb=$(stat -c %s "$full" | awk '{ printf "%.2f", $1 / 1e9 }')
    printf '%-8s %7s %8s %8s %8s %7s %7s %10s %10s\n' "$kind" "$gb" "$d" "$w" "$g" \
        "$(echo "$d $w" | awk '{ printf "%.2f", $1 / $2 }')" \
        "$(echo "$d $g" | awk '{ printf "%.2f", $1 / $2 }')" "$p" "$pt"
done
echo "(grep -c '=' for the MDR and summary archives, grep -c 1234 for the RCM feed; times in seconds)"
