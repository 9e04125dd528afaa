#!/bin/sh
# After start-up, with the QML test runner and its reference server: the CPU
# of the login transition on a virtual X server (OpenGL scene graph) and the
# resident memory after a walk through every area offscreen (software scene
# graph), a few runs each, every run's WALK lines printed.
#
#   benchmarks/startup/walk.sh [--runs 3] [build-dir]   (default: build)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=3
if [ "${1:-}" = "--runs" ]; then
    runs=$2
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
export QML_XHR_ALLOW_FILE_READ=1 XDG_RUNTIME_DIR=$work

walk() {
    if ! "$@" "$runner" -input "$here/bench_Walk.qml" >"$work/out.txt" 2>&1; then
        tail -n 40 "$work/out.txt" >&2
        exit 1
    fi
    sed -n 's/^.*qml: WALK /    /p' "$work/out.txt"
}

run=1
while [ "$run" -le "$runs" ]; do
    echo "run $run, load average $(cut -d' ' -f1 /proc/loadavg)"
    echo "  Xvfb:"
    walk env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24"
    echo "  offscreen:"
    walk env QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
    run=$((run + 1))
done
