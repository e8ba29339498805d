#!/usr/bin/env bash
# Installs the Debian packages that Vantrelle needs, when any is missing. The lists live
# in scripts/packages/*.txt, one package a line: run.txt is what building and running
# the programs need, the others what the tests and the packages need.
#   setup.sh          every list (what scripts/test.sh needs)
#   setup.sh LIST...  those lists only, named without .txt (scripts/run.sh: run)
# Quiet when everything is there already.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

lists=()
if (($# == 0)); then
    lists=("$here"/packages/*.txt)
else
    for name; do
        [[ -f "$here/packages/$name.txt" ]] || { echo "setup: no list $name" >&2; exit 2; }
        lists+=("$here/packages/$name.txt")
    done
fi
mapfile -t wanted < <(cat "${lists[@]}" | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)

missing=()
for package in "${wanted[@]}"; do
    status="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)"
    if [[ "$status" != "installed" ]]; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
