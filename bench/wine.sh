#!/usr/bin/env bash
# PLAYDECK for Windows under Wine: start-up to the main menu mapped against a
# bare Win32 window, both under the same warm Wine server, and the size of
# playdeck.exe. Needs build-win/ from `bash tools/dev.sh windows` (and its
# Wine prefix from `bash tools/dev.sh test`) and build/bench/bench_startup.
#   bash bench/wine.sh        BENCH_RUNS sets the runs per program (default 20)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLAYDECK_BUILD:-$root/build}
build_win=${PLAYDECK_BUILD_WIN:-$root/build-win}
runs=${BENCH_RUNS:-20}
for f in "$build_win/playdeck.exe" "$build_win/bench/bench_bare_window.exe" "$build/bench/bench_startup"; do
  [ -x "$f" ] || { echo "wine.sh: $f is missing; build with tools/dev.sh windows and bench/run.sh" >&2; exit 1; }
done
export WINEPREFIX=${PLAYDECK_WINEPREFIX:-$build_win/wineprefix} WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine.sh: no Wine prefix at $WINEPREFIX; run tools/dev.sh test once" >&2; exit 1; }

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null; rm -f "$fdfile"' EXIT
for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fdfile")"
# A server kept running between starts, as on a desktop where Wine is in use.
/usr/lib/wine/wineserver -p
wine=/usr/lib/wine/wine64
echo "measuring start-up under Wine ($runs runs each) ..." >&2
"$build/bench/bench_startup" "$runs" \
  -- playdeck "$wine" "$build_win/playdeck.exe" \
  -- bare "$wine" "$build_win/bench/bench_bare_window.exe" 2>/dev/null |
awk -v size="$(stat -c %s "$build_win/playdeck.exe")" -v stripped="$(x86_64-w64-mingw32-strip -o "$fdfile" "$build_win/playdeck.exe" && stat -c %s "$fdfile")" '
  $1 == "startup" { start[$2] = $3; p10[$2] = $4; p90[$2] = $5; n = $6 }
  END {
    printf "| start-up under Wine to main menu mapped (median of %d, p10-p90) | %.0f ms (%.0f-%.0f) | bare Win32 window %.0f ms (%.0f-%.0f) | %.2fx | - |\n",
      n, start["playdeck"], p10["playdeck"], p90["playdeck"], start["bare"], p10["bare"], p90["bare"], start["playdeck"] / start["bare"]
    printf "| playdeck.exe size (static runtime, no DLLs) | %.0f KB (%.0f KB stripped) | - | - | - |\n", size / 1024, stripped / 1024
  }'
