#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster on loopback, runs every test under CTest, stops the cluster.
set -euo pipefail
build=${1:-build-test}
here=$(cd "$(dirname "$0")/.." && pwd)
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$pgbin/initdb" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }

tmp=$(mktemp -d /tmp/tallimar-pg.XXXXXX)
chmod 755 "$tmp"
as_pg=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres:postgres "$tmp"
  as_pg=(runuser -u postgres --)
fi
cleanup() {
  "${as_pg[@]}" "$pgbin/pg_ctl" -D "$tmp/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
"${as_pg[@]}" "$pgbin/initdb" -D "$tmp/data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 >"$tmp/initdb.log" 2>&1 \
  || { cat "$tmp/initdb.log" >&2; exit 1; }
"${as_pg[@]}" "$pgbin/pg_ctl" -D "$tmp/data" -l "$tmp/server.log" -w -t 60 \
  -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$tmp -c fsync=off -c max_connections=100" start >/dev/null \
  || { cat "$tmp/server.log" >&2; exit 1; }
echo "PostgreSQL listening on 127.0.0.1:$port"

export TALLIMAR_TEST_PG_HOST=127.0.0.1 TALLIMAR_TEST_PG_PORT=$port TALLIMAR_TEST_PG_USER=postgres
# Tests that stop a server start a cluster of their own with these binaries.
export TALLIMAR_TEST_PG_BIN=$pgbin
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j 2 --timeout 900
