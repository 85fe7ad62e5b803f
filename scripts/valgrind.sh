#!/usr/bin/env bash
# Runs the emulator's demo under valgrind memcheck: as a timeline, as JSON Lines with every service
# call traced and the traffic recorded to a capture, that capture replayed, and on the wall clock.
# Any memory error or definitely lost block fails the run.
#   scripts/valgrind.sh [QT_MAJOR]    (6 by default)
# Q71_VALGRIND_BUILD names an existing build directory to use as it is configured (scripts/test.sh
# hands it its Qt 5 build); it must not be a sanitizer build, which valgrind cannot run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
qt="${1:-6}"

"$root/scripts/install-deps.sh"
if [ -n "${Q71_VALGRIND_BUILD:-}" ]; then
    build="$Q71_VALGRIND_BUILD"
else
    build="$root/build/valgrind-qt$qt"
    cmake -S "$root" -B "$build" -G "Unix Makefiles" -DQ71_QT_MAJOR="$qt" -DQ71_BUILD_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target q71-host

export QT_QPA_PLATFORM=offscreen
capture="$(mktemp --suffix=.pcap)"
trap 'rm -f "$capture"' EXIT
memcheck=(valgrind --tool=memcheck --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite
          --suppressions="$root/scripts/valgrind.supp" -q)
host="$build/bin/q71-host"

run() {
    echo "=== valgrind q71-host $*"
    "${memcheck[@]}" "$host" "$@" >/dev/null
}
run
run --json --verbose --pcap "$capture"
run --replay "$capture"
run --realtime --quiet
echo "=== valgrind: no memory error, nothing definitely lost"
