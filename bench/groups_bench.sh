#!/bin/sh
# Whether part A's vector group reader earns its keep: a feed of Radar Coded
# Messages (FEED_MB megabytes, default 200, from bench/gen_rcm_feed) is
# converted once, timed, and the groups of all its messages are read by the
# plain and by the vector reader (bench_rcm_groups). The conversion without
# the vector reader takes the same time plus the difference of the two; the
# ratio of the two conversions is what the vector reader earns on the feed.
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEK_BENCH=ON -DVEK_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target dirida gen_rcm_feed bench_rcm_groups >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export vekdefault="$work" # no defaults file
feed="$work/2406151245_rcm.txt"
build-bench/gen_rcm_feed data/rad.cty "${FEED_MB:-200}" >"$feed"

best=""
for i in 1 2 3; do
    t0=$(date +%s%N)
    build-bench/dirida -ba -me none -pf over -fp data -dp "$work" -cp "$work/out" -in rcm 2406151245
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
RCM_FEED="$feed" build-bench/bench_rcm_groups --benchmark_format=csv 2>/dev/null >"$work/groups.csv"
plain=$(awk -F, '/BM_GroupsPlain/ { print $3 }' "$work/groups.csv")
vector=$(awk -F, '/BM_GroupsVector/ { print $3 }' "$work/groups.csv")
echo "feed of ${FEED_MB:-200} MB: conversion ${best} ms (best of 3)"
echo "  groups of every message: plain reader ${plain} ms, vector reader ${vector} ms"
awk -v c="$best" -v p="$plain" -v v="$vector" 'BEGIN {
    printf "  conversion without the vector reader: %.0f ms; the vector reader earns %.2fx\n",
        c + p - v, (c + p - v) / c }'
