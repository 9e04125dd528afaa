# Sourced by the server benchmarks: the server binary, and a work directory
# that is removed, with the server stopped, when the script ends.

# use_binary GIVEN: sets `binary` to GIVEN, or to the first built server.
use_binary() {
    binary=$1
    if [ -z "$binary" ]; then
        for candidate in "$root/build/server/vendrix-server" "$root/build-release/server/vendrix-server"; do
            if [ -x "$candidate" ]; then binary=$candidate; break; fi
        done
    fi
    if [ -z "$binary" ] || [ ! -x "$binary" ]; then
        echo "vendrix-server not found; build it first or pass --binary" >&2
        exit 2
    fi
}

work=$(mktemp -d)
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
