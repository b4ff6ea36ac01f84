#!/usr/bin/env bash
# Builds the Workers.ini fuzz target with clang's libFuzzer and AddressSanitizer and runs it for a
# bounded time (FUZZ_SECONDS, 60 by default), starting from the saved corpus. New inputs go to a
# work folder; copy the interesting ones into tests/fuzz/ini-corpus/ by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$here/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
command -v clang++ >/dev/null || { echo "clang++ not found: ./tools/install-deps.sh fuzz" >&2; exit 1; }
mkdir -p "$out/ini-work"
# shellcheck disable=SC2046
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  $(pkg-config --cflags Qt6Core) -I"$here/src/session" \
  "$here/tests/fuzz/fuzz_workers_ini.cpp" "$here/src/session/WorkersIni.cpp" \
  $(pkg-config --libs Qt6Core) -o "$out/fuzz_workers_ini"
# Leaks inside Qt's own start-up are not ours.
export ASAN_OPTIONS=detect_leaks=0
"$out/fuzz_workers_ini" -max_total_time="$seconds" -max_len=1100000 -rss_limit_mb=2048 -timeout=20 \
  "$out/ini-work" "$here/tests/fuzz/ini-corpus"
