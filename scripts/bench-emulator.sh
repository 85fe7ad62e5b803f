#!/usr/bin/env bash
# Builds q71-host in Release and measures long runs of it:
# - a --json --replay of a 100,000-report capture against tshark reading the same capture
#   (-T fields -e usbhid.data, and -T json), with hyperfine, and the ratios from that one run;
# - the peak resident memory (/usr/bin/time -v) of a million-line scenario and of a
#   million-report replay.
# The captures are q71-host's own (--pcap of a scenario of input reports), so nothing else is
# needed to make them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

dir="$root/build/bench"
echo "=== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
cmake -S "$root" -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DQ71_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target q71-host Q71Device >/dev/null
host="$dir/bin/q71-host"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A scenario of `reports` key reports, a press and a release 10 ms apart, in about twice as many
# lines.
scenario() {
    awk -v n="$1" 'BEGIN {
        print "plug"; print "start"
        for (i = 0; i < n; i++) {
            print (i % 2 ? "input 02 10 00 00 00" : "input 02 10 11 00 00")
            print "wait 10ms"
        }
    }'
}

scenario 100000 >"$work/100k.q71"
"$host" --quiet --pcap "$work/100k.pcap" "$work/100k.q71" >/dev/null
scenario 500000 >"$work/1m.q71"  # a million lines
"$host" --quiet --pcap "$work/1m.pcap" "$work/1m.q71" >/dev/null

echo "=== --json --replay of 100,000 reports against tshark on the same capture"
hyperfine --warmup 1 --runs 5 --export-csv "$work/times.csv" \
    -n q71-host "$host --json --replay $work/100k.pcap > /dev/null" \
    -n tshark-fields "tshark -r $work/100k.pcap -T fields -e usbhid.data > /dev/null 2>&1" \
    -n tshark-json "tshark -r $work/100k.pcap -T json > /dev/null 2>&1"
# Columns: command,mean,stddev,median,user,system,min,max.
awk -F, 'NR > 1 { median[$1] = $4 }
    END {
        printf "q71-host %.3f s, tshark -T fields %.3f s (%.2fx), tshark -T json %.3f s (%.2fx)\n",
            median["q71-host"], median["tshark-fields"], median["tshark-fields"] / median["q71-host"],
            median["tshark-json"], median["tshark-json"] / median["q71-host"]
    }' "$work/times.csv"

echo "=== peak resident memory"
peak() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ { printf "%.1f MB\n", $2 / 1024 }'
}
echo "1,000,000-line scenario, --quiet:    $(peak "$host" --quiet "$work/1m.q71")"
echo "1,000,000-line scenario, --json:     $(peak "$host" --json "$work/1m.q71")"
echo "1,000,000-report replay, --json:     $(peak "$host" --json --replay "$work/1m.pcap")"
