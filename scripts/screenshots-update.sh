#!/usr/bin/env bash
# Pictures of the update window, waiting and with a verdict, in English and Farsi, on a
# virtual X display: docs/screenshots/update-{en,fa}-{waiting,verdict}.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j 2 --target update_window_screenshot >/dev/null

QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
    "$root/build/tests/update/window/update_window_screenshot" "$root/docs/screenshots"
