#!/usr/bin/env bash
# Fuzzes with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, for a
# bounded number of runs each, in build-fuzz/: the update file verdict and its messages,
# from a seed corpus of the format's edge cases; and the offline FAT and exFAT backend,
# from real images (tests/platform/files/offline/fuzz/make_seeds.sh). A finding is kept in
# build-fuzz/findings/ and fails the stage.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-fuzz"
runs="${VANTRELLE_FUZZ_RUNS:-200000}"
offline_runs="${VANTRELLE_OFFLINE_FUZZ_RUNS:-30000}"

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
cmake --build "$build" -j 2 --target update_verdict_fuzzer offline_volume_fuzzer ||
    fail "building the fuzzers failed"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
rm -rf "$build/findings"
mkdir -p "$build/findings"

# fuzz NAME BINARY SEEDS RUNS [OPTIONS...]: new inputs go to a scratch corpus; the
# checked-in seeds are only read.
fuzz() {
    local name="$1" binary="$2" seeds="$3" count="$4"
    shift 4
    rm -rf "$build/corpus-$name"
    mkdir -p "$build/corpus-$name"
    local start=$SECONDS
    "$binary" "$build/corpus-$name" "$seeds" -runs="$count" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$name-" "$@" \
        >"$build/fuzz-$name.log" 2>&1
    local status=$?
    grep -E '^(INFO: Seed|Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' \
        "$build/fuzz-$name.log"
    echo "fuzz: $name: $count runs in $((SECONDS - start)) s, $(ls "$build/corpus-$name" | wc -l) new corpus inputs"
    if ((status != 0)); then
        tail -40 "$build/fuzz-$name.log"
        ls "$build/findings"
        fail "the $name fuzzer found a fault (exit $status); the input is in build-fuzz/findings/"
    fi
}

update_dir="$root/tests/update/fuzz"
fuzz update "$build/tests/update/fuzz/update_verdict_fuzzer" "$update_dir/seeds" "$runs" \
    -dict="$update_dir/update_file.dict" -max_len=1024
offline_dir="$root/tests/platform/files/offline/fuzz"
fuzz offline "$build/tests/platform/files/offline/fuzz/offline_volume_fuzzer" \
    "$offline_dir/seeds" "$offline_runs" -max_len=16384 -max_total_time=300
echo "fuzz: 2 passed, 0 failed"
