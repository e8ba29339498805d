#!/usr/bin/env bash
# The Debian package as a user gets it: built with Debian's hardening flags in
# build-deb/ and packed with `cpack -G DEB`, checked with lintian (no error allowed),
# installed with apt-get, its programs run from /usr/bin (a real repair on a tmpfs tree
# in a mount namespace of its own), then purged, leaving nothing behind.
# Needs root: it installs into the system. Ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"

if ((EUID != 0)); then
    echo "skipped: installing a package needs root"
    echo "0 passed, 0 failed"
    exit 0
fi

build="$root/build-deb"
deb="$build/vantrelle_1.0-1_amd64.deb"
jobs="$(nproc)"
make_workdir

fail_now() {
    echo "debian: $*"
    echo "$checks passed, $((failures + 1)) failed"
    exit 1
}

# Installing is system-wide: two runs on one machine take turns, and a run that dies
# half-way does not leave the package installed.
exec 9>/tmp/vantrelle-debian-package.lock
flock -w 1800 9 || fail_now "another run holds /tmp/vantrelle-debian-package.lock"
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"; }
installed() { [[ "$(dpkg-query -W -f='${db:Status-Status}' vantrelle 2>/dev/null)" == installed ]]; }
trap 'installed && apt_get purge vantrelle >/dev/null 2>&1; cleanup' EXIT
if installed; then
    echo "note: purging the vantrelle package left installed before this run"
    apt_get purge vantrelle >/dev/null 2>&1 || fail_now "cannot purge the installed vantrelle"
fi

echo "-- build-deb/ with Debian's hardening flags, then cpack -G DEB"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; fail_now "configuring build-deb failed"; }
cmake --build "$build" -j "$jobs" || fail_now "building build-deb failed"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail_now "cpack failed"; }
check "the package's file name" "$(basename "$deb")" "$(cd "$build" && ls -- *.deb)"
[[ -f "$deb" ]] || fail_now "no $deb"

echo "-- what the package holds"
dpkg-deb -c "$deb" | awk '{print $6}' | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^$' | sort >"$work/paths"
for path in /usr/bin/vantrelle /usr/bin/vantrelle-cli /usr/share/applications/vantrelle.desktop \
    /usr/share/man/man1/vantrelle.1.gz /usr/share/man/man1/vantrelle-cli.1.gz \
    /usr/share/doc/vantrelle/copyright /usr/share/doc/vantrelle/changelog.Debian.gz \
    /usr/lib/vantrelle/vantrelle-cli-update.so; do
    check "the package holds $path" "$path" "$(grep -x -- "$path" "$work/paths")"
done
dpkg-deb -x "$deb" "$work/tree"
for size in 16 22 24 32 48 64 128 256; do
    icon="$work/tree/usr/share/icons/hicolor/${size}x${size}/apps/vantrelle.png"
    check "the ${size}x${size} icon is a PNG of that size" "PNG ${size}x${size}" \
        "$(identify -format '%m %wx%h' "$icon" 2>&1)"
done
check "the copyright file is machine-readable" \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$(head -1 "$work/tree/usr/share/doc/vantrelle/copyright")"
check_contains "the copyright file holds the licence" "Permission is hereby granted" \
    "$(cat "$work/tree/usr/share/doc/vantrelle/copyright")"
check_contains "dpkg-shlibdeps found the Qt libraries" "libqt6widgets6" "$(dpkg-deb -f "$deb" Depends)"
check "NTFS support is suggested" "ntfs-3g" "$(dpkg-deb -f "$deb" Suggests)"
for page in vantrelle vantrelle-cli; do
    check "the manual page of $page renders without warnings" "" \
        "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/tree/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
done

echo "-- lintian"
lintian --pedantic "$deb" >"$work/lintian" 2>&1
grep -E '^[EWIP]: ' "$work/lintian" | sed 's/^/lintian: /'
check "lintian finds no error" "" "$(grep '^E: ' "$work/lintian")"

echo "-- install"
# Everything the package would put down that is there already (shared folders such as
# /usr/bin): after the purge exactly these must remain.
while IFS= read -r path; do [[ -e "$path" ]] && echo "$path"; done <"$work/paths" >"$work/before"
apt_get install --no-install-recommends "$deb" >"$work/install.log" 2>&1
check "apt-get installs the package" 0 $?
out="$(/usr/bin/vantrelle-cli --help 2>&1)"
check "the installed vantrelle-cli --help: exit status" 0 $?
check_contains "the installed vantrelle-cli --help: usage" "Usage: vantrelle-cli [-r|--recursive]" "$out"
out="$(/usr/bin/vantrelle-cli --check-update --update-url=http://127.0.0.1:9/ 2>&1)"
check "the installed vantrelle-cli --check-update loads its module: exit status" 1 $?
check_contains "the installed vantrelle-cli --check-update loads its module: the verdict" \
    "An error has occurred while communicating with the remote server." "$out"
check "the installed vantrelle-cli needs neither Qt nor libcurl to start" "" \
    "$(ldd /usr/bin/vantrelle-cli | grep -E 'libQt|libcurl')"
check "the installed desktop entry validates" "" \
    "$(desktop-file-validate /usr/share/applications/vantrelle.desktop 2>&1)"
check "the desktop entry's program is installed" /usr/bin/vantrelle \
    "$(command -v "$(sed -n 's/^Exec=//p' /usr/share/applications/vantrelle.desktop)")"

echo "-- a real repair by the installed vantrelle-cli on tmpfs"
stick="$work/stick"
mkdir "$stick"
# The tree is made, repaired and read back inside the namespace; only the readings leave.
unshare --mount --propagation private bash -euo pipefail -s "$stick" >"$work/repair" 2>&1 <<'EOF'
stick="$1"
mount -t tmpfs -o mode=755 vantrelle-package-test "$stick"
mkdir -p "$stick/folder/deeper"
echo one >"$stick/one.txt"
echo two >"$stick/folder/deeper/two.txt"
setfattr -n user.DOSATTRIB -v '"0x22"' "$stick/one.txt" "$stick/folder/deeper/two.txt"
setfattr -n user.DOSATTRIB -v '"0x16"' "$stick/folder" "$stick/folder/deeper"
set +e
/usr/bin/vantrelle-cli -q --recursive --on-error=stop "$stick"
echo "status $?"
for entry in one.txt folder folder/deeper folder/deeper/two.txt; do
    echo "$entry $(getfattr --absolute-names --only-values -n user.DOSATTRIB "$stick/$entry")"
done
echo "contents $(cat "$stick/one.txt" "$stick/folder/deeper/two.txt" | tr '\n' ' ')"
EOF
check "the repair on tmpfs: what it printed and left" "$SUCCESS_TEXT
status 0
one.txt 0x0
folder 0x10
folder/deeper 0x10
folder/deeper/two.txt 0x0
contents one two " "$(cat "$work/repair")"
check "the namespace's mount is gone with it" "" "$(findmnt -n "$stick")"

echo "-- purge"
apt_get purge vantrelle >"$work/purge.log" 2>&1
check "apt-get purges the package" 0 $?
installed
check "dpkg no longer has the package" 1 $?
while IFS= read -r path; do [[ -e "$path" ]] && echo "$path"; done <"$work/paths" >"$work/after"
check "the purge leaves nothing of the package behind" "$(cat "$work/before")" "$(cat "$work/after")"
check "dpkg keeps no record of the package's files" "" "$(ls /var/lib/dpkg/info/vantrelle.* 2>/dev/null)"

finish
