#!/bin/sh
# Runs a command against a keyring of its own: a private session bus
# (dbus-run-session) with a gnome-keyring whose login keyring is made new in a
# temporary home, unlocked with a throwaway password, and removed afterwards.
# The user's own bus and keyring are never touched.
#
#   with-keyring.sh COMMAND [ARGUMENT...]
set -eu

if [ -z "${VENDRIX_PRIVATE_BUS:-}" ]; then
    exec env VENDRIX_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi

home=$(mktemp -d)
keyring=""
cleanup() {
    if [ -n "$keyring" ]; then
        kill "$keyring" 2>/dev/null || true
        wait "$keyring" 2>/dev/null || true
    fi
    rm -rf "$home"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

export HOME="$home/home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run"
mkdir -m 700 "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"

# --unlock reads the keyring's password from standard input
head -c 18 /dev/urandom | base64 \
    | gnome-keyring-daemon --foreground --unlock --components=secrets >"$home/keyring.log" 2>&1 &
keyring=$!

owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'
}
tries=0
until owned; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$keyring" 2>/dev/null; then
        echo "with-keyring: gnome-keyring-daemon did not come up" >&2
        cat "$home/keyring.log" >&2
        exit 1
    fi
    sleep 0.1
done

status=0
"$@" || status=$?
exit "$status"
