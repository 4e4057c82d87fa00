#!/usr/bin/env bash
# The game as a player installs it: `cmake --install` into a staging root, the installed
# files checked, then the installed program started by its desktop entry's command, headless,
# with its settings kept in the player's own directories; and the portable game directory
# when it is read-only or its disk is full.
#   install_test.sh <build dir>
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT
chmod 755 "$root"
fail() { echo "FAIL: $*"; exit 1; }

# Settings page: particles left from auto, detail left, then Esc saves; START, a short flight.
# Keys every other frame, as a player's presses; the bytes are the file that makes.
script=$root/play.script
printf '0 press space\n2 press up\n4 press up\n6 press return\n8 press down\n10 press down\n'\
'12 press left\n14 press down\n16 press a\n18 press esc\n20 press down\n22 press down\n'\
'24 press return\n60 quit\n' > "$script"
resave=$root/resave.script
printf '0 press space\n2 press up\n4 press up\n6 press return\n8 press esc\n10 quit\n' > "$resave"
expected_cfg=$(printf 'GRFX\0\7\0\0\3\4\0\0\0\0\0\0\0UICF\0\1\0' | od -An -tx1)

cfg_of() { od -An -tx1 "$1" 2>/dev/null || echo missing; }
locale=(LANGUAGE= LC_ALL= LC_MESSAGES= LANG=C XDG_CONFIG_HOME= XDG_STATE_HOME=)

# --- the installed tree --------------------------------------------------------------------
DESTDIR=$root/stage cmake --install "$build" > /dev/null
touch "$root/installed"
desktop=$(find "$root/stage" -name org.vantrel.Vantrel.desktop)
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
exe=$root/stage$exec_line
prefix=${exec_line%/games/vantrel}
share=$root/stage$prefix/share
[[ -x $exe ]] || fail "the desktop entry's command $exec_line is not installed"
[[ -f $share/games/vantrel/stars.catalog ]] || fail "no data in share/games/vantrel"
[[ ! -e $share/games/vantrel/vantrel ]] || fail "the program was copied into the data"
for size in 48 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/vantrel.png
    [[ $(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}') == "$size $size" ]] ||
        fail "icon $icon is not $size x $size"
done
appstreamcli validate --no-net --pedantic "$share/metainfo/org.vantrel.Vantrel.metainfo.xml" > "$root/as.txt" ||
    { cat "$root/as.txt"; fail "the AppStream metadata does not validate"; }
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
man_text=$(sed 's/\\-/-/g' "$share/man/man6/vantrel.6")
for option in $("$exe" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<< "$man_text" || fail "the manual page misses $option"
done

# --- the installed game keeps its settings in the player's directories -------------------
home=$root/home
mkdir -p "$home"
env "${locale[@]}" HOME="$home" "$exe" --headless --script "$script" > "$root/out1.txt"
grep -q "^OK: flight test running" "$root/out1.txt" || fail "the installed game did not fly: $(cat "$root/out1.txt")"
[[ $(cfg_of "$home/.config/vantrel/Vantrel.cfg") == "$expected_cfg" ]] ||
    fail "settings not saved under ~/.config/vantrel"
[[ -s $home/.local/state/vantrel/Vantrel_start.log ]] || fail "no start-up log under ~/.local/state"
[[ -z $(find "$share/games/vantrel" -newer "$root/installed" -type f) ]] || fail "the game wrote into its data"
# Read back on restart: leaving the page again writes what was read.
env "${locale[@]}" HOME="$home" "$exe" --headless --script "$resave" > /dev/null
[[ $(cfg_of "$home/.config/vantrel/Vantrel.cfg") == "$expected_cfg" ]] ||
    fail "the installed game did not read its settings back"
# The whole tree moved elsewhere still finds its data.
mv "$root/stage" "$root/moved"
env "${locale[@]}" HOME="$home" "$root/moved$exec_line" --headless --frames 2 > /dev/null ||
    fail "a moved install does not start"

# --- a read-only portable directory ------------------------------------------------------
game=$root/ro-game
cp -r "$(dirname "$build/game/vantrel")" "$game"
rm -f "$game"/Vantrel.cfg "$game"/Vantrel_start.log
chmod -R a-w "$game"
rohome=$root/ro-home
mkdir -p "$rohome"
as_player=()
if [[ $(id -u) -eq 0 ]]; then # root writes anywhere: play as nobody instead
    chown 65534:65534 "$rohome"
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
for run in "$script" "$resave"; do
    env "${locale[@]}" HOME="$rohome" "${as_player[@]}" "$game/vantrel" --headless --script "$run" \
        > "$root/ro.txt" 2>&1 || { cat "$root/ro.txt"; fail "read-only game directory: the game failed"; }
    [[ $(cfg_of "$rohome/.config/vantrel/Vantrel.cfg") == "$expected_cfg" ]] ||
        fail "read-only game directory: settings not in ~/.config/vantrel"
done
[[ ! -e $game/Vantrel.cfg ]] || fail "read-only game directory was written"

# --- a full disk: the old settings file stays whole ---------------------------------------
game=$root/full-game
cp -r "$(dirname "$build/game/vantrel")" "$game"
printf 'GRFX\0\7\1\2\2\3\1\0\0\0\0\0\0UICF\0\1\0' > "$game/Vantrel.cfg"
before=$(cfg_of "$game/Vantrel.cfg")
(ulimit -f 0; exec env "${locale[@]}" "$game/vantrel" --headless --script "$resave") | cat > "$root/full.txt"
grep -q "^settings: could not save PROGDIR:Vantrel.cfg (File too large); the changes hold for this run$" \
    "$root/full.txt" || fail "a full disk was not reported: $(cat "$root/full.txt")"
[[ $(cfg_of "$game/Vantrel.cfg") == "$before" ]] || fail "a full disk damaged the settings file"
[[ ! -e $game/Vantrel.cfg.new ]] || fail "a full disk left the temporary file"
echo "install: ok"
