#!/usr/bin/env bash
# The Windows zip runs alone: unpacked into an empty folder and run in a
# brand-new Wine prefix on an X server of its own, morvick.exe investigates,
# moves and undoes a folder of Japanese names (driven from another process by
# win_package_driver.exe, which answers the boxes with Yes), and on closing
# saves its settings beside the executable, whose folder is writable.
# Run by hand after make package-windows (making a prefix takes a while):
#   bash scripts/check-package-windows.sh [BUILD] [WORK]
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)
work=${2:-/tmp/morvick-package-check}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/morvick-$version-win64.zip"
driver="$build/tests/win/win_package_driver.exe"
[[ -f "$zip" && -f "$driver" ]] || { echo "make package-windows first" >&2; exit 1; }

wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
rm -rf "$work"
mkdir -p "$work/unpacked" "$work/data/入力"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
start=$(date +%s)
DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
DISPLAY= "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
bash "$(dirname "$0")/wine-fonts.sh" "$wine"
"$(dirname "$wine")/wineserver" -w
echo "new prefix made in $(($(date +%s) - start)) s"

in="$work/data/入力"
out="$work/data/出力 フォルダ"
make_file() { mkdir -p "$(dirname "$in/$1")"; head -c "$2" /dev/urandom >"$in/$1"; }
make_file "日本語の文書.txt" 3000
make_file "写真 2024/夏の海.jpg" 9000
make_file "写真 2024/冬/雪.png" 4000
make_file "ｶﾀｶﾅ半角.dat" 7000
make_file "ひらがな.bin" 12000
make_file "絵文字😀.txt" 500
mkdir -p "$in/空のフォルダ"
manifest() {
  (cd "$1" && find . -mindepth 1 -printf '%y\t%p\t%s\t' \
    \( -type f -exec sh -c 'sha256sum <"$1" | cut -d" " -f1' sh {} \; -o -printf '-\n' \) |
    LC_ALL=C sort)
}
before=$(manifest "$in")
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

export MORVICK_WINE="$wine" MORVICK_EXE="$work/unpacked/morvick/bin/morvick.exe" MORVICK_DRIVER="$driver"
export MORVICK_IN="$(windows_path "$in")" MORVICK_OUT="$(windows_path "$out")"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$MORVICK_WINE" "$MORVICK_EXE" &
  pid=$!
  status=0
  "$MORVICK_WINE" "$MORVICK_DRIVER" "$MORVICK_IN" "$MORVICK_OUT" 20000 | tr -d "\r" || status=$?
  wait "$pid" || true
  exit $status
'

fail() { echo "error: $*" >&2; exit 1; }
[[ "$(manifest "$in")" == "$before" ]] || fail "the undo did not bring the input folder back exactly"
# The window's Undo takes away the volume folders; the output folder stays, empty.
[[ ! -e "$out" || -z "$(ls -A "$out")" ]] || fail "the undo left volume folders behind: $(ls -A "$out")"
journals=$(find "$WINEPREFIX/drive_c/users" -path '*Local*/Morvick/*.jsonl' | wc -l)
[[ $journals -eq 1 ]] || fail "expected one journal in %LOCALAPPDATA%\\Morvick, found $journals"
grep -q '"undone"' "$(find "$WINEPREFIX/drive_c/users" -path '*Local*/Morvick/*.jsonl')" ||
  fail "the journal does not record the undo"
ini="$work/unpacked/morvick/bin/morvick.ini"
[[ -f "$ini" ]] || fail "no settings file beside morvick.exe"
grep -qi '^size=20000' "$ini" || fail "the settings file does not hold the size: $(cat "$ini")"
echo "The unpacked zip ran in a new prefix: investigated, moved and undid $(echo "$before" | wc -l) items; settings in $ini"
