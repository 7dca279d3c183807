#!/usr/bin/env bash
# PLAYDECK developer entry point for Debian 12:
#   tools/dev.sh run    install what is missing, build, start the menu
#   tools/dev.sh test   install what is missing, build, run the whole test suite
# Build folder: ./build (override with PLAYDECK_BUILD).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLAYDECK_BUILD:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

# Everything the build, the tests and the headless run need, from Debian's archive.
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev libsdl2-dev libsdl2-2.0-0
  fonts-liberation2 fonts-wine fontconfig
  xvfb xauth xdotool imagemagick
  zenity libx11-dev
  desktop-file-utils appstream binutils-mingw-w64-x86-64 dpkg-dev file
)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "dev.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  echo "dev.sh: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_all() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" --parallel "$jobs"
}

# Without a display, show the menu on a virtual one, save a screenshot and stop.
run_headless() {
  local shots="$build/screenshots" display=:97
  mkdir -p "$shots"
  while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/playdeck" &
  local app=$!
  DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^PLAYDECK$' >/dev/null
  sleep 1
  DISPLAY=$display import -window root "$shots/main_menu_screen.png"
  kill $app 2>/dev/null || true
  wait $app 2>/dev/null || true
  echo "No display: PLAYDECK ran on a virtual display; screenshot saved to $shots/main_menu_screen.png"
}

case "${1:-}" in
  run)
    install_missing
    build_all
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec "$build/playdeck"
    else
      run_headless
    fi
    ;;
  test)
    install_missing
    build_all
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs" --timeout 600
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
