#!/bin/sh
# Makes, or removes, two small drives for the file operation tests: F:, a
# tmpfs filled to the last byte, and R:, a tmpfs holding two files and a
# folder and then remounted read-only.  Mounting needs root; where it is
# refused the reason goes to DIR/skip and the tests that need the drives skip
# with it.
#
#   make-drives.sh make|remove BUILD_DIR
set -u
what=$1
build=$2
dir="$build/drives"
devices="$build/wineprefix/dosdevices"

if [ "$what" = remove ]; then
    rm -f "$devices/f:" "$devices/r:"
    for d in full ro; do
        mountpoint -q "$dir/$d" 2>/dev/null && umount "$dir/$d"
    done
    rm -rf "$dir"
    exit 0
fi

mkdir -p "$dir/full" "$dir/ro"
rm -f "$dir/skip"
refuse() { echo "$*" > "$dir/skip"; echo "drives: $*"; exit 0; }
mountpoint -q "$dir/full" || mount -t tmpfs -o size=512k kxfull "$dir/full" 2>"$dir/why" ||
    refuse "tmpfs cannot be mounted here: $(cat "$dir/why")"
mountpoint -q "$dir/ro" || mount -t tmpfs -o size=1m kxro "$dir/ro" 2>"$dir/why" ||
    refuse "tmpfs cannot be mounted here: $(cat "$dir/why")"
# Full to the last byte: what fits, and then nothing more.
dd if=/dev/zero of="$dir/full/filler" bs=4096 2>/dev/null
dd if=/dev/zero of="$dir/full/crumbs" bs=1 2>/dev/null
printf 'keep-marker' > "$dir/ro/keep.txt"
printf 'move-marker' > "$dir/ro/move-me.txt"
mkdir "$dir/ro/keep-dir"
mount -o remount,ro "$dir/ro" 2>"$dir/why" || refuse "tmpfs cannot be made read-only here: $(cat "$dir/why")"
[ -d "$devices" ] || refuse "no Wine prefix at $build/wineprefix"
ln -sfn "$dir/full" "$devices/f:"
ln -sfn "$dir/ro" "$devices/r:"
echo "drives: F: full ($(df -k "$dir/full" | awk 'NR == 2 { print $4 }') KiB free), R: read-only"
