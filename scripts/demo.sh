#!/bin/sh
# Builds the program and converts a bundled MDR collective and a bundled real
# Radar Coded Message with the bundled station file and name conventions;
# the converted files go to out/.
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
na=' NA \* \* \* \* \* \*$'
sed -n '/^SDXX STATIONS$/,$p' out/24061512_rad.vek | grep -v "$na"
echo "($(grep -c "$na" out/24061512_rad.vek) sites written as NA, not available, are left out above:"
echo " those that sent no report of 12:20 to 12:40 and those that reported PPINA or DLAD)"
echo
echo "== build/dirida -ba -me mess -pf over -in rcm -fp data -dp data -cp out 1108280716"
build/dirida -ba -me mess -pf over -in rcm -fp data -dp data -cp out 1108280716
echo
echo "== out/1108280715_rcm.vek: header, then the report of the site that sent the message"
head -n 2 out/1108280715_rcm.vek
sed -n '/^\*\*/,$p' out/1108280715_rcm.vek
echo "(Z: maximum top, M: mesocyclones, S: storm centroids, each with latitude and longitude)"
