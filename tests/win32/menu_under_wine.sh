#!/usr/bin/env bash
# The Windows program under Wine, driven like a player would: it is started
# from another folder out of an application folder with awkward characters in
# its name, with a recorder in place of the emulator, on a virtual X display
# with a window manager. Every part must reach the emulator with its one data
# file and the application folder as working directory; the windows must sit
# at their defined places. Screenshots of every window go to <build>/screenshots.
#   menu_under_wine.sh <playdeck.exe> <recorder.exe> <wineprefix> <screenshot dir>
set -uo pipefail
exe=$1 recorder=$2 prefix=$3 shots=$4
wine=/usr/lib/wine/wine64
for tool in "$wine" Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
for tool in openbox xwininfo xprop import; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool missing (openbox, x11-utils, imagemagick)"; exit 1; }
done

export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8

tmp=$(mktemp -d)
app="$tmp/my games 'n' & ^up %PATH% é \$(x)"
mkdir -p "$app/data" "$tmp/elsewhere" "$shots"
rm -f "$shots/wine_failure.png"
cp "$exe" "$app/playdeck.exe"
cp "$recorder" "$app/data/Runcart.exe"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
export PLAYDECK_RECORD
PLAYDECK_RECORD=$(winpath "$tmp/record")

xvfb= wm= menu=
cleanup() {
  [ -n "$menu" ] && kill "$menu" 2>/dev/null
  /usr/lib/wine/wineserver -k 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { echo "FAIL: Xvfb gave no display"; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 200); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "FAIL: openbox not up after 10 s"; exit 1; }
# The prefix is made once, on our own display.
if [ ! -d "$prefix/drive_c/windows/Fonts" ]; then
  timeout 120 "$wine" wineboot -i >/dev/null 2>&1 || { echo "FAIL: wineboot"; exit 1; }
fi
# Without Wine's own fonts in the prefix the dialog font is silently replaced.
cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"

fail() { echo "FAIL: $*"; import -window root "$shots/wine_failure.png"; exit 1; }
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
# Keys go where the X focus is: a window counts once it has the keyboard.
waitFor() {  # a window by caption, shown and active, as $id
  for _ in $(seq 200); do
    id=$(xdotool getactivewindow 2>/dev/null)
    [ -n "$id" ] && windows "$1" | grep -qx "$id" && return
    sleep 0.05
  done
  fail "no active window '$1' after 10 s"
}
waitGone() {  # ... and the main menu has the keyboard again
  for _ in $(seq 200); do [ -z "$(windows "$1")" ] && break; sleep 0.05; done
  [ -z "$(windows "$1")" ] || fail "window '$1' still open after 10 s"
  waitFor PLAYDECK
}
records() { find "$tmp" -maxdepth 1 -name 'record.[0-9]*' | wc -l; }
# A started recorder is a console program: its window takes the keyboard for
# a moment, so the menu counts as back once that is gone and it is active.
waitRecords() {
  for _ in $(seq 200); do [ "$(records)" -ge "$1" ] && break; sleep 0.05; done
  [ "$(records)" -ge "$1" ] || fail "waited 10 s for emulator start $1, saw $(records)"
  for _ in $(seq 200); do pgrep -f "${tmp##*/}.*Runcart" >/dev/null || break; sleep 0.05; done
  pgrep -f "${tmp##*/}.*Runcart" >/dev/null && fail "the recorder still runs after 10 s"
  waitFor PLAYDECK
}
key() { xdotool key --delay 40 "$@"; sleep 0.15; }
# Client area on the screen, as "WxH at X,Y".
placed() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
  /Width:/{w=$NF} /Height:/{h=$NF} END{print w "x" h " at " x "," y}'; }
expectPlaced() { [ "$(placed "$1")" = "$2" ] || fail "$3 is $(placed "$1"), expected $2"; echo "ok: $3 $2"; }
shot() { sleep 0.3; import -window "$1" "$shots/wine_$2.png" || fail "screenshot $2"; }

cd "$tmp/elsewhere"  # the emulator must get the application folder all the same
"$wine" "$app/playdeck.exe" &
menu=$!
waitFor PLAYDECK; main=$id
expectPlaced "$main" "312x374 at 156,63" "main menu"
shot "$main" main_menu

# The cursor wraps both ways: Up from the first title reaches the last. Alt
# or F10 alone enters no menu mode, and Enter belongs to the menu even while
# a button (Exit, next after the cursor in tab order) has the focus.
key alt
key Up Return
waitFor "Duck Tales"
key Escape
waitGone "Duck Tales"
key F10
key Down Tab

expected=()
n=0
plan=(  # dialog caption | its parts' data files, top to bottom in the menu
  "Teenage Mutant Ninja Turtles|turtles|kora1 kora2 kora3"
  "Captain Tsubasa|tsubasa|vemi1 vemi2"
  "Ninja Gaiden|gaiden|palu1 palu2"
  "Contra|contra|bexo zuna"
  "||mado3"
  "Duck Tales|duckt|lori1 lori2"
)
for row in "${plan[@]}"; do
  IFS='|' read -r caption name list <<< "$row"
  read -r -a files <<< "$list"
  for i in "${!files[@]}"; do
    if [ -z "$caption" ]; then
      # Held down, Enter starts the title once.
      xdotool keydown Return; sleep 0.8; xdotool keyup Return; sleep 0.15
    else
      key Return
      waitFor "$caption"
      [ "$i" = 0 ] && shot "$id" "dialog_$name"
      for _ in $(seq "$i"); do key Tab; done
      key space
      waitGone "$caption"
    fi
    n=$((n + 1))
    waitRecords "$n"
    expected+=("${files[$i]}")
  done
  key Down
done
sleep 0.5
[ "$(records)" = 12 ] || fail "$(records) emulator starts for 12 parts"
echo "ok: 12 parts, one start each"

# Every record (key=value lines, then the arguments, then the working
# folder): one argument, the data file, maximized, in the application folder.
for f in "$tmp"/record.[0-9]*; do
  mapfile -t r < "$f"
  a=$(grep -n '^argc=' "$f" | cut -d: -f1)
  [ "${r[a-1]}" = "argc=2" ] && [ "${r[-1]}" = "$(winpath "$app")" ] || fail "$f: ${r[*]}"
  grep -q '^show=' "$f" && { grep -qx 'show=3' "$f" || fail "$f: not started maximized"; }
  got+=("${r[a+1]}")
done
want=$(printf 'data\\%s.dat\n' "${expected[@]}" | sort)
[ "$(printf '%s\n' "${got[@]}" | sort)" = "$want" ] || fail "started ${got[*]}"
echo "ok: every start had data\\<file>.dat and the application folder"

# Without the emulator: a message box, and the menu goes on.
mv "$app/data/Runcart.exe" "$app/data/away.exe"
key Up Up Return
for _ in $(seq 200); do [ "$(windows PLAYDECK | wc -l)" -ge 2 ] && break; sleep 0.05; done
[ "$(windows PLAYDECK | wc -l)" -ge 2 ] || fail "no error message box"
shot "$(windows PLAYDECK | tail -n1)" error_report
key Return
for _ in $(seq 200); do [ "$(windows PLAYDECK | wc -l)" = 1 ] && break; sleep 0.05; done
waitFor PLAYDECK
mv "$app/data/away.exe" "$app/data/Runcart.exe"
key Return
waitRecords 13
echo "ok: a failed start is reported and the menu goes on"

key alt+h
waitFor "Quick Help"; help=$id
expectPlaced "$help" "295x223 at 170,145" "Quick Help"
shot "$help" hlpfrm
key space
waitGone "Quick Help"
key alt+a
waitFor "About PLAYDECK"; about=$id
expectPlaced "$about" "312x213 at 156,132" "About"
shot "$about" about
key Tab Tab  # the two pictures first, then OK
shot "$about" about_ok_focused
key Return
waitGone "About PLAYDECK"

key alt+x
for _ in $(seq 200); do kill -0 "$menu" 2>/dev/null || break; sleep 0.05; done
kill -0 "$menu" 2>/dev/null && fail "still running 10 s after Alt+X"
wait "$menu"; status=$?
menu=
[ "$status" = 0 ] || fail "exit status $status after Alt+X"
echo "ok: Alt+X ends the program with status 0"
