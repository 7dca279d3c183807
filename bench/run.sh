#!/usr/bin/env bash
# PLAYDECK's performance figures, with their references measured in the same run:
#   bash bench/run.sh
# Configures and builds ./build (override with PLAYDECK_BUILD) with cmake, then
# prints a table. Needs what `bash tools/dev.sh test` installs (Xvfb, zenity).
# BENCH_RUNS sets the start-up runs per program (default 20).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PLAYDECK_BUILD:-$root/build}
runs=${BENCH_RUNS:-20}

for tool in cmake Xvfb zenity; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing; run 'bash tools/dev.sh run' once" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target playdeck bench_bare_window bench_startup bench_inprocess bench_noop >/dev/null
bin=$build/bench

display=:87
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=":$(( ${display#:} + 1 ))"; done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

# A bare X server has no accessibility bus; without this GTK would wait for one.
export NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY
echo "measuring start-up ($runs runs each) ..." >&2
startup=$(DISPLAY=$display QT_QPA_PLATFORM=xcb "$bin/bench_startup" "$runs" \
  -- playdeck "$build/playdeck" \
  -- bare "$bin/bench_bare_window" \
  -- zenity zenity --list --title=Bench --column=Title A B C D E F 2>/dev/null)
echo "measuring key reaction, launch and memory ..." >&2
reaction=$(QT_QPA_PLATFORM=offscreen "$bin/bench_inprocess" reaction 5000 2>/dev/null)
launch=$(QT_QPA_PLATFORM=offscreen "$bin/bench_inprocess" launch 300 2>/dev/null)
memory=$(DISPLAY=$display QT_QPA_PLATFORM=xcb "$bin/bench_inprocess" memory 5 2>/dev/null)
echo "measuring idle cost with and without gamepads ..." >&2
idle=$(for mode in off watch pad; do
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$bin/bench_inprocess" idle 10 "$mode" 2>/dev/null || echo "idle_$mode - -"
done)

printf '%s\n%s\n%s\n%s\n%s\n' "$startup" "$reaction" "$launch" "$memory" "$idle" | awk -v runs="$runs" '
  $1 == "startup" { start[$2] = $3; p10[$2] = $4; p90[$2] = $5 }
  $1 == "rss"     { peak[$2] = $3 }
  $1 == "reaction_us" { rmed = $2; rp99 = $3; rn = $5 }
  $1 == "launch_us"   { lmenu = $2; lbare = $3; lstarter = $4; ln = $6 }
  $1 == "memory_kb"   { idle = $2; first = $3; last = $(NF - 4); nrounds = NF - 6 }
  $1 ~ /^idle_/       { cpu[substr($1, 6)] = $2; res[substr($1, 6)] = $3 }
  function ok(cond) { return cond ? "met" : "MISSED" }
  END {
    printf "| figure | PLAYDECK | reference | ratio | target |\n"
    printf "|---|---|---|---|---|\n"
    printf "| start-up to main menu mapped (median of %d, p10-p90) | %.0f ms (%.0f-%.0f) | bare Qt window %.0f ms (%.0f-%.0f) | %.2fx | <= 1.2x: %s |\n",
      runs, start["playdeck"], p10["playdeck"], p90["playdeck"], start["bare"], p10["bare"], p90["bare"],
      start["playdeck"] / start["bare"], ok(start["playdeck"] <= 1.2 * start["bare"])
    printf "| | | zenity --list, six rows %.0f ms (%.0f-%.0f) | %.2fx | - |\n",
      start["zenity"], p10["zenity"], p90["zenity"], start["playdeck"] / start["zenity"]
    printf "| key press to cursor moved and repainted (median / p99 of %d) | %.3f / %.3f ms | - | - | < 1 ms: %s |\n",
      rn, rmed / 1000, rp99 / 1000, ok(rp99 < 1000)
    printf "| Enter on the single-part title to emulator started (median of %d) | %.2f ms | bare posix_spawn %.2f ms | %.1fx | <= 1.5x: %s |\n",
      ln, lmenu / 1000, lbare / 1000, lmenu / lbare, ok(lmenu <= 1.5 * lbare)
    printf "| peak resident size idle on the main menu (median of 3) | %.1f MB | bare Qt window %.1f MB | %.2fx | <= 1.10x: %s |\n",
      peak["playdeck"] / 1024, peak["bare"] / 1024, peak["playdeck"] / peak["bare"], ok(peak["playdeck"] <= 1.1 * peak["bare"])
    printf "| resident size after opening and closing every window, rounds 1 and %d | %.1f MB, %.1f MB | idle %.1f MB | +%d KB after round 1 | no growth (256 KB allocator slack): %s |\n",
      nrounds, first / 1024, last / 1024, idle / 1024, last - first, ok(last - first <= 256)
    printf "| idle on the main menu, no pad (CPU over 10 s, resident) | %.3f%% of a core, %.1f MB | no gamepad code %.3f%%, %.1f MB | +%d KB | < 0.1%% and < +1 MB: %s |\n",
      cpu["watch"], res["watch"] / 1024, cpu["off"], res["off"] / 1024, res["watch"] - res["off"],
      ok(cpu["watch"] < 0.1 && res["watch"] - res["off"] < 1024)
    printf "| idle on the main menu, one pad polled every 16 ms (virtual pad) | %.3f%% of a core, %.1f MB | no gamepad code %.3f%%, %.1f MB | +%d KB | - |\n",
      cpu["pad"], res["pad"] / 1024, cpu["off"], res["off"] / 1024, res["pad"] - res["off"]
  }'
