#!/usr/bin/env bash
# The main menu at 96, 144 and 192 dpi under Wine (the prefix's LogPixels, put
# back to 96 at the end): scaled, pictures enlarged by nearest neighbour,
# lines (dpi + 48) / 96 pixels thick; every window's text whole there and at
# 96 dpi without the classic face (win32_layout); MSAA at 144 dpi (win32_msaa).
#   dpi_under_wine.sh <playdeck.exe> <wineprefix> <screenshot dir> <win32_layout.exe> <win32_msaa.exe>
set -uo pipefail
exe=$1 prefix=$2 shots=$3 layout=$4 msaa=$5
wine=/usr/lib/wine/wine64
for t in "$wine" Xvfb xdotool; do command -v "$t" >/dev/null || { echo "SKIP: $t missing"; exit 77; }; done
for t in openbox xwininfo xprop import convert compare; do command -v "$t" >/dev/null || { echo "FAIL: $t missing"; exit 1; }; done
source "$(dirname "$0")/../support/script.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8
tmp=$(mktemp -d) wm=
setDpi() {
  timeout 60 "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -k 2>/dev/null; /usr/lib/wine/wineserver -w
}
fonts="$prefix/drive_c/windows/Fonts" classic="ms_sans_serif.ttf sserif*.fon ssee*.fon ssef*.fon"
putBack() { [ -d "$tmp/classic" ] && mv "$tmp/classic/"* "$fonts/" 2>/dev/null; rm -rf "$tmp/classic"; }
trap 'status=$?; putBack; setDpi 96; (exit $status); wine_finally "$shots/wine_dpi_failure.png"' EXIT
mkdir -p "$shots" "$tmp/app"
start_wine 1600x1200x24  # room for the window at 192 dpi
fail() { echo "FAIL: $*"; exit 1; }
grep -q 'PerMonitorV2' "$exe" || fail "no per-monitor v2 awareness in the manifest"
cp "$exe" "$tmp/app/playdeck.exe"
at() { echo $(( ($1 * $2 + 48) / 96 )); }  # a 96-dpi length at dpi $2
size() { xwininfo -id "$1" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w, h}'; }
near() { [ $(( $1 - $2 )) -ge -1 ] && [ $(( $1 - $2 )) -le 1 ]; }
# The picture at (x, y) w x h (96-dpi pixels; at y2 if given) in the
# screenshot at dpi $1, against the one at (x, y) at 96 dpi enlarged by
# nearest neighbour: the number of pixels that differ. The outer ring, where
# the focus is marked and the next control may cover half a pixel, is aside.
differs() {
  local d=$1 x=$2 y=$3 w=$4 h=$5 shot=$6 y2=${7:-$3} ring=$(( ($1 + 95) / 96 ))
  local size="$(at "$w" "$d")x$(at "$h" "$d")"
  convert "$tmp/96.png" -crop "${w}x$h+$x+$y" +repage -sample "$size!" -shave "${ring}x$ring" "$tmp/a.png"
  convert "$shot" -crop "$size+$(at "$x" "$d")+$(at "$y2" "$d")" +repage -shave "${ring}x$ring" "$tmp/b.png"
  compare -metric AE "$tmp/a.png" "$tmp/b.png" null: 2>&1
}
downShot() { import -window "$win" "$tmp/down.png" && [ "$(differs "$d" 8 8 16 13 "$tmp/down.png" 64)" = 0 ]; }
# The dark pixels across the first separator (at 960 twips) between the details and the pictures.
thickness() {
  convert "$1" -crop "1x12+$(at 160 "$d")+$(( $(at 64 "$d") - 4 ))" +repage -colorspace gray -negate -threshold 50% \
    -format '%[fx:round(mean*h)]' info:
}
open_menu() {  # open_menu <when>: the main menu, shown
  (cd "$tmp/app" && exec "$wine" playdeck.exe) > "$tmp/menu.log" 2>&1 &
  menu=$!
  wait_for 30 "the main menu $1" visible PLAYDECK
}
close_menu() {  # close_menu <when>: Alt+X ends it; then every window's text is whole at the prefix's resolution
  xdotool key alt+x
  ends "Alt+X $1"
  "$wine" "$layout" > "$tmp/layout.log" 2>&1 || { cat "$tmp/layout.log"; fail "text cut $1"; }
}

for d in 96 144 192; do
  setDpi "$d"
  open_menu "at $d dpi"
  win=$(visible PLAYDECK)
  wait_for 10 "the menu to take the keyboard at $d dpi" focused "$win"
  read -r w h < <(size "$win")
  near "$w" "$(at 312 "$d")" && near "$h" "$(at 374 "$d")" || fail "client area ${w}x$h at $d dpi"
  sleep 0.3
  import -window "$win" "$tmp/$d.png"
  cp "$tmp/$d.png" "$shots/wine_main_menu_${d}dpi.png"
  for picture in "240 8 49 57" "240 64 49 57" "240 288 49 49" "8 8 16 13"; do
    result=$(differs "$d" $picture "$tmp/$d.png")
    [ "$result" = 0 ] || fail "the picture (x y w h) $picture at $d dpi: $result pixels differ from nearest neighbour"
  done
  [ "$(thickness "$tmp/$d.png")" = $(( (d + 48) / 96 )) ] || fail "a line $(thickness "$tmp/$d.png") px thick at $d dpi"
  xdotool key Down
  wait_for 10 "the arrow on the second row at $d dpi" downShot
  close_menu "at $d dpi"
  if [ "$d" = 144 ]; then "$wine" "$msaa" "$tmp/app/playdeck.exe" || fail "MSAA at 144 dpi"; fi
  echo "ok: $d dpi, client ${w}x$h, pictures and arrow by nearest neighbour, lines, Down to the second row, text whole"
done

# Without the classic dialog face (as in a prefix made without Wine's fonts).
mkdir -p "$tmp/classic"
(cd "$fonts" && mv $classic "$tmp/classic/")
setDpi 96
open_menu "without the classic face"
sleep 0.3
import -window "$(visible PLAYDECK)" "$shots/wine_main_menu_96dpi_other_face.png"
close_menu "without the classic face"
echo "ok: 96 dpi without the classic face, text whole"
