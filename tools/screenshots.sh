#!/bin/sh
# Pictures of korvex's open dialog and directory-selection dialog, under Xvfb,
# into docs/ (for the README).  Needs a build (tools/demo.sh or tools/test.sh).
set -e
cd "$(dirname "$0")/.."
cmake --build --preset default --target dialog-shots
mkdir -p docs
out=$(mktemp -d)
build/wine-run.sh build/bin/dialog-shots.exe "Z:$(echo "$out" | tr / '\\\\')"
python3 tools/bmp2png.py "$out"/*.bmp
cp "$out"/*.png docs/
rm -rf "$out"
ls -l docs/*.png
