#!/usr/bin/env bash
# Builds the Debian package with cpack into a temporary directory and checks
# its fields, its dependencies found by dpkg-shlibdeps and its files; lintian,
# where installed, must report no error.
#   deb.sh <build dir> <version>
set -euo pipefail
build=$1 version=$2
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
manifest="$build/install_manifest.txt"
[ -e "$manifest" ] && cp -p "$manifest" "$tmp/manifest.saved"
cleanup() {
  if [ -e "$tmp/manifest.saved" ]; then cp -p "$tmp/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; exit 1; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made ${debs[*]}"; exit 1; }
deb=${debs[0]}

fail=0
check() {  # check <message> <command...>
  local message=$1; shift
  "$@" || { echo "FAIL: $message"; fail=1; }
}
field() { dpkg-deb -f "$deb" "$1"; }
check "package name $(field Package)" test "$(field Package)" = playdeck
check "version $(field Version)" test "$(field Version)" = "$version"
check "section $(field Section)" test "$(field Section)" = games
depends=", $(field Depends),"
for needed in fonts-wine fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
  check "does not depend on $needed: $depends" grep -qE ", $needed[ ,]" <<< "$depends"
done

dpkg-deb -x "$deb" "$tmp/root"
usr="$tmp/root/usr"
check "usr/games/playdeck is not the link ../lib/playdeck/playdeck" \
  test "$(readlink "$usr/games/playdeck")" = ../lib/playdeck/playdeck
check "no usr/bin: Debian keeps games in usr/games" test ! -e "$usr/bin"
check "the menu entry does not start /usr/games/playdeck" \
  grep -qx Exec=/usr/games/playdeck "$usr/share/applications/io.github.playdeck.Playdeck.desktop"
for binary in "$usr/lib/playdeck/playdeck" "$usr/lib/playdeck/standin-emulator"; do
  check "$binary is missing or not executable" test -f "$binary" -a -x "$binary"
  check "$binary carries debug information" bash -c "! readelf -S '$binary' | grep -q debug_info"
done
for file in share/applications/io.github.playdeck.Playdeck.desktop \
            share/metainfo/io.github.playdeck.Playdeck.metainfo.xml \
            share/icons/hicolor/256x256/apps/io.github.playdeck.Playdeck.png \
            share/doc/playdeck/copyright share/doc/playdeck/changelog.gz share/man/man6/playdeck.6.gz; do
  check "no usr/$file" test -f "$usr/$file"
done

# Installed into a throw-away root: data/Runcart.exe is the stand-in by way of
# update-alternatives; an emulator the admin registers stays chosen across a
# reinstall, and removing the package leaves only the admin's choice.
root="$tmp/installed"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc/alternatives"
touch "$root/var/lib/dpkg/status"
dpkgroot() { dpkg --root="$root" --force-script-chrootless --force-depends --log=/dev/null "$@" > "$tmp/dpkg.log" 2>&1 ||
               { cat "$tmp/dpkg.log"; fail=1; }; }
started() { readlink "$root/$(readlink "$root/usr/lib/playdeck/data/Runcart.exe")"; }
dpkgroot -i "$deb"
check "data/Runcart.exe is $(started), not the stand-in" test "$(started)" = /usr/lib/playdeck/standin-emulator
mkdir -p "$root/usr/games" && printf '#!/bin/sh\n' > "$root/usr/games/fake-nes" && chmod +x "$root/usr/games/fake-nes"
DPKG_ROOT=$root update-alternatives --quiet --install /usr/lib/playdeck/data/Runcart.exe playdeck-emulator /usr/games/fake-nes 50
dpkgroot -i "$deb"
check "after a reinstall data/Runcart.exe is $(started), not the admin's emulator" test "$(started)" = /usr/games/fake-nes
dpkgroot --remove playdeck
check "the stand-in is still a choice after removal" bash -c "! grep -rq standin-emulator '$root/var/lib/dpkg/alternatives'"

if command -v lintian >/dev/null; then
  lintian "$deb" > "$tmp/lintian.log" 2>/dev/null || true
  check "lintian errors: $(grep '^E:' "$tmp/lintian.log" | tr '\n' ' ')" bash -c "! grep -q '^E:' '$tmp/lintian.log'"
else
  echo "lintian not installed: not run"
fi
[ "$fail" = 0 ] && echo "$(basename "$deb"): $(field Depends)"
exit "$fail"
