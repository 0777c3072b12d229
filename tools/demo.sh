#!/bin/sh
# Sets up what is missing, builds, and takes korvex on a short tour with the
# reference host, korvex-host, under Wine.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
run=build/wine-run.sh
# A kernel without 32-bit programs runs the tour in a virtual machine.
sh tools/runs32.sh || run="sh tools/vm-run.sh $run"
$run build/bin/korvex-host.exe \
    "isnt" \
    "long C:\\windows\\system32" \
    "short C:\\windows\\system32\\notepad.exe" \
    "disksize C:\\" \
    "info C:\\windows\\system32\\notepad.exe" \
    "toutc 20240615120000" \
    "findfirst C:\\windows\\* 0x37" "findnext 0x37" "findend" \
    "list 4C:\\windows" \
    "raw 33 0 0" \
    "fullscreen 32 0 480 0 1"
