#!/usr/bin/env bash
# Times `q71ctl list`, the whole process, with hyperfine, on a session bus of its own:
# - against a stand-in service (python3-dbusmock) serving 8 headsets, as the simulation plugs at
#   most two;
# - against q71-host --dbus serving two simulated headsets, the real service.
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

# dbusmock's own interpreter: the system's python3, where Debian installs the module.
/usr/bin/python3 -m dbusmock org.q71.Headsets1 /org/q71/Headsets1 org.q71.Headsets1.Manager >/dev/null &
pids+=($!)
mock() { gdbus call --session -d org.q71.Headsets1 -o /org/q71/Headsets1 -m "org.freedesktop.DBus.Mock.$1" "${@:2}" >/dev/null; }
for _ in $(seq 100); do mock AddProperties org.q71.Headsets1.Manager "{'APIVersion': <uint32 1>}" 2>/dev/null && break; sleep 0.1; done
paths=()
for n in $(seq 8); do
    path="/org/q71/Headsets1/headset/$n"
    paths+=("'$path'")
    mock AddObject "$path" org.q71.Headsets1.Headset "{'Number': <uint32 $n>, 'Name': <'Q71 Gaming Headset'>,
        'Model': <'Q71'>, 'Node': <'/dev/hidraw$n'>, 'SoundCard': <''>, 'Started': <true>, 'Dolby': <false>,
        'Volume': <50>, 'MicLight': <uint32 2>, 'MicNotification': <uint32 1>}" "[]"
done
mock AddProperty org.q71.Headsets1.Manager Headsets "<@ao [$(IFS=,; echo "${paths[*]}")]>"
wait_for_service
[[ $("$ctl" list | wc -l) == 9 ]] || { echo "the stand-in does not list 8 headsets" >&2; exit 1; }
echo "=== q71ctl list, 8 headsets (stand-in service)"
hyperfine --warmup 5 --runs 200 -N "$ctl list"
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null || true

printf 'plug\nplug hid:second render:second capture:second\nstart\nwait 600s\n' >"$work/two.q71"
XDG_CONFIG_HOME="$work" "$Q71_BUILD/bin/q71-host" --dbus --realtime --quiet "$work/two.q71" >/dev/null &
pids+=($!)
wait_for_service
echo "=== q71ctl list, 2 headsets (q71-host --dbus)"
hyperfine --warmup 5 --runs 200 -N "$ctl list"
