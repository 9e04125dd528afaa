#!/usr/bin/env bash
# Builds a release package of the client for Linux, signs it and writes its
# entry into the update feed beside it:
#
#   scripts/release.sh (--key FILE | --demo-key) [options] VERSION [-- CMAKE-ARGS...]
#
#   --key FILE         the Ed25519 release key (private, PEM) that signs the
#                      package; the client is built with its public half
#   --demo-key         sign with a demo key kept in
#                      ~/.local/share/vendrix-demo/release-demo-key.pem (made
#                      on first use): for trying updates out, never for shipping
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
# is and updates itself with packages signed by the same key. The feed keeps
# the entries of other platforms.
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
key=""
demo_key=false
cmake_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --key) key=$2; shift 2 ;;
        --demo-key) demo_key=true; shift ;;
        --out) out=$2; shift 2 ;;
        --feed-url) feed_url=$2; shift 2 ;;
        --base-url) base_url=$2; shift 2 ;;
        --changelog) changelog=$2; shift 2 ;;
        --mandatory) mandatory=true; shift ;;
        --) shift; cmake_args=("$@"); break ;;
        -h|--help) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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

# The signing key: the release key, or the demo key (made once, readable by
# this user only, outside the repository).
if $demo_key; then
    [ -z "$key" ] || { echo "release: --key or --demo-key, not both" >&2; exit 2; }
    key=${XDG_DATA_HOME:-$HOME/.local/share}/vendrix-demo/release-demo-key.pem
    if [ ! -f "$key" ]; then
        mkdir -p "$(dirname "$key")"
        (umask 077 && openssl genpkey -algorithm ed25519 -out "$key")
    fi
    echo "release: signing with the demo key $key (not for shipping)"
fi
[ -n "$key" ] || { echo "release: give the release key with --key FILE, or --demo-key to try updates out" >&2; exit 2; }
[ -r "$key" ] || { echo "release: cannot read the key $key" >&2; exit 2; }
if [ -n "$(find "$key" -perm /077)" ]; then
    echo "release: warning: $key can be read by other users (chmod 600 it)" >&2
fi

# One build directory for all release builds: a new version only recompiles
# the start-up code. The client is built with the public half of the key.
build_dir=$root/build-release
mkdir -p "$build_dir"
public_key=$build_dir/release-public.pem
openssl pkey -in "$key" -pubout -out "$public_key.tmp" \
    || { echo "release: $key is not a private key openssl can read" >&2; exit 2; }
mv "$public_key.tmp" "$public_key"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENDRIX_BUILD_TESTS=OFF \
    -DVENDRIX_VERSION="$version" -DVENDRIX_UPDATE_FEED_URL="$feed_url" "${cmake_args[@]}" \
    -DVENDRIX_UPDATE_PUBLIC_KEY="$public_key"
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

# The signature: Ed25519 over the statement that names platform, version and
# digest, checked at once with the public half the client was built with. The
# key's id (the start of its public half's SHA-256) tells a client signed
# with another key why it refuses.
printf 'Vendrix update\nplatform: linux\nversion: %s\nsha256: %s\n' "$version" "$sha256" >"$staging/statement"
openssl pkeyutl -sign -rawin -inkey "$key" -in "$staging/statement" -out "$staging/signature"
openssl pkeyutl -verify -rawin -pubin -inkey "$public_key" -in "$staging/statement" \
    -sigfile "$staging/signature" >/dev/null
signature=$(base64 -w0 "$staging/signature")
key_id=$(openssl pkey -in "$key" -pubout -outform DER | sha256sum | cut -c1-16)

# The feed entry for this platform; other platforms' entries stay.
python3 - "$out/updates.json" "$version" "$base_url/$package" "$sha256" "$signature" "$key_id" "$changelog" \
    "$mandatory" <<'EOF'
import json, os, sys
path, version, url, sha256, signature, key_id, changelog, mandatory = sys.argv[1:]
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
    "signature": signature,
    "signature-key": key_id,
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

echo "release: $out/$package ($(du -h "$out/$package" | cut -f1), sha256 $sha256, signed by key $key_id)"
echo "release: feed $out/updates.json, entry \"linux\" -> $version at $base_url/$package"
