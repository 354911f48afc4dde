#!/usr/bin/env bash
# First paint and peak memory of the program on an X display, over several
# starts, on an Xvfb server of its own: the Linux program (release preset) and,
# when it has been built (mingw preset), the Windows executable under Wine on
# the same server.
#
#   bench/first_paint.sh [RUNS]        (default 10 starts each)
#
# BUILD_DIR=dir builds there (Release, benchmarks on) instead of the release
# preset's build/release.
#
# Each start copies the sample car folder to a fresh folder. first_paint_probe
# times the start of the process to the first complete paint of the main
# window and reads the process's peak resident set when it has closed.
# Under Wine the figures are those of the program's own process (wineserver
# and Wine's helper processes are not counted); the Wine prefix is made once
# and its wineserver kept running, and one unmeasured start warms it up.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-10}
title="Karvo Zelt Omra Lights and Parts Changer"

if [ -n "${BUILD_DIR:-}" ]; then
  build=$BUILD_DIR
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKARVO_BUILD_BENCH=ON \
    -DKARVO_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target karvo-parts-changer first_paint_probe >/dev/null
else
  build=$root/build/release
  cmake --preset release >/dev/null
  cmake --build --preset release --target karvo-parts-changer first_paint_probe >/dev/null
fi
program=$build/karvo-parts-changer
probe=$build/bench/first_paint_probe
exe=$root/build/mingw/karvo-parts-changer.exe

work=$(mktemp -d "${TMPDIR:-/tmp}/karvo-first-paint.XXXXXX")
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 number <&3
exec 3>&-
export DISPLAY=":$number"

# One start in a fresh copy of the sample car; prints the probe's line.
start() {
  local car
  car=$(mktemp -d "$work/car.XXXXXX")
  cp -R example/. "$car/"
  "$probe" "$car" "$title" "$@"
}

# Prints "<label>: first paint median/min/max ms, peak RSS median/max MiB".
measure() {
  local label=$1
  shift
  local lines=()
  for ((i = 0; i < runs; i++)); do
    lines+=("$(start "$@")")
  done
  printf '%s\n' "${lines[@]}" | awk -v label="$label" '
    { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
      paint[NR] = v["first_paint_ms"]; rss[NR] = v["peak_rss_kib"] / 1024 }
    function median(a, n,   s, i, j, t) {
      for (i = 1; i <= n; i++) s[i] = a[i]
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (s[j] < s[i]) { t = s[i]; s[i] = s[j]; s[j] = t }
      return n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2
    }
    function minof(a, n,   m, i) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] < m) m = a[i]; return m }
    function maxof(a, n,   m, i) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] > m) m = a[i]; return m }
    END {
      printf "%-22s first paint %6.1f ms median (%.1f..%.1f), peak RSS %5.1f MiB median (max %.1f), %d starts\n",
        label, median(paint, NR), minof(paint, NR), maxof(paint, NR), median(rss, NR), maxof(rss, NR), NR
    }'
}

measure "Linux (X11)" "$program"

if [ -x "$(command -v wine || true)" ] && [ -f "$exe" ]; then
  export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot --init >/dev/null 2>&1
  wineserver -p || true  # the server that wineboot started may be the one that stays
  start wine "$exe" >/dev/null
  measure "Windows exe under Wine" wine "$exe"
else
  echo "Windows exe under Wine: not measured ($exe not built: cmake --build --preset mingw)"
fi
