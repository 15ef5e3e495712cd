#!/usr/bin/env bash
# Builds the x86_64 Veltrano.exe and its hook library Veltrano64.dll (not the
# test programs) and starts the program under wine64, as an installed
# program: on the current X display, or on a private virtual display (Xvfb)
# when there is none. The prefix gets the installation record that the
# installer writes (install folder = the build's programs, data folder
# C:\VeltranoData in the prefix). Extra arguments are passed to the program
# ("-QUIT" ends a running one). It keeps the terminal until the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh --run
cmake --preset win64 >/dev/null
# The program (its resources linked in) and the hook library it loads.
cmake --build --preset win64 -j "$(nproc)" --target veltrano hooklib

bin=$root/build/win64/bin
program=$bin/Veltrano.exe

. scripts/lib/desktop.sh
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  start_desktop 1280x800
  echo "run: no X display; started a private one at $DISPLAY (screenshot: xwd -root -display $DISPLAY)"
fi
prepare_prefix "$root/build/win64/wineprefix-x11"
write_install_record "$bin" 'C:\VeltranoData'

echo "run: starting $(basename "$program") under wine64 on $DISPLAY"
"$wine" "$program" "$@"
