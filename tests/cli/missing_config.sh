#!/usr/bin/env bash
# The real executable, started in a folder without KORVELAN.INI, ends at once with exit code 0
# and shows no window.
set -u
exe="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/Migrador"
start=$(date +%s%N)
QT_QPA_PLATFORM=offscreen timeout 20 "$dir/Migrador" >"$dir/out" 2>&1
rc=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
if [ "$rc" -ne 0 ]; then
  echo "expected exit code 0 without KORVELAN.INI, got $rc (124 means it did not end)"; cat "$dir/out"; exit 1
fi
echo "exited 0 after ${elapsed_ms} ms"
