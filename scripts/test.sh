#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole program and its tests in build/ (CTest);
#   2. the code without Qt once more with AddressSanitizer and UndefinedBehaviorSanitizer
#      in build-asan/ (CTest); any finding fails the run;
#   3. each further stage in scripts/test.d/, in name order.
# Ends with one line that sums up every test that ran.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh" || exit 1

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"
passed=0
failed=0
broken=0

# Adds the counts of a runner's closing line ("N passed, M failed" or CTest's own) to
# the totals; a stage that printed neither counts as one failure.
tally() {
    local log="$1" line p f
    line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+|^([A-Za-z-]+: )?[0-9]+ passed, [0-9]+ failed' "$log" | tail -1)"
    if [[ "$line" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        f="${BASH_REMATCH[1]}"
        p=$((BASH_REMATCH[2] - f))
    elif [[ "$line" =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
        p="${BASH_REMATCH[1]}"
        f="${BASH_REMATCH[2]}"
    else
        p=0
        f=1
    fi
    passed=$((passed + p))
    failed=$((failed + f))
}

run_logged() {
    local log="$1"
    shift
    "$@" 2>&1 | tee "$log"
    local status="${PIPESTATUS[0]}"
    tally "$log"
    if ((status != 0)); then
        broken=1
    fi
}

# Configures the preset of CMakePresets.json that builds in DIR, with every warning an
# error, builds it and runs its tests.
build_and_test() {
    local dir="$1"
    mkdir -p "$root/$dir"
    if ! cmake --preset "$dir" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >"$root/$dir/configure.log" 2>&1; then
        cat "$root/$dir/configure.log"
        echo "test: configuring $dir failed"
        failed=$((failed + 1))
        broken=1
        return
    fi
    if ! cmake --build "$root/$dir" -j "$jobs"; then
        echo "test: building $dir failed"
        failed=$((failed + 1))
        broken=1
        return
    fi
    run_logged "$root/$dir/ctest.log" ctest --test-dir "$root/$dir" --output-on-failure -j "$jobs"
}

echo "== build/: program and tests"
build_and_test build

echo "== build-asan/: without Qt, under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
build_and_test build-asan
unset ASAN_OPTIONS UBSAN_OPTIONS

for stage in "$root"/scripts/test.d/*.sh; do
    [[ -e "$stage" ]] || continue
    name="$(basename "$stage" .sh)"
    echo "== stage $name"
    run_logged "$root/build/stage-$name.log" bash "$stage"
done

echo "tests: $passed passed, $failed failed"
if ((broken != 0 || failed != 0)); then
    exit 1
fi
