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
"$windres" "${pre[@]}" -i "$rc" -O coff -o "$tmp/playdeck.o"   # what a MinGW link takes
"$windres" "${pre[@]}" --include-dir "$(dirname "$assets")" -i "$assets" -O res -o "$tmp/assets.res"
"$windres" -J res -O rc -i "$tmp/playdeck.res" -o "$tmp/back.rc"
"$windres" -J res -O rc -i "$tmp/assets.res" >> "$tmp/back.rc"
sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' "$tmp/back.rc" > "$tmp/lines"

fail=0
expect() {
  grep -qxF -- "$1" "$tmp/lines" || { echo "FAIL: no line: $1"; fail=1; }
}
value() {  # the text of VALUE "<name>"
  sed -n "s/^VALUE \"$1\", \"\\(.*\\)\"\$/\\1/p" "$tmp/lines"
}

# 1.00 -> 1, 0, 0, 0 in the fixed fields
IFS=. read -r major minor patch tweak <<< "$version"
fields="$((10#$major)), $((10#${minor:-0})), $((10#${patch:-0})), $((10#${tweak:-0}))"
expect "FILEVERSION $fields"
expect "PRODUCTVERSION $fields"
expect "FILEOS 0x40004"
expect "FILETYPE 0x1"
expect 'LANGUAGE 9, 1'
expect 'BLOCK "040904B0"'
expect 'VALUE "Translation", 0x409, 1200'
expect "VALUE \"FileVersion\", \"$version\""
expect "VALUE \"ProductVersion\", \"$version\""
expect 'VALUE "ProductName", "PLAYDECK"'
expect "VALUE \"CompanyName\", \"$maker\""
expect 'VALUE "OriginalFilename", "playdeck.exe"'
for name in Comments FileDescription LegalCopyright; do
  [ -n "$(value "$name")" ] || { echo "FAIL: no text for $name"; fail=1; }
done
case "$(value LegalCopyright)" in
  *"$maker"*) ;;
  *) echo "FAIL: the legal notice does not name $maker"; fail=1 ;;
esac
# The icon: one 32x32 image, 8 bits per pixel, in the one group the program
# file shows (icon image numbers are per script: a second group would clash).
expect '"APP_ICON" 14 /* RT_GROUP_ICON */ MOVEABLE DISCARDABLE'
[ "$(grep -c 'RT_GROUP_ICON' "$tmp/lines")" = 1 ] || { echo "FAIL: more than one icon group"; fail=1; }
grep -qE '^"\\040\\040\\000\\000", 1, 8, 0x[0-9a-f]+L, 1' "$tmp/lines" || { echo "FAIL: no 32x32 8-bit icon"; fail=1; }

[ "$fail" = 0 ] || { echo "--- resources read back:"; grep -v '^ *0x' "$tmp/back.rc"; exit 1; }
echo "version record $version of $maker and the icon read back from the compiled resources"
