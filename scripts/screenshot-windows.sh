#!/usr/bin/env bash
# Pictures of the Win32 main window under Wine after an investigation of a
# generated sample folder: build/windows/main-window.png (or $2), and the same
# with the preset editor open, preset-editor.png beside it; then the table of
# every control's rectangle read back from the windows against the design,
# build/windows/layout.md. The window runs on an X server of its own; each
# picture is of that server's screen, taken once the window says it is painted.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build/windows}" && pwd)
shot=${2:-$build/main-window.png}
editor_shot="$(dirname "$shot")/preset-editor.png"

wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wine" WINEDEBUG=-all
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# No window manager runs on the X server: Wine draws the frames and captions itself.
DISPLAY= "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
bash "$scripts/wine-fonts.sh" "$wine"
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
export MORVICK_WINE="$wine" MORVICK_WORK="$work"
export MORVICK_PROGRAM="$build/win/morvick_screenshot.exe"
MORVICK_ARGUMENTS=$(printf '%s\n' "$(windows_path "$work")" "$(windows_path "$work/写真とビデオ")" \
  "$(windows_path "$scripts/../data/presets.dat")")
export MORVICK_ARGUMENTS
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  mapfile -t arguments <<<"$MORVICK_ARGUMENTS"
  shoot() {  # mode picture
    rm -f "$MORVICK_WORK/ready" "$MORVICK_WORK/done"
    "$MORVICK_WINE" "$MORVICK_PROGRAM" "${arguments[@]}" "$1" &
    local pid=$!
    for _ in $(seq 600); do [[ -e "$MORVICK_WORK/ready" ]] && break; sleep 0.1; done
    if [[ ! -e "$MORVICK_WORK/ready" ]]; then
      echo "error: the window did not come up ($1)" >&2
      kill "$pid"
      exit 1
    fi
    import -window root "$2"
    touch "$MORVICK_WORK/done"
    wait "$pid"
  }
  shoot main "$1"
  shoot editor "$2"
  "$MORVICK_WINE" "$MORVICK_PROGRAM" "${arguments[@]}" layout
' shoot "$shot" "$editor_shot"
cp "$work/layout.md" "$build/layout.md"
echo "$shot"
echo "$editor_shot"
echo "$build/layout.md"
