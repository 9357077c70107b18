#!/usr/bin/env bash
# Runs the Windows build under Wine: the core test programs, the window's tests
# on an X server of their own, then a plan, move and undo round trip of
# morvick-cli.exe on a folder with Japanese names, whose manifest must come back
# exactly. Headless but for the window, in a private Wine prefix under the build
# folder that later runs reuse.
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)

wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
[[ -x "$wine" ]] || { echo "error: wine64 is not installed" >&2; exit 1; }
export WINEPREFIX="$build/wine" WINEDEBUG=-all DISPLAY= WAYLAND_DISPLAY=
# Made once, before anything runs in parallel: two programs that find no
# prefix would both start making one.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Making the Wine prefix $WINEPREFIX (once)"
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true

ctest --test-dir "$build" -j "$(nproc)" --output-on-failure -LE window

# --- The window ---------------------------------------------------------------
# The Win32 window's tests make real windows: on an X server of their own, large
# enough for the window at 1.5 times the design's scale. No window manager runs
# there, so Wine draws the frames itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
bash "$(dirname "$0")/wine-fonts.sh" "$wine"
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1920x1200x24" \
  ctest --test-dir "$build" --output-on-failure -L window

# --- The round trip ---------------------------------------------------------
cli="$build/cli/morvick-cli.exe"
work="$build/round-trip"
rm -rf "$work"
mkdir -p "$work/入力"
in="$work/入力"
out="$work/出力 フォルダ"
# Z: is the root of the Linux file system in every Wine prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

make_file() {  # path size
  mkdir -p "$(dirname "$in/$1")"
  head -c "$2" /dev/urandom >"$in/$1"
}
make_file "日本語の文書.txt" 3000
make_file "写真 2024/夏の海.jpg" 9000
make_file "写真 2024/冬/雪.png" 4000
make_file "ｶﾀｶﾅ半角.dat" 7000
make_file "ひらがな.bin" 12000
make_file "漢字とEnglish混在.md" 2500
make_file "データ/中身/深い/ファイル.csv" 6000
make_file "résumé ü.txt" 1500
make_file "記号「」（）・〜.txt" 800
make_file "絵文字😀.txt" 500
mkdir -p "$in/空のフォルダ"
# Wine keeps the machine's time zone: the plan must show this local time, its
# seconds made even as in the MS-DOS time format.
touch -d "2001-02-03 04:05:07" "$in/日本語の文書.txt"

# Every file, folder and link below a folder with its type, size, time (files
# only: a move changes the time of the folders it takes from and puts into)
# and the checksum of its content.
manifest() {
  (cd "$1" && find . -mindepth 1 -printf '%y\t%p\t%s\t' \
    \( -type f -printf '%T@\t' -exec sh -c 'sha256sum <"$1" | cut -d" " -f1' sh {} \; \
    -o -printf '-\n' \) | LC_ALL=C sort)
}
before=$(manifest "$in")

run_cli() {  # expected-status arguments...
  local expected=$1
  shift
  local status=0
  "$wine" "$cli" "$@" >"$work/last-output.txt" 2>&1 || status=$?
  if [[ $status -ne $expected ]]; then
    cat "$work/last-output.txt" >&2
    echo "error: morvick-cli.exe $1 ended with $status, not $expected" >&2
    exit 1
  fi
}

run_cli 0 plan "$(windows_path "$in")" --size 20000 --unit bytes --format json
grep -q '"volumeCount": [2-9]' "$work/last-output.txt" ||
  { cat "$work/last-output.txt"; echo "error: the plan does not split the folder" >&2; exit 1; }
grep -q '"name": "日本語の文書.txt", "size": 3000, "date": "2001/02/03 04:05:06"' "$work/last-output.txt" ||
  { cat "$work/last-output.txt"; echo "error: the plan does not show the name, size and date" >&2; exit 1; }

journal=$(windows_path "$work/移動の記録.jsonl")
run_cli 0 move "$(windows_path "$in")" "$(windows_path "$out")" --size 20000 --unit bytes --yes \
  --journal "$journal" --quiet
if [[ -n "$(ls -A "$in")" ]]; then
  echo "error: the move left entries in the input folder: $(ls -A "$in")" >&2
  exit 1
fi
# Every entry whole in exactly one volume folder.
moved=$(for volume in "$out"/*/; do manifest "$volume"; done | LC_ALL=C sort)
if [[ "$moved" != "$before" ]]; then
  diff <(echo "$before") <(echo "$moved") >&2 || true
  echo "error: the volume folders do not hold exactly the entries of the input folder" >&2
  exit 1
fi

run_cli 0 undo "$journal" --yes --quiet
after=$(manifest "$in")
if [[ "$after" != "$before" ]]; then
  diff <(echo "$before") <(echo "$after") >&2 || true
  echo "error: the undo did not bring the input folder back exactly" >&2
  exit 1
fi
if [[ -e "$out" ]]; then
  echo "error: the undo left the output folder behind" >&2
  exit 1
fi
# The exit statuses of the Linux program, and a move that meets an item of the
# same name at its destination: that entry fails (3), nothing is replaced.
run_cli 1 plan "$(windows_path "$work/無い")"
run_cli 2 plan --no-such-option
run_cli 1 move "$(windows_path "$in")" "$(windows_path "$in")" --yes --quiet
mkdir -p "$work/衝突/入力" "$work/衝突/出力/folder00001"
printf 'moving' >"$work/衝突/入力/同じ名前.txt"
printf 'already here' >"$work/衝突/出力/folder00001/同じ名前.txt"
run_cli 3 move "$(windows_path "$work/衝突/入力")" "$(windows_path "$work/衝突/出力")" \
  --size 1000 --unit bytes --yes --quiet --journal "$(windows_path "$work/衝突/記録.jsonl")"
if [[ "$(cat "$work/衝突/入力/同じ名前.txt")" != moving ||
      "$(cat "$work/衝突/出力/folder00001/同じ名前.txt")" != "already here" ]]; then
  echo "error: a move replaced or lost a file that met its namesake" >&2
  exit 1
fi

# Copy leaves the input as it was and fills the same volume folders; each
# volume verifies against its index, and a changed byte is found.
copied="$work/コピー先"
run_cli 0 copy "$(windows_path "$in")" "$(windows_path "$copied")" --size 20000 --unit bytes \
  --yes --quiet
if [[ "$(manifest "$in")" != "$before" ]]; then
  echo "error: the copy changed the input folder" >&2
  exit 1
fi
# Windows keeps times to 100 ns: the copies' times are compared to that.
to_100ns() { sed -E 's/(\.[0-9]{7})[0-9]*\t/\1\t/'; }
copies=$(for volume in "$copied"/*/; do manifest "$volume"; done | grep -v 'morvick-index.json' |
  LC_ALL=C sort | to_100ns)
if [[ "$copies" != "$(echo "$before" | to_100ns)" ]]; then
  diff <(echo "$before" | to_100ns) <(echo "$copies") >&2 || true
  echo "error: the volume folders do not hold exactly copies of the input's entries" >&2
  exit 1
fi
[[ -f "$copied/morvick-catalogue.tsv" ]] || { echo "error: no catalogue" >&2; exit 1; }
for volume in "$copied"/*/; do run_cli 0 verify "$(windows_path "${volume%/}")" --quiet; done
# A second run keeps what is complete and removes what a killed copy left.
leftover="$(ls -d "$copied"/*/ | head -1).morvick-1-2.tmp"
echo "part of a file" >"$leftover"
run_cli 0 copy "$(windows_path "$in")" "$(windows_path "$copied")" --size 20000 --unit bytes \
  --yes --quiet
[[ ! -e "$leftover" ]] || { echo "error: the second copy left $leftover" >&2; exit 1; }
changed=$(grep -l . "$copied"/*/ひらがな.bin)
# The byte at 100 made different from what it is (the content is random).
byte=$(od -An -tu1 -j100 -N1 "$changed")
printf "\\$(printf %03o $(((byte + 1) % 256)))" |
  dd of="$changed" bs=1 seek=100 conv=notrunc status=none
run_cli 3 verify "$(windows_path "$(dirname "$changed")")"
grep -q '^changed: ひらがな.bin (sha256)' "$work/last-output.txt" ||
  { cat "$work/last-output.txt"; echo "error: verify missed a changed byte" >&2; exit 1; }

echo "Round trip under Wine: $(echo "$before" | wc -l) items moved into $(echo "$moved" | wc -l) and back exactly, and copied and verified"
