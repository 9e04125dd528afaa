#!/usr/bin/env bash
# Builds a release package of the client for Linux and writes its entry into
# the update feed beside it:
#
#   scripts/release.sh [options] VERSION [-- CMAKE-ARGS...]
#
#   --out DIR          where the package and updates.json go (default: release)
#   --feed-url URL     the feed this build checks (default: the CMake default,
#                      https://updates.kestrova.example/vendrix/updates.json)
#   --base-url URL     where DIR will be served; download-url = URL/PACKAGE
#                      (default: the directory of the feed URL)
#   --changelog TEXT   the feed entry's changelog
#   --mandatory        mark the update as mandatory
#
# The package is DIR/vendrix-VERSION-linux-x86_64.tar.gz: one directory
# vendrix-VERSION/ with bin/vendrix and the release marker vendrix.release.
# Unpacked anywhere the user owns (e.g. ~/.local/opt/vendrix), it runs as it
# is and updates itself. The feed keeps the entries of other platforms.
# Arguments after "--" go to CMake, e.g. -DVENDRIX_API_URL=http://127.0.0.1:8471
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

out=release
feed_url=https://updates.kestrova.example/vendrix/updates.json
base_url=""
changelog=""
mandatory=false
version=""
cmake_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out=$2; shift 2 ;;
        --feed-url) feed_url=$2; shift 2 ;;
        --base-url) base_url=$2; shift 2 ;;
        --changelog) changelog=$2; shift 2 ;;
        --mandatory) mandatory=true; shift ;;
        --) shift; cmake_args=("$@"); break ;;
        -h|--help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "release: unknown option $1" >&2; exit 2 ;;
        *) [ -z "$version" ] || { echo "release: one version only" >&2; exit 2; }; version=$1; shift ;;
    esac
done
if ! [[ "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]]; then
    echo "release: give the version as dotted numbers, e.g. 0.9.7 (see --help)" >&2
    exit 2
fi
[ -n "$base_url" ] || base_url=${feed_url%/*}
base_url=${base_url%/}

# One build directory for all release builds: a new version only recompiles
# the start-up code.
build_dir=$root/build-release
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENDRIX_BUILD_TESTS=OFF \
    -DVENDRIX_VERSION="$version" -DVENDRIX_UPDATE_FEED_URL="$feed_url" "${cmake_args[@]}"
cmake --build "$build_dir" --parallel "$(nproc)" --target vendrix

name=vendrix-$version
package=$name-linux-x86_64.tar.gz
mkdir -p "$out"
out=$(cd "$out" && pwd)
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
install -D -m 0755 "$build_dir/native/vendrix" "$staging/$name/bin/vendrix"
strip "$staging/$name/bin/vendrix" 2>/dev/null || true
printf 'Vendrix %s\n' "$version" >"$staging/$name/vendrix.release"
tar -C "$staging" --owner=0 --group=0 --numeric-owner -czf "$out/$package.tmp" "$name"
mv "$out/$package.tmp" "$out/$package"
sha256=$(sha256sum "$out/$package" | cut -d' ' -f1)

# The feed entry for this platform; other platforms' entries stay.
python3 - "$out/updates.json" "$version" "$base_url/$package" "$sha256" "$changelog" "$mandatory" <<'EOF'
import json, os, sys
path, version, url, sha256, changelog, mandatory = sys.argv[1:]
feed = {}
if os.path.exists(path):
    with open(path, encoding="utf-8") as f:
        feed = json.load(f)
if not isinstance(feed, dict):
    feed = {}
updates = feed.setdefault("updates", {})
updates["linux"] = {
    "latest-version": version,
    "download-url": url,
    "sha256": sha256,
    "changelog": changelog,
    "open-url": "",
    "mandatory-update": mandatory == "true",
}
tmp = path + ".tmp"
with open(tmp, "w", encoding="utf-8") as f:
    json.dump(feed, f, indent=2, ensure_ascii=False)
    f.write("\n")
os.replace(tmp, path)
EOF

echo "release: $out/$package ($(du -h "$out/$package" | cut -f1), sha256 $sha256)"
echo "release: feed $out/updates.json, entry \"linux\" -> $version at $base_url/$package"
