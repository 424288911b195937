#!/bin/sh
# Builds the program and converts a bundled MDR collective with the bundled
# station file and name conventions; the converted file goes to out/.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target dirida
# Only the bundled defaults (data/vek.cfg) are read, never those of the machine.
export vekdefault="$PWD/data"
echo "== build/dirida -ba -me mess -pf over -fp data -dp data -cp out 24061512"
build/dirida -ba -me mess -pf over -fp data -dp data -cp out 24061512
echo
echo "== out/24061512_rad.vek: header, then the station reports that follow the summary grid"
head -n 2 out/24061512_rad.vek
sed -n '/^SDXX STATIONS$/,$p' out/24061512_rad.vek | grep -v ' NA \* \* \* \* \* \*$'
echo "(stations that sent nothing are written as NA and left out above)"
