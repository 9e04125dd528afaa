#!/bin/sh
# After start-up, the client executable itself against a reference server of
# its own: the CPU of the login transition on a virtual X server (OpenGL scene
# graph) and the resident memory after a walk through every area offscreen
# (software scene graph), a few runs each, every run's WALK lines printed.
# The client is started in a directory whose src/main.qml is walk/main.qml,
# which builds the client's own main window from its resources and walks it.
#
#   benchmarks/startup/walk.sh [--runs 3] [--client PATH] [build-dir]   (default: build)
#
# WALK_WRAPPER (for one, "heaptrack -o FILE") is put in front of the client
# of the offscreen walk.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=3
client=
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --client) client=$2; shift 2 ;;
        *) break ;;
    esac
done
build=$(cd "${1:-$root/build}" && pwd)
client=${client:-$build/native/vendrix}
# the client runs in a directory of its own
case $client in
    /*) ;;
    *) client=$(pwd)/$client ;;
esac
server=$build/server/vendrix-server
for exe in "$client" "$server"; do
    if [ ! -x "$exe" ]; then
        echo "build first: $exe is missing" >&2
        exit 1
    fi
done
work=$(mktemp -d)
serverPid=
cleanup() {
    if [ -n "$serverPid" ]; then kill "$serverPid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/client/src" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cp "$here/walk/main.qml" "$work/client/src/main.qml"

"$server" --listen 127.0.0.1:0 --db "$work/walk.sqlite" --demo >"$work/server.txt" 2>&1 &
serverPid=$!
tries=0
until grep -q "listening on" "$work/server.txt"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ]; then
        cat "$work/server.txt" >&2
        exit 1
    fi
    sleep 0.1
done
origin=$(sed -n 's/^.*listening on \(http[^ ]*\).*$/\1/p' "$work/server.txt" | head -n 1)

# the client's settings in a home of its own; no session bus, so no keyring
walk() {
    if ! (cd "$work/client" && env -u DBUS_SESSION_BUS_ADDRESS HOME="$work/home" XDG_DATA_HOME="$work/home/data" \
            XDG_CONFIG_HOME="$work/home/config" XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/runtime" \
            QML_XHR_ALLOW_FILE_READ=1 VENDRIX_API_URL="$origin" "$@" >"$work/out.txt" 2>&1); then
        tail -n 40 "$work/out.txt" >&2
        exit 1
    fi
    sed -n 's/^.*qml: WALK /    /p' "$work/out.txt"
}

run=1
while [ "$run" -le "$runs" ]; do
    echo "run $run, load average $(cut -d' ' -f1 /proc/loadavg)"
    echo "  Xvfb:"
    walk env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" "$client"
    echo "  offscreen:"
    walk env QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software ${WALK_WRAPPER:-} "$client"
    run=$((run + 1))
done
