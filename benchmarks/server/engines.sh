#!/bin/sh
# vendrix-server on SQLite and on PostgreSQL side by side: requests per
# second and p99 of a customer page, a customer search and order creation,
# at 1, 8 and 64 concurrent clients, on a database with 5,000 generated
# customers and 50,000 orders; then the customer search (what the client's
# customer picker asks) with 4 clients among 250,000 customers. Ends with
# each figure against its target, and the machine's load while it ran.
#
#   benchmarks/server/engines.sh [--binary build/server/vendrix-server] [--seconds 3]
#                                [--customers 5000] [--orders 50000] [--workers 8]
#                                [--big-customers 250000] [--big-seconds 5]
#
# --big-customers 0 leaves the large database out. PostgreSQL runs as a
# private server (initdb in the work directory, a Unix socket only, the
# distribution's default settings, so commits are at least as durable as
# SQLite's); as root it runs as the user "nobody".
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
binary=""
seconds=3
customers=5000
orders=50000
workers=8
big=250000
big_seconds=5
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --customers) customers=$2; shift 2 ;;
        --orders) orders=$2; shift 2 ;;
        --workers) workers=$2; shift 2 ;;
        --big-customers) big=$2; shift 2 ;;
        --big-seconds) big_seconds=$2; shift 2 ;;
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

c++ -O2 -std=c++17 -DBOOST_ERROR_CODE_HEADER_ONLY -o "$work/loadgen" "$here/loadgen.cpp" -pthread

order='{"customer_id":"17","datum":"03.06.2024","belegnummer":"B-1","referenz":"Ref","textbeschreibung":"Paket","gewicht":"2,5","sendungsart":3,"versandpartner":0,"richtung":3,"prozentsatz_id":1,"verkaufspreis":"12,50","einkaufspreis":"5,00","zustellung_im_aussengebiet":false,"abholung_im_aussengebiet":false,"versand_oversized":false,"versand_heavy_weight":false,"versand_nicht_stapelbare_palette":false,"zustellung_samstags":false,"abholung_samstags":false,"gebuehr_fuer_zusaetzliche_handhabung":false,"praemie_fuer_transportversicherung":false,"betrag_fuer_praemie_fuer_transportversicherung":"","gebuehr_fuer_erstellung_einer_ae":false,"gebuehr_fuer_kein_envelope":false,"zeitfensterzustellung":false,"betrag_fuer_zeitfenstereinstellungen":""}'

load() { cut -d ' ' -f 1 /proc/loadavg; }

# serve ENGINE NAME SERVER-ARGUMENTS...: a server on a new database NAME.
serve() {
    engine=$1 name=$2
    shift 2
    if [ "$engine" = sqlite ]; then
        db="$work/$name.db"
    else
        "$pgbin/psql" -q -h "$work/pg" -U vendrix -d postgres -c "CREATE DATABASE $name ENCODING 'UTF8'"
        db="postgresql://vendrix@/$name?host=$work/pg"
    fi
    "$binary" --listen 127.0.0.1:0 --db "$db" --demo --workers "$workers" "$@" >"$work/server.out" 2>"$work/server.err" &
    server_pid=$!
    port=""
    for _ in $(seq 1 6000); do
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
}

stop() {
    kill "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
}

# measure KEY CLIENTS SECONDS METHOD PATH [BODY]: prints the load
# generator's line and keeps it in $work/figures as "KEY line".
measure() {
    key=$1 clients=$2 secs=$3
    shift 3
    line=$("$work/loadgen" "$port" demo:vendrix-demo "$@" --clients "$clients" --seconds "$secs" || true)
    echo "$line"
    echo "$key $line" >>"$work/figures"
}
rate() { sed -n "s/^$1 .* \([0-9]*\) req\/s.*/\1/p" "$work/figures"; }
p99() { sed -n "s/^$1 .*p99=\([0-9.]*\) ms.*/\1/p" "$work/figures"; }

: >"$work/figures"
echo "vendrix-server $(basename "$binary"), $(nproc) CPU(s), $workers workers, $customers customers, $orders orders, ${seconds}s per figure"
for engine in sqlite postgresql; do
    serve "$engine" bench --seed-customers "$customers" --seed-orders "$orders"
    echo "== $engine: $(grep -o 'seeded .*' "$work/server.err" || true); load $(load)"
    for clients in 1 8 64; do
        measure "$engine-page-$clients" "$clients" "$seconds" GET "/customer?page=2"
        measure "$engine-search-$clients" "$clients" "$seconds" POST "/customer/search" '{"fullname":"mül"}'
        measure "$engine-order-$clients" "$clients" "$seconds" POST "/assignment" "$order"
    done
    echo "   load $(load)"
    stop
done
if [ "$big" -gt 0 ]; then
    for engine in sqlite postgresql; do
        serve "$engine" big --seed-customers "$big" --seed-orders 0
        echo "== $engine, $(grep -o 'seeded [0-9]* customers' "$work/server.err" || true); load $(load)"
        measure "$engine-big-search" 4 "$big_seconds" POST "/customer/search" '{"fullname":"mül"}'
        measure "$engine-big-none" 4 "$big_seconds" POST "/customer/search" '{"fullname":"zeppelin"}'
        echo "   load $(load)"
        stop
    done
fi

# against TARGET-TEXT MET: "met" or "MISSED".
verdict() { if [ "$1" -eq 1 ]; then echo "met"; else echo "MISSED"; fi; }
share() { # FIGURE of SQLite's, in per cent
    awk -v p="$(rate "postgresql-$1")" -v s="$(rate "sqlite-$1")" 'BEGIN { printf "%d", (s > 0 ? 100 * p / s : 0) }'
}
within() { awk -v v="$1" -v t="$2" 'BEGIN { print (v != "" && v <= t) ? 1 : 0 }'; }
echo "== against the targets"
for what in "search-8:customer searches at 8 clients" "order-8:new orders at 8 clients"; do
    key=${what%%:*}
    pct=$(share "$key")
    echo "PostgreSQL ${what#*:}: $(rate "postgresql-$key")/s, $pct % of SQLite's $(rate "sqlite-$key")/s" \
        "(target >= 80 %): $(verdict "$([ "$pct" -ge 80 ] && echo 1 || echo 0)")"
done
echo "PostgreSQL new orders at 64 clients: p99 $(p99 postgresql-order-64) ms (target <= 50 ms):" \
    "$(verdict "$(within "$(p99 postgresql-order-64)" 50)")"
if [ "$big" -gt 0 ]; then
    for engine in sqlite postgresql; do
        for kind in search none; do
            text="mül"
            [ "$kind" = none ] && text="zeppelin, found nowhere"
            echo "$engine customer search among $big customers ($text), 4 clients: p99" \
                "$(p99 "$engine-big-$kind") ms (target <= 20 ms): $(verdict "$(within "$(p99 "$engine-big-$kind")" 20)")"
        done
    done
fi
