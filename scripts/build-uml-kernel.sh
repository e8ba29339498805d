#!/usr/bin/env bash
# Builds a User-mode Linux kernel with ntfs3, exFAT, vfat and the read-only stick formats
# from Debian's linux-source-6.1 (Debian's binary kernels have no ntfs3), unless one built
# from the same inputs is cached, and prints the path of the stripped binary on its last
# line. The cache lies outside the clone, in $VANTRELLE_CACHE (default
# /var/cache/vantrelle), under a key over the source package's version, the compiler and
# linker, the config fragments and this script: a change to any of them builds anew.
# About 3 minutes on 2 cores; $VANTRELLE_KERNEL_JOBS (default 2) sets make's -j.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
fragments=("$here/uml-kernel/drivers.config" "$here/uml-kernel/trim.config")
required=(NTFS3_FS EXFAT_FS VFAT_FS HOSTFS BLK_DEV_UBD ISO9660_FS UDF_FS SQUASHFS)
cache="${VANTRELLE_CACHE:-/var/cache/vantrelle}"
jobs="${VANTRELLE_KERNEL_JOBS:-2}"

say() { echo "uml-kernel: $*" >&2; }

"$here/setup.sh" >&2

source_version="$(dpkg-query -W -f='${Version}' linux-source-6.1)"
tarball=/usr/src/linux-source-6.1.tar.xz
[[ -r "$tarball" ]] || { say "$tarball is missing (package linux-source-6.1)"; exit 1; }
key="$({
    echo "linux-source-6.1 $source_version"
    gcc --version | head -1
    ld --version | head -1
    cat "${fragments[@]}" "${BASH_SOURCE[0]}"
} | sha256sum | cut -c1-16)"
target="$cache/uml-$key"
say "key $key (linux-source-6.1 $source_version, $(gcc --version | head -1), $(ld --version | head -1))"

mkdir -p "$cache"
# One build at a time for each key; a second caller waits and then finds it cached.
exec 9>"$cache/uml-$key.lock"
flock 9
if [[ -x "$target/linux" ]]; then
    say "cached in $target"
    echo "$target/linux"
    exit 0
fi

work="$(mktemp -d "${TMPDIR:-/var/tmp}/vantrelle-uml-kernel.XXXXXX")"
trap 'rm -rf "$work"' EXIT
start=$SECONDS
say "building in $work"
tar -xf "$tarball" -C "$work"
src="$work/linux-source-6.1"
out="$work/build"
make -s -C "$src" ARCH=um O="$out" defconfig >&2
"$src/scripts/kconfig/merge_config.sh" -m -O "$out" "$out/.config" "${fragments[@]}" >/dev/null
make -s -C "$src" ARCH=um O="$out" olddefconfig >&2
missing=()
for option in "${required[@]}"; do
    grep -qx "CONFIG_$option=y" "$out/.config" || missing+=("$option")
done
if ((${#missing[@]} != 0)); then
    say "the configuration lacks ${missing[*]} (=y); not building"
    exit 1
fi
make -s -C "$src" ARCH=um O="$out" -j "$jobs" linux >&2
mkdir -p "$target.new"
strip -o "$target.new/linux" "$out/linux"
cp "$out/.config" "$target.new/config"
rm -rf "$target"
mv "$target.new" "$target"
say "built in $((SECONDS - start)) s, cached in $target"
echo "$target/linux"
