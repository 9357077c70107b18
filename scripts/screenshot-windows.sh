#!/usr/bin/env bash
# A picture of the Win32 main window under Wine after an investigation of a
# generated sample folder: build/windows/main-window.png (or $2). The window
# runs on an X server of its own; the picture is of that server's screen,
# taken once the window says its plan is painted.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build/windows}" && pwd)
shot=${2:-$build/main-window.png}

wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wine" WINEDEBUG=-all
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# No window manager runs on the X server: Wine draws the frames and captions itself.
DISPLAY= "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true

work="$build/screenshot"
rm -rf "$work"
mkdir -p "$work"
bash "$scripts/make-sample.sh" "$work/写真とビデオ" >/dev/null
# One entry larger than a volume of 1 Mbyte, which the plan leaves out (red).
truncate -s 3M "$work/写真とビデオ/動画.mp4"
touch -d '2026-01-02 03:04:05' "$work/写真とビデオ/動画.mp4"

# Z: is the root of the Linux file system in every Wine prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export MORVICK_WINE="$wine" MORVICK_SHOT="$shot" MORVICK_WORK="$work"
export MORVICK_PROGRAM="$build/win/morvick_screenshot.exe"
MORVICK_ARGUMENTS=$(printf '%s\n' "$(windows_path "$work")" "$(windows_path "$work/写真とビデオ")" \
  "$(windows_path "$scripts/../data/presets.dat")")
export MORVICK_ARGUMENTS
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  mapfile -t arguments <<<"$MORVICK_ARGUMENTS"
  "$MORVICK_WINE" "$MORVICK_PROGRAM" "${arguments[@]}" &
  pid=$!
  for _ in $(seq 600); do [[ -e "$MORVICK_WORK/ready" ]] && break; sleep 0.1; done
  if [[ ! -e "$MORVICK_WORK/ready" ]]; then
    echo "error: the window did not come up" >&2
    kill "$pid"
    exit 1
  fi
  import -window root "$MORVICK_SHOT"
  touch "$MORVICK_WORK/done"
  wait "$pid"
'
echo "$shot"
