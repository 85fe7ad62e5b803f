#!/usr/bin/env bash
# Times `q71ctl list`, the whole process, with hyperfine, on a session bus of its own, against
# q71-host --dbus serving eight simulated headsets.
# Q71_BUILD names a built tree to use instead of building build/bench in Release.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [[ -z ${Q71_BUILD:-} ]]; then
    "$root/scripts/install-deps.sh"
    Q71_BUILD="$root/build/bench"
    cmake -S "$root" -B "$Q71_BUILD" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DQ71_BUILD_TESTS=OFF >/dev/null
    cmake --build "$Q71_BUILD" -j"$(nproc)" --target q71ctl q71-host Q71Device >/dev/null
fi
if [[ ${1:-} != --on-bus ]]; then
    echo "=== machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p')"
    exec dbus-run-session -- "$0" --on-bus
fi

ctl="$Q71_BUILD/bin/q71ctl"
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT

wait_for_service() {
    for _ in $(seq 100); do
        "$ctl" list >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the service did not come up" >&2
    exit 1
}

scenario="$work/eight.q71"
for n in $(seq 8); do echo "plug hid:$n render:$n capture:$n"; done >"$scenario"
printf 'start\nwait 600s\n' >>"$scenario"
XDG_CONFIG_HOME="$work" "$Q71_BUILD/bin/q71-host" --dbus --realtime --quiet "$scenario" >/dev/null &
pids+=($!)
wait_for_service
for _ in $(seq 100); do [[ $("$ctl" list | wc -l) == 9 ]] && break; sleep 0.1; done
[[ $("$ctl" list | wc -l) == 9 ]] || { echo "q71-host does not list 8 headsets" >&2; exit 1; }
echo "=== q71ctl list, 8 headsets (q71-host --dbus)"
hyperfine --warmup 5 --runs 200 -N "$ctl list"
