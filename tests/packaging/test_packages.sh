#!/usr/bin/env bash
# The two Debian packages as a user gets them: built by CPack from the build
# directory, their control data and file lists checked, every QML module the
# documents import found among the client's dependencies, unpacked into an
# empty root, the desktop entry, metainfo and unit validated, and the
# installed server and client started from that root: the server answers a
# login, the client (offscreen) comes up to its login panel against it.
#
#   test_packages.sh CPACK BUILD-DIR SOURCE-DIR QT-QML-DIR QMLIMPORTSCANNER
set -euo pipefail
cpack=$1
build=$2
source=$3
qt_qml=$4
scanner=$5

app_id=example.kestrova.vendrix
icon_sizes="16 22 24 32 48 64 128 256 512"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
seconds_since() {
    echo "$(($(date +%s%N) / 1000000 - $1))" | sed -E 's/([0-9]*)([0-9]{3})$/\1.\2/; s/^\./0./'
}
now_ms() {
    echo "$(($(date +%s%N) / 1000000))"
}
started=$(now_ms)

# ---- the packages (compressed with gzip rather than the shipped xz: the same
# contents, in half the time)
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip \
    >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack failed"; }
shopt -s nullglob
client_debs=("$work"/out/vendrix_*.deb)
server_debs=("$work"/out/vendrix-server_*.deb)
all_debs=("$work"/out/*.deb)
[ "${#client_debs[@]}" -eq 1 ] && [ "${#server_debs[@]}" -eq 1 ] && [ "${#all_debs[@]}" -eq 2 ] \
    || fail "expected vendrix_*.deb and vendrix-server_*.deb, got: ${all_debs[*]}"
client=${client_debs[0]}
server=${server_debs[0]}
echo "packages built in $(seconds_since "$started") s:"
ls -l "$client" "$server" | awk '{print "  " $5 " bytes  " $NF}'

# compressing the manual keeps the page it was made from, which the next
# build of this directory needs as its input
[ -f "$build/packaging/vendrix.1" ] || fail "the build consumed packaging/vendrix.1; the next build fails"

field() { dpkg-deb --field "$1" "$2"; }
[ "$(field "$client" Package)" = vendrix ] || fail "client package name"
[ "$(field "$server" Package)" = vendrix-server ] || fail "server package name"
client_depends=$(field "$client" Depends)
server_depends=$(field "$server" Depends)
has_dependency() { # list package
    echo "$1" | tr ',' '\n' | sed -E 's/^ *//; s/[ (].*//' | grep -qx "$2"
}
# what the package tools found from the linked libraries
for library in libqt5quick5 libqt5network5 libqt5widgets5 libarchive13 libqt5keychain1; do
    has_dependency "$client_depends" "$library" || fail "vendrix does not depend on $library: $client_depends"
done
# the keyring library QtKeychain loads when it runs
has_dependency "$client_depends" libsecret-1-0 || fail "vendrix does not depend on libsecret-1-0: $client_depends"
for library in libsqlite3-0 libssl3; do
    has_dependency "$server_depends" "$library" || fail "vendrix-server does not depend on $library: $server_depends"
done
has_dependency "$server_depends" libqt5core5a && fail "vendrix-server depends on Qt: $server_depends"

# Every module the documents import is either the application's own (in the
# resources, or registered by the native code) or comes from a package the
# client depends on. The shipped documents and libraries are every tracked
# one outside the tests, benchmarks and scripts, wherever new ones are added.
mapfile -t shipped < <(git -C "$source" ls-files -- '*.qml' '*.js' | grep -vE '^(tests|scripts|benchmarks)/')
[ "${#shipped[@]}" -gt 0 ] || fail "no QML documents found in $source"
imports=$(cd "$source" && grep -hoE '^\s*\.?import\s+[A-Za-z][A-Za-z0-9.]*\s+[0-9]' "${shipped[@]}" \
    | awk '{print $2}' | sort -u)
mapfile -t roots < <(printf '%s\n' "${shipped[@]}" | awk -F/ '{print (NF > 1 ? $1 : ".")}' | sort -u)
scan_roots=()
for dir in "${roots[@]}"; do scan_roots+=(-rootPath "$source/$dir"); done
"$scanner" "${scan_roots[@]}" -importPath "$qt_qml" >"$work/imports.json" 2>/dev/null
# module and its directory in Qt's QML tree ("-" where Qt has no module of that name)
python3 - "$work/imports.json" $imports >"$work/modules" <<'EOF'
import json, sys
paths = {}
for entry in json.load(open(sys.argv[1])):
    if entry.get("type") == "module" and entry.get("path"):
        paths.setdefault(entry["name"], entry["path"])
for module in sys.argv[2:]:
    print(module, paths.get(module, "-"))
EOF
# one look-up for all of them: dpkg reads its whole file database each time
# shellcheck disable=SC2046
owners=$(dpkg -S $(awk '$2 != "-" {print $2 "/qmldir"}' "$work/modules") 2>/dev/null \
    | sed -E 's|^([^:]+):[^ ]* (.*)/qmldir$|\2 \1|') || true
# the native code that registers the application's own modules
mapfile -t native_sources < <(git -C "$source" ls-files -- '*.cpp' | grep -vE '^(tests|benchmarks|server)/' \
    | sed "s|^|$source/|")
while read -r module path; do
    if [ "$path" != "-" ]; then
        owner=$(echo "$owners" | awk -v p="$path" '$1 == p {print $2; exit}')
        [ -n "$owner" ] || fail "no Debian package owns $path/qmldir (module $module)"
        has_dependency "$client_depends" "$owner" \
            || fail "the documents import $module, but vendrix does not depend on $owner"
    elif [ -f "$source/$module/qmldir" ] \
        || grep -qF "\"$module\"" "${native_sources[@]}"; then
        : # the application's own
    else
        fail "the documents import $module, which neither Qt's QML modules nor the application provide"
    fi
done <"$work/modules"

# ---- the file lists
list() { dpkg-deb --contents "$1" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' | sort; }
expected_client=$(
    {
        echo /usr/bin/vendrix
        echo "/usr/share/applications/$app_id.desktop"
        echo "/usr/share/metainfo/$app_id.metainfo.xml"
        echo "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
        for size in $icon_sizes; do echo "/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"; done
        echo /usr/share/man/man1/vendrix.1.gz
    } | sort
)
expected_server=$(printf '%s\n' /usr/bin/vendrix-server /usr/lib/systemd/system/vendrix-server.service \
    /usr/lib/systemd/system/vendrix-server-backup.service /usr/lib/systemd/system/vendrix-server-backup.timer \
    /usr/share/man/man1/vendrix-server.1.gz | sort)
[ "$(list "$client")" = "$expected_client" ] \
    || fail "files of vendrix:"$'\n'"$(diff <(echo "$expected_client") <(list "$client"))"
[ "$(list "$server")" = "$expected_server" ] \
    || fail "files of vendrix-server:"$'\n'"$(diff <(echo "$expected_server") <(list "$server"))"

root=$work/root
mkdir -p "$root"
dpkg-deb --extract "$client" "$root"
dpkg-deb --extract "$server" "$root"

# ---- what the desktop and systemd read
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log"; fail "metainfo"; }
for size in $icon_sizes; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    # width and height of the PNG header
    dimensions=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dimensions" = "${size}x${size}" ] || fail "$png is $dimensions"
done
unit=$root/usr/lib/systemd/system/vendrix-server.service
grep -qx 'ExecStart=/usr/bin/vendrix-server --db %S/vendrix-server/vendrix.sqlite $VENDRIX_SERVER_ARGS' "$unit" \
    || fail "the unit does not start /usr/bin/vendrix-server: $(grep ExecStart "$unit")"
zcat "$root/usr/share/man/man1/vendrix-server.1.gz" | grep -q 'tls\\-cert' || fail "the server's manual lacks its options"
backup_unit=$root/usr/lib/systemd/system/vendrix-server-backup.service
grep -qx 'ExecStart=/usr/bin/vendrix-server --backup %S/vendrix-server/backups/ --backup-keep ${VENDRIX_BACKUP_KEEP} --db %S/vendrix-server/vendrix.sqlite' \
    "$backup_unit" || fail "the backup unit does not back up the service's database: $(grep ExecStart "$backup_unit")"
grep -qx 'Wants=vendrix-server-backup.timer' "$unit" || fail "the server's unit does not bring the backup timer"
if command -v systemd-analyze >/dev/null 2>&1; then
    # the unit as it stands in the root, its binary and manual found there
    mkdir -p "$work/unit"
    for name in vendrix-server.service vendrix-server-backup.service; do
        sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "$root/usr/lib/systemd/system/$name" >"$work/unit/$name"
    done
    cp "$root/usr/lib/systemd/system/vendrix-server-backup.timer" "$work/unit/"
    # its manual is looked up where man finds it, when man is there
    man_check=--man=no
    command -v man >/dev/null 2>&1 && man_check=--man=yes
    MANPATH=$root/usr/share/man systemd-analyze verify "$man_check" "$work/unit/vendrix-server.service" \
        "$work/unit/vendrix-server-backup.service" "$work/unit/vendrix-server-backup.timer" \
        || fail "systemd-analyze verify"
else
    echo "systemd-analyze is not installed: the unit is not verified"
fi

# ---- the installed server answers a login
"$root/usr/bin/vendrix-server" --listen 127.0.0.1:0 --db "$work/server.sqlite" --demo \
    >"$work/server.out" 2>"$work/server.log" &
pids+=($!)
for _ in $(seq 1 100); do
    [ -s "$work/server.out" ] && break
    sleep 0.1
done
port=$(head -n1 "$work/server.out")
[[ "$port" =~ ^[0-9]+$ ]] || { cat "$work/server.log"; fail "the installed server printed no port"; }
python3 - "$port" <<'EOF' || fail "the installed server refused the demo login"
import base64, json, sys, urllib.request
request = urllib.request.Request("http://127.0.0.1:%s/tokens" % sys.argv[1], method="POST", headers={
    "Authorization": "Basic " + base64.b64encode(b"demo:vendrix-demo").decode(),
    "Accept": "application/json"})
with urllib.request.urlopen(request, timeout=10) as reply:
    assert reply.status == 200 and json.load(reply)["token"]
EOF

# ---- the installed server is healthy, and backs up its database
python3 - "$port" <<'EOF' || fail "the installed server is not healthy"
import json, sys, urllib.request
with urllib.request.urlopen("http://127.0.0.1:%s/health" % sys.argv[1], timeout=10) as reply:
    assert reply.status == 200 and json.load(reply)["status"] == "ok"
EOF
"$root/usr/bin/vendrix-server" --backup "$work/backups/" --backup-keep 1 --db "$work/server.sqlite" \
    2>"$work/backup.log" || { cat "$work/backup.log"; fail "the installed server's backup failed"; }
backups=("$work"/backups/vendrix-*.sqlite)
[ "${#backups[@]}" -eq 1 ] && [ "$(stat -c %a "${backups[0]}")" = 600 ] \
    || fail "the backup is not one file for its owner: $(ls -l "$work/backups")"

# ---- the installed client comes up to its login panel, pointed at that server
home=$work/home
mkdir -p "$home" "$work/cwd" "$work/run"
chmod 700 "$work/run"
(
    cd "$work/cwd"
    exec env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run" \
        QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
        VENDRIX_API_URL="http://127.0.0.1:$port" "$root/usr/bin/vendrix"
) >"$work/client.log" 2>&1 &
client_pid=$!
pids+=("$client_pid")
# The login panel reads the remembered login from the settings database as it
# is created, which makes the database with its one table.
storage=$home/.local/share/Kestrova/Vendrix/QML/OfflineStorage/Databases
shown=false
for _ in $(seq 1 300); do
    kill -0 "$client_pid" 2>/dev/null || break
    for database in "$storage"/*.sqlite; do
        if python3 -c 'import sqlite3, sys; sqlite3.connect(sys.argv[1]).execute("SELECT * FROM settings")' \
            "$database" 2>/dev/null; then
            shown=true
        fi
    done
    $shown && break
    sleep 0.1
done
$shown || { cat "$work/client.log"; fail "the installed client did not come up to its login panel"; }
sleep 1
kill -0 "$client_pid" 2>/dev/null || { cat "$work/client.log"; fail "the installed client ended by itself"; }
grep -q "Backend http://127.0.0.1:$port from VENDRIX_API_URL" "$work/client.log" \
    || { cat "$work/client.log"; fail "the client did not take VENDRIX_API_URL"; }
if grep -E 'qrc:/|is not installed|module ".*" version' "$work/client.log"; then
    fail "the installed client warned about its documents"
fi

echo "packages checked, installed and started in $(seconds_since "$started") s"
