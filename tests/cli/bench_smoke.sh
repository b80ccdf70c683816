#!/usr/bin/env bash
# The benchmark command at a tiny size (scripts/bench --smoke) over the benchmarks built beside
# the executable: every program runs, the report names each one with its figures, and the plot
# is a PNG image.
set -u
exe="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$(dirname "$exe")" && pwd)"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if grep -qE '^(MIGRADOR_BENCHMARKS:BOOL=OFF|benchmark_DIR:PATH=.*NOTFOUND)' "$build/CMakeCache.txt"; then
  echo "benchmarks are not configured in $build: nothing to run"
  exit 0
fi

if ! "$root/scripts/bench" --smoke --build-dir "$build" --out "$out"; then
  echo "scripts/bench --smoke failed"; exit 1
fi
report="$out/benchmarks.md"
[ -s "$report" ] || { echo "no report written"; exit 1; }
status=0
for source in "$root"/bench/*.cpp; do
  p="$(basename "$source" .cpp)"
  if ! grep -q "^### $p\$" "$report"; then echo "the report has no section for $p"; status=1; fi
done
if grep -q '^Not measured' "$report"; then
  echo "a program was not measured:"; grep -B3 '^Not measured' "$report"; status=1
fi
if ! grep -q '^| `' "$report"; then echo "the report holds no figure"; status=1; fi
if command -v gnuplot >/dev/null 2>&1; then
  if [ "$(head -c 8 "$out/benchmarks.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" != "89504e470d0a1a0a" ]; then
    echo "no PNG plot written"; status=1
  fi
fi
[ "$status" = 0 ] && echo "smoke report with $(grep -c '^| `' "$report") figures"
exit "$status"
