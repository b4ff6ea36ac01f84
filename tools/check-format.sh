#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from what clang-format makes of it with the
# committed .clang-format. `make format` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'Not formatted (run `make format`):\n' >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
