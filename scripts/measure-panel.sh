#!/bin/sh
# measure-panel.sh BUILD_DIR: q71-panel's start with virtual headsets (five runs) and its idle
# wake-ups over 60 s, on an Xvfb and a session bus of their own, against q71-host --dbus serving
# eight simulated headsets.
set -eu
build=$(cd "${1:?usage: measure-panel.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
: > "$dir/q71.conf"
for n in 1 2 3 4 5 6 7 8; do echo "plug hid:$n render:$n capture:$n"; done > "$dir/run.q71"
printf 'start\nwait 600s\n' >> "$dir/run.q71"
cat > "$dir/inner.sh" <<INNER
#!/bin/sh
"$build/bin/q71-host" --dbus --realtime --quiet --plugin "$build/plugins/Q71Device.so" \
    --config "$dir/q71.conf" "$dir/run.q71" &
host=\$!
sleep 2
for run in 1 2 3 4 5; do "$build/tools/q71-panel-measure/q71-panel-measure" startup 8; done
"$build/tools/q71-panel-measure/q71-panel-measure" idle 60
kill \$host
INNER
sh "$here/tests/panel/run_in_xvfb.sh" dbus-run-session -- sh "$dir/inner.sh"
grep -m1 "model name" /proc/cpuinfo
