#!/usr/bin/env bash
# Builds Tabulon with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTABULON_TESTS=ON >/dev/null
cmake --build build -j2
(cd build && ctest --output-on-failure -j2 --timeout 300)
# The Debian package from the same build, checked by the packaging tools when they are there.
missing=""
for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot lintian appstreamcli desktop-file-validate Xvfb xdotool; do
    command -v "$tool" >/dev/null || missing+=" $tool"
done
if [ -z "$missing" ]; then
    TABULON_SKIP_DEPS=1 bash scripts/package.sh
else
    echo "test.sh: the package is not checked, missing:$missing"
fi
# The Windows build and its tests under Wine, when Qt for Windows is in the cache: it is built
# once by scripts/windows-qt.sh (about 40 minutes), never here.
qt_windows="${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}/qt6-mingw/.built"
if [ -f "$qt_windows" ] && command -v wine >/dev/null && command -v makensis >/dev/null; then
    windows_start=$(date +%s)
    TABULON_SKIP_DEPS=1 bash scripts/windows.sh
    # The tests find Qt's and MinGW's DLLs where they were built, as a Windows path list.
    qt_bin="$(dirname "$qt_windows")/bin"
    runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
    export WINEPATH="Z:$qt_bin;Z:$runtime;Z:/usr/x86_64-w64-mingw32/lib"
    export WINEPREFIX="${WINEPREFIX:-$(dirname "$(dirname "$qt_windows")")/wine}" WINEDEBUG=-all
    [ -d "$WINEPREFIX/dosdevices" ] || wineboot -i >/dev/null 2>&1
    (cd build-windows && ctest --output-on-failure -j2 --timeout 300)
    python3 tests/windows/serial-peer.py build-windows/windows_serial_tests.exe
    bash tests/windows/collect-under-wine.sh build build-windows
    bash tests/windows/tabulon-under-wine.sh build build-windows/tabulon-*-setup.exe
    echo "test.sh: the Windows build and its tests took $(( $(date +%s) - windows_start )) s"
else
    echo "test.sh: the Windows build is not tested: no Qt for Windows in the cache" \
         "(bash scripts/deps.sh windows && bash scripts/windows-qt.sh builds it once)"
fi
