#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its seeds for a bounded time: SECONDS
# per target (default 12, so about a minute for all five). A crash, a sanitizer report or a leak
# fails the run; the input that caused it is kept in build/fuzz/artifacts.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Q71_FUZZ_BUILD names another build directory. Each target runs with a fresh random seed, printed
# with its result, so that every run explores paths the last one did not; Q71_FUZZ_SEED=N runs
# them all with seed N again, to reproduce a finding's run.
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
    # libFuzzer adds what it finds to the first corpus directory only: a scratch one, so that the
    # seed directories stay as they are in the repository.
    scratch="$build/corpus/$target"
    rm -rf "$scratch"
    mkdir -p "$scratch"
    corpora=("$scratch")
    if [ -d "$root/fuzz/corpus/$target" ]; then
        corpora+=("$root/fuzz/corpus/$target")
    fi
    # Seeds the project keeps elsewhere, read where they are so that no copy drifts from them.
    case "$target" in
    fuzz_scenario) corpora+=("$root/tests/emulator/golden" "$root/examples") ;;
    fuzz_manifest) corpora+=("$root/data") ;;
    fuzz_capture) corpora+=("$root/tests/capture/data") ;;
    esac
    log="$build/$target.log"
    # libFuzzer takes 0 for "pick one" and would only log its pick: 1 to 2^31-1 instead.
    seed="${Q71_FUZZ_SEED:-$(( $(od -An -N4 -tu4 /dev/urandom) % 2147483647 + 1 ))}"
    if "$build/fuzz/$target" -seed="$seed" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "${corpora[@]}" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        echo "=== $target (seed $seed): $runs executions in ${seconds} s, no finding"
    else
        echo "=== $target (seed $seed): FAILED, see $log and $build/artifacts;" \
            "Q71_FUZZ_SEED=$seed $0 $seconds $target runs it again"
        grep -E -A30 '^==[0-9]+==ERROR|runtime error|^SUMMARY' "$log" | head -60 || tail -40 "$log"
        status=1
    fi
done
exit $status
