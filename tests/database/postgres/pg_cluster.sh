#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the database tests.
#
#   pg_cluster.sh setup   STATE SCHEMA_DIR   initdb into a new folder under /tmp, start on a
#                                            free loopback port, write the private ODBC files
#   pg_cluster.sh cleanup STATE              stop the cluster and remove it and its files
#   pg_cluster.sh stop|start STATE           stop or start the running cluster (for the test
#                                            that loses its server in mid-query)
#
# STATE is a folder of the build tree. It holds `root` (the cluster's folder, written before
# anything is started, so that a cleanup always finds what a setup left), cluster.env
# (port, user, password), odbc.ini with the data source TSQUARED, and odbcinst.ini, whose
# driver entry keeps CommLog off (Debian's entry writes a log into /tmp on every connect)
# and the driver loaded until exit (DontDLClose), so that the leak checker can still name
# what the driver keeps.
#
# initdb and postgres refuse to run as root, so under root they run as the postgres user.
set -euo pipefail

command=${1:?command}
state=${2:?state folder}
bin=/usr/lib/postgresql/15/bin
user=lumbrook
password=lumbrook-test

as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

cleanup() {
    [ -f "$state/root" ] || { rm -f "$state"/cluster.env "$state"/odbc.ini "$state"/odbcinst.ini; return 0; }
    local root
    root=$(cat "$state/root")
    case "$root" in
        /tmp/lumbrook-pg-*) ;;
        *) echo "pg_cluster: refusing to remove '$root'" >&2; return 1 ;;
    esac
    if [ -f "$root/data/postmaster.pid" ]; then
        if ! as_postgres "$bin/pg_ctl" -D "$root/data" -m immediate -w -t 20 stop >/dev/null 2>&1; then
            # pg_ctl could not stop it: end the postmaster of this data folder by its id.
            local pid
            pid=$(head -n 1 "$root/data/postmaster.pid" 2>/dev/null || true)
            if [ -n "$pid" ] && grep -q -- "$root/data" "/proc/$pid/cmdline" 2>/dev/null; then
                kill -9 "$pid" 2>/dev/null || true
            fi
        fi
    fi
    rm -rf "$root"
    rm -f "$state"/root "$state"/cluster.env "$state"/odbc.ini "$state"/odbcinst.ini
}

port_is_free() {
    ! ss -Hltn "sport = :$1" 2>/dev/null | grep -q .
}

setup() {
    local schema=${3:?schema folder}
    cleanup  # a cluster left by a killed run
    mkdir -p "$state"
    local root
    root=$(mktemp -d /tmp/lumbrook-pg-XXXXXX)
    echo "$root" >"$state/root"
    chmod 700 "$root"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$root"
    printf '%s\n' "$password" >"$root/pwfile"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$root/pwfile"
    as_postgres "$bin/initdb" -D "$root/data" -U "$user" --pwfile="$root/pwfile" \
        --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$root/initdb.log" 2>&1 \
        || { cat "$root/initdb.log" >&2; return 1; }

    local port attempt started=0
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        port_is_free "$port" || continue
        if as_postgres "$bin/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t 30 \
            -o "-p $port -h 127.0.0.1 -k $root -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            start >/dev/null 2>&1; then
            started=1
            break
        fi
    done
    if [ "$started" -ne 1 ]; then
        cat "$root/server.log" >&2 || true
        echo "pg_cluster: the server did not start" >&2
        return 1
    fi

    # The database behind the data source TSQUARED: the schema with the BASE_ views.
    as_postgres "$bin/psql" -q -X -v ON_ERROR_STOP=1 -h "$root" -p "$port" -U "$user" -d postgres \
        -c "CREATE DATABASE tsquared" >/dev/null
    as_postgres "$bin/psql" -q -X -v ON_ERROR_STOP=1 -h "$root" -p "$port" -U "$user" -d tsquared \
        -f - < <(cat "$schema/postgresql.sql" "$schema/views.sql" "$schema/base_views.sql") \
        >/dev/null

    cat >"$state/cluster.env" <<ENV
port=$port
user=$user
password=$password
root=$root
ENV
    cat >"$state/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode version)
Driver=psqlodbcw.so
Debug=0
CommLog=0
DontDLClose=1
INI
    cat >"$state/odbc.ini" <<INI
[TSQUARED]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=tsquared
INI
    echo "PostgreSQL test cluster on 127.0.0.1:$port in $root"
}

case "$command" in
    setup) setup "$@" ;;
    cleanup) cleanup ;;
    stop) as_postgres "$bin/pg_ctl" -D "$(cat "$state/root")/data" -m fast -w -t 30 stop >/dev/null ;;
    start)
        root=$(cat "$state/root")
        port=$(sed -n 's/^port=//p' "$state/cluster.env")
        as_postgres "$bin/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t 30 \
            -o "-p $port -h 127.0.0.1 -k $root -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            start >/dev/null
        ;;
    *) echo "usage: pg_cluster.sh setup|cleanup|stop|start STATE [SCHEMA_DIR]" >&2; exit 2 ;;
esac
