#!/bin/sh
# Makes the locales that give Wine the code pages of the names tests, into a
# folder of the build (LOCPATH): nothing of the machine's own changes.
#   make-locales.sh DIR
set -eu
dir=$1
mkdir -p "$dir"
for l in ja_JP ru_RU zh_CN; do
    [ -d "$dir/$l.UTF-8" ] || localedef -i "$l" -f UTF-8 "$dir/$l.UTF-8"
done
