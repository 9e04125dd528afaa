#!/usr/bin/env bash
# Installs what is missing, builds the client for the local reference server,
# starts the server with demo data, then the client; stops the server when the
# client exits. Demo work is kept between runs in the user's data directory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

port=${VENDRIX_DEMO_PORT:-8470}
origin="http://127.0.0.1:${port}"
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/vendrix-demo"

scripts/install-deps.sh
# a build of its own: the test build keeps the production origin
scripts/build.sh build-demo -DVENDRIX_API_URL="$origin" -DVENDRIX_BUILD_TESTS=OFF

if (exec 3<>"/dev/tcp/127.0.0.1/${port}") 2>/dev/null; then
    echo "run: port ${port} on 127.0.0.1 is already taken; stop what listens there or set VENDRIX_DEMO_PORT" >&2
    exit 1
fi

mkdir -p "$data_dir"
server_log="$data_dir/server.log"
"$root/build-demo/server/vendrix-server" --listen "127.0.0.1:${port}" --db "$data_dir/demo.sqlite" --demo \
    >"$data_dir/server.out" 2>"$server_log" &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true' EXIT

# the server prints its port first, then the demo login
for _ in $(seq 1 100); do
    [ -s "$data_dir/server.out" ] && grep -qi "login" "$data_dir/server.out" && break
    kill -0 "$server_pid" 2>/dev/null || { echo "run: the server did not start, see $server_log" >&2; exit 1; }
    sleep 0.1
done
echo "Reference server on ${origin} (database $data_dir/demo.sqlite)"
grep -i "login" "$data_dir/server.out" || true

# start outside the source tree, so the compiled documents are used
cd "$root/build-demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display found; starting the client on a virtual X display (xvfb-run)" >&2
    xvfb-run -a -s "-screen 0 1920x1080x24" ./native/vendrix "$@"
else
    ./native/vendrix "$@"
fi
