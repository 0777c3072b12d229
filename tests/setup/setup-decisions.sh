#!/bin/sh
# What tools/setup.sh decides when the package mirror is out of step, with
# stand-ins for apt-get, apt-cache, dpkg, dpkg-query and sleep first on PATH:
# no root, no network, nothing of the machine's packages touched.
#
#   tests/setup/setup-decisions.sh TOOLS_FOLDER
tools=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

mkdir -p "$work/bin" "$work/tools"
cp "$tools/setup.sh" "$work/tools/setup.sh"

# The stand-ins read their behaviour from files in $STATE and log each call.
cat > "$work/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >> "$STATE/calls"
case "$1" in
update)
    n=$(($(cat "$STATE/updates" 2>/dev/null || echo 0) + 1)); echo $n > "$STATE/updates"
    if [ "$n" -le "$(cat "$STATE/bad_updates")" ]; then
        echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100
    fi
    exit 0 ;;
install)
    shift
    release=no; pkgs=""
    for a in "$@"; do
        case "$a" in -t) release=yes ;; -*|bookworm|trixie) ;; *) pkgs="$pkgs $a" ;; esac
    done
    mode=$(cat "$STATE/install_$release")
    # "healed": works once the update has gone through cleanly.
    if [ "$mode" = ok ] || { [ "$mode" = healed ] && [ "$(cat "$STATE/updates")" -gt "$(cat "$STATE/bad_updates")" ]; }; then
        for p in $pkgs; do echo "$p" >> "$STATE/installed"; done
        exit 0
    fi
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
esac
exit 0
EOF
cat > "$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
grep -qx "$p" "$STATE/installed" 2>/dev/null && { printf 'install ok installed'; exit 0; }
exit 1
EOF
cat > "$work/bin/dpkg" <<'EOF'
#!/bin/sh
echo "dpkg $*" >> "$STATE/calls"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
EOF
cat > "$work/bin/apt-cache" <<'EOF'
#!/bin/sh
echo "apt-cache $*" >> "$STATE/calls"
echo "  Depends: linux-image-6.1.0-99-amd64"
EOF
cat > "$work/bin/sleep" <<'EOF'
#!/bin/sh
echo "sleep $*" >> "$STATE/calls"
EOF
chmod +x "$work/bin/"*

all="g++-mingw-w64-i686 wine wine32:i386 xvfb xauth cmake make googletest nasm locales"
vm="qemu-system-x86 busybox-static cpio"

# scenario NAME RUNS32 BAD_UPDATES INSTALL_PLAIN INSTALL_RELEASE INSTALLED...
scenario() {
    name=$1 runs32=$2
    STATE="$work/$name"; export STATE
    mkdir -p "$STATE"
    echo "$3" > "$STATE/bad_updates"
    echo "$4" > "$STATE/install_no"
    echo "$5" > "$STATE/install_yes"
    shift 5
    : > "$STATE/installed"
    for p; do echo "$p" >> "$STATE/installed"; done
    printf '#!/bin/sh\nexit %s\n' "$runs32" > "$work/tools/runs32.sh"
    PATH="$work/bin:$PATH" KORVEX_SETUP_TRIES=3 KORVEX_SETUP_WAIT=7 \
        sh "$work/tools/setup.sh" > "$STATE/out" 2>&1
    echo $? > "$STATE/rc"
}

check() {
    if eval "$2"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $1: $3"
        sed 's/^/    | /' "$STATE/out"
    fi
}
count() { grep -c "$1" "$STATE/calls" 2>/dev/null; }

# The mirror as it was: one index out of step, the plain install refused,
# the release's own versions fine.
scenario stale 0 99 fail ok
check stale '[ "$(cat "$STATE/rc")" = 0 ]' "exit code $(cat "$STATE/rc"), expected 0"
check stale 'grep -q "binary-i386/Packages.xz could not be read (File has unexpected size" "$STATE/out"' \
      "the failed index is not named"
check stale 'grep -q "going on without it" "$STATE/out"' "does not say it goes on"
check stale 'grep -q "^apt-get install .*-t bookworm\|^apt-get install .*-t [a-z]" "$STATE/calls"' \
      "no install preferring the release"
check stale 'grep -q "preferring the release" "$STATE/out"' "the fallback is not said"
check stale '[ "$(count "^apt-get update")" = 1 ]' "$(count "^apt-get update") updates, expected 1"
check stale '[ "$(count "^sleep")" = 0 ]' "waited though the release install worked"
for p in $all; do
    check stale 'grep -qx "$p" "$STATE/installed"' "$p was not installed"
done

# Nothing helps: bounded retries, then a message that names the index.
scenario never 0 99 fail fail
check never '[ "$(cat "$STATE/rc")" = 1 ]' "exit code $(cat "$STATE/rc"), expected 1"
check never '[ "$(count "^apt-get update")" = 3 ]' "$(count "^apt-get update") updates, expected 3"
check never '[ "$(count "^sleep 7")" = 2 ]' "$(count "^sleep") waits, expected 2 of 7 s"
check never 'grep -q "the package index http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz is out of step" "$STATE/out"' \
      "the final message does not name the index"
check never 'grep -q "Run this again later" "$STATE/out"' "the final message does not say what to do"
check never 'grep -q "held broken packages" "$STATE/out"' "apt's own reason is not shown"

# A mirror that heals while we wait.
scenario heals 0 1 healed healed
check heals '[ "$(cat "$STATE/rc")" = 0 ]' "exit code $(cat "$STATE/rc"), expected 0"
check heals '[ "$(count "^apt-get update")" = 2 ]' "$(count "^apt-get update") updates, expected 2"
check heals '[ "$(count "^sleep")" = 1 ]' "$(count "^sleep") waits, expected 1"

# Everything there: no network at all.
scenario present 0 99 fail fail $all
check present '[ "$(cat "$STATE/rc")" = 0 ]' "exit code $(cat "$STATE/rc"), expected 0"
check present '! grep -q "^apt-get" "$STATE/calls" 2>/dev/null' "apt-get ran: $(grep "^apt-get" "$STATE/calls" | head -n 1)"
check present '[ ! -s "$STATE/out" ]' "printed something"

# No 32-bit programs: the virtual machine's packages, the same way.
scenario novm 1 99 fail ok $all
check novm '[ "$(cat "$STATE/rc")" = 0 ]' "exit code $(cat "$STATE/rc"), expected 0"
for p in $vm; do
    check novm 'grep -qx "$p" "$STATE/installed"' "$p was not installed"
done
check novm 'grep -q "installing qemu-system-x86" "$STATE/out"' "does not say what it installs"

# apt's checks stay on, whatever happened.
for s in stale never heals novm; do
    STATE="$work/$s"
    check "$s" '! grep -q -- "allow-unauthenticated\|allow-insecure\|AllowInsecure\|Check-Valid-Until\|trusted=yes" "$STATE/calls"' \
          "an apt check was switched off"
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
