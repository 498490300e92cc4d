#!/usr/bin/env bash
# Regenerates small_v3.3d ... small_v8.3d and their text dumps from small.svx
# with cavern and dump3d (Debian package "survex"). The tests read the files
# stored here; this script is only needed when small.svx changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for v in 3 4 5 6 7 8; do
  cavern -qq -s -v "$v" -o "$tmp/small_v$v.3d" small.svx >/dev/null
  cp "$tmp/small_v$v.3d" .
  dump3d "small_v$v.3d" >"small_v$v.dump.txt"
done
