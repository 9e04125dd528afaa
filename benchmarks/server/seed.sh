#!/bin/sh
# Time to seed a fresh database with generated customers and orders, as
# vendrix-server reports it, and the wall time from start to the port line.
#
#   benchmarks/server/seed.sh [--binary build/server/vendrix-server] [--customers 20000] [--orders 50000] [--runs 3]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
binary=""
customers=20000
orders=50000
runs=3
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$2; shift 2 ;;
        --customers) customers=$2; shift 2 ;;
        --orders) orders=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
. "$here/common.sh"
use_binary "$binary"

echo "vendrix-server $(basename "$binary"), $(nproc) CPU(s): $customers customers, $orders orders, fresh database per run"
run=1
while [ "$run" -le "$runs" ]; do
    rm -f "$work"/bench.db* "$work/server.out"
    start=$(date +%s.%N)
    "$binary" --listen 127.0.0.1:0 --db "$work/bench.db" --seed-customers "$customers" --seed-orders "$orders" \
        --seed "$run" >"$work/server.out" 2>"$work/server.err" &
    server_pid=$!
    for _ in $(seq 1 600); do
        [ -s "$work/server.out" ] && break
        kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.err" >&2; exit 1; }
        sleep 0.05
    done
    ready=$(date +%s.%N)
    kill "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
    seeded=$(grep -o 'seeded .*' "$work/server.err" || echo "no seeding reported")
    size=$(du -k "$work/bench.db" | cut -f1)
    elapsed=$(awk -v a="$start" -v b="$ready" 'BEGIN { printf "%.2f", b - a }')
    echo "run $run: $seeded; start to port line $elapsed s; database $size KiB"
    run=$((run + 1))
done
