#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60). Any
# crash, leak, sanitizer report, broken round trip or input that takes over
# 10 s fails the script; the input that did it is kept in build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]   (see docs/fuzzing.md)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(fuzz_profile fuzz_keyvalue fuzz_exchange fuzz_quor
                                         fuzz_uff58 fuzz_uff58b fuzz_wav fuzz_tdms fuzz_mat
                                         fuzz_text)
if ! command -v clang++-14 >/dev/null; then
    echo "fuzz: clang++-14 is missing (apt-get install clang-14 libclang-rt-14-dev)" >&2
    exit 1
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bin=build/fuzz/tests/fuzz
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
run_one() {
    local h="$1"
    # New inputs go to a working corpus; the seeds in the repository stay.
    local work="build/fuzz/corpus/$h"
    mkdir -p "$work"
    if "$bin/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$h-" "$work" "tests/fuzz/corpus/$h" 2>"build/fuzz/$h.log"; then
        echo "== $h: $seconds s, $(grep -oE '^stat::number_of_executed_units: *[0-9]+' \
            "build/fuzz/$h.log" | grep -oE '[0-9]+$' || echo '?') runs"
        grep -a "^round trip broken (reported)" "build/fuzz/$h.log" | cut -c1-300 || true
    else
        echo "== $h: FAILED" >&2
        tail -n 40 "build/fuzz/$h.log" >&2
        return 1
    fi
}
# One harness per core at a time: the wall time is what CI pays for.
slots=$(nproc)
failed=()
pids=()
names=()
for h in "${harnesses[@]}"; do
    run_one "$h" &
    pids+=($!)
    names+=("$h")
    if [ ${#pids[@]} -ge "$slots" ]; then
        wait "${pids[0]}" || failed+=("${names[0]}")
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
    fi
done
for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || failed+=("${names[$i]}")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (inputs in $artifacts/)" >&2
    exit 1
fi
echo "fuzz: ${#harnesses[@]} harnesses, $seconds s each, no finding"
