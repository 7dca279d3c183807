#!/usr/bin/env bash
# The installer under Wine, silently: what it installs (files, games folder,
# Start-menu shortcut, the "Installed apps" entry), that the installed program
# starts; that neither the setup nor the uninstaller changes anything while
# PLAYDECK or its stand-in runs; and that a player's games, emulator and
# README, in the program's folder or one they chose, outlive a reinstall and
# the uninstall, while everything of ours goes.
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
dir=$(unix "$dir_win") games=$(unix "$local_win\\PLAYDECK\\data") mine=$(unix 'C:\MyGames')
lnk=$(unix "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\PLAYDECK.lnk")
[ -n "$dir" ] && [ -n "$lnk" ] && [ -n "$games" ] || fail "Wine did not name the user's folders"
# Whatever an earlier run left behind.
rm -rf "$dir" "$lnk" "$games" "$mine"
timeout 60 "$wine" reg delete "$key" /f >/dev/null 2>&1

install() { timeout 120 "$wine" "$setup" /S "$@" || fail "the silent install ended with status $?"; }
# The silent uninstaller runs on from a copy of itself in the temporary folder.
uninstalled() { [ ! -e "$dir/Uninstall.exe" ] && ! timeout 60 "$wine" reg query "$key" >/dev/null 2>&1; }
uninstall() {
  [ "$(regvalue QuietUninstallString)" = "\"$dir_win\\Uninstall.exe\" /S" ] || fail "QuietUninstallString is '$(regvalue QuietUninstallString)'"
  timeout 60 "$wine" "$dir/Uninstall.exe" /S
  wait_for 60 "the silent uninstall to finish" uninstalled
  /usr/lib/wine/wineserver -w
}
files() { (cd "$1" 2>/dev/null && find . -type f | sort | tr '\n' ' '); }

install
[ "$(files "$dir")" = "./PLAYDECK README.txt ./Uninstall.exe ./data/Runcart.exe ./playdeck.exe " ] || fail "installed: $(files "$dir")"
cmp -s "$dir/data/Runcart.exe" "$stage/data/Runcart.exe" || fail "data\\Runcart.exe is not the stand-in"
[ -d "$games" ] || fail "no games folder $games"
echo "ok: installed into $dir_win, and the games folder made"

# The shortcut: the program its target (in the link's ANSI link info), and in
# its counted UTF-16 strings (the count a printable character for these) the
# program's folder as working folder and the program as icon, the first one
# (the icon index at byte 56).
[ -f "$lnk" ] || fail "no Start-menu shortcut"
counted() { strings -el "$lnk" | cut -c2- | grep -qxF "$1"; }
strings -a "$lnk" | grep -qxF "$dir_win\\playdeck.exe" || fail "the shortcut's target is not $dir_win\\playdeck.exe"
counted "$dir_win" || fail "the shortcut's working folder is not $dir_win"
counted "$dir_win\\playdeck.exe" && [ "$(od -An -tu4 -j56 -N4 "$lnk" | tr -d ' ')" = 0 ] ||
  fail "the shortcut's icon is not $dir_win\\playdeck.exe,0"
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

# The installed stand-in and program, each started the way the program starts
# it: while one runs, the silent setup and uninstaller (made to wait for its
# status with _?=) end with an error and change nothing. The stand-in first:
# Alt+X's release reaches no window, and Wine then keeps Alt held.
touch "$tmp/mark"
for program in data/Runcart.exe playdeck.exe; do
  (cd "$dir" && exec "$wine" "$dir/$program") > "$tmp/menu.log" 2>&1 &
  menu=$!
  [ $program = playdeck.exe ] && title=PLAYDECK || title="PLAYDECK stand-in emulator"
  wait_for 30 "the installed $program's window" visible "$title"
  [ $program = playdeck.exe ] && import -window "$(visible PLAYDECK)" "$shots/wine_installed_main_menu.png"
  timeout 60 "$wine" "$setup" /S && fail "the setup ended with status 0 while $program ran"
  timeout 60 "$wine" "$dir/Uninstall.exe" /S "_?=$dir_win" && fail "the uninstaller ended with status 0 while $program ran"
  changed=$(find "$dir" "$lnk" -cnewer "$tmp/mark")
  [ -z "$changed" ] && [ "$(regvalue DisplayName)" = PLAYDECK ] || fail "while $program ran, changed: $changed"
  # (The release goes to a window that is gone: xdotool complains.)
  if [ $program = playdeck.exe ]; then xdotool key --window "$(visible PLAYDECK)" alt+x 2>/dev/null
  else xdotool mousemove --window "$(visible "$title")" 10 10 click 1 2>/dev/null; fi
  ends "closing $program"
done
echo "ok: no change to the install while PLAYDECK or its stand-in runs; the installed program shows its menu"

# Uninstalling removes all of ours, the stand-in included, and keeps the games folder.
printf 'NES\032player' > "$games/kora1.dat"
uninstall
[ ! -e "$dir" ] || fail "left behind: $(find "$dir")"
[ ! -e "$lnk" ] || fail "the shortcut is still there"
[ "$(files "$games")" = "./kora1.dat " ] || fail "the games folder holds '$(files "$games")'"
echo "ok: the uninstall removes everything it installed and keeps the games folder"

# A player's game, emulator (any program without the stand-in's version
# record) and README live through a reinstall and the uninstall.
install
printf 'NES\032player' > "$dir/data/kora1.dat"
echo "my notes" > "$dir/README.md"
cp "$stage/playdeck.exe" "$dir/data/Runcart.exe"
cp "$dir/data/Runcart.exe" "$tmp/emulator"
install
cmp -s "$dir/data/Runcart.exe" "$tmp/emulator" || fail "the reinstall replaced the player's emulator"
uninstall
[ "$(files "$dir")" = "./README.md ./data/Runcart.exe ./data/kora1.dat " ] || fail "after the uninstall: '$(files "$dir")'"
cmp -s "$dir/data/Runcart.exe" "$tmp/emulator" && [ "$(cat "$dir/README.md")" = "my notes" ] || fail "the player's files changed"
rm -rf "$dir"
echo "ok: the player's game, emulator and README outlive a reinstall and the uninstall"

# A folder of the player's own gets PLAYDECK in a folder of its own.
mkdir -p "$mine"
echo "my notes" > "$mine/README.md"
install '/D=C:\MyGames'
dir_win='C:\MyGames\PLAYDECK' dir="$mine/PLAYDECK"
[ "$(regvalue InstallLocation)" = "$dir_win" ] || fail "installed into '$(regvalue InstallLocation)'"
uninstall
[ "$(files "$mine")" = "./README.md " ] && [ "$(cat "$mine/README.md")" = "my notes" ] || fail "C:\\MyGames holds '$(files "$mine")'"
rm -rf "$mine"
echo "ok: an install into a folder of the player's goes into its own folder there"
