#!/bin/sh
# A barcode scanner at the booking view, as the warehouse desk has it: the
# real client on a private X server books 100 EANs that xdotool types as a
# scanner does (each EAN and Return within milliseconds) against a reference
# server. Every scan must arrive as exactly one booking, in the order of the
# scans; the bookings per minute are printed.
#
# usage: scan_speed.sh CLIENT SERVER [SCANS]
set -eu

client=$1
server=$2
scans=${3:-100}

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/client.log" ] && tail -20 "$work/client.log" >&2
    exit 1
}

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
api=http://127.0.0.1:$port

"$server" --listen "127.0.0.1:$port" --db "$work/demo.sqlite" --demo >"$work/server.log" 2>&1 &
pids="$pids $!"
for _ in $(seq 50); do curl -s "$api/health" >/dev/null 2>&1 && break; sleep 0.2; done

token=$(curl -s -X POST -u demo:vendrix-demo "$api/tokens" | python3 -c 'import json, sys; print(json.load(sys.stdin)["token"])')
call() {
    curl -s -H "Authorization: Bearer $token" -H "Content-Type: application/json" "$@"
}

# a group with more pieces than the scans take, and an open delivery order
group=$(call -X POST -d '{"articlename":"Scangruppe","articleno":"SC-1","farbe":"grau","size":"M","typ":"Test",
        "quantity":1000,"storage_location":"S-1","customer_id":1}' "$api/articlegroups" \
        | python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])')
open=$(call "$api/deliveryorder/checklast" | python3 -c 'import json, sys; print(len(json.load(sys.stdin)))')
[ "$open" -gt 0 ] || fail "the demo data has no open delivery order"

# a display of our own
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(head -1 "$work/display")
export DISPLAY

mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
HOME=$work/home XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb VENDRIX_API_URL=$api \
    DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus "$client" >"$work/client.log" 2>&1 &
pids="$pids $!"

window=""
for _ in $(seq 100); do
    for w in $(xdotool search --name '^Vendrix$' 2>/dev/null); do
        xwininfo -id "$w" | grep -q IsViewable && window=$w
    done
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || fail "no client window"
sleep 2
xdotool windowfocus --sync "$window"

# a picture of each step, for whoever reads a failure
step=0
shot() {
    step=$((step + 1))
    xwd -root -silent 2>/dev/null | convert xwd:- "scan_speed_$step.png" 2>/dev/null || true
    echo "step $step: $1"
}

# log in, the warehouse (Ctrl+2), its booking button, the group by its name
xdotool type --delay 30 demo
xdotool key Tab
xdotool type --delay 30 vendrix-demo
xdotool key Return
sleep 6
shot "logged in"
xdotool key ctrl+2
sleep 2
shot "warehouse"
xdotool key Return
sleep 2
shot "booking view"
xdotool type --delay 30 Scangruppe
sleep 3
shot "group found"
xdotool key Return
sleep 2
shot "group chosen"

# the scans: 13 digits and Return each, a millisecond between keystrokes
i=1
: >"$work/eans"
while [ "$i" -le "$scans" ]; do
    printf '40063810%05d\n' "$i" >>"$work/eans"
    i=$((i + 1))
done
# one xdotool run for all scans, so that nothing but the client paces them
# (a newline typed is no Return key: the Return goes as a key of its own)
set --
while read -r ean; do
    set -- "$@" type --delay 1 --args 1 "$ean" key --delay 1 Return
done <"$work/eans"
start=$(date +%s.%N)
xdotool "$@"

shot "scans typed"

booked() {
    call "$api/articleinventory" | python3 -c '
import json, sys
rows = [r for r in json.load(sys.stdin) if r["articlegroup_id"] == int(sys.argv[1])]
print("\n".join(r["eanno"] for r in sorted(rows, key=lambda r: r["id"])))' "$group"
}
# done when all are there, or when nothing more came for 30 s
count=0
quiet=0
while [ "$count" -lt "$scans" ] && [ "$quiet" -lt 60 ]; do
    sleep 0.5
    now=$(booked | grep -c . || true)
    if [ "$now" -gt "$count" ]; then quiet=0; else quiet=$((quiet + 1)); fi
    count=$now
done
end=$(date +%s.%N)
sleep 2
booked >"$work/booked"
count=$(grep -c . "$work/booked" || true)
xwd -root -silent >scan_speed_screen.xwd 2>/dev/null || true

python3 - "$start" "$end" "$count" "$scans" <<'PY'
import sys
start, end, count, scans = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
minutes = (end - start) / 60
print("scans %d, bookings %d, lost %d, %.1f s, %.0f bookings per minute"
      % (scans, count, max(scans - count, 0), end - start, count / minutes if minutes > 0 else 0))
PY
[ "$count" -eq "$scans" ] || fail "$count bookings for $scans scans"
cmp -s "$work/eans" "$work/booked" || { diff "$work/eans" "$work/booked" | head -10 >&2; fail "the bookings are not the scans in order"; }
left=$(call "$api/articlegroups/$group" | python3 -c 'import json, sys; print(json.load(sys.stdin)["quantity"])')
[ "$left" -eq $((1000 - scans)) ] || fail "the group has $left pieces left, not $((1000 - scans))"
echo "PASS: $scans scans, $scans bookings in order, $left pieces left"
