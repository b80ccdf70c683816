#!/usr/bin/env bash
# The real executable, started in a folder where no file KORVELAN.INI exists (nothing of that
# name, a folder of that name, a link that leads nowhere), ends at once with exit code 0 and
# shows no window.
set -u
exe="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
for case in absent folder "dangling link"; do
  rm -rf "$dir/bin"
  mkdir -p "$dir/bin"
  cp "$exe" "$dir/bin/Migrador"
  case "$case" in
    folder) mkdir "$dir/bin/KORVELAN.INI" ;;
    "dangling link") ln -s "$dir/nowhere/KORVELAN.INI" "$dir/bin/KORVELAN.INI" ;;
  esac
  start=$(date +%s%N)
  QT_QPA_PLATFORM=offscreen timeout 20 "$dir/bin/Migrador" >"$dir/out" 2>&1
  rc=$?
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ "$rc" -ne 0 ]; then
    echo "FAIL [$case]: expected exit code 0, got $rc (124 means it did not end)"; cat "$dir/out"
    failures=$((failures + 1))
  else
    echo "[$case] exited 0 after ${elapsed_ms} ms"
  fi
done
[ "$failures" -eq 0 ]
