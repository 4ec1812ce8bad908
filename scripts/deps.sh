#!/usr/bin/env bash
# Installs the Debian 12 packages Tabulon needs to build, run and test, when any is missing.
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
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
