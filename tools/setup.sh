#!/bin/sh
# Installs what building and testing need on Debian 12, and only what is missing.
# Run as root. A second run finds everything there and returns at once.
set -e

need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

for p in g++-mingw-w64-i686 wine wine32:i386 xvfb xauth cmake make googletest nasm; do
    have "$p" || need="$need $p"
done

install() {
    echo "setup: installing$1"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $1 >/dev/null
}
[ -z "$need" ] || install "$need"

# Some kernels run no 32-bit programs, and Wine's 32-bit side is one.  There
# the tests run in a small virtual machine (tools/vm-run.sh), which needs these.
if ! sh "$(dirname "$0")/runs32.sh"; then
    need=""
    for p in qemu-system-x86 busybox-static cpio; do
        have "$p" || need="$need $p"
    done
    [ -z "$need" ] || install "$need"
    # vm-run.sh fetches the kernel package by name.
    apt-cache depends linux-image-amd64 2>/dev/null | grep -q "Depends: linux-image-" ||
        apt-get update -qq
fi
