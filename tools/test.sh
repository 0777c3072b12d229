#!/bin/sh
# Sets up what is missing, builds, and runs the whole test suite under Wine.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
