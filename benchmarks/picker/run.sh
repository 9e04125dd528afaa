#!/bin/sh
# Customer picker at office scale: fills the picker from the reference server
# at 1,000, 5,000 and 20,000 customers (QML test runner, offscreen) and prints
# its PICKER lines. Run from the source tree after a build:
#     benchmarks/picker/run.sh [build dir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_QUICK_BACKEND=${QT_QUICK_BACKEND:-software}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/tests/qml/vendrix_qmltests" -input "$here/bench_CustomerPicker.qml" -maxwarnings 0 2>&1 | grep "PICKER" | sed 's/^.*PICKER/PICKER/'
