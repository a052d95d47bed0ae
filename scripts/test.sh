#!/usr/bin/env bash
# Sets everything up, builds both targets and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
for preset in i686 x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
scripts/with-wine.sh ctest --preset x86_64 "$@"
