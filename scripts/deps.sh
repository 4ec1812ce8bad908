#!/usr/bin/env bash
# Installs the Debian 12 packages Tabulon needs to build, run and test, when any is missing.
# `deps.sh windows` installs, in place of those, what the Windows build needs (MinGW-w64, Wine,
# NSIS, Ninja) and fetches the Debian sources it compiles for Windows (qt6-base, sqlite3) into
# the per-user cache; a Linux-only machine or CI never pays for that.
set -euo pipefail
packages=(
    cmake g++ make clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev libx11-dev
    libgtest-dev
    fonts-dejavu-core fonts-liberation poppler-utils xvfb xauth imagemagick x11-utils xdotool x11-xkb-utils
    libudev-dev libgensio-dev ser2net qt6-translations-l10n
    dpkg-dev fakeroot file lintian appstream desktop-file-utils
    python3-serial
    libtomlplusplus-dev libsqlite3-dev
    libpq-dev postgresql-15
)
windows_packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libtomlplusplus-dev googletest
    cmake dpkg-dev xvfb xauth xdotool imagemagick x11-utils
)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo

installMissing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The sources come from the same suites as the binaries, so the Windows Qt is the very 6.4.2 whose
# moc, rcc and uic the host has.
addSourceSuites() {
    local list=/etc/apt/sources.list.d/tabulon-src.sources
    [ -f "$list" ] && return
    $SUDO tee "$list" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $SUDO apt-get update -qq
}

# Unpacks Debian's source of $1 into the cache once; prints its folder.
fetchSource() {
    local name=$1 dir="$cache/src"
    mkdir -p "$dir"
    local found
    found=$(find "$dir" -maxdepth 1 -type d -name "$name-*" | head -1)
    if [ -z "$found" ]; then
        (cd "$dir" && apt-get source -qq "$name" >/dev/null)
        found=$(find "$dir" -maxdepth 1 -type d -name "$name-*" | head -1)
    fi
    echo "$found"
}

if [ "${1:-}" = windows ]; then
    cache=${TABULON_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tabulon}
    installMissing "${windows_packages[@]}"
    addSourceSuites
    fetchSource qt6-base
    fetchSource sqlite3
else
    installMissing "${packages[@]}"
fi
