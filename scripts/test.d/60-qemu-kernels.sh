#!/usr/bin/env bash
# vantrelle-cli on exFAT and, where the kernel ships it, NTFS through ntfs3 (Debian 12's
# does not: 55-ntfs3-uml.sh runs the ntfs3 cases on a kernel of its own): the Debian
# kernel installed here, booted in QEMU (under KVM when /dev/kvm is usable, else by
# emulation) with an init of our own in a small initramfs: busybox, build/vantrelle-cli
# and the libraries it needs. The results come back on a disk of their own. ntfs3's work
# is checked by mounting the volume again with ntfs-3g: two drivers must agree.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/volume_test_lib.sh"
cli="$root/build/vantrelle-cli"

skip() {
    echo "qemu: skipped: $*"
    echo "qemu: 0 passed, 0 failed"
    exit 0
}
finish() {
    echo "qemu: $((checks - failures)) passed, $failures failed"
    ((failures == 0))
}

[[ -x "$cli" ]] || skip "build/vantrelle-cli is not built"
for tool in qemu-system-x86_64 cpio mkfs.exfat fsck.exfat modprobe; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -x /bin/busybox ]] && /bin/busybox --list | grep -x insmod >/dev/null ||
    skip "a static busybox (package busybox-static) is not installed"
kernel="$(ls -v /boot/vmlinuz-* 2>/dev/null | while read -r image; do
    [[ -d "/lib/modules/${image#/boot/vmlinuz-}/kernel" ]] && echo "$image"
done | tail -1)"
[[ -n "$kernel" ]] || skip "no kernel with its modules is installed (package linux-image-amd64)"
[[ -r "$kernel" ]] || skip "$kernel is not readable"
version="${kernel#/boot/vmlinuz-}"
module_path() { modprobe -S "$version" -a --show-depends "$@" 2>/dev/null | awk '$1 == "insmod" { print $2 }'; }
[[ -n "$(module_path exfat)" ]] || skip "Linux $version has no exfat module"
have_ntfs3=""
[[ -n "$(module_path ntfs3)" ]] && have_ntfs3=yes

make_workdir
initramfs="$work/initramfs"
mkdir -p "$initramfs"/{bin,dev,proc,sys,mnt,results,modules}

# --- the initramfs -----------------------------------------------------------------------
cp /bin/busybox "$initramfs/bin/busybox"
cp "$cli" "$initramfs/bin/vantrelle-cli"
ldd "$cli" | grep -oE '/[^ ]+' | while read -r library; do
    mkdir -p "$initramfs$(dirname "$library")"
    cp -L "$library" "$initramfs$library"
done
wanted=(virtio_pci virtio_blk nls_utf8 exfat)
[[ -n "$have_ntfs3" ]] && wanted+=(ntfs3)
index=0
module_path "${wanted[@]}" | awk '!seen[$0]++' | while read -r module; do
    cp "$module" "$initramfs/modules/$(printf '%02d' "$index")-$(basename "$module")"
    index=$((index + 1))
done

# Each case runs the command line on a mounted disk; its output, prompts and exit
# status land in /results, which is written to the last disk as a tar archive.
cat >"$initramfs/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin LC_ALL=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for module in /modules/*.ko; do insmod "$module"; done
run() {  # NAME ARGUMENTS...
    name="$1"
    shift
    vantrelle-cli -q "$@" </dev/null >"/results/$name.out" 2>"/results/$name.err"
    echo $? >"/results/$name.status"
}
uname -r >/results/kernel
if mount -t exfat /dev/vda /mnt 2>/results/exfat.mount; then
    mkdir -p /mnt/one
    echo a >/mnt/a.txt
    echo b >/mnt/one/b.txt
    run exfat-normal --on-error=continue /mnt
    run exfat-recursive --recursive --on-error=continue /mnt
    umount /mnt
fi
if [ -e /dev/vdc ] && mount -t ntfs3 /dev/vdc /mnt 2>/results/ntfs3.mount; then
    run ntfs3 --recursive --on-error=continue /mnt
    umount /mnt
fi
tar -cf /dev/vdb -C /results .
sync
reboot -f
EOF
chmod +x "$initramfs/init"
(cd "$initramfs" && find . | cpio -o -H newc --quiet) >"$work/initramfs.cpio"

# --- the disks ---------------------------------------------------------------------------
truncate -s 64M "$work/exfat.img"
mkfs.exfat "$work/exfat.img" >/dev/null
truncate -s 4M "$work/results.img"
disks=(-drive "file=$work/exfat.img,format=raw,if=virtio" -drive "file=$work/results.img,format=raw,if=virtio")

ntfs_dos_of() {
    local hex
    hex="$(getfattr -h -e hex -n system.ntfs_attrib_be "$1" 2>/dev/null |
        sed -n 's/^system.ntfs_attrib_be=0x//p')"
    [[ -n "$hex" ]] || { echo unreadable; return; }
    printf '0x%02x\n' $((16#$hex & 0x27))
}
ntfs_mnt="$work/ntfs"
if [[ -n "$have_ntfs3" ]]; then
    if command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null && [[ -c /dev/fuse ]]; then
        truncate -s 32M "$work/ntfs.img"
        mkntfs -F -f -q "$work/ntfs.img" >/dev/null 2>&1
        mkdir "$ntfs_mnt"
        ntfs-3g "$work/ntfs.img" "$ntfs_mnt" && mounts+=("$ntfs_mnt")
        mkdir -p "$ntfs_mnt/one" "$ntfs_mnt/RECYCLER"
        echo a >"$ntfs_mnt/hidden.txt"
        echo b >"$ntfs_mnt/one/deep.txt"
        echo c >"$ntfs_mnt/RECYCLER/kept.txt"
        for entry in hidden.txt one one/deep.txt RECYCLER RECYCLER/kept.txt; do
            setfattr -h -n system.ntfs_attrib_be -v 0x00000006 "$ntfs_mnt/$entry"
        done
        umount "$ntfs_mnt" && mounts=()
        disks+=(-drive "file=$work/ntfs.img,format=raw,if=virtio")
    else
        have_ntfs3=""
        echo "qemu: ntfs3: skipped: mkntfs, ntfs-3g or /dev/fuse is missing to hide and check"
    fi
else
    echo "qemu: ntfs3: skipped: Linux $version has no ntfs3 module (Debian 12 builds its kernel" \
        "without CONFIG_NTFS3_FS); the ntfs3 cases run in stage 55-ntfs3-uml, on a kernel built" \
        "from linux-source-6.1"
fi

# --- the boot ----------------------------------------------------------------------------
# ACCEL SECONDS: boots once; true when the results disk came back.
boot() {
    local seconds="$1"
    shift
    truncate -s 0 "$work/results.img" && truncate -s 4M "$work/results.img"
    timeout "$seconds" qemu-system-x86_64 "$@" -m 512 -nodefaults -no-reboot -display none \
        -serial "file:$work/console.log" -kernel "$kernel" -initrd "$work/initramfs.cpio" \
        -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" "${disks[@]}" \
        </dev/null >"$work/qemu.log" 2>&1
    rm -rf "$results" && mkdir "$results"
    tar -xf "$work/results.img" -C "$results" 2>/dev/null && [[ -e "$results/kernel" ]]
}
results="$work/results"
start=$SECONDS
how=""
# A kernel boots in a few seconds under KVM. Nested KVM that cannot run this guest (the
# CPU model refused, or a guest that never gets past its setup) is given up after 20 s;
# emulation is slower by far, and ten minutes is beyond any boot of this size.
if [[ -r /dev/kvm && -w /dev/kvm ]]; then
    if boot 20 -machine pc,accel=kvm -cpu host,-arch-capabilities; then
        how="under KVM"
    else
        echo "qemu: KVM did not boot the guest here ($(tail -1 "$work/qemu.log")); emulating instead"
    fi
else
    echo "qemu: /dev/kvm is not usable; emulating"
fi
if [[ -z "$how" ]] && boot 600 -machine pc,accel=tcg; then
    how="emulated"
fi
if [[ -z "$how" ]]; then
    for log in "$work/console.log" "$work/qemu.log"; do tail -20 "$log"; done
    check "QEMU booted the kernel and ran the cases" yes no
    finish
    exit 1
fi
echo "qemu: Linux $version booted $how; $((SECONDS - start)) s in all"
status() { cat "$results/$1.status" 2>/dev/null || echo "not run"; }
# No one is asked: one line per failure; a volume's failure is said once.
prompts() { grep -c ': Error [0-9-]*: ' "$results/$1.err" 2>/dev/null; }

# --- exFAT: what the kernel offers ---------------------------------------------------------
check "exfat: mounted" "" "$(cat "$results/exfat.mount")"
description="$(sed -n '1s/^.*: Error [0-9-]*: //p' "$results/exfat-normal.err" 2>/dev/null)"
echo "qemu: exfat on Linux $(cat "$results/kernel"): $description"
check "exfat, normal: exit status" 1 "$(status exfat-normal)"
check "exfat, normal: outcome" "$ERRORS_TEXT" "$(cat "$results/exfat-normal.out")"
check "exfat, normal: the volume's failure said once" 1 "$(prompts exfat-normal)"
check_contains "exfat, normal: with what to do" "vantrelle-cli: the driver this volume is mounted with" \
    "$(cat "$results/exfat-normal.err")"
check "exfat, recursive: exit status" 1 "$(status exfat-recursive)"
check "exfat, recursive: the volume's failure said once" 1 "$(prompts exfat-recursive)"
check_contains "exfat: the prompt says why" "cannot change DOS attributes" "$description"
fsck.exfat -n "$work/exfat.img" >"$work/fsck.log" 2>&1
check "exfat: fsck.exfat -n finds the volume clean" 0 $?

# --- ntfs3, checked back through ntfs-3g -----------------------------------------------------
if [[ -n "$have_ntfs3" ]]; then
    check "ntfs3: mounted" "" "$(cat "$results/ntfs3.mount")"
    check "ntfs3: exit status" 0 "$(status ntfs3)"
    check "ntfs3: no prompt" "" "$(cat "$results/ntfs3.err")"
    ntfs-3g -o ro "$work/ntfs.img" "$ntfs_mnt" && mounts+=("$ntfs_mnt")
    for entry in hidden.txt one one/deep.txt RECYCLER; do
        check "ntfs3: '$entry' is reset, as ntfs-3g reads it" 0x00 "$(ntfs_dos_of "$ntfs_mnt/$entry")"
    done
    check "ntfs3: the reserved folder's contents are left" 0x06 \
        "$(ntfs_dos_of "$ntfs_mnt/RECYCLER/kept.txt")"
fi

finish
