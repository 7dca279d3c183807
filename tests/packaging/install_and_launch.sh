#!/usr/bin/env bash
# Installs into a temporary prefix (with a blank in its path) and checks the
# layout, the one application id, a valid menu entry starting the installed
# command by its full path, the install manifest, that a second install
# keeps an emulator already in data/ but not an old stand-in, and the uninstall. (Starting the menu
# through a link and its emulator beside the real binary: e2e_wayland_session.)
#   install_and_launch.sh <build dir> <app id>
set -euo pipefail
build=$1 id=$2
source "$(dirname "$0")/../support/script.sh"
tmp=$(mktemp -d)
trap finally EXIT
keep_manifest "$build"
prefix="$tmp/my prefix"
app="$prefix/lib/playdeck"
install() { cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }; }

install
check "bin/playdeck is not the relative link ../lib/playdeck/playdeck" \
  test "$(readlink "$prefix/bin/playdeck")" = ../lib/playdeck/playdeck
check "bin/playdeck does not lead to the real binary" test "$(readlink -f "$prefix/bin/playdeck")" = "$(realpath "$app/playdeck")"
for binary in "$app/playdeck" "$app/data/Runcart.exe"; do
  check "$binary is not an executable file" test -f "$binary" -a ! -L "$binary" -a -x "$binary"
  check "$binary misses libraries: $(ldd "$binary" | grep 'not found' || true)" bash -c "! ldd '$binary' | grep -q 'not found'"
done

# One application id: desktop file name, its icon, the icons, the metainfo id and launchable.
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
check "$desktop does not show the icon $id" grep -qx "Icon=$id" "$desktop"
check "$desktop does not start $prefix/bin/playdeck" grep -qxF "Exec=\"$prefix/bin/playdeck\"" "$desktop"
check "$desktop is not valid: $(desktop-file-validate "$desktop" 2>&1)" test -z "$(desktop-file-validate "$desktop" 2>&1)"
check "$metainfo does not have the id $id" grep -qF "<id>$id</id>" "$metainfo"
check "$metainfo does not launch $id.desktop" grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
for size in 32 64 128 256; do
  check "no ${size}x$size icon" test -f "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
done

# The manifest names every installed file and link, so it can uninstall them.
( cd / && find "$prefix" ! -type d | sort ) > "$tmp/found"
check "manifest and installed files differ: $(sort "$manifest" | diff - "$tmp/found" | grep '^[<>]' | tr '\n' ' ')" \
  cmp -s <(sort "$manifest") "$tmp/found"

# A new install replaces an older copy of the stand-in in data/ and keeps a
# player's emulator there.
for old in stand-in player; do
  printf '#!/bin/sh\n# %s\n' "$([ $old = stand-in ] && echo N7standin6WindowE)" > "$app/data/Runcart.exe"
  cp -p "$app/data/Runcart.exe" "$tmp/old.exe"
  install
  [ $old = stand-in ] && new="$build/data/Runcart.exe" || new="$tmp/old.exe"
  check "a new install over the $old's program did not leave $new in data/" cmp -s "$new" "$app/data/Runcart.exe"
done
check "the manifest claims the player's emulator" bash -c "! grep -q Runcart.exe '$manifest'"

# Uninstalling by the manifest leaves only the player's emulator.
xargs -d '\n' rm < "$manifest"
( cd / && find "$prefix" ! -type d ) > "$tmp/left"
check "uninstalling left $(tr '\n' ' ' < "$tmp/left")" test "$(cat "$tmp/left")" = "$app/data/Runcart.exe"
exit "$fail"
