#!/usr/bin/env bash
# Builds what is shipped, into one directory:
#   vendrix_VERSION_amd64.deb          the client (desktop entry, icons, manual)
#   vendrix-server_VERSION_amd64.deb   the backend with its systemd unit
#   vendrix-VERSION-linux-x86_64.tar.gz and updates.json
#                                      the self-update's release package and feed
#                                      (scripts/release.sh)
#
#   scripts/package.sh [options] [-- CMAKE-ARGS...]
#
#   --key FILE         the release key that signs the release package
#                      (scripts/release.sh); without it the demo key signs it,
#                      fit for trying updates out, not for shipping
#   --out DIR          where everything goes (default: release)
#   --version V        the version to build (default: the project's)
#   --feed-url URL     the update feed the client checks (scripts/release.sh)
#   --changelog TEXT   the feed entry's changelog (scripts/release.sh)
#   --no-tarball       only the two Debian packages
#
# Arguments after "--" go to CMake, e.g. -DVENDRIX_API_URL=https://vendrix.example.com
# (the origin the client uses when VENDRIX_API_URL is not set where it runs).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

out=release
version=$(sed -n 's/^project(vendrix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
feed_url=https://updates.kestrova.example/vendrix/updates.json
changelog=""
tarball=true
key_args=(--demo-key)
cmake_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --key) key_args=(--key "$2"); shift 2 ;;
        --out) out=$2; shift 2 ;;
        --version) version=$2; shift 2 ;;
        --feed-url) feed_url=$2; shift 2 ;;
        --changelog) changelog=$2; shift 2 ;;
        --no-tarball) tarball=false; shift ;;
        --) shift; cmake_args=("$@"); break ;;
        -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "package: unknown argument $1 (see --help)" >&2; exit 2 ;;
    esac
done
if ! [[ "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]]; then
    echo "package: give the version as dotted numbers, e.g. 0.9.7" >&2
    exit 2
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The build directory of scripts/release.sh, configured the same way, so the
# release package and the Debian packages come from one build.
build_dir=$root/build-release
if $tarball; then
    scripts/release.sh "${key_args[@]}" --out "$out" --feed-url "$feed_url" --changelog "$changelog" "$version" \
        -- -DCMAKE_INSTALL_PREFIX=/usr "${cmake_args[@]}"
else
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENDRIX_BUILD_TESTS=OFF \
        -DVENDRIX_VERSION="$version" -DVENDRIX_UPDATE_FEED_URL="$feed_url" -DCMAKE_INSTALL_PREFIX=/usr \
        "${cmake_args[@]}"
fi
cmake --build "$build_dir" --parallel "$(nproc)"

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cpack --config "$build_dir/CPackConfig.cmake" -B "$staging" >"$staging/cpack.log" \
    || { cat "$staging/cpack.log" >&2; exit 1; }
shopt -s nullglob
debs=("$staging"/*.deb)
if [ "${#debs[@]}" -ne 2 ]; then
    cat "$staging/cpack.log" >&2
    echo "package: expected two Debian packages, got ${#debs[@]}" >&2
    exit 1
fi
for deb in "${debs[@]}"; do
    mv "$deb" "$out/"
    echo "package: $out/$(basename "$deb") ($(du -h "$out/$(basename "$deb")" | cut -f1))"
done
