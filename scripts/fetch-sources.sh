#!/usr/bin/env bash
# Fetches the Debian source packages of the libraries that Debian ships no
# mingw build of (hidapi, and minizip from zlib's source) and unpacks them into
# the given cache folder. Versions are pinned; a stamp makes a second run free.
#   fetch-sources.sh <cache-dir>
set -euo pipefail

cache=${1:?usage: fetch-sources.sh <cache-dir>}
pins=("hidapi=0.13.1-1" "zlib=1:1.2.13.dfsg-1")
stamp="$cache/sources.stamp"
want=$(printf '%s\n' "${pins[@]}")
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
  exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The archive address comes from the machine's own apt configuration, so that
# no host name is written here; only the deb-src index of bookworm is read.
uri=$(apt-get indextargets --no-release-info --format '$(REPO_URI)' \
        'Created-By: Packages' 'Release: bookworm' | head -n 1)
[ -n "$uri" ] || { echo "fetch-sources: no bookworm archive in the apt configuration" >&2; exit 1; }

mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial"
cat > "$work/parts/src.sources" <<SRC
Types: deb-src
URIs: $uri
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
apt_opts=(
  -o Dir::Etc::SourceList=/dev/null
  -o Dir::Etc::SourceParts="$work/parts"
  -o Dir::State::Lists="$work/lists"
  -o Dir::Cache="$work/cache"
  -o Debug::NoLocking=1
  -o APT::Sandbox::User=root
)
apt-get "${apt_opts[@]}" -qq update
(cd "$work" && apt-get "${apt_opts[@]}" -qq source --download-only "${pins[@]}")

rm -rf "$cache/hidapi" "$cache/zlib"
# The index apt read is signed by the archive key and lists the checksums of
# every file; dpkg-source checks those again while it unpacks.
for pkg in hidapi zlib; do
  (cd "$work" && dpkg-source -x "$pkg"_*.dsc "$cache/$pkg") >"$work/unpack.log" 2>&1 ||
    { cat "$work/unpack.log" >&2; exit 1; }
done
printf '%s\n' "$want" > "$stamp"
