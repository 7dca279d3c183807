# Sourced by the scripts that drive the real program on a virtual X display.
# start_xvfb <file>: starts a private Xvfb that picks a free display number
# itself and writes it to <file> once it accepts clients (-displayfd), so the
# display is surely this one's; exports DISPLAY. The caller kills $xvfb.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 200); do [ -s "$1" ] || ! kill -0 "$xvfb" 2>/dev/null && break; sleep 0.05; done
  [ -s "$1" ] && kill -0 "$xvfb" 2>/dev/null || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -n1 "$1")"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}

# wait_for <seconds> <what> <command...>: polls the command until it succeeds.
wait_for() {
  local tries=$(( $1 * 20 )) what=$2; shift 2
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.05; done
  echo "FAIL: waited $(( tries / 20 )) s for $what"; exit 1
}
