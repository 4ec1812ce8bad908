#!/usr/bin/env bash
# Starts Tabulon in demo mode under Xvfb, connects, answers the operator's questions with key
# presses, waits until forms have arrived, and saves docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${TABULON_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target Tabulon

display=":${TABULON_SCREENSHOT_DISPLAY:-97}"
work=$(mktemp -d)
trap 'kill ${app:-} ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT
printf 'PORT = COM1\r\nDEVICE = \xca\xd1\xcc-\xd0\r\nRATE = 9600' >"$work/Tabulon.ini"

Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp &
xvfb=$!
sleep 1
export DISPLAY="$display" TABULON_INI="$work/Tabulon.ini" QT_QPA_PLATFORM=xcb
"$build/Tabulon" --demo --demo-autoconnect &
app=$!

# Presses `key` in the window titled `title` once it is there.
press() {
    local title=$1 key=$2 win=""
    for _ in $(seq 100); do
        win=$(xdotool search --name "^$title\$" 2>/dev/null | tail -1) && [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { echo "no window \"$title\"" >&2; exit 1; }
    xdotool windowfocus --sync "$win"
    xdotool key "$key"
}

press "Настройки" Return   # keep COM1, КСМ-Р, 9600: "Продолжить"
sleep 1
press "Tabulon" Return     # "Связь с вычислителем установлена. Начать прием данных?": Да
# Every sample form, at the line's pace of 960 bytes a second, before the five seconds of
# silence that end the pass.
sleep "${TABULON_SCREENSHOT_WAIT:-11}"
# Ctrl+Shift+F6 brings the last form forward from the empty window the next one would go into.
win=$(xdotool search --name "^Tabulon - " | tail -1)
xdotool windowfocus --sync "$win"
xdotool key ctrl+shift+F6
sleep 0.3
mkdir -p docs
import -window root docs/screenshot.png
echo "docs/screenshot.png written"
