#!/usr/bin/env bash
# Regenerates walls.3d from walls.svx with cavern (Debian package "survex").
# The tests read the stored file; run this only when walls.svx changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cavern -qq -s -o "$tmp/walls.3d" walls.svx >/dev/null
cp "$tmp/walls.3d" .
