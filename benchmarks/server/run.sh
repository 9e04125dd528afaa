#!/bin/sh
# Throughput of vendrix-server on loopback: a customer page and a customer
# search, each with a few concurrent kept-alive clients for a bounded time.
#
#   benchmarks/server/run.sh [--binary build/server/vendrix-server] [--clients 4] [--seconds 5]
#                            [--seed-customers N --seed-orders M]
#
# With --seed-customers/--seed-orders the database also holds that many
# generated records, and a late customer page and an order search are
# measured as well.
#
# Starts the server with demo data in a temporary directory, logs in as the
# demo user, runs the load generator (compiled here from loadgen.cpp against
# Boost.Beast from Debian's libboost-dev) once per request kind, and stops the
# server. hostile.py measures what hostile and heavy clients do, soak.py runs
# a bounded soak test.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
binary=""
clients=4
seconds=5
seed_customers=0
seed_orders=0
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$2; shift 2 ;;
        --clients) clients=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --seed-customers) seed_customers=$2; shift 2 ;;
        --seed-orders) seed_orders=$2; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
. "$here/common.sh"
use_binary "$binary"

c++ -O2 -std=c++17 -DBOOST_ERROR_CODE_HEADER_ONLY -o "$work/loadgen" "$here/loadgen.cpp" -pthread

"$binary" --listen 127.0.0.1:0 --db "$work/bench.db" --demo --seed-customers "$seed_customers" \
    --seed-orders "$seed_orders" >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
port=""
for _ in $(seq 1 600); do
    port=$(head -n 1 "$work/server.out" 2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "server did not start:" >&2
    cat "$work/server.err" >&2
    exit 1
fi

token=$(curl -sf -X POST -H 'Content-Length: 0' -u demo:vendrix-demo "http://127.0.0.1:$port/tokens" |
    sed -n 's/.*"token":"\([0-9a-f]*\)".*/\1/p')
if [ -z "$token" ]; then
    echo "login failed" >&2
    exit 1
fi

echo "vendrix-server $(basename "$binary") on 127.0.0.1:$port, $(nproc) CPU(s), $clients clients, ${seconds}s each"
"$work/loadgen" "$port" demo:vendrix-demo GET "/customer?page=2" --clients "$clients" --seconds "$seconds"
"$work/loadgen" "$port" demo:vendrix-demo POST "/customer/search" '{"fullname":"mül"}' --clients "$clients" --seconds "$seconds"
if [ "$seed_customers" -gt 0 ] || [ "$seed_orders" -gt 0 ]; then
    grep -o 'seeded .*' "$work/server.err" || true
    last_page=$(( (seed_customers + 28) / 10 ))
    "$work/loadgen" "$port" demo:vendrix-demo GET "/customer?page=$last_page" --clients "$clients" --seconds "$seconds"
    "$work/loadgen" "$port" demo:vendrix-demo POST "/assignment/search" '{"searchkey":"palette"}' --clients "$clients" --seconds "$seconds"
fi
