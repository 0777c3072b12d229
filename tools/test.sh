#!/bin/sh
# Sets up what is missing, builds, and runs the whole test suite under Wine.
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
if sh tools/runs32.sh; then
    ctest --preset default
else
    echo "test: this kernel runs no 32-bit programs; the tests run in a virtual machine"
    sh tools/vm-run.sh ctest --preset default
fi
