#!/bin/bash
# Installs what is missing, builds Quorvel, makes the demo database and starts Quorvel on it.
# The demo data source "quorvel_demo" lives in private unixODBC files under build/demo: nothing in
# /etc or in the user's own odbc.ini is touched.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORVEL_BUILD_DIR:-$root/build}
demo=$build/demo

bash "$root/scripts/setup.sh" --demo quorvel quorvel-make-demo

mkdir -p "$demo/odbc" "$demo/home"
cat >"$demo/odbc/odbcinst.ini" <<INI
[SQLite3]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so

[PostgreSQL Unicode]
Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
INI
cat >"$demo/odbc/odbc.ini" <<INI
[quorvel_demo]
Driver=SQLite3
Database=$demo/quorvel_demo.db
INI

export ODBCSYSINI="$demo/odbc"
export ODBCINI="$demo/odbc/odbc.ini"
export QUORVEL_HOME="$demo/home"
unset ODBCINSTINI ODBCSEARCH

"$build/demo/quorvel-make-demo" "$root/demo/demo.sql" "$demo/quorvel_demo.db"

# On the first start the data-source window offers the demo preselected; later starts keep
# whatever the user chose.
if [ ! -e "$demo/home/Quorvel.ini" ]; then
    printf '[OPTIONS]\nDEFAULTDATASOURCE=quorvel_demo\n' >"$demo/home/Quorvel.ini"
    # The file may come to hold passwords: private, as the program makes it.
    chmod 600 "$demo/home/Quorvel.ini"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: the demo database is ready ($demo/quorvel_demo.db), but there is no display" >&2
    echo "demo: (neither DISPLAY nor WAYLAND_DISPLAY is set), so Quorvel cannot open its window." >&2
    echo "demo: run this script from a desktop session, or under X forwarding (ssh -X)." >&2
    exit 1
fi

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$demo/runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
fi
echo "demo: starting Quorvel; the data source is quorvel_demo"
exec "$build/app/quorvel" "$@"
