#!/bin/sh
# Installs what building and testing need on Debian 12, and only what is missing.
# Run as root. A second run finds everything there and returns at once, without
# touching the network.
#
# A package mirror can be out of step for hours: one suite's index of one
# architecture fails its size or hash check ("Mirror sync in progress?").  apt
# then leaves that index out; we say which one and go on.  When the install
# fails for it (amd64 from the security suite, i386 only from the release: a
# library's two halves must have one version), we try once more preferring the
# release itself, which keeps both halves in step.  Failing that, we read the
# indexes again a few times, a while apart, and then stop and say what is wrong.
# apt's signature and hash checks are never bypassed.
#
# KORVEX_SETUP_TRIES (4) and KORVEX_SETUP_WAIT (60 s) bound the waiting.
set -e

here=$(dirname "$0")
tries=${KORVEX_SETUP_TRIES:-4}
pause=${KORVEX_SETUP_WAIT:-60}
release=$(. /etc/os-release 2>/dev/null; echo "${VERSION_CODENAME:-bookworm}")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive
stale=""

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# Reads the package indexes.  An index that cannot be read is named and left
# out; apt keeps the rest (and an older copy of that one, if it has one).
update() {
    stale=""
    if apt-get update -qq >"$log" 2>&1 && ! grep -q 'Failed to fetch' "$log"; then
        return 0
    fi
    stale=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | sort -u | tr '\n' ' ')
    if [ -z "$stale" ]; then
        echo "setup: apt-get update failed; going on with the indexes apt has:"
        sed 's/^/setup:   /' "$log" | head -n 5
        return 0
    fi
    for url in $stale; do
        why=$(grep -F "Failed to fetch $url" "$log" | head -n 1 | sed "s|.*$url *||")
        echo "setup: the package index $url could not be read (${why:-no reason given}); going on without it"
    done
}

try_install() {
    apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1 && return 0
    grep '^E:' "$log" | head -n 3 | sed 's/^/setup:   /'
    return 1
}

# Installs the packages named in $1, trying the release when the suites
# disagree and retrying the indexes within a bound.
install() {
    echo "setup: installing$1"
    n=1
    while :; do
        update
        # shellcheck disable=SC2086
        try_install $1 && return 0
        echo "setup: the install failed; trying again preferring the release $release (-t $release), which keeps each library's amd64 and i386 versions in step"
        # shellcheck disable=SC2086
        try_install -t "$release" $1 && return 0
        [ "$n" -lt "$tries" ] || break
        n=$((n + 1))
        echo "setup: waiting ${pause} s for the mirror, then reading the indexes again (try $n of $tries)"
        sleep "$pause"
    done
    echo "setup: cannot install$1 after $tries tries." >&2
    if [ -n "$stale" ]; then
        echo "setup: the package index ${stale% } is out of step with its mirror (a sync in progress); apt refuses it, as it should. Nothing was changed. Run this again later, or point /etc/apt/sources.list.d at another mirror." >&2
    else
        echo "setup: apt's own words are above; nothing was changed." >&2
    fi
    exit 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

need=""
# locales: the tests run Wine in code pages 1251, 932 and 936 too.
for p in g++-mingw-w64-i686 wine wine32:i386 xvfb xauth cmake make googletest nasm locales; do
    have "$p" || need="$need $p"
done
[ -z "$need" ] || install "$need"

# Some kernels run no 32-bit programs, and Wine's 32-bit side is one.  There
# the tests run in a small virtual machine (tools/vm-run.sh), which needs these.
if ! sh "$here/runs32.sh"; then
    need=""
    for p in qemu-system-x86 busybox-static cpio; do
        have "$p" || need="$need $p"
    done
    [ -z "$need" ] || install "$need"
    # vm-run.sh fetches the kernel package by name (once: it keeps it).
    if [ ! -f "$here/../build/vm/vmlinuz" ] &&
       ! apt-cache depends linux-image-amd64 2>/dev/null | grep -q "Depends: linux-image-"; then
        update
    fi
fi
exit 0
