#!/usr/bin/env bash
# Tabulon.exe as an operator meets it: installed by the setup program in silent mode, started
# under Xvfb with the Linux calculator simulator behind COM1, the forms received through
# "Файл → Установить связь", "Продолжить", "Да", one saved as cp1251 through the Russian Qt file
# dialog. The saved file must be byte for byte a form the Linux tabulon-collect archives from
# the same simulator. Screenshots of the forms and of the file dialog go to the picture folder.
#   tabulon-under-wine.sh <Linux build folder> <setup program> [picture folder]
set -euo pipefail
linux=$(cd "$1" && pwd)
setup=$(realpath "$2")
pictures=$(realpath "${3:-$(dirname "$setup")}")
cache=${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}
export WINEPREFIX=${WINEPREFIX:-$cache/wine} WINEDEBUG=-all
unset TABULON_INI TABULON_SITES
display=":${TABULON_WINE_DISPLAY:-96}"
work=$(mktemp -d)
trap 'kill ${app:-} ${sim:-} ${reference:-} ${referenceSim:-} 2>/dev/null || true; kill ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "tabulon-under-wine: FAIL: $*" >&2; exit 1; }

# The display comes before the first Wine command. The first one starts the prefix's wineserver
# and its desktop, which chooses the graphics driver once: started without a display it keeps
# the null driver, and every window the program makes later goes nowhere. A wineserver left by
# an earlier Wine command without a display (it lingers a few seconds) is waited out likewise.
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
timeout 60 wineserver -w || fail "another Wine program keeps the prefix $WINEPREFIX busy"
[ -d "$WINEPREFIX/dosdevices" ] || wineboot -i >/dev/null 2>&1

# The reference, collected meanwhile: the Linux collector's archive of the same simulated
# calculator (КСМ-Р) on a line of its own.
"$linux/tools/tabulon-sim" --samples --exchanges 1 --type 0 --rate 9600 >"$work/reference.out" 2>/dev/null &
referenceSim=$!
for _ in $(seq 50); do [ -s "$work/reference.out" ] && break; sleep 0.1; done
"$linux/tabulon-collect" --port "$(head -1 "$work/reference.out")" --device 0 --speed 9600 \
    --passes 1 --out "$work/linux" >/dev/null 2>&1 &
reference=$!

# Installed without a question, as an administrator's script would.
wine "$setup" /S
program="$WINEPREFIX/drive_c/Program Files/Tabulon/Tabulon.exe"
[ -f "$program" ] || fail "the setup program installed no $program"
[ -f "$(dirname "$program")/uninstall.exe" ] || fail "no uninstaller"

# The installed program keeps its settings in %APPDATA%\Tabulon: COM1, КСМ-Р, 9600 (cp1251).
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
mkdir -p "$appdata/Tabulon"
printf 'PORT = COM1\r\nDEVICE = \xca\xd1\xcc-\xd0\r\nRATE = 9600' >"$appdata/Tabulon/Tabulon.ini"

# The simulator behind COM1 (how Wine links it: collect-under-wine.sh).
"$linux/tools/tabulon-sim" --samples --exchanges 1 --type 0 --rate 9600 >"$work/sim.out" 2>/dev/null &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -1 "$work/sim.out")
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$pty" /f >/dev/null 2>&1
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com1"

# From its own folder, as the Start-menu entry starts it.
(cd "$(dirname "$program")" && exec wine "$program") &
app=$!

# The newest shown window whose title matches `title`, once it is there.
window() {
    local win=""
    for _ in $(seq "${2:-300}"); do
        win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) && [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "no window \"$1\""
    echo "$win"
}
# Waits until a window is no longer shown: the key that should have closed it did.
gone() {
    for _ in $(seq 100); do
        xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
        sleep 0.1
    done
    fail "the window \"$2\" stays open"
}
press() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    shift
    xdotool key --delay 150 "$@"
}
# Answers a question box of the program (titled "Tabulon") with `key`.
answer() {
    local box
    box=$(window '^Tabulon$' "$2")
    press "$box" "$1"
    gone "$box" "Tabulon"
}

# "Файл → Установить связь": the menu by the keyboard (Alt, the first menu, its sixth command).
main=$(window '^Tabulon - ' 600)
press "$main" alt
sleep 0.5
xdotool key --delay 150 Down Down Down Down Down Down Return
settings=$(window '^Настройки$')
press "$settings" Return                 # COM1, КСМ-Р, 9600: "Продолжить"
gone "$settings" "Настройки"
answer Return 300                        # "Связь с вычислителем установлена. Начать прием данных?": Да
# Every sample form at 960 bytes a second, then the five seconds of silence that end the pass;
# "Чтение данных в объеме N байт завершено. Продолжить?": Нет (Escape) finishes, which closes
# the line and so ends the simulator.
answer Escape 600
for _ in $(seq 100); do kill -0 "$sim" 2>/dev/null || break; sleep 0.1; done
kill -0 "$sim" 2>/dev/null && fail "the line stays open after the exchange"
# The last form forward from the empty window the next one would have gone into. After the
# question the keyboard is with no form window, whose keys Ctrl+F6 and Ctrl+Shift+F6 are: a
# click into the empty window (in the middle of the cascade) first, as an operator would.
main=$(window '^Tabulon - ')
empty=$(xdotool getwindowname "$main")
xdotool mousemove --window "$main" 500 400 click 1
press "$main" ctrl+shift+F6
for _ in $(seq 20); do
    [ "$(xdotool getwindowname "$main")" != "$empty" ] && break
    sleep 0.1
done
[ "$(xdotool getwindowname "$main")" != "$empty" ] || fail "Ctrl+Shift+F6 brings no form forward"
sleep 0.5
import -window root "$pictures/windows-screenshot.png"

# "Сохранить как" (Ctrl+S on a form never saved), into a Linux folder through Wine's Z: drive.
press "$main" ctrl+s
dialog=$(window '^Save As$')   # the framework's own title
sleep 1
import -window root "$pictures/windows-save-dialog.png"
press "$dialog" ctrl+a
xdotool type --delay 20 "Z:$work/saved.txt"
xdotool key Return
for _ in $(seq 50); do [ -s "$work/saved.txt" ] && break; sleep 0.1; done
[ -s "$work/saved.txt" ] || fail "no form saved"
wait "$reference" || fail "the Linux collector"
saved=$(md5sum <"$work/saved.txt")
matched=""
while IFS= read -r -d '' file; do
    [ "$(md5sum <"$file")" = "$saved" ] && matched=$file
done < <(find "$work/linux" -type f -not -path '*/.exchanges/*' -print0)
[ -n "$matched" ] || fail "the saved form is none of the forms the Linux collector archived"
echo "tabulon-under-wine: the saved form is byte for byte ${matched#"$work/linux/"}"
echo "tabulon-under-wine: passed"
