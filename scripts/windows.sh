#!/usr/bin/env bash
# Builds Tabulon for 64-bit Windows and its setup program:
#   build-windows/tabulon-<version>-setup.exe
# from the Qt that scripts/windows-qt.sh built into the per-user cache (built first when it is
# missing: about 40 minutes), SQLite's amalgamation from Debian's sqlite3 source, GoogleTest from
# Debian's googletest source and the header-only toml++ of the host.
#   --deps-only   gather SQLite, GoogleTest and toml++ for Windows and stop
#   --no-setup    build the programs and gather their DLLs, without the setup program
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
cache=${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}
deps="$cache/win-deps"
qt="$cache/qt6-mingw"
build=${TABULON_WINDOWS_BUILD:-build-windows}
mingw=x86_64-w64-mingw32
jobs=${TABULON_JOBS:-2}
elapsed() { echo "windows.sh: $1 in $(( $(date +%s) - $2 )) s"; }

# SQLite's amalgamation (sqlite3.c, made by its own build from the source tree with tclsh), with
# the full-text search the archive's index uses, as a static library.
buildSqlite() {
    [ -f "$deps/lib/libsqlite3.a" ] && return
    local start source work
    start=$(date +%s)
    source=$(find "$cache/src" -maxdepth 1 -type d -name 'sqlite3-*' | head -1)
    work="$cache/sqlite-amalgamation-build"
    mkdir -p "$work" "$deps/include" "$deps/lib"
    if [ ! -f "$work/sqlite3.c" ]; then
        (cd "$work" && "$source/configure" >/dev/null && make sqlite3.c >/dev/null)
    fi
    $mingw-gcc-posix -O2 -DSQLITE_ENABLE_FTS5 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
        -c "$work/sqlite3.c" -o "$work/sqlite3.o"
    $mingw-ar rcs "$deps/lib/libsqlite3.a" "$work/sqlite3.o"
    cp "$work/sqlite3.h" "$deps/include/"
    elapsed "SQLite for Windows" "$start"
}

buildGoogleTest() {
    [ -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ] && return
    local start
    start=$(date +%s)
    cmake -S /usr/src/googletest -B "$cache/gtest-mingw-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$cache/gtest-mingw-build" -j"$jobs" >/dev/null
    cmake --install "$cache/gtest-mingw-build" >/dev/null
    elapsed "GoogleTest for Windows" "$start"
}

# Header-only: the host's headers, in a folder of their own so that the cross compiler sees
# nothing else of /usr/include.
linkToml() {
    mkdir -p "$deps/include"
    ln -sfn /usr/include/toml++ "$deps/include/toml++"
}

[ -n "${TABULON_SKIP_DEPS:-}" ] || scripts/deps.sh windows >/dev/null
buildSqlite
buildGoogleTest
linkToml
[ "${1:-}" = --deps-only ] && exit 0

# Qt for Windows: built once into the cache (scripts/windows-qt.sh says where it stands).
[ -f "$qt/.built" ] || scripts/windows-qt.sh
start=$(date +%s)
# The compiler cache, where there is one: the test command rebuilds this tree on every run.
launcher=()
command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# TABULON_WINDOWS_PREFIXES: where the toolchain lets CMake find Windows libraries and headers.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DTABULON_WINDOWS_PREFIXES="$qt;$deps" -DCMAKE_PREFIX_PATH="$qt;$deps" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
    -DCMAKE_INSTALL_BINDIR=. -DTABULON_TESTS=${TABULON_WINDOWS_TESTS:-ON} "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs"
elapsed "Tabulon for Windows" "$start"

# The program's folder as the setup program installs it: the programs, the manual, Qt's DLLs and
# the plugins they load, the MinGW runtime, Qt's Russian translations.
stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport Qt6Concurrent; do
    cp "$qt/bin/$dll.dll" "$stage/"
done
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll printsupport/windowsprintersupport.dll \
              imageformats/qico.dll imageformats/qgif.dll imageformats/qjpeg.dll; do
    [ -f "$qt/plugins/$plugin" ] || continue
    mkdir -p "$stage/plugins/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin" "$stage/plugins/$plugin"
done
runtime=$($mingw-g++-posix -print-file-name=libstdc++-6.dll)
cp "$runtime" "$(dirname "$runtime")/libgcc_s_seh-1.dll" "$stage/"
cp "/usr/$mingw/lib/libwinpthread-1.dll" "$stage/"
mkdir -p "$stage/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
[ "${1:-}" = --no-setup ] && exit 0

start=$(date +%s)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup="$root/$build/tabulon-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$(cd "$stage" && pwd)" -DOUTFILE="$setup" \
    package/windows/tabulon.nsi
elapsed "the setup program" "$start"
echo "windows.sh: $setup ($(du -h "$setup" | cut -f1))"
