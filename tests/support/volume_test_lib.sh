# Helpers for the tests that run vantrelle-cli over real volumes. Sourced by them.
# Each test makes its own temporary folder; `cleanup` unmounts whatever the test
# mounted there and removes it, on every way out.

readonly SKIP=77
failures=0
checks=0
mounts=()

make_workdir() {
    work="$(mktemp -d "${TMPDIR:-/tmp}/vantrelle-test.XXXXXX")"
    chmod 755 "$work"
    trap cleanup EXIT
    trap 'exit 1' INT TERM
}

cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || fusermount -u "${mounts[i]}" 2>/dev/null ||
            umount -l "${mounts[i]}" 2>/dev/null || true
    done
    [[ -n "${work:-}" ]] && rm -rf "$work"
}

skip() {
    echo "skipped: $*"
    exit "$SKIP"
}

check() {
    local what="$1" expected="$2" actual="$3"
    checks=$((checks + 1))
    if [[ "$expected" != "$actual" ]]; then
        failures=$((failures + 1))
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$what" "$expected" "$actual"
    fi
}

check_contains() {
    local what="$1" needle="$2" haystack="$3"
    checks=$((checks + 1))
    if [[ "$haystack" != *"$needle"* ]]; then
        failures=$((failures + 1))
        printf 'FAIL: %s\n  wanted:  %q\n  in:      %q\n' "$what" "$needle" "$haystack"
    fi
}

# Names and contents of every entry below $1, to compare before and after a repair.
fingerprint() {
    (cd "$1" && find . -mindepth 1 -printf '%y %p %l\n' | LC_ALL=C sort &&
        find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r md5sum)
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    ((failures == 0))
}

readonly SUCCESS_TEXT="All files fixed successfully."
readonly ERRORS_TEXT="File procceing is complete. but it seems there have been some errors , some files may have remain hidden."
readonly SUCCESS_TEXT_FA="تمام فايل ها با موفقيت ترميم شدند."
