#!/usr/bin/env bash
# Packages the build folder given as $1 (installed under prefix $2), checks that the package
# holds everything a desktop user needs, and validates its menu entry and AppStream data.
set -euo pipefail
build=$1 prefix=${2#/}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pavrel_*_amd64.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/files"
dpkg-deb -x "$deb" "$work/root"
share=$prefix/share
entry=$share/applications/org.pavrel.Pavrel.desktop
starter=$(sed -n 's|^Exec=/||p' "$work/root/$entry")
for file in "$prefix/bin/pavrel" "$prefix/bin/pavrel-table" "$share/pavrel/data.txt" "$entry" \
  "$share/icons/hicolor/32x32/apps/org.pavrel.Pavrel.png" \
  "$share/icons/hicolor/scalable/apps/org.pavrel.Pavrel.svg" \
  "$share/metainfo/org.pavrel.Pavrel.metainfo.xml" "$share/man/man1/pavrel.1.gz" \
  "$share/man/man1/pavrel-table.1.gz" "$starter"; do
  grep -qxF "$file" "$work/files" || { echo "missing from the package: $file" >&2; exit 1; }
done
# desktop-file-validate exits 0 on hints; the entry must have none.
hints=$(desktop-file-validate "$work/root/$entry" 2>&1) || true
[ -z "$hints" ] || { echo "$hints" >&2; exit 1; }
appstreamcli validate --no-net "$work/root/$share/metainfo/org.pavrel.Pavrel.metainfo.xml"
# Every installed file has a licence in the copyright file (the last Files paragraph that
# matches it names it), and that licence's text is there.
awk -v RS= '{
  n = split($0, line, "\n"); files = ""
  for (i = 1; i <= n; i++) {
    if (line[i] ~ /^[^ \t]/) field = line[i]
    if (field ~ /^Files:/) files = files " " line[i]
    if (line[i] ~ /^License:/ && (licence = substr(line[i], 10)) && line[i + 1] ~ /^ /) print "text", licence
  }
  if (sub(/^ Files:/, "", files)) print "files", licence, files
}' "$work/root/$share/doc/pavrel/copyright" >"$work/licences"
set -f  # the patterns are matched, not expanded
grep -v -e '/$' -e '^$' "$work/files" | while read -r file; do
  licence=$(while read -r kind name patterns; do
    [ "$kind" = text ] || for pattern in $patterns; do [[ $file != $pattern ]] || echo "$name"; done
  done <"$work/licences" | tail -n 1)
  grep -qxF "text $licence" "$work/licences" || { echo "no licence text for $file" >&2; exit 1; }
done
