#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# a compiler warning fails the build here, as it does in CI
scripts/build.sh build -DVENDRIX_WARNINGS_AS_ERRORS=ON
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
