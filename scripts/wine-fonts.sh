#!/usr/bin/env bash
# Points the Japanese faces that Windows has and Wine lacks at the nearest
# installed font, in the Wine prefix $WINEPREFIX: "ＭＳ Ｐゴシック" (the
# program's font) and "MS UI Gothic" (which Wine links to the captions' Tahoma
# for Japanese) at IPA P Gothic (fonts-ipafont-gothic), proportional like them.
# Without it Wine falls back to the fixed-pitch IPA Gothic for the controls and
# draws Japanese captions as empty boxes. Usage: wine-fonts.sh WINE
set -euo pipefail
wine=$1
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf '\xff\xfe'
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' '"MS UI Gothic"="IPAPGothic"' '' |
    iconv -f UTF-8 -t UTF-16LE
} >"$reg"
DISPLAY= "$wine" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
