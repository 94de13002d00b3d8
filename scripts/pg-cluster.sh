#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: its own folder under /tmp, listening on 127.0.0.1 only,
# on a free port, with a test role (trust authentication, local connections only) and a test database.
#
#   eval "$(scripts/pg-cluster.sh start)"   # starts one; prints the shell lines that export
#                                            # KAVOREL_TEST_SERVER and KAVOREL_PG_DIR
#   scripts/pg-cluster.sh env                # prints those lines again (KAVOREL_PG_DIR set)
#   scripts/pg-cluster.sh stop               # stops the cluster of KAVOREL_PG_DIR and removes its folder
#
# The server refuses to run as root: as root it runs as the `postgres` system user (the server
# package's), otherwise as the calling user.
set -euo pipefail

bindir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [[ -z "$bindir" || ! -x "$bindir/initdb" ]]; then
    echo "pg-cluster: the PostgreSQL server is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi

as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

print_env() {
    local dir="$1"
    local port
    port="$(cat "$dir/port")"
    echo "export KAVOREL_PG_DIR='$dir'"
    echo "export KAVOREL_TEST_SERVER='host=127.0.0.1 port=$port dbname=kavorel_test user=kavorel'"
}

free_port() {
    local port
    for _ in $(seq 1 200); do
        port=$((20000 + RANDOM % 20000))
        if ! (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    echo "pg-cluster: no free port found" >&2
    return 1
}

case "${1:-}" in
start)
    dir="$(mktemp -d /tmp/kavorel-pg.XXXXXX)"
    chmod 755 "$dir"
    [[ $(id -u) -eq 0 ]] && chown postgres: "$dir"
    as_owner "$bindir/initdb" -D "$dir/data" -U kavorel -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        rm -rf "$dir"
        exit 1
    }
    # A test server: durability is not wanted (the cluster is thrown away), speed is. Another program
    # may take the free port first: a few tries.
    started=""
    for _ in 1 2 3 4 5; do
        port="$(free_port)"
        echo "$port" >"$dir/port"
        if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
            -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
            >/dev/null; then
            started=yes
            break
        fi
    done
    if [[ -z "$started" ]]; then
        cat "$dir/server.log" >&2 || true
        rm -rf "$dir"
        exit 1
    fi
    as_owner "$bindir/createdb" -h 127.0.0.1 -p "$port" -U kavorel -E UTF8 -T template0 kavorel_test
    print_env "$dir"
    ;;
env)
    [[ -n "${KAVOREL_PG_DIR:-}" && -f "$KAVOREL_PG_DIR/port" ]] || { echo "pg-cluster: no cluster (KAVOREL_PG_DIR)" >&2; exit 1; }
    print_env "$KAVOREL_PG_DIR"
    ;;
stop)
    dir="${KAVOREL_PG_DIR:-}"
    [[ -n "$dir" && -d "$dir" ]] || exit 0
    [[ "$dir" == /tmp/kavorel-pg.* ]] || { echo "pg-cluster: not a cluster folder: $dir" >&2; exit 1; }
    if [[ -f "$dir/data/postmaster.pid" ]]; then
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start|env|stop" >&2
    exit 2
    ;;
esac
