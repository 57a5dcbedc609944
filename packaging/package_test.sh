#!/usr/bin/env bash
# Packages the build folder given as $1 (installed under prefix $2), checks that the package
# holds everything a desktop user needs, and validates its menu entry and AppStream data.
set -euo pipefail
prefix=${2#/} share=${2#/}/share id=org.pavrel.Pavrel
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$1/CPackConfig.cmake" >"$work/log" || fail "$(cat "$work/log")"
dpkg-deb -x "$work"/pavrel_*_amd64.deb "$work/root"
(cd "$work/root" && find . ! -type d | sed 's|^\./||') >"$work/files"
entry=$work/root/$share/applications/$id.desktop
for file in "$prefix"/bin/pavrel{,-table} "$share"/{pavrel/data.txt,applications/$id.desktop} \
  "$share"/{icons/hicolor/{32x32/apps/$id.png,scalable/apps/$id.svg},metainfo/$id.metainfo.xml} \
  "$share"/man/{,zh_CN/}man1/pavrel{,-table}.1.gz "$(sed -n 's|^Exec=/||p' "$entry")"; do
  grep -qxF "$file" "$work/files" || fail "missing from the package: $file"
done
desktop-file-validate "$entry" 2>&1 | { ! grep . >&2; }  # hints too, which exit 0
# The project has no homepage yet. AppStream 1.0 (Debian 13) warns of that and fails on any
# warning; 0.16 (Debian 12) has no such check, nor a name for it to override.
no_homepage=(--override=url-homepage-missing=info)
[[ $(appstreamcli --version) != *"version: 0."* ]] || no_homepage=()
appstreamcli validate --no-net "${no_homepage[@]}" "$work/root/$share/metainfo/$id.metainfo.xml"
# Each installed file has a licence (the last Files paragraph that matches it) with its text.
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
while read -r file; do
  licence=$(while read -r kind name patterns; do
    [ "$kind" = text ] || for pattern in $patterns; do [[ $file != $pattern ]] || echo "$name"; done
  done <"$work/licences" | tail -n 1)
  grep -qxF "text $licence" "$work/licences" || fail "no licence text for $file"
done <"$work/files"
