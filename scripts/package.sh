#!/usr/bin/env bash
# Builds the Debian package tabulon_<version>_amd64.deb from the build folder (built first when
# needed, reused as it is otherwise) and checks it as Debian's own tools do: the desktop entry,
# the AppStream description, lintian, the file list, and the program unpacked from the package
# starting on an X server and opening a form.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${TABULON_SKIP_DEPS:-}" ] || scripts/deps.sh
build=${TABULON_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/tabulon_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "package.sh: cpack made no $deb" >&2; exit 1; }
echo "== $deb"

work=$(mktemp -d)
trap 'kill ${app:-} ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

app_id=org.tabulon.Tabulon
expected=(
    usr/bin/Tabulon
    usr/share/applications/$app_id.desktop
    usr/share/metainfo/$app_id.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$app_id.svg
    usr/share/man/man1/Tabulon.1.gz
    usr/share/man/ru/man1/Tabulon.1.gz
    usr/share/man/man1/tabulon-collect.1.gz
    usr/share/man/ru/man1/tabulon-collect.1.gz
    usr/share/doc/tabulon/copyright
    usr/share/doc/tabulon/changelog.gz
    usr/share/doc/tabulon/manual/index.html
    usr/share/doc/tabulon/manual/sites.html
    usr/share/lintian/overrides/tabulon
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x$size/apps/$app_id.png")
done
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./||' >"$work/contents"
for f in "${expected[@]}"; do grep -qx "$f" "$work/contents" || fail "the package lacks $f"; done
echo "== dpkg-deb --contents: ${#expected[@]} expected files present"

root="$work/root"
dpkg -x "$deb" "$root"
echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail desktop-file-validate
echo "== appstreamcli validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"
echo "== lintian"
lintian_args=(--fail-on error,warning --display-info --display-experimental --pedantic)
[ "$(id -u)" -ne 0 ] || lintian_args+=(--allow-root)
lintian "${lintian_args[@]}" "$deb" || fail lintian

# The unpacked program is an installed one: its settings are in the configuration folder of a
# fresh home, and a missing or misplaced file would stop it at a message box before the form.
echo "== the unpacked program opens a form"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
unset TABULON_INI
mkdir -p "$XDG_CONFIG_HOME/Tabulon"
printf 'PORT = COM1\r\nDEVICE = \xca\xd1\xcc-\xd0\r\nRATE = 9600' >"$XDG_CONFIG_HOME/Tabulon/Tabulon.ini"
cp tools/samples/monthly.txt "$work/form.txt"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
"$root/usr/bin/Tabulon" "$work/form.txt" &
app=$!
window=""
for _ in $(seq 150); do
    window=$(xdotool search --name '^Tabulon - form\.txt$' 2>/dev/null || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no window \"Tabulon - form.txt\" from the unpacked program"
kill "$app"
wait "$app" 2>/dev/null || true

[ "$failed" -eq 0 ] || exit 1
echo "== $deb: all checks passed"
