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
