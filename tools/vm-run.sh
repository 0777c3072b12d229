#!/bin/sh
# Runs a command inside a small virtual machine that sees this machine's whole
# file system, for kernels that cannot run 32-bit programs (Wine runs Windows
# programs of 32 bits as Linux programs of 32 bits).  The machine boots
# Debian's own kernel with a busybox initramfs, mounts our root read-write
# over 9p, and runs the command there in this folder; its exit code comes back.
#
#   tools/vm-run.sh COMMAND [ARGS...]
#
# Everything it needs (qemu, busybox, the kernel package) is put in place by
# tools/setup.sh.  The kernel and initramfs are kept in build/vm.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
vm="$here/build/vm"
# How much slower than a native machine the emulated one is, for the tests'
# bounds (KORVEX_SLOW overrides).
vm_slow=6
mkdir -p "$vm"

# (An initramfs of an older init reads its job another way: make it anew.)
kernel_ready() { [ -f "$vm/vmlinuz" ] && [ -f "$vm/initrd.gz" ] && grep -q kxdir "$vm/root/init" 2>/dev/null; }

if ! kernel_ready; then
    package=$(apt-cache depends linux-image-amd64 2>/dev/null |
              awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
    [ -n "$package" ] || { echo "vm-run: no kernel package found (apt-get update?)" >&2; exit 1; }
    rm -rf "$vm/kernel" "$vm/root"
    mkdir -p "$vm/kernel" "$vm/root/bin" "$vm/root/mod" "$vm/root/proc" "$vm/root/sys" \
             "$vm/root/dev" "$vm/root/mnt"
    (cd "$vm/kernel" && apt-get download "$package" >/dev/null 2>&1 &&
     dpkg-deb -x ./*.deb x) || { echo "vm-run: cannot fetch $package" >&2; exit 1; }
    cp "$vm"/kernel/x/boot/vmlinuz-* "$vm/vmlinuz.new"
    # The 9p file system over virtio, and a virtio disk for Wine's prefix.
    modules="virtio virtio_ring virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p crc16 crc32c_generic mbcache jbd2 ext4 virtio_blk"
    for m in $modules; do
        f=$(find "$vm/kernel/x/lib/modules" -name "$m.ko" | head -n 1)
        [ -n "$f" ] || { echo "vm-run: module $m missing from $package" >&2; exit 1; }
        cp "$f" "$vm/root/mod/"
    done
    echo "$modules" > "$vm/root/mod/order"
    cp /bin/busybox "$vm/root/bin/busybox"
    cat > "$vm/root/init" <<'EOF'
#!/bin/busybox sh
b=/bin/busybox
$b mount -t proc proc /proc
$b mount -t sysfs sys /sys
$b mount -t devtmpfs dev /dev
# Modules that need another come out in later rounds.
left=$($b cat /mod/order)
for round in 1 2 3 4; do
    again=""
    for m in $left; do $b insmod /mod/$m.ko 2>/dev/null || again="$again $m"; done
    left=$again
done
[ -z "$left" ] || echo "vm: cannot load$left"
$b mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose hostroot /mnt ||
    echo "vm: cannot mount the host's root"
for d in proc sys dev; do $b mount --bind /$d /mnt/$d; done
$b mount -t devpts devpts /mnt/dev/pts 2>/dev/null
# /tmp is the machine's own (Xvfb's and Wine's sockets live there), but a
# project under the host's /tmp stays in view.
# The kernel's command line splits at blanks: it names only a folder of ours
# with none in its name, and the project's path, blanks and all, is in a file.
kxdir=$($b sed -n 's/.*kxdir=\([^ ]*\).*/\1/p' /proc/cmdline)
home=$($b cat "/mnt$kxdir/home")
$b mkdir -p /hosttmp
$b mount --bind /mnt/tmp /hosttmp
$b mount -t tmpfs tmp /mnt/tmp
case "$home" in
/tmp/*)
    top=${home#/tmp/}
    top=${top%%/*}
    $b mkdir -p "/mnt/tmp/$top"
    $b mount --bind "/hosttmp/$top" "/mnt/tmp/$top"
    ;;
esac
$b mount -t tmpfs run /mnt/run
$b mount -t tmpfs shm /mnt/dev/shm 2>/dev/null
$b chroot /mnt /bin/sh "$kxdir/job.sh"
$b sync
$b poweroff -f
EOF
    chmod +x "$vm/root/init"
    (cd "$vm/root" && find . | cpio -o -H newc 2>/dev/null | gzip -1) > "$vm/initrd.gz"
    mv "$vm/vmlinuz.new" "$vm/vmlinuz"
    rm -rf "$vm/kernel"
fi

# The job: this folder, a plain environment, the command, its exit code.  It
# lives in a private folder of this run (made by mktemp, ours alone, its name
# without blanks whatever the project's path has), with the run's status and
# the disk for Wine's prefix, so two runs share nothing and nothing planted
# there is followed.
kxdir=$(mktemp -d /var/tmp/korvex-vm.XXXXXXXX)
trap 'rm -rf "$kxdir"' EXIT
trap 'exit 130' INT TERM
[ -d "$kxdir" ] && [ ! -L "$kxdir" ] && [ "$(stat -c %u "$kxdir")" = "$(id -u)" ] ||
    { echo "vm-run: $kxdir is not a folder of ours" >&2; exit 1; }
case "$kxdir" in *[!A-Za-z0-9/._-]*) echo "vm-run: $kxdir has a character the kernel's command line cannot carry" >&2; exit 1 ;; esac
printf '%s' "$here" > "$kxdir/home"
job="$kxdir/job.sh"
status="$kxdir/status"
# A word of the job's shell: quoted, any quote inside kept.
quote() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }
{
    echo "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
    echo "export HOME=/root LANG=C.UTF-8 TERM=dumb"
    [ -n "${CI:-}" ] && echo "export CI=$(quote "$CI")"
    [ -n "${KORVEX_TIMEOUT:-}" ] && echo "export KORVEX_TIMEOUT=$(quote "$KORVEX_TIMEOUT")"
    # Bounds that stand for "it hangs" scale with the machine: this one emulates
    # every instruction.
    echo "export KORVEX_SLOW=$(quote "${KORVEX_SLOW:-$vm_slow}")"
    # Wine's prefix lives on a disk of its own: made over 9p its first start
    # takes minutes, and in memory it would lose the DOS attributes that Wine
    # keeps in extended attributes.
    echo "mkdir -p $(quote "$here/build/wineprefix") && mount /dev/vda $(quote "$here/build/wineprefix")"
    echo "cd $(quote "$(pwd)")"
    # Through a pipe: on the console itself Wine would write terminal codes.
    printf '%s' "exec </dev/null; ("
    for a in "$@"; do printf ' %s' "$(quote "$a")"; done
    echo "; echo \$? > $(quote "$status") ) 2>&1 | cat >/dev/console"
} > "$job"

# A fresh disk for the prefix each run (sparse: it takes what Wine writes).
truncate -s 8G "$kxdir/prefix.img"
mkfs.ext4 -q -F "$kxdir/prefix.img"

# Software emulation: the guest kernel's mitigations only cost here (every
# page-table switch is emulated), and translated code wants a large cache.
memory=$(awk '/MemTotal/ { m = int($2 / 1024 / 2); print (m > 8192 ? 8192 : m) }' /proc/meminfo)
timeout -k 10 "${KORVEX_VM_TIMEOUT:-4800}" \
    qemu-system-x86_64 -machine q35 -m "$memory" -smp "$(nproc)" \
        -accel tcg,thread=multi,tb-size=1024 \
        -display none -vga none -serial stdio -monitor none -no-reboot -nodefaults \
        -kernel "$vm/vmlinuz" -initrd "$vm/initrd.gz" \
        -append "console=ttyS0 quiet loglevel=0 panic=-1 mitigations=off kxdir=$kxdir" \
        -drive file="$kxdir/prefix.img",if=virtio,format=raw,cache=unsafe \
        -virtfs local,path=/,mount_tag=hostroot,security_model=passthrough,id=root,multidevs=remap \
        </dev/null | sed -u 's/\r$//'
[ -f "$status" ] || { echo "vm-run: the machine ended without an exit code" >&2; exit 1; }
exit "$(cat "$status")"
