#!/bin/bash
# A throwaway PostgreSQL server for the tests, listening only on 127.0.0.1.
#   pg-server.sh start DIR   initdb into DIR, start, create a login role and database, write DIR/pg.env
#   pg-server.sh stop DIR    stop the server of DIR and remove DIR
# Both are idempotent. When no PostgreSQL is installed, start writes DIR/pg.unavailable and exits 0,
# so SQLite tests still run; the PostgreSQL tests then skip (CI checks the install beforehand).
set -u

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
case "$dir" in /*) ;; *) dir="$PWD/$dir" ;; esac

pgbin() {
    local b
    for b in /usr/lib/postgresql/15/bin $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
        if [ -x "$b/initdb" ] && [ -x "$b/pg_ctl" ] && [ -x "$b/psql" ]; then
            echo "$b"
            return 0
        fi
    done
    return 1
}

# As root the server runs as postgres (initdb refuses root); otherwise as the current user.
if [ "$(id -u)" = 0 ]; then
    owner=postgres
    as_owner() { runuser -u postgres -- "$@"; }
else
    owner=$(id -un)
    as_owner() { "$@"; }
fi

# The server's folders live in DIR, or in a /tmp folder named by DIR/pg.base when the server's
# owner cannot reach DIR (a build under /root) or the socket path would be too long.
base_of() {
    if [ -f "$dir/pg.base" ]; then cat "$dir/pg.base"; else echo "$dir"; fi
}

stop_server() {
    local bin base
    base=$(base_of)
    if [ -f "$base/pg/postmaster.pid" ] && bin=$(pgbin); then
        as_owner "$bin/pg_ctl" -D "$base/pg" -m fast -w -t 30 stop >/dev/null 2>&1 || {
            # pg_ctl could not stop it: end the postmaster by the PID it recorded.
            local pid
            pid=$(head -n 1 "$base/pg/postmaster.pid" 2>/dev/null)
            [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null
            sleep 1
        }
    fi
}

# Only a folder this script made (or an empty one) is ever removed.
ours() {
    [ -d "$dir" ] || return 0
    [ -f "$dir/pg.env" ] || [ -f "$dir/pg.unavailable" ] || [ -f "$dir/pg.base" ] || [ -d "$dir/pg" ] ||
        [ -z "$(ls -A "$dir")" ]
}

port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start() {
    local bin
    if ! bin=$(pgbin); then
        ours || { echo "pg-server: $dir is not a server folder" >&2; return 1; }
        mkdir -p "$dir"
        rm -f "$dir/pg.env"
        echo "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)" >"$dir/pg.unavailable"
        echo "pg-server: PostgreSQL is not installed; PostgreSQL tests will be skipped" >&2
        return 0
    fi
    if [ "$owner" = postgres ] && ! id postgres >/dev/null 2>&1; then
        echo "pg-server: running as root but there is no postgres user" >&2
        return 1
    fi

    # Already running from an earlier start: keep it.
    if [ -f "$dir/pg.env" ] && as_owner "$bin/pg_ctl" -D "$(base_of)/pg" status >/dev/null 2>&1; then
        return 0
    fi
    # Left over from a run that was not stopped: start afresh.
    if ! ours; then
        echo "pg-server: $dir exists and is not a server folder; not touching it" >&2
        return 1
    fi
    stop_server
    remove_all
    mkdir -p "$dir" || return 1
    chmod 755 "$dir"
    local base="$dir"
    if ! as_owner test -x "$dir" || [ ${#dir} -gt 80 ]; then
        base=$(mktemp -d /tmp/quorvel-pg.XXXXXX) || return 1
        chmod 755 "$base"
        echo "$base" >"$dir/pg.base"
    fi
    install -d -o "$owner" -m 700 "$base/pg" &&
        install -d -o "$owner" -m 755 "$base/pgsock" "$base/pglog" || return 1

    if ! as_owner "$bin/initdb" -D "$base/pg" -U postgres -E UTF8 --locale=C.UTF-8 \
            --auth-local=trust --auth-host=scram-sha-256 >"$base/pglog/initdb.log" 2>&1; then
        echo "pg-server: initdb failed:" >&2
        cat "$base/pglog/initdb.log" >&2
        return 1
    fi

    # A free port: try random ones; a port taken between the probe and the start fails the start,
    # and the next attempt picks another.
    local port attempt started=0
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        port_in_use "$port" && continue
        if as_owner "$bin/pg_ctl" -D "$base/pg" -l "$base/pglog/pg.log" -w -t 30 \
                -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$base/pgsock -c fsync=off -c full_page_writes=off" \
                start >/dev/null 2>&1; then
            started=1
            break
        fi
    done
    if [ "$started" != 1 ]; then
        echo "pg-server: the server did not start:" >&2
        tail -n 20 "$base/pglog/pg.log" >&2
        return 1
    fi

    local user=quorvel password database=quorvel_test admin=qv_admin
    password="qv$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
    # qv_admin is the superuser the tests use for set-up; what it creates is handed to the test
    # role afterwards, so the tests' own connections can alter and drop it.
    if ! "$bin/psql" -X -q -h "$base/pgsock" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
            -c "CREATE ROLE $user LOGIN PASSWORD '$password'" \
            -c "CREATE ROLE $admin SUPERUSER LOGIN" \
            -c "CREATE DATABASE $database OWNER $user" >"$base/pglog/setup.log" 2>&1; then
        echo "pg-server: creating the role and database failed:" >&2
        cat "$base/pglog/setup.log" >&2
        stop_server
        return 1
    fi

    local tmp="$dir/pg.env.tmp"
    {
        echo "PGHOST=127.0.0.1"
        echo "PGPORT=$port"
        echo "PGUSER=$user"
        echo "PGPASSWORD=$password"
        echo "PGDATABASE=$database"
        echo "PGADMIN=$admin"
        echo "PSQL=$bin/psql"
        echo "PGSOCKDIR=$base/pgsock"
        echo "PGLOG=$base/pglog/pg.log"
    } >"$tmp" && chmod 600 "$tmp" && mv "$tmp" "$dir/pg.env"
}

stop() {
    [ -d "$dir" ] || return 0
    if ! ours; then
        echo "pg-server: $dir is not a server folder; not touching it" >&2
        return 1
    fi
    stop_server
    remove_all
}

remove_all() {
    local base
    base=$(base_of)
    case "$base" in /tmp/quorvel-pg.*) rm -rf "$base" ;; esac
    rm -rf "$dir"
}

case "$cmd" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
