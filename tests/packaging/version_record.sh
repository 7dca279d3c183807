#!/usr/bin/env bash
# Compiles the Windows resource scripts (the version record and the
# pictures) with the MinGW resource compiler, turns the compiled resources
# back into text and checks the version record and the program's icon.
#   version_record.sh <playdeck.rc> <assets.rc> <version> <maker>
set -euo pipefail
rc=$1 assets=$2 version=$3 maker=$4
windres=$(command -v x86_64-w64-mingw32-windres) || { echo "x86_64-w64-mingw32-windres is not installed"; exit 77; }
# windres preprocesses with the MinGW C compiler when there is one, else with the host's cpp.
pre=()
command -v x86_64-w64-mingw32-gcc >/dev/null || pre=(--preprocessor=cpp --preprocessor-arg=-DRC_INVOKED)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$windres" "${pre[@]}" -i "$rc" -O res -o "$tmp/playdeck.res"
"$windres" "${pre[@]}" --include-dir "$(dirname "$assets")" -i "$assets" -O res -o "$tmp/assets.res"
"$windres" -J res -O rc -i "$tmp/playdeck.res" -o "$tmp/back.rc"
"$windres" -J res -O rc -i "$tmp/assets.res" >> "$tmp/back.rc"
sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' "$tmp/back.rc" > "$tmp/lines"

fail=0
value() { sed -n "s/^VALUE \"$1\", \"\\(.*\\)\"\$/\\1/p" "$tmp/lines"; }  # the text of VALUE "<name>"
# 1.00 -> 1, 0, 0, 0 in the fixed fields. The icon: one group APP_ICON, the one
# the program file shows (icon image numbers are per script: a second would clash).
IFS=. read -r major minor patch tweak <<< "$version"
fields="$((10#$major)), $((10#${minor:-0})), $((10#${patch:-0})), $((10#${tweak:-0}))"
while read -r line; do
  grep -qxF -- "$line" "$tmp/lines" || { echo "FAIL: no line: $line"; fail=1; }
done <<LINES
FILEVERSION $fields
PRODUCTVERSION $fields
BLOCK "040904B0"
VALUE "Translation", 0x409, 1200
VALUE "FileVersion", "$version"
VALUE "ProductVersion", "$version"
VALUE "ProductName", "PLAYDECK"
VALUE "CompanyName", "$maker"
VALUE "OriginalFilename", "playdeck.exe"
"APP_ICON" 14 /* RT_GROUP_ICON */ MOVEABLE DISCARDABLE
LINES
for name in Comments FileDescription; do
  [ -n "$(value "$name")" ] || { echo "FAIL: no text for $name"; fail=1; }
done
[[ $(value LegalCopyright) == *"$maker"* ]] || { echo "FAIL: the legal notice does not name $maker"; fail=1; }
[ "$(grep -c 'RT_GROUP_ICON' "$tmp/lines")" = 1 ] || { echo "FAIL: more than one icon group"; fail=1; }
grep -qE '^"\\040\\040\\000\\000", 1, 8, 0x[0-9a-f]+L, 1' "$tmp/lines" || { echo "FAIL: no 32x32 8-bit icon"; fail=1; }

[ "$fail" = 0 ] || { echo "--- resources read back:"; grep -v '^ *0x' "$tmp/back.rc"; exit 1; }
echo "version record $version of $maker and the icon read back from the compiled resources"
