#!/usr/bin/env bash
# Runs a command with a private Wine environment: a fresh 64-bit prefix (copied
# from a prepared template), its own warm wineserver and its own Xvfb display.
# Everything started here is stopped again when the command ends.
#   with-wine.sh <command> [args...]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
state="$root/build/wine"
template="$state/template"
wine=/usr/lib/wine/wine64

# No debugger on a crash: it would wait for a user until the test times out.
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

xvfb_pid=""
prefix=""
cleanup() {
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

start_xvfb() {
  local fifo
  fifo=$(mktemp -u "$state/displayfd.XXXXXX")
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 display <"$fifo" || { echo "with-wine: Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$display"
}

mkdir -p "$state"
start_xvfb

# The template is made once per build tree (wineboot takes ~15 s), and again
# when the registry settings imported into it change.
recipe=$(sha256sum "$root/scripts/wine-fonts.reg" | cut -d' ' -f1)
if [ "$(cat "$template/.ready" 2>/dev/null)" != "$recipe" ]; then
  rm -rf "$template"
  WINEPREFIX="$template" "$wine" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$template" "$wine" regedit /S "$(windows_path "$root/scripts/wine-fonts.reg")" >/dev/null 2>&1
  WINEPREFIX="$template" wineserver -w
  [ -f "$template/system.reg" ] || { echo "with-wine: preparing the Wine prefix failed" >&2; exit 1; }
  echo "$recipe" > "$template/.ready"
fi

prefix=$(mktemp -d "$state/prefix.XXXXXX")
cp -a "$template/." "$prefix/"
rm -f "$prefix/.ready"
export WINEPREFIX="$prefix"
wineserver -p
# Start Wine's own background processes now, detached from the caller's pipes;
# started later by a test, they would hold its output pipe open after it ends.
"$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1
"$@"
