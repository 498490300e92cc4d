#!/usr/bin/env bash
# Regenerates the files made from passages.svx (by cavern and dump3d, Debian
# package "survex") and from passages.th (by therion, package "therion").
# The tests read the files stored here; run this only when a source changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cavern -qq -s -o "$tmp/passages.3d" passages.svx >/dev/null
cp "$tmp/passages.3d" .
dump3d passages.3d >passages.dump.txt
cp passages.th "$tmp/"
printf 'source passages.th\nexport model -fmt loch -o passages.lox\nexport model -fmt compass -o passages.plt\n' \
  >"$tmp/thconfig"
(cd "$tmp" && therion thconfig >/dev/null 2>&1)
cp "$tmp/passages.lox" "$tmp/passages.plt" .
