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
  "$share/man/man1/pavrel-table.1.gz" "$share/doc/pavrel/copyright" "$starter"; do
  grep -qxF "$file" "$work/files" || { echo "missing from the package: $file" >&2; exit 1; }
done
# desktop-file-validate exits 0 on hints; the entry must have none.
hints=$(desktop-file-validate "$work/root/$entry" 2>&1) || true
[ -z "$hints" ] || { echo "$hints" >&2; exit 1; }
appstreamcli validate --no-net "$work/root/$share/metainfo/org.pavrel.Pavrel.metainfo.xml"
# The copyright file names every installed file's licence: the last Files paragraph that matches
# the file names one, and that licence's text is in the file.
declare -A texts
paragraphs=()
while read -r kind licence patterns; do
  if [ "$kind" = text ]; then texts[$licence]=1; else paragraphs+=("$licence $patterns"); fi
done < <(awk -v RS= '{
  n = split($0, line, "\n"); field = ""; patterns = ""; licence = ""
  for (i = 1; i <= n; i++) {
    if (line[i] ~ /^[^ \t]/) { field = line[i]; sub(/:.*/, "", field) }
    if (field == "Files") { sub(/^Files:/, "", line[i]); patterns = patterns " " line[i] }
    if (line[i] ~ /^License:/) {
      licence = substr(line[i], 9); gsub(/[ \t]/, "", licence)
      if (i < n && line[i + 1] ~ /^ /) print "text", licence
    }
  }
  if (patterns != "") print "files", licence, patterns
}' "$work/root/$share/doc/pavrel/copyright")
set -f  # the patterns are matched, not expanded
while read -r file; do
  licence=
  for paragraph in "${paragraphs[@]}"; do
    for pattern in ${paragraph#* }; do [[ $file == $pattern ]] && licence=${paragraph%% *}; done
  done
  [ -n "$licence" ] || { echo "no licence for $file in the copyright file" >&2; exit 1; }
  [ -n "${texts[$licence]-}" ] || { echo "no text of $licence, $file's licence" >&2; exit 1; }
done < <(grep -v -e '/$' -e '^$' "$work/files")
