#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vantrelle. Arguments go to the program.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" >/dev/null

if [[ -x "$root/build/vantrelle" ]]; then
    exec "$root/build/vantrelle" "$@"
fi
exec "$root/build/vantrelle-cli" "$@"
