#!/usr/bin/env bash
# The PowerPC build of the game runs golden scripts under qemu-ppc-static in a copy of the
# host's game directory (the data files, the ISO 8859-2 catalogs among them, are the same bytes
# on every machine) and must print exactly the frame hashes the x86-64 build recorded: the
# flight modes, the computer's pages in flight, the maps, the arcade and the port in English,
# and the main menu, the arcade and the port in Czech; the flight run's sound must be the same
# WAV bytes.
set -euo pipefail
exe=$1 host_game=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$host_game"/. "$work/"
rm -f "$work/Vantrel.cfg" "$work/Vantrel_start.log"
cp "$exe" "$work/vantrel"
printf '0 press space\n40 hash\n41 quit\n' > "$work/menu_czech.script"

passed=0 failed=0
# compare <name> <script> <LANG> <expected hashes> [settings bytes]: one run, its hash lines
# against the record.
compare() {
    rm -f "$work/Vantrel.cfg"
    if [[ -n ${5:-} ]]; then printf "$5" > "$work/Vantrel.cfg"; fi
    env LANGUAGE= LC_ALL= LC_MESSAGES= LANG="$3" \
        qemu-ppc-static "$work/vantrel" --headless --script "$2" > "$work/out.txt"
    grep -E '^frame [0-9]+ crc32 [0-9a-f]{8}$' "$work/out.txt" > "$work/hashes.txt" || true
    if diff -u "$4" "$work/hashes.txt"; then
        passed=$((passed + 1))
    else
        echo "$1: PowerPC frame hashes differ"
        grep -E '^(language|catalog):' "$work/out.txt" || true
        failed=$((failed + 1))
    fi
}
compare flight "$source/tests/golden/flight.script" C "$source/tests/golden/flight_hashes.txt"
# The same run's sound: the WAV's CRC-32 (gzip's trailer holds it, little-endian) as recorded.
qemu-ppc-static "$work/vantrel" --headless --script "$source/tests/golden/flight.script" \
    --audio-wav "$work/flight.wav" > /dev/null
crc=$(gzip -c "$work/flight.wav" | tail -c 8 | od -An -N4 -tx4 | tr -d ' ')
if [[ "$crc" == "$(cat "$source/tests/golden/flight_wav_crc.txt")" ]]; then
    passed=$((passed + 1))
else
    echo "flight sound: PowerPC WAV CRC-32 $crc differs from the recorded one"
    failed=$((failed + 1))
fi
compare "Czech menu" "$work/menu_czech.script" cs_CZ.UTF-8 \
    "$source/tests/golden/menu_czech_hashes.txt"
compare maps "$source/tests/golden/maps.script" C "$source/tests/golden/maps_hashes.txt"
compare "computer pages" "$source/tests/golden/pages.script" C \
    "$source/tests/golden/pages_hashes.txt"
# The scenes on the integer vertex path, as the x86-64 test's settings file fixes it.
compare scenes "$source/tests/golden/scenes.script" C "$source/tests/golden/scenes_hashes.txt" \
    'GRFX\000\007\000\002\003\002\000\001\000\000\000\000\000UICF\000\001\000'
compare arcade "$source/tests/golden/arcade.script" C "$source/tests/golden/arcade_hashes.txt"
compare "Czech arcade" "$source/tests/golden/arcade_czech.script" cs_CZ.UTF-8 \
    "$source/tests/golden/arcade_czech_hashes.txt"
compare port "$source/tests/golden/port.script" C "$source/tests/golden/port_hashes.txt"
compare "Czech port" "$source/tests/golden/port_czech.script" cs_CZ.UTF-8 \
    "$source/tests/golden/port_czech_hashes.txt"

echo "$passed passed, $failed failed: PowerPC frame hashes against the recorded ones"
[[ $failed -eq 0 ]]
