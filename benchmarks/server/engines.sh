#!/bin/sh
# vendrix-server on SQLite and on PostgreSQL side by side: requests per
# second and p99 of a customer page, a customer search and order creation,
# at 1, 8 and 64 concurrent clients, on a database with 5,000 generated
# customers and 50,000 orders.
#
#   benchmarks/server/engines.sh [--binary build/server/vendrix-server] [--seconds 3]
#                                [--customers 5000] [--orders 50000] [--workers 8]
#
# PostgreSQL runs as a private server (initdb in the work directory, a Unix
# socket only, the distribution's default settings, so commits are as
# durable as SQLite's); as root it runs as the user "nobody".
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
binary=""
seconds=3
customers=5000
orders=50000
workers=8
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --customers) customers=$2; shift 2 ;;
        --orders) orders=$2; shift 2 ;;
        --workers) workers=$2; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
. "$here/common.sh"
use_binary "$binary"

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
    echo "PostgreSQL's server binaries are not installed (scripts/install-deps.sh installs them)" >&2
    exit 2
fi
as_pg=""
if [ "$(id -u)" -eq 0 ]; then
    as_pg="runuser -u nobody --"
    chmod 755 "$work"
    mkdir "$work/pg"
    chown nobody "$work/pg"
else
    mkdir "$work/pg"
fi
pg_stop() { $as_pg "$pgbin/pg_ctl" -D "$work/pg/data" -m fast -w stop >/dev/null 2>&1 || true; }
trap 'pg_stop; cleanup' EXIT INT TERM
$as_pg "$pgbin/initdb" -D "$work/pg/data" -U vendrix -A trust -E UTF8 --no-locale >/dev/null
printf "listen_addresses = ''\nunix_socket_directories = '%s'\nmax_connections = 300\n" "$work/pg" \
    >>"$work/pg/data/postgresql.conf"
$as_pg "$pgbin/pg_ctl" -D "$work/pg/data" -l "$work/pg/server.log" -w start >/dev/null
"$pgbin/psql" -q -h "$work/pg" -U vendrix -d postgres -c "CREATE DATABASE bench ENCODING 'UTF8'"

c++ -O2 -std=c++17 -DBOOST_ERROR_CODE_HEADER_ONLY -o "$work/loadgen" "$here/loadgen.cpp" -pthread

order='{"customer_id":"17","datum":"03.06.2024","belegnummer":"B-1","referenz":"Ref","textbeschreibung":"Paket","gewicht":"2,5","sendungsart":3,"versandpartner":0,"richtung":3,"prozentsatz_id":1,"verkaufspreis":"12,50","einkaufspreis":"5,00","zustellung_im_aussengebiet":false,"abholung_im_aussengebiet":false,"versand_oversized":false,"versand_heavy_weight":false,"versand_nicht_stapelbare_palette":false,"zustellung_samstags":false,"abholung_samstags":false,"gebuehr_fuer_zusaetzliche_handhabung":false,"praemie_fuer_transportversicherung":false,"betrag_fuer_praemie_fuer_transportversicherung":"","gebuehr_fuer_erstellung_einer_ae":false,"gebuehr_fuer_kein_envelope":false,"zeitfensterzustellung":false,"betrag_fuer_zeitfenstereinstellungen":""}'

echo "vendrix-server $(basename "$binary"), $(nproc) CPU(s), $workers workers, $customers customers, $orders orders, ${seconds}s per figure"
for engine in sqlite postgresql; do
    if [ "$engine" = sqlite ]; then
        db="$work/bench.db"
    else
        db="postgresql://vendrix@/bench?host=$work/pg"
    fi
    "$binary" --listen 127.0.0.1:0 --db "$db" --demo --seed-customers "$customers" --seed-orders "$orders" \
        --workers "$workers" >"$work/server.out" 2>"$work/server.err" &
    server_pid=$!
    port=""
    for _ in $(seq 1 3000); do
        port=$(head -n 1 "$work/server.out" 2>/dev/null || true)
        [ -n "$port" ] && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$port" ]; then
        echo "server did not start on $engine:" >&2
        cat "$work/server.err" >&2
        exit 1
    fi
    echo "== $engine: $(grep -o 'seeded .*' "$work/server.err" || true)"
    for clients in 1 8 64; do
        "$work/loadgen" "$port" demo:vendrix-demo GET "/customer?page=2" --clients "$clients" --seconds "$seconds" || true
        "$work/loadgen" "$port" demo:vendrix-demo POST "/customer/search" '{"fullname":"mül"}' --clients "$clients" \
            --seconds "$seconds" || true
        "$work/loadgen" "$port" demo:vendrix-demo POST "/assignment" "$order" --clients "$clients" \
            --seconds "$seconds" || true
    done
    kill "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
done
