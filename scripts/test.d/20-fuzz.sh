#!/usr/bin/env bash
# Fuzzes the update file verdict and its messages with libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer, for a bounded number of runs, in build-fuzz/. Starts
# from a seed corpus of the format's edge cases; a finding is kept in
# build-fuzz/findings/ and fails the stage.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-fuzz"
fuzz_dir="$root/tests/update/fuzz"
runs="${VANTRELLE_FUZZ_RUNS:-200000}"

fail() {
    echo "fuzz: $1"
    echo "fuzz: 0 passed, 1 failed"
    exit 1
}

sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DVANTRELLE_GUI=OFF -DVANTRELLE_FUZZ=ON >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; fail "configuring build-fuzz failed"; }
cmake --build "$build" -j 2 --target update_verdict_fuzzer || fail "building the fuzzer failed"

# New inputs go to the scratch corpus; the checked-in seeds are only read.
rm -rf "$build/corpus" "$build/findings"
mkdir -p "$build/corpus" "$build/findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
start=$SECONDS
"$build/tests/update/fuzz/update_verdict_fuzzer" "$build/corpus" "$fuzz_dir/seeds" \
    -dict="$fuzz_dir/update_file.dict" -runs="$runs" -max_len=1024 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/" \
    >"$build/fuzz.log" 2>&1
status=$?
grep -E '^(INFO: Seed|Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/fuzz.log"
echo "fuzz: $runs runs in $((SECONDS - start)) s, $(ls "$build/corpus" | wc -l) new corpus inputs"
if ((status != 0)); then
    tail -40 "$build/fuzz.log"
    ls "$build/findings"
    fail "the fuzzer found a fault (exit $status); the input is in build-fuzz/findings/"
fi
echo "fuzz: 1 passed, 0 failed"
