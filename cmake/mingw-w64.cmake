# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, so std::thread and
# std::mutex are there). Used for both the Qt build (scripts/windows-qt.sh) and Tabulon's own
# (scripts/windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tabulon_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tabulon_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tabulon_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${tabulon_mingw}-windres)
# Libraries and headers come from the MinGW sysroot and the prefixes in TABULON_WINDOWS_PREFIXES
# (the Windows Qt; SQLite, GoogleTest and toml++ gathered by scripts/windows.sh); programs (moc,
# rcc, uic) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${tabulon_mingw} ${TABULON_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
