#!/usr/bin/env bash
# The real menu in a headless sway session, through XWayland (its own choice
# there) and natively, started from / through a link, keys from our virtual
# keyboard, windows and focus read from sway: the parts' starts, the keys back
# after an emulator's window, a dialog over the fullscreen menu, both ways
# out; through XWayland no output and every modal window transient for the
# menu. Screenshots: wayland_<xwayland|xdg_shell>.png.
#   session.sh <playdeck> <stand-in emulator> <virtual keyboard> <screenshot folder>
set -euo pipefail
playdeck=$1 standin=$2 keyboard=$3 shots=$4
for tool in sway Xwayland grim python3 xdotool; do command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }; done
[ -x "$keyboard" ] || { echo "no virtual keyboard: wayland-scanner or the Wayland or xkb headers were missing"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || { echo "qt6-wayland missing"; exit 77; }
if [ "$(id -u)" = 0 ]; then  # sway refuses root: the session runs as nobody, from copies it can read
  tmp=$(mktemp -d) status=0
  mkdir -p "$tmp/e2e" "$tmp/support" && cp "$0" "$tmp/e2e/" && cp "$(dirname "$0")/../support/"{script.sh,parts.h} "$tmp/support/"
  cp "$playdeck" "$standin" "$keyboard" "$tmp/" && chown -R 65534:65534 "$tmp"
  [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix  # where XWayland, as nobody, opens its socket
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$tmp" TMPDIR="$tmp" bash "$tmp/e2e/session.sh" \
    "$tmp/$(basename "$playdeck")" "$tmp/$(basename "$standin")" "$tmp/$(basename "$keyboard")" "$tmp" || status=$?
  cp "$tmp"/wayland_*.png "$shots/" 2>/dev/null; rm -rf "$tmp"; exit $status
fi
source "$(dirname "$0")/../support/script.sh"
unset QT_QPA_PLATFORM
tmp=$(mktemp -d)
trap 'kill ${sway:-} $(cat "$tmp/record.standin" 2>/dev/null) 2>/dev/null; finally' EXIT
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
app="$tmp/my games é"
mkdir -p "$app/data" "$tmp/run" && chmod 700 "$tmp/run"
cp "$playdeck" "$app/playdeck" && ln -s "$app/playdeck" "$tmp/link"
# The emulator records its start as tests/core/recorder.cpp does, and shows the stand-in's window while asked to.
printf '%s\n' '#!/bin/sh' 'printf "argc=%s\n%s\n%s\n%s\n" $(($# + 1)) "$0" "$1" "$PWD" > "$REC.$$.part" && mv "$REC.$$.part" "$REC.$$"' \
  '[ ! -e "$REC.window" ] || { "$STANDIN" "$@" > /dev/null 2>&1 & echo $! >> "$REC.standin"; }' \
  > "$app/data/Runcart.exe" && chmod +x "$app/data/Runcart.exe"
export REC=$tmp/record STANDIN=$standin XDG_RUNTIME_DIR=$tmp/run
printf '%s\n' 'output HEADLESS-1 resolution 1024x768' 'xwayland enable' 'input type:keyboard repeat_delay 100' \
  'input type:keyboard repeat_rate 50' > "$tmp/sway.conf"
WLR_BACKENDS=headless WLR_RENDERER=pixman sway -c "$tmp/sway.conf" > "$tmp/sway.log" 2>&1 & sway=$!
wait_for 20 "sway's sockets" bash -c 'ls "$XDG_RUNTIME_DIR"/wayland-? "$XDG_RUNTIME_DIR"/sway-ipc.* 2>/dev/null'
export WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-?)") SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*)
swaymsg -q exec 'echo $DISPLAY > $XDG_RUNTIME_DIR/x'
wait_for 10 "XWayland's display" test -s "$tmp/run/x"
export DISPLAY=$(cat "$tmp/run/x")
coproc KEYS { exec "$keyboard" 2>>"$tmp/menu.log"; }
key() { echo "$*" >&"${KEYS[1]}"; local ok; read -r -t 10 ok <&"${KEYS[0]}" || { echo "FAIL: no keys: $*"; exit 1; }; }
# is <title> <word...>: sway has a window of that title, and each word is in its "shell focused visible";
# through XWayland the keys go to X's input focus, which follows sway's a moment later.
is() {
  local state=" $(swaymsg -t get_tree | python3 -c 'import json, sys
def each(n): yield n; yield from (m for c in n["nodes"] + n["floating_nodes"] for m in each(c))
for n in each(json.load(sys.stdin)):
    if n.get("name") == sys.argv[1] and n.get("shell"):
        print(n["shell"], "focused" if n["focused"] else "-", "visible" if n["visible"] else "hidden")' "$1") " word
  [ "$state" != "  " ] || return 1
  for word in "${@:2}"; do [[ $state == *" $word "* ]] || return 1; done
  [[ $state != *" xwayland focused "* ]] || [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]
}
open_menu() { (cd / && exec "$tmp/link" 2>> "$tmp/menu.log") & menu=$!; wait_for 20 "the menu with the keys" is PLAYDECK "$1" focused; }
gone() { ! is "$1"; }
owned() {  # owned <title>: through XWayland, the window is transient for the menu
  local id menu
  [ "$shell" = xwayland ] || return 0
  id=$(visible "$1") menu=$(visible PLAYDECK)
  check "'$1' is not transient for the menu" bash -c "xprop -id $id WM_TRANSIENT_FOR | grep -q '# $(printf 0x%x "$menu")\$'"
}
in_front() { wait_for 10 "the menu to have the keys $1" is PLAYDECK focused; }
fullscreen() { swaymsg -q "[title=\"^PLAYDECK\$\"] fullscreen $1"; }

play() {  # play <xwayland|xdg_shell>
  local shell=$1 n=0 expected=() rows row caption files i
  [ "$shell" = xdg_shell ] && export QT_QPA_PLATFORM=wayland
  echo "$shell:"
  : > "$tmp/menu.log"
  open_menu "$shell"
  mapfile -t rows < <(titles)
  for row in "${rows[@]}"; do
    IFS='|' read -r caption _ files <<< "$row"
    read -r -a files <<< "$files"
    for i in "${!files[@]}"; do
      key Return
      if [ -n "$caption" ]; then
        wait_for 10 "the dialog '$caption' with the keys" is "$caption" focused visible
        [ "$i" = 0 ] && owned "$caption"
        key $(for _ in $(seq "$i"); do echo Down; done) Return
        in_front "back from the dialog '$caption'"
      fi
      expected+=("${files[$i]}") n=$((n + 1))
      wait_for 10 "start $n" started $n
    done
    key Down
  done
  key Down Down Down Down +Return       # Adventure Island 3, Enter held a second
  sleep 1
  key -Return
  touch "$REC.window"                   # again, with an emulator window
  key Return
  wait_for 10 "the emulator's window with the keys, the menu's way" is "PLAYDECK stand-in emulator" "$shell" focused
  key Escape
  wait_for 10 "the emulator's window to close" gone "PLAYDECK stand-in emulator"
  in_front "back from the emulator"
  rm "$REC.window"
  for page in "Quick Help|h|space" "About PLAYDECK|a|Tab Tab Return"; do  # closed by their OK buttons
    IFS='|' read -r caption k close <<< "$page"
    key +Alt_L "$k" -Alt_L
    wait_for 10 "the window '$caption' with the keys" is "$caption" focused visible
    owned "$caption"
    key $close
    in_front "back from '$caption'"
  done
  key Up Return                         # Contra's dialog: the menu has the keys
  wait_for 10 "the dialog 'Contra'" is Contra focused visible
  key Escape
  in_front "after Escape"
  expected+=(mado3 mado3)
  fullscreen enable
  key Return
  wait_for 10 "the dialog 'Contra' over the fullscreen menu" is Contra visible
  swaymsg -q '[title="^PLAYDECK$"] focus'
  check "the dialog 'Contra' hidden after sway focused the menu" is Contra visible
  sleep 0.5; grim "$shots/wayland_$shell.png"  # once sway has drawn what it decided
  if [ $shell = xwayland ]; then
    key Down Return
    expected+=(zuna)
    wait_for 10 "Super Contra to start from the dialog in front" started $((n + 3))
    check "the menu wrote: $(cat "$tmp/menu.log")" test ! -s "$tmp/menu.log"
  else                                  # natively the keys stay where sway put them
    swaymsg -q '[title="^Contra$"] focus'
    key Escape
  fi
  in_front "at the end"
  fullscreen disable
  started_all "$app" "${expected[@]}"
  key +Alt_L x -Alt_L; ends "Alt+X"
  open_menu "$shell"; swaymsg -q '[title="^PLAYDECK$"] kill'; ends "the close box"
}
play xwayland
play xdg_shell
[ "$fail" = 0 ] && echo "through XWayland and natively: every part, a held Enter once, the keys back after the" \
  "emulator, the part dialog above the fullscreen menu (with the keys through XWayland), both ways out"
exit "$fail"
