#!/bin/sh
# Makes, or removes, the folder of names that users' disks hold and that the
# ANSI functions get wrong: other scripts, look-alikes, trailing dots, Unix
# characters Windows forbids, device names, thousands of look-alike names.
# They are made on the Unix side, as other systems make them.
#
#   make-corpus.sh make|remove DIR
#
# Every file holds its marker Mnnnn followed by nnnn dots, so both what a name
# opens and a listing line's size tell which file it is; DIR/index.txt lists
# "marker<TAB>folder/name" in UTF-8.
set -eu
what=$1
dir=$2
rm -rf "$dir"
[ "$what" = remove ] && exit 0
mkdir -p "$dir/mixed" "$dir/img" "$dir/devices" "$dir/devicelike" "$dir/odd" "$dir/dbcs"
mkdir "$dir/mixed/папка"
# The names go to one list, and one awk writes every file.
list="$dir/names.list"
: > "$list"
put() { printf '%s\t%s\n' "$1" "$2" >> "$list"; }

# Other scripts, two of the same length among them.
for name in я.txt ж.txt 中文名.txt Ελληνικά.txt עברית.txt 😀.txt; do put mixed "$name"; done
# Look-alikes beside the names they would turn into, and ones that turn into nothing.
for name in Erdő.txt Erdo.txt ＡＢＣ.txt ABC.txt Łódź.txt; do put mixed "$name"; done
put mixed "$(printf 'cafe\314\201.txt')"     # a decomposed é
put mixed "café.txt"                          # the same, composed: in the code page
# Win32 strips a trailing dot or blank when it opens a name.
for name in trail. trail x. 'blank ' blank; do put mixed "$name"; done
# Characters Windows forbids, which Unix allows.
for name in 'a*b' 'q?.txt' 'lt<gt>' 'pipe|' 'back\slash' 'co:lon'; do put mixed "$name"; done
# Names that reach the host today and must stay as they are.
for name in Ünïcödé.txt 'semi;colon,eq=plus+[br].txt' ' leading blank.txt' \
            many.dots.in.name.txt 'Long Name File.txt' 'long name file.txt'; do
    put mixed "$name"
done
put mixed/папка inside.txt
put mixed/папка "ёлка.txt"

# Device names, with extensions and in any case: they open the device.
for name in aux.txt CON nul.txt com1.log LPT9.doc prn conout\$ Aux; do put devices "$name"; done

# A camera's folder: short names made from four characters and a hash collide.
awk 'BEGIN { for (i = 1; i <= 3000; i++) printf "img\tIMG_2024_%04d.jpg\n", i }' >> "$list"
put odd future.txt
# (Last: the markers above keep their numbers.)
# Folders and files whose names, in code page 932, end a character in 0x5C:
# 表 is 0x95 0x5C, ソ 0x83 0x5C.  (See below for 936.)
mkdir -p "$dir/dbcs/表示" "$dir/dbcs/ソフト"
put dbcs/表示 "Long File Name.txt"
put dbcs/ソフト "Long Name Two.txt"
put dbcs "表.txt"
put dbcs "ソ"
# The same in code page 936: 籠 is 0xBB 0x5C, 淺 0x9C 0x5C.
mkdir -p "$dir/dbcs/籠子"
put dbcs/籠子 "Long Name Three.txt"
put dbcs "淺.txt"
# COM with a superscript two is a device; the same byte in 1251 (І) or 932
# (half-width ｲ) is a letter, and such names are files.
for name in COM².txt COMІ.txt LPTｲ.log; do put devicelike "$name"; done

awk -F '\t' -v dir="$dir" '{
    marker = sprintf("M%04d", NR)
    dots = sprintf("%" NR "s", ""); gsub(/ /, ".", dots)
    path = dir "/" $1 "/" $2
    printf "%s%s", marker, dots > path
    close(path)
    print marker "\t" $1 "/" $2 > (dir "/index.txt")
}' "$list"
rm -f "$list"

# Folders whose names fill 254 and 253 characters, the shorter the longer's start.
long=$(awk 'BEGIN { for (i = 0; i < 254; i++) printf "%c", 65 + i % 26 }')
mkdir -p "$dir/long/$long" "$dir/long/${long%?}"
printf 'in254' > "$dir/long/$long/in254.txt"
printf 'in253' > "$dir/long/${long%?}/in253.txt"

# A size past 32 bits and times outside the DOS years (ext4 keeps them).
truncate -s 4294967306 "$dir/odd/big.bin"
touch -d '2110-06-01 12:00:00' "$dir/odd/future.txt"
printf 'past' > "$dir/odd/past.txt"
touch -d '1975-06-01 12:00:00' "$dir/odd/past.txt"
