#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (win32-g++) from Debian's own qt6-base source, once, into the
# per-user cache; a later run finds it there and does nothing. Only the modules Tabulon uses are
# built (Core, Gui, Widgets, PrintSupport, Concurrent, Test and the qwindows platform plugin),
# with the bundled zlib, PCRE2, FreeType, HarfBuzz, libpng and libjpeg, since MinGW has none of
# them. The host's Qt of the same version provides moc, rcc and uic. Two cores take about 40 min.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
cache=${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}
prefix="$cache/qt6-mingw"
if [ -f "$prefix/.built" ]; then
    echo "windows-qt.sh: Qt for Windows is already in $prefix"
    exit 0
fi
[ -n "${TABULON_SKIP_DEPS:-}" ] || scripts/deps.sh windows >/dev/null
source=$(find "$cache/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
[ -n "$source" ] || { echo "windows-qt.sh: no qt6-base source in $cache/src" >&2; exit 1; }
build="$cache/qt6-mingw-build"
start=$(date +%s)
# Tablet events need src/3rdparty/wintab, which Debian's tarball leaves out, and OpenGL must stay
# on: Qt 6.4.2's qwindowswindow.cpp does not compile without it.
cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF -DINPUT_openssl=no
cmake --build "$build" -j"${TABULON_JOBS:-2}"
cmake --install "$build" >/dev/null
touch "$prefix/.built"
echo "windows-qt.sh: Qt for Windows built into $prefix in $(( ($(date +%s) - start) / 60 )) min"
