#!/usr/bin/env bash
# Installs what is missing, builds the host emulator q71-host with the plugin it loads, and runs
# its built-in demo: a Q71 headset from plug to unplug, on the emulator's virtual clock.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build/demo"
cmake -S "$root" -B "$build" -G "Unix Makefiles" -DQ71_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQ71_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target q71-host Q71Device
exec "$build/bin/q71-host" "$@"
