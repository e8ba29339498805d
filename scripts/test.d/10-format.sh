#!/usr/bin/env bash
# The C++ sources as .clang-format lays them out: `clang-format --dry-run -Werror` over
# every .cpp and .h of src/, tests/ and bench/, one check a file; a file laid out
# otherwise is named with what clang-format would change. Ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"

passed=0
failed=0
while IFS= read -r -d '' file; do
    if out="$(clang-format --dry-run -Werror "$file" 2>&1)"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "format: $file is not laid out as .clang-format says (clang-format -i fixes it):"
        printf '%s\n' "$out" | head -20
    fi
done < <(find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
echo "format: $passed passed, $failed failed"
((failed == 0))
