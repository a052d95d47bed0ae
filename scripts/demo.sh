#!/usr/bin/env bash
# Sets everything up, builds the Windows binaries and runs the temperature path
# under Wine: the sensor server publishes a moving temperature and two simulated
# displays receive it once a second.
#   demo.sh [seconds] [sensor server arguments, e.g. --temp 42.7]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target ThermolinkDemo SensorHost
scripts/with-wine.sh /usr/lib/wine/wine64 build/x86_64/bin/ThermolinkDemo.exe "$@"
