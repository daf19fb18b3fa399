#!/bin/sh
# A throwaway PostgreSQL server for the lot-server tests and the benchmark, in DIR with its Unix
# socket there and no TCP port:  lot-server.sh start|stop|clean DIR [SETTING=VALUE ...]
#   start  creates the cluster (superuser "orvane", database "orvane") unless DIR holds one,
#          then starts it; stop stops it and keeps DIR; clean stops it and removes DIR; fresh
#          cleans, then starts.
# The server refuses to run as root, so under root it runs as nobody.
set -eu
what=$1 dir=$2
shift 2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "lot-server.sh: no PostgreSQL server installed (make deps installs postgresql)" >&2
    exit 1
fi
as=""
if [ "$(id -u)" = 0 ]; then
    as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi
stop() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        $as "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    fi
}
if [ "$what" = fresh ]; then
    "$0" clean "$dir"
    what=start
fi
case $what in
start)
    if [ ! -d "$dir/data" ]; then
        mkdir -p "$dir"
        [ -z "$as" ] || chown nobody:nogroup "$dir"
        $as "$bin/initdb" -D "$dir/data" -U orvane --auth=trust -E UTF8 --no-locale -N >"$dir/initdb.log"
        created=1
    fi
    options="-k $dir -c listen_addresses= -c unix_socket_permissions=0777"
    for setting in "$@"; do options="$options -c $setting"; done
    if ! $as "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$options" start >/dev/null; then
        cat "$dir/server.log" >&2
        exit 1
    fi
    [ -z "${created:-}" ] || "$bin/createdb" -h "$dir" -U orvane orvane
    ;;
stop) stop ;;
clean) stop; rm -rf "$dir" ;;
*) echo "usage: lot-server.sh start|stop|clean DIR [SETTING=VALUE ...]" >&2; exit 2 ;;
esac
