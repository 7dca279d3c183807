#!/usr/bin/env bash
# The Windows program under Wine, driven by real keys, started from elsewhere
# out of an awkwardly named folder with a recorder for the emulator: the
# process start, the message box, placement, and a screenshot of every window
# (of the screen on failure). Which part each button starts: the headless
# scenarios, under Wine too.
#   menu_under_wine.sh <playdeck.exe> <recorder.exe> <wineprefix> <screenshot dir>
set -uo pipefail
exe=$1 recorder=$2 prefix=$3 shots=$4
wine=/usr/lib/wine/wine64
for t in "$wine" Xvfb xdotool; do command -v "$t" >/dev/null || { echo "SKIP: $t missing"; exit 77; }; done
for t in openbox xwininfo xprop import; do command -v "$t" >/dev/null || { echo "FAIL: $t missing"; exit 1; }; done
source "$(dirname "$0")/../support/script.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8
tmp=$(mktemp -d) wm=
trap 'wine_finally "$shots/wine_failure.png"' EXIT
app="$tmp/my games 'n' & ^up %PATH% é \$(x)"
mkdir -p "$app/data" "$tmp/elsewhere" "$shots"
rm -f "$shots/wine_failure.png"
cp "$exe" "$app/playdeck.exe"
cp "$recorder" "$app/data/Runcart.exe"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
export PLAYDECK_RECORD
PLAYDECK_RECORD=$(winpath "$tmp/record")

start_wine

fail() { echo "FAIL: $*"; exit 1; }
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
# Keys go where the X focus is: a window counts once it is active and has the focus (its id in $id).
isActive() {
  id=$(xdotool getactivewindow 2>/dev/null) && [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$id" ] && windows "$1" | grep -qx "$id"
}
waitFor() { wait_for 30 "window '$1' to be active" isActive "$1"; }
none() { [ -z "$(windows "$1")" ]; }
waitGone() { wait_for 30 "window '$1' to close" none "$1"; waitFor PLAYDECK; }
recorderGone() {  # nor its console, which may show a window even after the recorder ended
  for p in $(pgrep -f 'Runcart|conhost'); do tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && return 1; done
  return 0
}
# A started recorder is a console program whose window takes the keyboard for
# a moment: the menu is back once the recorder and its console have ended and it is active.
waitRecords() {
  wait_for 30 "emulator start $1" started "$1"
  wait_for 30 "the recorder to end" recorderGone
  # On a busy machine openbox may mark the menu active again before Wine has
  # taken the keyboard back, and the next keys would be lost: the menu is
  # activated once more, as a click on it would.
  xdotool windowactivate "$main" 2>/dev/null
  waitFor PLAYDECK
}
key() { xdotool key --delay 40 "$@"; }
placed() {  # the client area on the screen, as "WxH at X,Y"
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print w "x" h " at " x "," y}'
}
expectPlaced() { [ "$(placed "$1")" = "$2" ] || fail "$3 is $(placed "$1"), expected $2"; echo "ok: $3 $2"; }
shot() { sleep 0.3; import -window "$1" "$shots/wine_$2.png" || fail "screenshot $2"; }

cd "$tmp/elsewhere"  # the emulator must get the application folder all the same
"$wine" "$app/playdeck.exe" > "$tmp/menu.log" 2>&1 &
menu=$!
waitFor PLAYDECK; main=$id
expectPlaced "$main" "312x374 at 156,63" "main menu"
shot "$main" main_menu

# Alt or F10 alone enters no menu mode; Up from the first title wraps to the
# last; Enter belongs to the menu even while Exit has the focus.
key alt Up Return
waitFor "Duck Tales"
key Escape
waitGone "Duck Tales"
key F10 Down Tab

# Every part dialog, left by Escape but the first: its third part by Tab, Tab,
# Space. The single title held down starts once.
mapfile -t plan < <(titles)
for row in "${plan[@]}"; do
  IFS='|' read -r caption name _ <<< "$row"
  if [ -z "$caption" ]; then
    xdotool keydown Return; sleep 0.8; xdotool keyup Return
    waitRecords 2
  else
    key Return
    waitFor "$caption"
    shot "$id" "dialog_$name"
    if [ "$name" = turtles ]; then key Tab Tab space; else key Escape; fi
    waitGone "$caption"
    [ "$name" = turtles ] && waitRecords 1
  fi
  key Down
done

# Without the emulator: a message box, and the menu goes on (mado3 again).
mv "$app/data/Runcart.exe" "$app/data/away.exe"
key Up Up Return
boxActive() { isActive PLAYDECK && [ "$id" != "$main" ]; }
wait_for 30 "the error message box to be active" boxActive
shot "$id" error_report
key Return
menuAlone() { [ "$(windows PLAYDECK | wc -l)" = 1 ]; }
wait_for 30 "the error message box to close" menuAlone
waitFor PLAYDECK
mv "$app/data/away.exe" "$app/data/Runcart.exe"
key Return
waitRecords 3
echo "ok: a failed start is reported and the menu goes on"

# Help closed by Space; About by Tab, Tab (past its two pictures to OK), Enter.
for row in "Quick Help|h|295x223 at 170,145|hlpfrm|space" "About PLAYDECK|a|312x213 at 156,132|about|Tab Tab"; do
  IFS='|' read -r caption k place name keys <<< "$row"
  key "alt+$k"
  waitFor "$caption"
  expectPlaced "$id" "$place" "$caption"
  shot "$id" "$name"
  key $keys
  [ "$name" = about ] && { shot "$id" about_ok_focused; key Return; }
  waitGone "$caption"
done

key alt+x
ends "Alt+X"
[ "$fail" = 0 ] || exit 1
echo "ok: Alt+X ends the program with status 0"

# Every record (command line, window state, argc, the arguments, the working
# folder): maximized, one argument, the data file, in the application folder.
[ "$(records)" = 3 ] || fail "$(records) emulator starts for two and the one after the failure"
for f in "$tmp"/record.[0-9]*; do
  mapfile -t r < "$f"
  [ "${r[1]} ${r[2]}" = "show=3 argc=2" ] && [ "${r[5]}" = "$(winpath "$app")" ] || fail "$f: ${r[*]}"
  got+=("${r[4]}")
done
[ "$(printf '%s\n' "${got[@]}" | sort)" = "$(printf 'data\\%s.dat\n' kora3 mado3 mado3)" ] || fail "started ${got[*]}"
echo "ok: every start had data\\<file>.dat and the application folder"
