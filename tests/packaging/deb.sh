#!/usr/bin/env bash
# Builds the Debian package with cpack into a temporary directory and checks
# its fields, its dependencies found by dpkg-shlibdeps and its files; lintian
# --pedantic, where installed, must say nothing.
#   deb.sh <build dir> <version>
set -euo pipefail
build=$1 version=$2 id=io.github.playdeck.Playdeck
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

source "$(dirname "$0")/../support/script.sh"
tmp=$(mktemp -d)
trap finally EXIT
keep_manifest "$build"  # cpack installs the build tree

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; exit 1; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made ${debs[*]}"; exit 1; }
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
for pair in Package=playdeck "Version=$version" Section=games; do
  check "${pair%%=*} $(field "${pair%%=*}")" test "$(field "${pair%%=*}")" = "${pair#*=}"
done
depends=", $(field Depends),"
for needed in fonts-wine fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6 libglib2.0-0 libc6; do
  check "does not depend on $needed: $depends" grep -qE ", $needed[ ,]" <<< "$depends"
done

check "recommends $(field Recommends)" test "$(field Recommends)" = "libsdl2-2.0-0, qt6-wayland"
dpkg-deb -x "$deb" "$tmp/root"
usr="$tmp/root/usr"
check "usr/games/playdeck is not the link ../lib/playdeck/playdeck" \
  test "$(readlink "$usr/games/playdeck")" = ../lib/playdeck/playdeck
check "no usr/bin: Debian keeps games in usr/games" test ! -e "$usr/bin"
check "the menu entry does not start /usr/games/playdeck" \
  grep -qx Exec=/usr/games/playdeck "$usr/share/applications/$id.desktop"
for binary in "$usr"/lib/playdeck/{playdeck,standin-emulator}; do
  check "$binary is missing or not executable" test -f "$binary" -a -x "$binary"
  check "$binary carries debug information" bash -c "! readelf -S '$binary' | grep -q debug_info"
done
for file in {applications/$id.desktop,metainfo/$id.metainfo.xml,icons/hicolor/256x256/apps/$id.png} \
            doc/playdeck/{copyright,changelog.gz} man/man6/playdeck.6.gz; do
  check "no usr/share/$file" test -f "$usr/share/$file"
done

# Installed into a throw-away root, over a copy of the stand-in a
# `cmake --install --prefix /usr` left: data/Runcart.exe is the stand-in by way
# of update-alternatives, also after each error unwind of dpkg (a prerm step
# undone by postinst); an emulator the admin registers stays chosen across a
# reinstall; removing it and then the package leaves nothing.
root="$tmp/installed" app=/usr/lib/playdeck
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc/alternatives" "$root/opt" "$root$app/data"
touch "$root/var/lib/dpkg/status"
cp "$usr/lib/playdeck/standin-emulator" "$root$app/data/Runcart.exe"
dpkgroot() { dpkg --root="$root" --force-script-chrootless --force-depends --log=/dev/null "$@" > "$tmp/dpkg.log" 2>&1 ||
               { cat "$tmp/dpkg.log"; fail=1; }; }
started() { readlink "$root/$(readlink "$root$app/data/Runcart.exe")"; }
dpkgroot -i "$deb"
check "data/Runcart.exe is $(started), not the stand-in" test "$(started)" = $app/standin-emulator
dpkg-deb -e "$deb" "$tmp/control"
for undone in remove:abort-remove deconfigure:abort-deconfigure upgrade:abort-upgrade; do
  DPKG_ROOT=$root sh "$tmp/control/prerm" "${undone%:*}" 1 > "$tmp/script.log" 2>&1
  DPKG_ROOT=$root sh "$tmp/control/postinst" "${undone#*:}" 1 >> "$tmp/script.log" 2>&1
  check "after prerm ${undone%:*}, postinst ${undone#*:}: data/Runcart.exe is $(started)" test "$(started)" = $app/standin-emulator
done
printf '#!/bin/sh\n' > "$root/opt/fake-nes" && chmod +x "$root/opt/fake-nes"
DPKG_ROOT=$root update-alternatives --quiet --install $app/data/Runcart.exe playdeck-emulator /opt/fake-nes 50
dpkgroot -i "$deb"
check "after a reinstall data/Runcart.exe is $(started), not the admin's emulator" test "$(started)" = /opt/fake-nes
# The README's uninstall: the admin's emulator out first, then the package.
DPKG_ROOT=$root update-alternatives --quiet --remove playdeck-emulator /opt/fake-nes
dpkgroot --remove playdeck
check "removing warned: $(grep -i warning "$tmp/dpkg.log")" bash -c "! grep -qi warning '$tmp/dpkg.log'"
dpkgroot --purge playdeck
left=$(cd "$root" && find . -name '*playdeck*' | tr '\n' ' ')
check "removing and purging left $left" test -z "$left"

if command -v lintian >/dev/null; then
  said=$(lintian --pedantic "$deb" 2>/dev/null | tr '\n' ' ' || true)
  check "lintian --pedantic: $said" test -z "$said"
else echo "lintian not installed: not run"; fi
[ "$fail" = 0 ] && echo "$(basename "$deb"): $(field Depends)"
exit "$fail"
