#!/usr/bin/env bash
# The PowerPC build of the game flies the golden script under qemu-ppc-static in a copy of the
# host's game directory (the data files are the same bytes on every machine) and must print
# exactly the frame hashes the x86-64 build recorded.
set -euo pipefail
exe=$1 host_game=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$host_game"/. "$work/"
rm -f "$work/Vantrel.cfg" "$work/Vantrel_start.log"
cp "$exe" "$work/vantrel"
qemu-ppc-static "$work/vantrel" --headless --script "$source/tests/golden/flight.script" > "$work/out.txt"
grep -E '^frame [0-9]+ crc32 [0-9a-f]{8}$' "$work/out.txt" > "$work/hashes.txt" || true
if diff -u "$source/tests/golden/flight_hashes.txt" "$work/hashes.txt"; then
    echo "1 passed, 0 failed: PowerPC frame hashes equal the recorded ones"
else
    echo "0 passed, 1 failed: PowerPC frame hashes differ"
    exit 1
fi
