#!/usr/bin/env bash
# Sets everything up, builds the x86_64 tree and prints the device worker's
# figures under Wine.
#   benchmark.sh [publishing seconds] [idle seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target worker_benchmark
scripts/with-wine.sh /usr/lib/wine/wine64 build/x86_64/bin/worker_benchmark.exe "$@"
