#!/usr/bin/env bash
# tabulon-collect.exe under Wine against the Linux calculator simulator on COM1: Wine's COM1 is
# the simulator's pseudo-terminal. For every calculator type the forms must reach the archive
# byte for byte as the Linux tabulon-collect archives them from the same simulator; a Ctrl+C
# (SIGINT to the Wine process, which Wine hands to the console as Ctrl+C) ends a collection
# with exit 9.
#   collect-under-wine.sh <Linux build folder> <Windows build folder>
set -euo pipefail
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
cache=${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}
export WINEPREFIX=${WINEPREFIX:-$cache/wine} WINEDEBUG=-all
collect="$windows/stage/tabulon-collect.exe"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
[ -d "$WINEPREFIX/dosdevices" ] || wineboot -i >/dev/null 2>&1
failures=0

# Starts the simulator; COM1 of the Wine prefix is then its line (Wine's mount manager makes the
# COM links from this registry key when it starts, over any link made by hand).
startSimulator() {
    "$linux/tools/tabulon-sim" --samples --exchanges 1 "$@" > "$work/sim.out" 2>"$work/sim.err" &
    sim=$!
    for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
    local pty
    pty=$(head -1 "$work/sim.out")
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$pty" /f >/dev/null 2>&1
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/com1"
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for type in 0 1 2 3 4 5; do
    startSimulator --type "$type" --rate 9600
    "$linux/tabulon-collect" --port "$(head -1 "$work/sim.out")" --device "$type" --speed 9600 \
        --passes 1 --out "$work/linux-$type" >/dev/null 2>&1 || fail "type $type: Linux collector"
    wait "$sim" || true
    startSimulator --type "$type" --rate 9600
    code=0
    (cd "$work" && TABULON_INI="$work/Tabulon.ini" wine "$collect" --port COM1 --device "$type" \
        --speed 9600 --passes 1 --out "Z:$work/windows-$type" >/dev/null 2>&1) || code=$?
    wait "$sim" || true
    [ "$code" = 0 ] || fail "type $type: tabulon-collect.exe ended with $code"
    # The same files, the same bytes (the archive's names carry the time: compare the contents
    # in the order of their names).
    diff <(cd "$work/linux-$type" && find . -type f -not -path './.exchanges/*' | sort | xargs cat | md5sum) \
         <(cd "$work/windows-$type" && find . -type f -not -path './.exchanges/*' | sort | xargs cat | md5sum) \
        >/dev/null || fail "type $type: the archives differ"
    echo "type $type: done"
done

# A calculator that never answers: Ctrl+C ends the wait, exit 9.
startSimulator --type 0 --rate 9600 --start-delay 60000
(cd "$work" && TABULON_INI="$work/Tabulon.ini" exec wine "$collect" --port COM1 --device 0 \
    --speed 9600 --wait 60 --out "Z:$work/stopped" >/dev/null 2>&1) &
collector=$!
sleep 5
kill -INT "$collector"
code=0
wait "$collector" || code=$?
kill "$sim" 2>/dev/null || true
[ "$code" = 9 ] || fail "Ctrl+C: tabulon-collect.exe ended with $code, not 9"
echo "Ctrl+C: exit $code"

[ "$failures" = 0 ] && echo "collect-under-wine: all passed" || { echo "collect-under-wine: $failures failed"; exit 1; }
