#!/usr/bin/env bash
# The installer under Wine, silently: what it installs (files, Start-menu
# shortcut, the "Installed apps" entry), that the installed program starts and
# shows its menu, and that a player's games and own emulator survive a
# reinstall and the uninstall, while everything of ours goes.
#   installer_under_wine.sh <setup.exe> <stage dir> <wineprefix> <screenshot dir> <publisher>
set -uo pipefail
setup=$1 stage=$2 prefix=$3 shots=$4 publisher=$5
wine=/usr/lib/wine/wine64
for t in "$wine" Xvfb xdotool; do command -v "$t" >/dev/null || { echo "SKIP: $t missing"; exit 77; }; done
for t in openbox xprop import strings cmp; do command -v "$t" >/dev/null || { echo "FAIL: $t missing"; exit 1; }; done
[ -f "$setup" ] || { echo "FAIL: no installer at $setup"; exit 1; }
source "$(dirname "$0")/../support/script.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=C.UTF-8
tmp=$(mktemp -d) wm=
trap 'wine_finally "$shots/wine_installer_failure.png"' EXIT
mkdir -p "$shots"
start_wine

fail() { echo "FAIL: $*"; exit 1; }
unix() { timeout 60 "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
winvar() { timeout 60 "$wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PLAYDECK'
regvalue() { timeout 60 "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }

local_win=$(winvar LOCALAPPDATA)
dir_win="$local_win\\Programs\\PLAYDECK"
dir=$(unix "$dir_win")
lnk=$(unix "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\PLAYDECK.lnk")
[ -n "$dir" ] && [ -n "$lnk" ] || fail "Wine did not name the user's folders"
# Whatever an earlier run left behind.
rm -rf "$dir" "$lnk"
timeout 60 "$wine" reg delete "$key" /f >/dev/null 2>&1

install() { timeout 120 "$wine" "$setup" /S || fail "the silent install ended with status $?"; }
# The silent uninstaller runs on from a copy of itself in the temporary folder.
uninstalled() { [ ! -e "$dir/Uninstall.exe" ] && ! timeout 60 "$wine" reg query "$key" >/dev/null 2>&1; }
uninstall() {
  [ "$(regvalue QuietUninstallString)" = "\"$dir_win\\Uninstall.exe\" /S" ] || fail "QuietUninstallString is '$(regvalue QuietUninstallString)'"
  timeout 60 "$wine" "$dir/Uninstall.exe" /S
  wait_for 60 "the silent uninstall to finish" uninstalled
  /usr/lib/wine/wineserver -w
}

install
for f in playdeck.exe README.md data/Runcart.exe Uninstall.exe; do [ -f "$dir/$f" ] || fail "not installed: $f"; done
cmp -s "$dir/data/Runcart.exe" "$stage/data/Runcart.exe" || fail "data\\Runcart.exe is not the stand-in"
echo "ok: installed into $dir_win"

# The shortcut: the program its target and icon, its folder the working folder.
# A shell link is a 76-byte header (flags at 20), an optional item list and
# link info, then counted UTF-16 strings, each there when its flag is set.
[ -f "$lnk" ] || fail "no Start-menu shortcut"
mapfile -t b < <(od -An -v -tu1 -w1 "$lnk" | tr -d ' ')
u16() { echo $(( b[$1] | b[$1 + 1] << 8 )); }
u32() { echo $(( $(u16 "$1") | $(u16 $(( $1 + 2 ))) << 16 )); }
flags=$(u32 20) at=76
(( flags & 1 )) && at=$(( at + 2 + $(u16 $at) ))
(( flags & 2 )) && at=$(( at + $(u32 $at) ))
declare -A link
for field in 4:name 8:relative 16:folder 32:arguments 64:icon; do
  (( flags & ${field%%:*} )) || continue
  n=$(u16 $at) text=
  for ((i = 0; i < n; i++)); do text+=$(printf "\\u%04x" "$(u16 $(( at + 2 + 2 * i )))"); done
  link[${field#*:}]=$(printf '%b' "$text") at=$(( at + 2 + 2 * n ))
done
[ "${link[folder]:-}" = "$dir_win" ] || fail "the shortcut's working folder is '${link[folder]:-}'"
[ "${link[icon]:-}" = "$dir_win\\playdeck.exe" ] && [ "$(u32 56)" = 0 ] || fail "the shortcut's icon is '${link[icon]:-}' #$(u32 56)"
strings -a "$lnk" | grep -qxF "$dir_win\\playdeck.exe" || fail "the shortcut's target is not $dir_win\\playdeck.exe"
echo "ok: the Start-menu shortcut"

declare -A expected=(
  [DisplayName]=PLAYDECK [DisplayVersion]=1.00 [Publisher]="$publisher"
  [DisplayIcon]="$dir_win\\playdeck.exe,0" [UninstallString]="\"$dir_win\\Uninstall.exe\""
  [InstallLocation]="$dir_win" [NoModify]=0x1 [NoRepair]=0x1
)
for name in "${!expected[@]}"; do
  [ "$(regvalue "$name")" = "${expected[$name]}" ] || fail "$name is '$(regvalue "$name")', expected '${expected[$name]}'"
done
size=$(( $(regvalue EstimatedSize) ))
[ "$size" -ge 100 ] && [ "$size" -le 20000 ] || fail "EstimatedSize $size KB"
strings -el "$setup" | grep -qx "PLAYDECK 1.00 setup" || fail "the installer has no version record"
echo "ok: the Installed-apps entry and the installer's version record"

# The installed program, started the way the shortcut starts it.
(cd "$dir" && exec "$wine" "$dir/playdeck.exe") > "$tmp/menu.log" 2>&1 &
menu=$!
wait_for 30 "the installed program's main menu" visible PLAYDECK
import -window "$(visible PLAYDECK)" "$shots/wine_installed_main_menu.png"
xdotool key --window "$(visible PLAYDECK)" alt+x
ends "Alt+X"
echo "ok: the installed program shows its main menu"

# Uninstalling removes all of ours, the stand-in included.
uninstall
[ ! -e "$dir" ] || fail "left behind: $(find "$dir")"
[ ! -e "$lnk" ] || fail "the shortcut is still there"
echo "ok: the uninstall removes everything it installed"

# A player's game and emulator (any program without the stand-in's version
# record) live through a reinstall and the uninstall.
install
printf 'NES\032player' > "$dir/data/kora1.dat"
cp "$stage/playdeck.exe" "$dir/data/Runcart.exe"
cp "$dir/data/Runcart.exe" "$tmp/emulator"
install
cmp -s "$dir/data/Runcart.exe" "$tmp/emulator" || fail "the reinstall replaced the player's emulator"
uninstall
left=$(cd "$dir" 2>/dev/null && find . -type f | sort | tr '\n' ' ')
[ "$left" = "./data/Runcart.exe ./data/kora1.dat " ] || fail "after the uninstall: '$left'"
cmp -s "$dir/data/Runcart.exe" "$tmp/emulator" || fail "the player's emulator changed"
rm -rf "$dir"
echo "ok: the player's game and emulator outlive a reinstall and the uninstall"
