#!/usr/bin/env bash
# Starts the real menu from an application directory with a blank and a
# non-ASCII letter in its path, with a recorder in place of the emulator, on a
# virtual X display, and plays every game part with the keyboard: each must
# start the emulator exactly once with its data file, in that directory.
set -euo pipefail
playdeck=$1 recorder=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }

tmp=$(mktemp -d)
app="$tmp/my games é"
mkdir -p "$app/data"
cp "$playdeck" "$app/playdeck"
cp "$recorder" "$app/data/Runcart.exe"
export PLAYDECK_RECORD="$tmp/record"

display=:$(( 200 + RANDOM % 500 ))
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
menu=
cleanup() { [ -n "$menu" ] && kill "$menu" 2>/dev/null; kill "$xvfb" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
export DISPLAY=$display
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done

cd /   # the emulator must get the application directory all the same
"$app/playdeck" &
menu=$!
timeout 20 xdotool search --sync --onlyvisible --name '^PLAYDECK$' >/dev/null

records() { find "$tmp" -maxdepth 1 -name 'record.[0-9]*' | wc -l; }
waitRecords() {
  for _ in $(seq 200); do [ "$(records)" -ge "$1" ] && return 0; sleep 0.05; done
  echo "FAIL: expected $1 starts, saw $(records)"; exit 1
}
waitWindow() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" >/dev/null || { echo "FAIL: no window '$1'"; exit 1; }; }
waitGone() {
  for _ in $(seq 200); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0; sleep 0.05; done
  echo "FAIL: window '$1' stayed open"; exit 1
}
key() { xdotool key --delay 40 "$@"; sleep 0.1; }

expected=()
n=0
# Dialog captions and their parts' data files, top to bottom in the menu.
plan=(
  "Teenage Mutant Ninja Turtles|kora1 kora2 kora3"
  "Captain Tsubasa|vemi1 vemi2"
  "Ninja Gaiden|palu1 palu2"
  "Contra|bexo zuna"
  "|mado3"
  "Duck Tales|lori1 lori2"
)
for row in "${plan[@]}"; do
  caption=${row%%|*}
  read -r -a files <<< "${row#*|}"
  for i in "${!files[@]}"; do
    key Return
    if [ -n "$caption" ]; then
      waitWindow "$caption"
      for _ in $(seq "$i"); do key Tab; done
      key space
      waitGone "$caption"
    fi
    n=$((n + 1))
    waitRecords "$n"
    expected+=("data/${files[$i]}.dat")
  done
  key Down
done

# Every record: the program, its one argument, the working directory.
fail=0
mapfile -t got < <(for f in $(ls -tr "$tmp"/record.[0-9]*); do sed -n 3p "$f"; done)
for f in "$tmp"/record.[0-9]*; do
  { read -r argc; read -r prog; read -r _; read -r cwd; } < "$f"
  [ "$argc" = "argc=2" ] && [ "$prog" = "$app/data/Runcart.exe" ] && [ "$cwd" = "$app" ] ||
    { echo "FAIL: $f: $argc | $prog | $cwd"; fail=1; }
done
if [ "$(printf '%s\n' "${got[@]}" | sort)" != "$(printf '%s\n' "${expected[@]}" | sort)" ]; then
  echo "FAIL: started ${got[*]}, expected ${expected[*]}"; fail=1
fi
kill -0 "$menu" || { echo "FAIL: the menu is gone"; exit 1; }
[ "$fail" = 0 ] && echo "all ${#expected[@]} parts started: ${expected[*]}"
exit "$fail"
