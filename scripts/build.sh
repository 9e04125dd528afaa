#!/usr/bin/env bash
# Configures and builds into the given directory (default: build). Extra
# arguments go to CMake, e.g. -DVENDRIX_API_URL=http://127.0.0.1:8470
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
