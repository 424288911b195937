# timing.sh - shell functions of the conversion benchmarks (sourced).

seconds() { # the wall time of a command, in seconds
    t0=$(date +%s%N)
    # Not /dev/null: grep stops at the first match when it writes there.
    "$@" >"$work/stdout"
    t1=$(date +%s%N)
    echo "$(( (t1 - t0) / 1000000 ))" | awk '{ printf "%.3f\n", $1 / 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
