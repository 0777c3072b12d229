#!/bin/sh
# Makes the release zip the way a developer does, unpacks it and checks what
# it promises: the files, their checksums, the version, and that the programs
# inside start and answer under Wine.
#   check-package.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
fail() { echo "package: $*" >&2; exit 1; }

cmake --build "$build" --target package >/dev/null || fail "the package target failed"
zip="$build/korvex-$version-win32.zip"
[ -f "$zip" ] || fail "no $zip"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$out" && cmake -E tar xf "$zip")

for f in korvex.exe qivddraw.exe korvex-host.exe SHA256SUMS README.md include/korvex.h \
         docs/protocol.md; do
    [ -f "$out/$f" ] || fail "$f is missing"
done
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "a checksum does not match"
echo "package: files and checksums of $(basename "$zip") hold"

said=$("$build/wine-run.sh" "$out/korvex-host.exe" --version | tr -d '\r')
[ "$said" = "korvex-host $version" ] || fail "korvex-host --version said \"$said\""

# korvex-host starts the korvex beside it: the one from the zip.
tour=$("$build/wine-run.sh" "$out/korvex-host.exe" isnt | tr -d '\r') || fail "korvex-host isnt failed"
echo "$tour" | grep -q "^korvex ready" || fail "no ready notice: $tour"
echo "$tour" | grep -q "closing notice received" || fail "no closing notice: $tour"

KORVEX_PACKAGE_DIR="Z:$(echo "$out" | tr / '\\')" "$build/wine-run.sh" "$build/tests/package_tests.exe"
