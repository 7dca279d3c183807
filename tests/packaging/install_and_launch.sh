#!/usr/bin/env bash
# Installs into a temporary prefix (with a blank in its path) and checks the
# layout, the one application id, the install manifest, that a second install
# keeps an emulator already in data/, and - on a virtual X display when Xvfb
# and xdotool are there - that the program started through bin/playdeck from
# another directory starts data/Runcart.exe beside the real binary.
#   install_and_launch.sh <build dir> <app id>
set -euo pipefail
build=$1 id=$2

tmp=$(mktemp -d)
prefix="$tmp/my prefix"
manifest="$build/install_manifest.txt"
# The build's own manifest (from the developer's real install) is put back afterwards.
[ -e "$manifest" ] && cp -p "$manifest" "$tmp/manifest.saved"
xvfb= menu=
cleanup() {
  [ -n "$menu" ] && kill "$menu" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  if [ -e "$tmp/manifest.saved" ]; then cp -p "$tmp/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

fail=0
check() {  # check <message> <command...>
  local message=$1; shift
  "$@" || { echo "FAIL: $message"; fail=1; }
}
install() { cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }; }

install
app="$prefix/lib/playdeck"
check "bin/playdeck is not the relative link ../lib/playdeck/playdeck" \
  test "$(readlink "$prefix/bin/playdeck")" = ../lib/playdeck/playdeck
check "bin/playdeck does not lead to the real binary" \
  test "$(readlink -f "$prefix/bin/playdeck")" = "$(realpath "$app/playdeck")"
check "lib/playdeck/playdeck is not an executable file" test -f "$app/playdeck" -a ! -L "$app/playdeck" -a -x "$app/playdeck"
check "data/Runcart.exe is not installed executable" test -f "$app/data/Runcart.exe" -a -x "$app/data/Runcart.exe"
for binary in "$app/playdeck" "$app/data/Runcart.exe"; do
  check "$binary misses libraries: $(ldd "$binary" | grep 'not found' || true)" \
    bash -c "! ldd '$binary' | grep -q 'not found'"
done

# One application id: desktop file name, its icon, the icons, the metainfo id and launchable.
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
check "no $desktop" test -f "$desktop"
check "no $metainfo" test -f "$metainfo"
check "the desktop file's icon is not $id" grep -qx "Icon=$id" "$desktop"
check "the desktop file does not start $prefix/bin/playdeck" grep -qxF "Exec=\"$prefix/bin/playdeck\"" "$desktop"
check "the metainfo id is not $id" grep -qF "<id>$id</id>" "$metainfo"
check "the metainfo does not launch $id.desktop" grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
for size in 32 64 128 256; do
  check "no ${size}x$size icon" test -f "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
done

# The manifest names every installed file and link, so it can uninstall them.
( cd / && find "$prefix" ! -type d | sort ) > "$tmp/found"
sort "$manifest" > "$tmp/listed"
check "manifest and installed files differ: $(diff "$tmp/listed" "$tmp/found" | grep '^[<>]' | tr '\n' ' ')" \
  cmp -s "$tmp/listed" "$tmp/found"

# A player's emulator in data/ (here: one that writes down how it was started) survives a new install.
record="$tmp/record"
printf '#!/bin/sh\n{ echo "$0"; echo "$@"; pwd -P; } > "%s.part" && mv "%s.part" "%s"\n' \
  "$record" "$record" "$record" > "$app/data/Runcart.exe"
chmod +x "$app/data/Runcart.exe"
cp -p "$app/data/Runcart.exe" "$tmp/player.exe"
install
check "a second install replaced the emulator already in data/" cmp -s "$tmp/player.exe" "$app/data/Runcart.exe"
check "the manifest claims the player's emulator" bash -c "! grep -q Runcart.exe '$manifest'"

# Start through the link from / on a virtual display; Enter on the first title
# opens its dialog, Space presses its first part.
launch() {
  exec 3> "$tmp/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$tmp/display")"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
  (cd / && exec "$prefix/bin/playdeck") &
  menu=$!
  timeout 20 xdotool search --sync --onlyvisible --name '^PLAYDECK$' > /dev/null
  dialog=
  for _ in 1 2 3 4 5; do
    xdotool key Return
    if timeout 3 xdotool search --sync --onlyvisible --name '^Teenage Mutant Ninja Turtles$' > /dev/null; then
      dialog=yes
      break
    fi
  done
  [ -n "$dialog" ] || { echo "FAIL: Enter opened no part dialog"; exit 1; }
  xdotool key space
  for _ in $(seq 200); do [ -e "$record" ] && break; sleep 0.05; done
  [ -e "$record" ] || { echo "FAIL: the emulator was not started"; exit 1; }
  { read -r program; read -r argument; read -r cwd; } < "$record"
  check "started $program, not the data/Runcart.exe beside the real binary" \
    test "$program" = "$(realpath "$app")/data/Runcart.exe"
  check "the emulator got '$argument', not data/kora1.dat" test "$argument" = data/kora1.dat
  check "the emulator ran in $cwd, not the application directory" test "$cwd" = "$(realpath "$app")"
  kill "$menu"
  wait "$menu" 2>/dev/null || true
  menu=
  echo "started through bin/playdeck: $program $argument"
}
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  launch
else
  echo "launch not checked: Xvfb or xdotool missing"
fi

# Uninstalling by the manifest leaves only the player's emulator.
xargs -d '\n' rm < "$manifest"
( cd / && find "$prefix" ! -type d ) > "$tmp/left"
check "uninstalling left $(tr '\n' ' ' < "$tmp/left")" test "$(cat "$tmp/left")" = "$app/data/Runcart.exe"
exit "$fail"
