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
trap 'kill ${app:-} ${sim:-} 2>/dev/null || true; kill ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT
[ -d "$WINEPREFIX/dosdevices" ] || wineboot -i >/dev/null 2>&1
fail() { echo "tabulon-under-wine: FAIL: $*" >&2; exit 1; }

# The reference: the Linux collector's archive of the same simulated calculator (КСМ-Р).
"$linux/tools/tabulon-sim" --samples --exchanges 1 --type 0 --rate 9600 >"$work/sim.out" 2>/dev/null &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
"$linux/tabulon-collect" --port "$(head -1 "$work/sim.out")" --device 0 --speed 9600 \
    --passes 1 --out "$work/linux" >/dev/null 2>&1 || fail "the Linux collector"
wait "$sim" || true

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

Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
wine "$program" &
app=$!

# The newest window whose title matches `title`, once it is there.
window() {
    local win=""
    for _ in $(seq "${2:-300}"); do
        win=$(xdotool search --name "$1" 2>/dev/null | tail -1) && [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "no window \"$1\""
    echo "$win"
}
press() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    shift
    xdotool key --delay 150 "$@"
}

# "Файл → Установить связь": the menu by the keyboard (Alt, the first menu, its sixth command).
main=$(window '^Tabulon - ' 600)
press "$main" alt
sleep 0.5
xdotool key --delay 150 Down Down Down Down Down Down Return
press "$(window '^Настройки$')" Return   # COM1, КСМ-Р, 9600: "Продолжить"
sleep 1
press "$(window '^Tabulon$')" Return     # "Связь с вычислителем установлена. Начать прием данных?": Да
# Every sample form at 960 bytes a second, and the five seconds of silence that end the pass.
wait "$sim" || true
sleep 7
main=$(window '^Tabulon - ')
press "$main" ctrl+shift+F6              # the last form forward
sleep 0.5
import -window root "$pictures/windows-screenshot.png"

# "Сохранить как" (Ctrl+S on a form never saved), into a Linux folder through Wine's Z: drive.
press "$main" ctrl+s
dialog=$(window '^Save As$|^Сохранить как$')
sleep 1
import -window root "$pictures/windows-save-dialog.png"
press "$dialog" ctrl+a
xdotool type --delay 20 "Z:$work/saved.txt"
xdotool key Return
for _ in $(seq 50); do [ -s "$work/saved.txt" ] && break; sleep 0.1; done
[ -s "$work/saved.txt" ] || fail "no form saved"
saved=$(md5sum <"$work/saved.txt")
matched=""
while IFS= read -r -d '' file; do
    [ "$(md5sum <"$file")" = "$saved" ] && matched=$file
done < <(find "$work/linux" -type f -not -path '*/.exchanges/*' -print0)
[ -n "$matched" ] || fail "the saved form is none of the forms the Linux collector archived"
echo "tabulon-under-wine: the saved form is byte for byte ${matched#"$work/linux/"}"
press "$main" alt+F4
echo "tabulon-under-wine: passed"
