#!/usr/bin/env bash
# Regenerates the Compass plot files (.plt) and Therion models (.lox) made
# from the .3d files beside them, with the tools cavers use: survexport
# (Debian package "survex") and therion (package "therion"). The tests read
# the files stored here; run this only when a .3d file changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# name, source, Therion's wall source (none for the big survey, to keep the
# file small; the small one keeps its passage walls, a chunk to skip)
while read -r name source walls; do
  survexport --plt "$source.3d" "$name.plt" >/dev/null
  cp "$source.3d" "$tmp/$name.3d"
  printf 'survey %s\n  import %s.3d -surveys use\nendsurvey\n' "$name" "$name" >"$tmp/$name.th"
  printf 'source %s.th\nexport model -fmt loch -wall-source %s -o %s.lox\n' \
    "$name" "$walls" "$name" >"$tmp/thconfig"
  (cd "$tmp" && therion thconfig >/dev/null 2>&1)
  cp "$tmp/$name.lox" .
done <<'LIST'
small small_v8 all
jaskinie_zimna jaskinie_zimna all
jaskinie_czarna jaskinie_czarna all
jaskinie_all jaskinie_all maps
LIST
