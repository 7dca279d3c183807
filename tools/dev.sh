#!/usr/bin/env bash
# PLAYDECK developer entry point for Debian 12:
#   tools/dev.sh run    install what the Linux build and a run need, build the
#                       program without its tests, start the menu
#   tools/dev.sh test   install that and what the tests need (MinGW-w64, Wine,
#                       ...), build, run the whole test suite: the Linux one,
#                       then the Windows one under Wine
#   tools/dev.sh windows  install what the cross build needs, cross-build for
#                       Windows with MinGW-w64, write build-win/playdeck-1.00-win64.zip
#                       and the installer build-win/playdeck-1.00-win64-setup.exe
# Each installs only what is missing, with apt-get (through sudo when not root).
# Build folders: ./build and ./build-win (override with PLAYDECK_BUILD and
# PLAYDECK_BUILD_WIN).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLAYDECK_BUILD:-$root/build}
build_win=${PLAYDECK_BUILD_WIN:-$root/build-win}
jobs=$(nproc 2>/dev/null || echo 2)

# What each command needs, from Debian's archive. run: the Linux build and its
# run (a virtual display and a screenshot when there is no display).
run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-wayland libgl-dev libfontconfig-dev libglib2.0-dev libsdl2-dev libsdl2-2.0-0 libx11-dev
  fonts-liberation2 fonts-wine fontconfig
  xvfb xauth xdotool imagemagick
)
# windows: the cross build, its tests included.
windows_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 doctest-dev nsis)
# test: both of those, and what the tests and the Windows suite under Wine use.
test_packages=(
  "${run_packages[@]}" "${windows_packages[@]}"
  desktop-file-utils appstream dpkg-dev file lintian zenity x11-utils
  wine64 openbox
  # What a screen reader hears: a session bus and an AT-SPI bus of the test's own, read with pyatspi.
  dbus at-spi2-core python3-pyatspi
  # A Wayland desktop: sway run headless, XWayland, screenshots, our virtual keyboard's build.
  sway xwayland grim libwayland-dev libwayland-bin libxkbcommon-dev
  # Wine's X11 driver loads these at run time; libwine only recommends them.
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3
)

install_missing() {  # install_missing <package...>
  local missing=() p
  for p in "$@"; do
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

build_all() {  # build_all [cmake option...]
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$build" --parallel "$jobs"
}

build_windows() {
  cmake -S "$root" -B "$build_win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
  cmake --build "$build_win" --parallel "$jobs"
}

# Processes started here, stopped on exit whatever happens.
started_pids=()
wine_prefix=""
stop_started() {
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -n "$wine_prefix" ]; then
    WINEPREFIX=$wine_prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
}
trap stop_started EXIT

# Wine for the Windows tests: a prefix of the build's own (made once, with
# Wine's fonts, or the dialog font is silently replaced), on a virtual display
# of our own with a window manager (without one every program's exit waits
# about two seconds for its windows).
wine_setup() {
  # -displayfd: the server picks a free display and tells us which, so the
  # display we use is certainly the one we started.
  local fdfile number=""
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  started_pids+=($!)
  local xvfb=$!
  for _ in $(seq 100); do
    number=$(head -n1 "$fdfile" 2>/dev/null || true)
    [ -n "$number" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fdfile"
  if [ -z "$number" ] || ! kill -0 "$xvfb" 2>/dev/null; then
    echo "dev.sh: Xvfb did not report its display within 10 s" >&2
    exit 1
  fi
  export DISPLAY=":$number"
  openbox --sm-disable >/dev/null 2>&1 &
  started_pids+=($!)

  export WINEPREFIX="$build_win/wineprefix" WINEDEBUG=-all
  wine_prefix=$WINEPREFIX
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "dev.sh: making the Wine prefix $WINEPREFIX"
    timeout 300 /usr/lib/wine/wine64 wineboot -i
    /usr/lib/wine/wineserver -w
  fi
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}

# Without a display, show the menu on a virtual one, save a screenshot and stop.
run_headless() {
  local shots="$build/screenshots" display=:97
  mkdir -p "$shots"
  while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  started_pids+=($!)
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
    install_missing "${run_packages[@]}"
    # Without the tests, unless this build folder has them already (from `test`).
    options=()
    [ -f "$build/CMakeCache.txt" ] || options=(-DBUILD_TESTING=OFF)
    build_all "${options[@]}"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec "$build/playdeck"
    else
      run_headless
    fi
    ;;
  test)
    install_missing "${test_packages[@]}"
    build_all -DBUILD_TESTING=ON
    status=0
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs" --timeout 600) || status=$?
    echo "dev.sh: the Windows suite under Wine"
    build_windows
    wine_setup
    (cd "$build_win" && ctest --output-on-failure --timeout 120) || status=$?
    exit "$status"
    ;;
  windows)
    install_missing "${windows_packages[@]}"
    build_windows
    (cd "$build_win" && cpack -G "ZIP;NSIS")
    echo "dev.sh: wrote $build_win/playdeck-1.00-win64.zip and $build_win/playdeck-1.00-win64-setup.exe"
    ;;
  *)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
