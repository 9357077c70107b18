#!/usr/bin/env bash
# The Windows programs as one zip, build/windows/morvick-VERSION-win64.zip:
# morvick.exe and morvick-cli.exe in morvick\bin, the shipped presets and the
# HTML help in morvick\share\morvick (where both look, beside their folder),
# the licence and a short read-me in Japanese.
# Then checks the archive's contents and runs the unpacked morvick-cli.exe.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/windows}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="morvick-$version-win64"
stage="$build/package"
zip="$build/$name.zip"

rm -rf "$stage" "$zip"
cmake --install "$build" --prefix "$stage/morvick" >/dev/null
cp "$source_dir/LICENSE" "$stage/morvick/LICENSE.txt"
cp "$source_dir/packaging/windows/README-ja.txt" "$stage/morvick/README-ja.txt"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip morvick)

expected=$(printf '%s\n' morvick/LICENSE.txt morvick/README-ja.txt morvick/bin/morvick-cli.exe \
  morvick/bin/morvick.exe morvick/share/morvick/help/index.html \
  morvick/share/morvick/help/main-window.png morvick/share/morvick/presets.dat)
listed=$(cd "$stage" && cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort)
if [[ "$listed" != "$expected" ]]; then
  diff <(echo "$expected") <(echo "$listed") >&2 || true
  echo "error: the zip does not hold the programs, the presets, the help, the licence and the read-me" >&2
  exit 1
fi

# The unpacked programs run alone: no library beside them but the system's.
check="$build/package-check"
rm -rf "$check"
mkdir -p "$check"
(cd "$check" && cmake -E tar xf "$zip")
wine=$(command -v wine64 || true)
[[ -n "$wine" ]] || wine=/usr/lib/wine/wine64
if [[ -x "$wine" ]]; then
  reported=$(WINEPREFIX="$build/wine" WINEDEBUG=-all DISPLAY= \
    "$wine" "$check/morvick/bin/morvick-cli.exe" --version | tr -d '\r')
  if [[ "$reported" != "morvick-cli $version" ]]; then
    echo "error: the unpacked morvick-cli.exe says '$reported'" >&2
    exit 1
  fi
fi
rm -rf "$check"
echo "$zip"
