#!/bin/sh
# Builds the program and shows it at work on the bundled data.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target dirida
# Only the bundled defaults (data/vek.cfg) are read, never those of the machine.
export vekdefault="$PWD/data"
echo "== build/dirida -h"
build/dirida -h
echo
echo "== build/dirida -ba -me print,+mess -pa range=-30:20 bulletin.txt"
build/dirida -ba -me print,+mess -pa range=-30:20 bulletin.txt
