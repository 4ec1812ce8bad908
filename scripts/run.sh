#!/usr/bin/env bash
# Builds Tabulon and starts it with the built-in calculator simulator (a КСМ-Р on COM1):
# choose "Файл → Установить связь", keep the settings, answer "Да", and the sample forms arrive.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target Tabulon
# The configuration file lives beside the executable; a first run gets the default settings
# (PORT = COM1, DEVICE = КСМ-Р, RATE = 9600, in cp1251) instead of the missing-file message.
if [ -z "${TABULON_INI:-}" ] && [ ! -e build/Tabulon.ini ]; then
    printf 'PORT = COM1\r\nDEVICE = \xca\xd1\xcc-\xd0\r\nRATE = 9600' >build/Tabulon.ini
fi
exec build/Tabulon --demo "$@"
