#!/usr/bin/env bash
# The real menu in an application directory with a blank and a non-ASCII
# letter in its path, started from / through a link, a recorder in place of
# the emulator, on a virtual X display: every part played by keyboard starts
# the emulator beside the real binary once with its data file, in that
# directory; every dialog, Help and About are transient for the menu (kept in
# front of it by the window manager); Alt+X, a click on Exit and the close box
# end it with status 0.
#   every_part_starts.sh <playdeck> <recorder> <close_window>
set -euo pipefail
playdeck=$1 recorder=$2 close_window=$3
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }
source "$(dirname "$0")/../support/script.sh"

tmp=$(mktemp -d)
trap finally EXIT
app="$tmp/my games é"
mkdir -p "$app/data"
cp "$playdeck" "$app/playdeck"
cp "$recorder" "$app/data/Runcart.exe"
ln -s "$app/playdeck" "$tmp/link"
export PLAYDECK_RECORD="$tmp/record"
start_xvfb

records() { find "$tmp" -maxdepth 1 -name 'record.[0-9]*' | wc -l; }
gone() { ! visible "$1"; }
keyboard() { focused "$(visible "$1")"; }  # keys go where the X focus is
started() { [ "$(records)" -ge "$1" ]; }
opened() { wait_for 10 "the window '$1' with the keyboard" keyboard "$1"; }
owned() {  # owned <caption>: the window names the menu as its WM_TRANSIENT_FOR
  check "'$1' is not transient for the menu" bash -c "xprop -id $(visible "$1") WM_TRANSIENT_FOR | grep -q '# $(printf '0x%x' "$win")\$'"
}
key() { xdotool key --delay 20 "$@"; }

start_menu "$tmp/link"
n=0 expected=()
mapfile -t plan < <(titles)
for row in "${plan[@]}"; do
  IFS='|' read -r caption _ list <<< "$row"
  read -r -a files <<< "$list"
  for i in "${!files[@]}"; do
    key Return
    if [ -n "$caption" ]; then
      opened "$caption"
      [ "$i" = 0 ] && owned "$caption"
      for _ in $(seq "$i"); do key Tab; done
      key space
      wait_for 10 "the dialog '$caption' to close" gone "$caption"
      wait_for 10 "the menu to take the keyboard back" focused "$win"
    fi
    n=$((n + 1))
    wait_for 10 "start $n" started "$n"
    expected+=("data/${files[$i]}.dat")
  done
  key Down
done

# Every record: the program, its one argument, the working directory.
for f in "$tmp"/record.[0-9]*; do
  { read -r argc; read -r prog; read -r arg; read -r cwd; } < "$f"
  echo "$arg" >> "$tmp/started"
  [ "$argc $prog $cwd" = "argc=2 $app/data/Runcart.exe $app" ] || { echo "FAIL: $f: $argc | $prog | $cwd"; fail=1; }
done
[ "$(sort "$tmp/started")" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
  { echo "FAIL: started $(tr '\n' ' ' < "$tmp/started"), expected ${expected[*]}"; fail=1; }

# Help closed by Space on OK, About by Tab, Tab (past its pictures) and Enter.
for row in "Quick Help|alt+h|space" "About PLAYDECK|alt+a|Tab Tab Return"; do
  IFS='|' read -r caption open close <<< "$row"
  key "$open"
  opened "$caption"
  owned "$caption"
  key $close
  wait_for 10 "the window '$caption' to close" gone "$caption"
done

# Each way out ends the process by itself, with status 0.
key alt+x; ends "Alt+X"
# Exit's centre: client area at (156, 63) (no window manager moves it), button at (208, 336) sized 81 x 33.
start_menu "$tmp/link"; xdotool mousemove 404 415 click 1; ends "a click on Exit"
start_menu "$tmp/link"; "$close_window" "$win"; ends "the close box"
[ "$fail" = 0 ] && echo "all ${#expected[@]} parts started: ${expected[*]}; every way out ended with status 0"
exit "$fail"
