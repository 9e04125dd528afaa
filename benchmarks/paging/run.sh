#!/bin/sh
# Paging benchmark of "Erfasste Aufträge": the view pages to the end by
# scrolling through 5,000 (or --orders N) generated captured orders of the reference server,
# on a virtual X server with the OpenGL scene graph, as users see it.
#
#   benchmarks/paging/run.sh [--orders N] [build-dir]   (default: 5000 orders, build)
#
# Prints per page the time from reaching the end of the list to the first
# frame drawn with the new cards, the frame times while scrolling, and the
# resident memory every 50 pages and at the end. The per-page lines go to
# paging-pages.txt in the current directory.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
orders=5000
if [ "${1:-}" = "--orders" ]; then
    orders=$2
    shift 2
fi
build=${1:-$root/build}
runner=$build/tests/qml/vendrix_qmltests
if [ ! -x "$runner" ]; then
    echo "build the tests first: $runner is missing" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$work"
PAGING_ORDERS=$orders QT_QPA_PLATFORM=xcb QML_XHR_ALLOW_FILE_READ=1 XDG_RUNTIME_DIR=$work \
    xvfb-run -a -s "-screen 0 1920x1080x24" "$runner" -input "$here/bench_Paging.qml" >"$work/out.txt" 2>&1 || {
    tail -n 40 "$work/out.txt" >&2
    exit 1
}
sed -n 's/^.*qml: PAGING //p' "$work/out.txt" | grep -v '^page ' || true
sed -n 's/^.*qml: PAGING page //p' "$work/out.txt" >"$OLDPWD/paging-pages.txt"
