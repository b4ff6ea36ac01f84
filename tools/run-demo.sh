#!/usr/bin/env bash
# Writes Workers.ini beside the built program (SQLite demo database), creates the demo database
# when it does not exist, and starts the program as the demo user.
set -euo pipefail
build=${1:-build}
bin="$build/src"
ini="$bin/Workers.ini"
if [ ! -f "$ini" ]; then
  printf '[Database]\nEngine=SQLite\nCatalog=demo.db\n\n[ChoosenStyle]\nStyle=Lavender Classico\n' > "$ini"
fi
if [ ! -f "$bin/demo.db" ]; then
  "$build/src/cli/tallimar-cli" --ini "$ini" demo-db
fi
exec "$bin/tallimar" demo demo
