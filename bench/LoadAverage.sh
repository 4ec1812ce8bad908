# Sourced by the table scripts: each measure of a table run between two readings of the load
# average, and a verdict given only where the machine was quiet.
#
# A ratio against a bare peer is only a verdict on a quiet machine: under load both sides slow
# down, but not alike (a bare peer asleep in one poll() loses less than a program with more
# threads), so a loaded machine flatters some ratios and spoils others. A row of a measure that
# began or ended at a 1-minute load average above 1 says "loaded: not a verdict" in place of
# "met" or "MISSED".
#
# TABULON_LOADAVG names another file to read in place of /proc/loadavg (for its test).

bench_loadavg_file=${TABULON_LOADAVG:-/proc/loadavg}

# The three load averages, "0.52 0.61 0.70".
load_average() {
    cut -d' ' -f1-3 "$bench_loadavg_file"
}

# Whether the 1-minute load average is above 1.
load_above_one() {
    awk '{ exit !($1 > 1) }' "$bench_loadavg_file"
}

# Runs one measure (a command that prints rows of a table) between two readings of the load
# average, printed as comments so that they sit inside the table. Its lines come out once it
# has ended, each row without its verdict when either reading was above 1.
measure() {
    local loaded=0 out line
    echo "<!-- load average before: $(load_average) -->"
    load_above_one && loaded=1
    out=$("$@") || return
    load_above_one && loaded=1
    while IFS= read -r line; do
        if ((loaded)) && [[ $line == '|'*'| met |' || $line == '|'*'| MISSED |' ]]; then
            line="${line% * |} loaded: not a verdict |"
        fi
        printf '%s\n' "$line"
    done <<<"$out"
    echo "<!-- load average after: $(load_average) -->"
}
