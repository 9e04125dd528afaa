#!/usr/bin/env bash
# Installs what building, running and testing Vendrix needs on Debian 12:
# every package listed in scripts/apt/*.txt. The fonts come from npm during the
# CMake configure step. Run as root (or with sudo available).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=$(cat scripts/apt/*.txt | sed -e 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
# npm fetches the fonts; machines that already carry a Node.js of their own keep it
command -v npm >/dev/null 2>&1 || packages="$packages nodejs npm"
missing=$(for p in $packages; do dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"; done)
if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
# shellcheck disable=SC2086
$sudo apt-get install -y $missing
