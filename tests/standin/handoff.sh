#!/usr/bin/env bash
# The built data/Runcart.exe handing a game over, on a virtual display with a
# session bus and desktop settings of its own: to the desktop's application
# for NES images (a program, a D-Bus activated one), to the "nes"
# alternative, never to itself by any route, and a failed start reported with
# a non-zero status. Its window is grabbed to the screenshot dir.
#   handoff.sh <Runcart.exe> <screenshot dir>
set -uo pipefail
standin=$1 shots=$2
for t in Xvfb xdotool xwininfo xprop import dbus-daemon dbus-monitor python3; do command -v "$t" >/dev/null || { echo "FAIL: $t missing"; exit 1; }; done
source "$(dirname "$0")/../support/script.sh"
tmp=$(mktemp -d) bus= monitor=
trap 'status=$?; kill $bus $monitor 2>/dev/null; (exit $status); finally' EXIT
start_xvfb
mkdir -p "$tmp/app/data" "$tmp/bin" "$tmp/data/applications" "$tmp/data/playdeck/data" "$tmp/config" "$tmp/services" "$shots"
cp "$standin" "$tmp/app/data/Runcart.exe"
game=$tmp/data/playdeck/data/Palu2.dat
{ printf 'NES\032\001\001'; head -c 24586 /dev/zero; } > "$game"
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config XDG_DATA_DIRS=$tmp/none \
  XDG_CONFIG_DIRS=$tmp/none PATH=$tmp/bin:/usr/bin:/bin
fail() { echo "FAIL: $*"; [ -s "$tmp/said" ] && { echo "--- the stand-in said:"; cat "$tmp/said"; }; exit 1; }
says() { grep -qF "$1" "$tmp/said" || fail "the stand-in did not say \"$1\""; }

# A session bus of our own that starts services from $tmp/services, and a
# monitor that writes down every org.freedesktop.Application.Open call.
printf '<busconfig><type>session</type><listen>unix:dir=%s</listen><servicedir>%s</servicedir><auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>\n' "$tmp" "$tmp/services" > "$tmp/bus.conf"
dbus-daemon --config-file="$tmp/bus.conf" --nofork --print-address=3 3>"$tmp/bus.address" &
bus=$!
wait_for 10 "the session bus" test -s "$tmp/bus.address"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$tmp/bus.address")
dbus-monitor "type='method_call',interface='org.freedesktop.Application',member='Open'" > "$tmp/opened" 2>&1 &
monitor=$!
wait_for 10 "the bus monitor" grep -q NameAcquired "$tmp/opened"

# The desktop's application for NES images: entry <id> <Exec> [more lines].
entry() {
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nMimeType=application/x-nes-rom;\n%s' "$1" "$2" "${3:-}" \
    > "$tmp/data/applications/$1.desktop"
  printf '[Default Applications]\napplication/x-nes-rom=%s.desktop\n' "$1" > "$tmp/config/mimeapps.list"
}
# A program that writes down how it was started: $0, its folder, its arguments.
recorder() {
  printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$PWD" "$@" > %s.new; mv %s.new %s\n' "$tmp/record" "$tmp/record" "$tmp/record" > "$1"
  chmod +x "$1"
}
none() { [ -z "$(visible "PLAYDECK stand-in emulator")" ]; }
# The stand-in started as PLAYDECK starts it; `menu` is its process id.
play() {
  rm -f "$tmp/record"
  (cd "$tmp/app" && exec ./data/Runcart.exe data/palu2.dat) 2> "$tmp/said" &
  menu=$!
}
settled() { ! kill -0 "$menu" 2>/dev/null || ! none; }
handsOff() {  # handsOff <why>: it ends with status 0, saying why that emulator
  wait_for 20 "the stand-in to hand off" settled
  kill -0 "$menu" 2>/dev/null && fail "the stand-in shows its window instead of handing off"
  wait "$menu" || fail "the stand-in ended with status $? instead of handing off"
  menu=
  says "$1"
}
# Its window: not maximized, smaller than the screen; closed by Escape or a click
# (`closes <key or click> <what it said> [screenshot]`), after which it ends with status 1.
closes() {
  wait_for 20 "the stand-in's window" settled
  kill -0 "$menu" 2>/dev/null || fail "the stand-in ended instead of showing its window"
  local win w h status=0
  win=$(visible "PLAYDECK stand-in emulator")
  says "$2"
  read -r w h < <(xwininfo -id "$win" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w, h}')
  [ "$w" -lt 1024 ] && [ "$h" -lt 768 ] || fail "the window is $w x $h on a 1024 x 768 screen"
  xprop -id "$win" _NET_WM_STATE | grep -q MAXIMIZED && fail "the window is maximized"
  [ -n "${3:-}" ] && import -window "$win" "$shots/$3.png"
  xdotool windowfocus "$win"
  wait_for 10 "the window to take the keyboard" focused "$win"
  if [ "$1" = click ]; then xdotool mousemove --window "$win" 20 20 click 1; else xdotool key "$1"; fi
  wait_for 10 "the window to close" bash -c "! kill -0 $menu 2>/dev/null"
  wait "$menu" || status=$?
  menu=
  [ "$status" = 1 ] || fail "the stand-in ended with status $status after its window"
}

# The player's application, else the "nes" alternative, gets the game's full path.
recorder "$tmp/bin/recorder" && recorder "$tmp/bin/mednafen"
entry recorder "$tmp/bin/recorder %f"
for row in "recorder|starting recorder, the application your desktop opens NES images with" \
           "nes|starting mednafen, the system's \"nes\" alternative"; do
  play
  handsOff "${row#*|}"
  wait_for 10 "the recorder's record" test -e "$tmp/record"
  [ "$(cat "$tmp/record")" = "$(printf '%s\n' "$tmp/bin/${row%%|*}" "$tmp/app" "$game")" ] || fail "recorded $(cat "$tmp/record")"
  rm -f "$tmp/config/mimeapps.list"
  ln -sf mednafen "$tmp/bin/nes"
done
rm "$tmp/bin/nes" "$tmp/bin/mednafen"

# The stand-in itself as the application, by another name: it starts nothing.
ln -s "$tmp/app/data/Runcart.exe" "$tmp/bin/nes-player"
entry nes-player "$tmp/bin/nes-player %f"
play
closes Escape "is PLAYDECK's own stand-in (this program) or starts it" standin_ourselves
! grep -q starting "$tmp/said" || fail "the stand-in started itself"
# Through a wrapper, which counts its starts: one, and that stand-in goes no further.
printf '#!/bin/sh\necho >> %s\n[ "$(wc -l < %s)" -gt 5 ] && exit 1\nexec %s "$@"\n' "$tmp/starts" "$tmp/starts" \
  "$tmp/app/data/Runcart.exe" > "$tmp/bin/wrapper" && chmod +x "$tmp/bin/wrapper"
entry wrapper "$tmp/bin/wrapper %f"
play
handsOff "starting wrapper, the application"
wait_for 20 "the second stand-in's window" visible "PLAYDECK stand-in emulator"
[ "$(wc -l < "$tmp/starts")" = 1 ] || fail "the wrapper was started $(wc -l < "$tmp/starts") times"
says "is PLAYDECK's own stand-in (this program) or starts it"
kill "$(xdotool getwindowpid "$(visible "PLAYDECK stand-in emulator")")"
wait_for 10 "the second stand-in to end" none

# A D-Bus activated application: 20 games, 20 calls on the bus.
printf '[D-BUS Service]\nName=org.example.Player\nExec=/usr/bin/python3 %s\n' "$tmp/player.py" \
  > "$tmp/services/org.example.Player.service"
cat > "$tmp/player.py" <<'EOF'
from gi.repository import Gio, GLib
node = Gio.DBusNodeInfo.new_for_xml('''<node><interface name="org.freedesktop.Application">
  <method name="Open"><arg type="as"/><arg type="a{sv}"/></method></interface></node>''')
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object('/org/example/Player', node.interfaces[0], lambda *call: call[-1].return_value(None))
Gio.bus_own_name_on_connection(bus, 'org.example.Player', Gio.BusNameOwnerFlags.NONE, None, None)
GLib.MainLoop().run()
EOF
entry org.example.Player "/bin/false %f" "DBusActivatable=true"
for n in $(seq 20); do
  play
  handsOff "starting org.example.Player"
done
opened() { [ "$(grep -c 'member=Open' "$tmp/opened")" -ge "$1" ]; }
wait_for 10 "20 Open calls on the bus" opened 20
opened 21 && fail "more than 20 Open calls"

# Starts that fail are reported, with status 1: an application whose folder
# is gone, a D-Bus application that is not there.
entry broken "$tmp/bin/recorder %f" "Path=$tmp/gone"
play
closes click "Could not start broken: Failed to change to directory" standin_failed
entry org.example.Gone "/bin/false %f" "DBusActivatable=true"
play
closes Escape "Could not start org.example.Gone: "
echo "ok: the stand-in handed off, never to itself, and reported failed starts"
