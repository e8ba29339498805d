# Boots User-mode Linux with the host's / as its root, so that programs built here run
# inside it unchanged, on images given as its block devices. Sourced by the real-kernel
# stages and the benchmark.
#
#   uml_missing            prints why UML cannot run here, nothing when it can
#   uml_run INIT IMAGE...  runs the script INIT as UML's init with the images as
#                          /dev/ubda, /dev/ubdb ...; INIT begins with
#                          `source "${0%/*}/uml-prelude.sh"` and ends with `halt -f`.
#                          UML's console goes to $UML_LOG.
#
# The kernel is Debian's linux.uml with its vfat modules, or $UML_KERNEL: the one
# scripts/build-uml-kernel.sh builds, whose drivers (ntfs3, exfat, vfat ...) are built in.

uml_modules() {
    local dir
    for dir in /usr/lib/uml/modules/*/kernel; do
        [[ -f "$dir/fs/fat/vfat.ko" ]] && { echo "$dir"; return; }
    done
}

uml_missing() {
    if [[ -n "${UML_KERNEL:-}" ]]; then
        [[ -x "$UML_KERNEL" ]] || echo "the UML kernel $UML_KERNEL is missing"
        [[ -d /dev/shm && -w /dev/shm ]] || echo "UML needs a writable /dev/shm for its memory"
        return
    fi
    command -v linux.uml >/dev/null || { echo "linux.uml (package user-mode-linux) is not installed"; return; }
    [[ -n "$(uml_modules)" ]] || { echo "the UML modules for vfat are missing (/usr/lib/uml/modules)"; return; }
    command -v insmod >/dev/null || { echo "insmod (package kmod) is not installed"; return; }
    [[ -d /dev/shm && -w /dev/shm ]] || echo "UML needs a writable /dev/shm for its memory"
}

# Written to a file, as UML's init has no environment of its own: a PATH, /proc and
# Debian's FAT modules (fat before vfat and msdos, which need it).
uml_write_prelude() {
    local prelude="$1" modules
    cat >"$prelude" <<EOF
export PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8
mount -t proc proc /proc
EOF
    [[ -z "${UML_KERNEL:-}" ]] || return 0
    modules="$(uml_modules)"
    cat >>"$prelude" <<EOF
for module in fs/nls/nls_cp437 fs/nls/nls_iso8859-1 fs/nls/nls_utf8 fs/fat/fat fs/fat/vfat fs/fat/msdos; do
    insmod "$modules/\$module.ko"
done
EOF
}

uml_run() {
    local init="$1" index=0 image
    shift
    local disks=()
    for image; do
        disks+=("ubd$index=$image")
        index=$((index + 1))
    done
    uml_write_prelude "$(dirname "$init")/uml-prelude.sh"
    chmod +x "$init"
    # A kernel that hangs must not hold up the run: two minutes is far beyond a boot.
    timeout 120 "${UML_KERNEL:-linux.uml}" mem=256M root=/dev/root rootfstype=hostfs rootflags=/ rw \
        init="$init" "${disks[@]}" con=null con0=null,null >"${UML_LOG:-/dev/null}" 2>&1 </dev/null
}
