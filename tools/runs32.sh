#!/bin/sh
# Succeeds when this kernel itself runs 32-bit programs (Wine's 32-bit side is
# one).  An emulator registered for them also runs them, but Wine does not
# work under it: that counts as no.
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || exit 1
for f in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$f" ] || continue
    grep -q '^enabled' "$f" 2>/dev/null && grep -q 'interpreter .*qemu-i386' "$f" && exit 1
done
exit 0
