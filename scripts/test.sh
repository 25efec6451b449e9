#!/bin/bash
# Installs what is missing, builds everything and runs every test; exits with ctest's code.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORVEL_BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"

# The PostgreSQL tests must run here, not skip.
if ! ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
    echo "test: PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)" >&2
    exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
set +e
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$jobs"
rc=$?
set -e
# A run cut short leaves the fixture's server; stop it so the next run starts clean.
bash "$root/tests/support/pg-server.sh" stop "$build/test-pg" || true
exit $rc
