#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: with Qt 6 under
# AddressSanitizer and UndefinedBehaviorSanitizer (the demo too), and with Qt 5. Then valgrind
# memcheck runs the demo on the Qt 5 build, and each fuzz target runs from its corpus for 12 s.
# Last, the Windows build: cross-built with MinGW-w64 and tested under Wine (scripts/windows.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

jobs="$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

run() {
    local dir="$1"
    shift
    echo "=== $(basename "$dir"): configure, build, test"
    cmake -S "$root" -B "$dir" -G "Unix Makefiles" -DQ71_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 300
}

run "$root/build/qt6-sanitize" -DQ71_QT_MAJOR=6 -DQ71_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
run "$root/build/qt5" -DQ71_QT_MAJOR=5 -DCMAKE_BUILD_TYPE=RelWithDebInfo
Q71_VALGRIND_BUILD="$root/build/qt5" "$root/scripts/valgrind.sh" 5
"$root/scripts/fuzz.sh" 12
"$root/scripts/windows.sh"
