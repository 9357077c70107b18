#!/usr/bin/env bash
# bench-window-win under Wine on 100,000 empty files directly in the input
# folder: the same folder and figures as bench/ui/bench-window.sh's second case,
# for the Win32 window. The window runs on an X server of its own.
# Usage: bench/win/bench-window-win.sh [BUILD] [WORK] [RUNS] [MAKE_TREE]
#   BUILD defaults to build/windows; WORK to /tmp/morvick-window-bench (the
#   folders of bench-window.sh, made there once and reused); MAKE_TREE to the
#   release build's morvick-make-tree (make bench).
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)
work=${2:-/tmp/morvick-window-bench}
runs=${3:-3}
make_tree=${4:-build/release/bench/engine/morvick-make-tree}
bench="$build/bench/win/bench-window-win.exe"
[[ -x "$bench" ]] || { echo "build $build first (make windows)" >&2; exit 1; }

wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wine" WINEDEBUG=-all
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
fi
DISPLAY= "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
bash "$(dirname "$0")/../../scripts/wine-fonts.sh" "$wine"
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true

mkdir -p "$work"
if [[ ! -d "$work/flat-100k" ]]; then
  [[ -x "$make_tree" ]] || { echo "no $make_tree to make the folder (make bench)" >&2; exit 1; }
  "$make_tree" --flat "$work/flat-100k" 100000
fi
# Z: is the root of the Linux file system in every Wine prefix.
folder="Z:${work//\//\\}\\flat-100k"
echo "== 100,000 top-level files, Win32 window under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$bench" "$folder" "$runs" 1.2 100 200 | tr -d '\r'
