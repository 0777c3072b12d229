#!/bin/sh
# Succeeds when this kernel runs 32-bit programs (Wine's 32-bit side needs it).
/lib/ld-linux.so.2 --version >/dev/null 2>&1
