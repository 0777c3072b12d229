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

for f in korvex.exe qivddraw.exe korvex-host.exe korvex-check.exe player16.exe SHA256SUMS README.md CHANGES.md \
         include/korvex.h docs/protocol.md examples/win16/player.asm examples/win16/tour.txt; do
    [ -f "$out/$f" ] || fail "$f is missing"
done
# Every file the release's README names is in the release.
grep -q "^# korvex and qivddraw: the release" "$out/README.md" || fail "README.md is not the release's own"
for f in $(grep -o '`[A-Za-z0-9_./-]*\.[a-z0-9]*`' "$out/README.md" | tr -d '`' | sort -u); do
    case "$f" in
    *.exe|*.h|*.cpp|*.asm|*.inc|*.txt|*.md|*.png|SHA256SUMS) [ -f "$out/$f" ] || fail "README.md names $f, which is not in the release" ;;
    esac
done
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "a checksum does not match"
echo "package: files and checksums of $(basename "$zip") hold"

said=$("$build/wine-run.sh" "$out/korvex-host.exe" --version | tr -d '\r')
[ "$said" = "korvex-host $version" ] || fail "korvex-host --version said \"$said\""

# korvex-host starts the korvex beside it: the one from the zip.
tour=$("$build/wine-run.sh" "$out/korvex-host.exe" isnt | tr -d '\r') || fail "korvex-host isnt failed"
echo "$tour" | grep -q "^korvex ready" || fail "no ready notice: $tour"
echo "$tour" | grep -q "closing notice received" || fail "no closing notice: $tour"

# The Win16 example plays its sample script as the README says.
(cd "$out" && "$build/wine-run.sh" player16.exe 'examples\win16\tour.txt' tour.log) ||
    fail "player16 did not run"
log=$(tr -d '\r' < "$out/tour.log")
[ "$(echo "$log" | grep -c '^wait 1024 1 ok')" = 2 ] || fail "the tour got no ready and closing notice: $log"
echo "$log" | grep -q '^list [1-9]' || fail "the tour listed nothing: $log"
echo "$log" | grep -q '^end ' || fail "the tour did not end: $log"
echo "package: the README's files are there and the Win16 tour plays"
# The Win16 example builds, as the README says, into the very player shipped.
(cd "$out/examples/win16" && nasm -f bin -o rebuilt.exe player.asm) || fail "the Win16 example does not assemble"
cmp -s "$out/examples/win16/rebuilt.exe" "$out/player16.exe" || fail "the Win16 example assembles into another player16.exe"
rm -f "$out/examples/win16/rebuilt.exe"

# korvex-check from the unpacked zip alone, in a prefix of its own with nothing
# of the build in it, as Windows 10 (the new prefix's own), 98 and XP.
prefix="$out/prefix"
mkdir -p "$prefix"
# One wineserver for all the runs in that prefix: each would otherwise start
# the server and Wine's services anew, which an emulated machine pays dearly.
# (The prefix is made by the first run; its own server ends first.)
KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
WINEPREFIX="$prefix" timeout 60 wineserver -w 2>/dev/null || true
WINEPREFIX="$prefix" wineserver -p >/dev/null 2>&1 </dev/null || true
# (Under set -e a failing command in the trap would become the exit code.)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
      WINEPREFIX="$prefix" timeout 20 wineserver -w 2>/dev/null || true
      rm -rf "$out" || true' EXIT
check() {   # check VERSION [OPTIONS...]: runs korvex-check, prints its lines
    version=$1
    shift
    echo "package: korvex-check as $version, $(date +%T)" >&2
    [ "$version" = default ] || KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" winecfg /v "$version" >/dev/null 2>&1
    (cd "$out" && KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" korvex-check.exe "$@" \
        --report "report-$version.txt") | tr -d '\r'
}
for version in default win98 winxp; do
    if [ "$version" = default ]; then lines=$(check default --dialogs --fullscreen); else lines=$(check "$version"); fi
    summary=$(echo "$lines" | grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' || true)
    failed=$(echo "$summary" | sed -n 's/^[0-9]* passed, \([0-9]*\) failed.*/\1/p')
    [ "$failed" = 0 ] || fail "korvex-check as $version: ${summary:-no summary}
$(echo "$lines" | grep '^FAIL')"
    # The skips Wine needs: no joystick, and (without --dialogs) what the user must ask for.
    others=$(echo "$lines" | grep '^skip' | grep -v -e '^skip joystick:' -e '^skip dialogs:' \
             -e '^skip refusal boxes:' -e '^skip full screen:' || true)
    [ -z "$others" ] || fail "korvex-check as $version skipped more than Wine needs: $others"
    [ -f "$out/report-$version.txt" ] || fail "korvex-check as $version wrote no report"
    grep -q '^Windows ' "$out/report-$version.txt" || fail "the report has no system heading"
    echo "package: korvex-check as $version: $summary"
done
# The display here offers the mode: full screen is checked, not skipped.
grep -q '^ok full screen: 118 is posted' "$out/report-default.txt" ||
    fail "korvex-check did not check full screen: $(grep 'full screen' "$out/report-default.txt" | head -n 2)"
# With the temporary folder in its 8.3 form (user names with blanks give one):
# nothing fails for it.
KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" winecfg /v win10 >/dev/null 2>&1
mkdir -p "$prefix/drive_c/Long Temp Folder"
short=$( (cd "$out" && KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" korvex-host.exe \
          'short "C:\Long Temp Folder"') | tr -d '\r' | sed -n 's/^short -> "\(.*\)"$/\1/p')
case "$short" in *"~"*) ;; *) fail "no 8.3 form of C:\\Long Temp Folder: \"$short\"" ;; esac
lines=$( (cd "$out" && KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" cmd.exe /c \
          "set TEMP=$short&& set TMP=$short&& korvex-check.exe --report report-short.txt") | tr -d '\r')
summary=$(echo "$lines" | grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' || true)
echo "$summary" | grep -q ' 0 failed' || fail "korvex-check with TEMP=$short: ${summary:-no summary}
$(echo "$lines" | grep '^FAIL')"
echo "package: korvex-check with TEMP=$short: $summary"
grep -q '^ok platform: 27 tells Windows NT' "$out/report-win98.txt" || fail "no platform check as win98"
grep -q '^Windows 4.10' "$out/report-win98.txt" || fail "the win98 report tells another Windows: $(grep '^Windows' "$out/report-win98.txt")"

# It fails on broken programs: a korvex whose window class is renamed, and one
# whose time texts come out wrong (request 17's seconds in hexadecimal).
broken() {   # broken NAME PERL-EXPRESSION
    mkdir -p "$out/$1"
    cp "$out/korvex-check.exe" "$out/qivddraw.exe" "$out/player16.exe" "$out/$1/"
    perl -pe "$2" < "$out/korvex.exe" > "$out/$1/korvex.exe"
    cmp -s "$out/korvex.exe" "$out/$1/korvex.exe" && fail "the $1 copy did not change"
    lines=$( (cd "$out/$1" && KORVEX_WINEPREFIX="$prefix" "$build/wine-run.sh" korvex-check.exe \
              --report report.txt) | tr -d '\r')
    echo "$lines" | grep -q '^FAIL' || fail "korvex-check passed a $1 korvex"
    echo "package: korvex-check fails a $1 korvex: $(echo "$lines" | grep '^FAIL' | head -n 1)"
}
broken renamed 's/korvex\0/korvez\0/g'
broken misformatted 's/(%04hu%02hu%02hu%02hu%02hu%02h)u/${1}x/'
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true

KORVEX_PACKAGE_DIR="Z:$(echo "$out" | tr / '\\')" "$build/wine-run.sh" "$build/tests/package_tests.exe"
