#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from a copy of its seed corpus for a
# bounded time: SECONDS per target (default 12, so about a minute for all five). A crash, a
# sanitizer report or a leak fails the run; the input that caused it is kept in build/fuzz/artifacts.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Q71_FUZZ_BUILD names another build directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-12}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_device fuzz_json fuzz_manifest fuzz_capture fuzz_scenario)

"$root/scripts/install-deps.sh"
build="${Q71_FUZZ_BUILD:-$root/build/fuzz}"
cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQ71_FUZZ=ON -DQ71_WERROR=ON -DQ71_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    # The seeds stay as they are in the repository; what the run adds goes to the copy.
    corpus="$build/corpus/$target"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/$target"/* "$corpus/"
    log="$build/$target.log"
    if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        echo "=== $target: $runs executions in ${seconds} s, no finding"
    else
        echo "=== $target: FAILED, see $log and $build/artifacts"
        grep -E -A30 '^==[0-9]+==ERROR|runtime error|^SUMMARY' "$log" | head -60 || tail -40 "$log"
        status=1
    fi
done
exit $status
