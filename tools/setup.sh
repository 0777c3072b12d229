#!/bin/sh
# Installs what building and testing need on Debian 12, and only what is missing.
# Run as root. A second run finds everything there and returns at once.
set -e

need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

for p in g++-mingw-w64-i686 wine wine32:i386 xvfb xauth cmake make googletest; do
    have "$p" || need="$need $p"
done

if [ -n "$need" ]; then
    echo "setup: installing$need"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $need >/dev/null
fi
