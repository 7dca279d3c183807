# Sourced by the test scripts. Each sets `tmp` and calls `finally` for its EXIT
# trap; failures are counted in `fail`; the menu's own output goes to $tmp/menu.log.
fail=0 xvfb= menu=
# The titles of parts.h, top to bottom in the menu: "caption|dialog|data files".
titles() {
  local f t files
  grep '^    {"' "$(dirname "${BASH_SOURCE[0]}")/parts.h" | while IFS='"' read -r -a f; do
    files=
    for t in "${f[@]:5}"; do [[ $t == *.dat ]] && t=${t##*\\} && files+="${files:+ }${t%.dat}"; done
    printf '%s|%s|%s\n' "${f[3]}" "${f[1]}" "$files"
  done
}
check() {  # check <message> <command...>: a failure that lets the script go on
  local message=$1; shift
  "$@" || { echo "FAIL: $message"; fail=1; }
}
wait_for() {  # wait_for <seconds> <what> <command...>: polls until the command succeeds (a "$(...)" in
            # its arguments is worked out once, before the first try: poll a function instead)
  local tries=$(( $1 * 20 )) what=$2; shift 2
  for _ in $(seq "$tries"); do "$@" > /dev/null && return 0; sleep 0.05; done
  echo "FAIL: waited $(( tries / 20 )) s for $what"; exit 1
}
# A private Xvfb that picks a free display itself and writes its number once it
# accepts clients (-displayfd), so the display is surely this one's. It must not
# reset when its last client leaves (a probe by xdotool, a menu that ended):
# while it resets, it refuses the next client.
start_xvfb() {  # start_xvfb [screen size, by default 1024x768x24]
  Xvfb -displayfd 3 -noreset -screen 0 "${1:-1024x768x24}" -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
  xvfb=$!
  wait_for 10 "Xvfb" test -s "$tmp/display"
  export DISPLAY=":$(head -n1 "$tmp/display")"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
# Wine on that display with openbox (without a window manager every program's
# exit waits for its windows), in $WINEPREFIX: made when missing, with Wine's
# fonts (without them the dialog font is silently replaced). For the EXIT
# trap: wine_finally <where to save the screen on failure>.
start_wine() {  # start_wine [screen size]
  start_xvfb "$@"
  openbox >/dev/null 2>&1 &
  wm=$!
  wait_for 30 "openbox" bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
  if [ ! -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    timeout 120 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || { echo "FAIL: wineboot"; exit 1; }
  fi
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}
wine_finally() {
  local status=$?
  [ $status != 0 ] && [ -n "${DISPLAY:-}" ] && import -window root "$1"
  /usr/lib/wine/wineserver -k 2>/dev/null
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  (exit $status); finally
}
# visible <title>: the id of the window of that title on the X display, if shown.
visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
focused() { test "$(xdotool getwindowfocus 2>/dev/null)" = "$1"; }  # asked afresh at each try of wait_for
# The emulator's starts, each recorded by tests/core/recorder.cpp (or the same
# lines) as $tmp/record.<pid>.
records() { find "$tmp" -maxdepth 1 -name 'record.[0-9]*' | wc -l; }
started() { [ "$(records)" -ge "$1" ]; }
started_all() {  # started_all <app> <file...>: data/<file>.dat each started once, beside and in <app>; forgets them
  local app=$1 f argc prog arg cwd args=(); shift
  for f in "$tmp"/record.[0-9]*; do
    { read -r argc; read -r prog; read -r arg; read -r cwd; } < "$f"
    args+=("$arg"); rm "$f"
    check "$f: $argc | $prog | $cwd" test "$argc $prog $cwd" = "argc=2 $app/data/Runcart.exe $app"
  done
  check "started ${args[*]}, expected $*" test "$(printf '%s\n' "${args[@]}" | sort)" = "$(printf 'data/%s.dat\n' "$@" | sort)"
}
ends() {  # ends <how>: the menu ends by itself, with status 0
  wait_for 10 "$1 to end the program" bash -c "! kill -0 $menu 2>/dev/null"
  local status=0
  wait "$menu" || status=$?
  menu=
  [ "$status" = 0 ] || { echo "FAIL: $1 ended the program with status $status"; fail=1; }
}
# The build's install manifest (from the developer's own install), put back by finally.
keep_manifest() {
  manifest="$1/install_manifest.txt"
  if [ -e "$manifest" ]; then cp -p "$manifest" "$tmp/manifest.saved"; fi
}
finally() {
  local status=$?
  set +e  # a menu that already ended must not keep the Xvfb from being stopped
  [ $status != 0 ] && [ -s "$tmp/menu.log" ] && { echo "--- the menu wrote:"; cat "$tmp/menu.log"; }
  [ -n "$menu" ] && kill "$menu" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  if [ -n "${manifest:-}" ]; then
    if [ -e "$tmp/manifest.saved" ]; then cp -p "$tmp/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  fi
  rm -rf "$tmp"
}
