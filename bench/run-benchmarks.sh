#!/usr/bin/env bash
# Runs every benchmark of a build; each prints `name: value unit` lines.
set -euo pipefail
build=${1:-build}
# Window benchmarks need no screen.
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
