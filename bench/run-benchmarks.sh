#!/usr/bin/env bash
# Runs every benchmark of a build; each prints `name: value unit` lines.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
