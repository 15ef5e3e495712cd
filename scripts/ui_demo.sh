#!/usr/bin/env bash
# Builds and starts the bars and items demonstration under wine64: a
# framework window with bars in all four dock bays and a floating bar, on
# the current X display or, when there is none, on a private virtual display
# (Xvfb). Extra arguments are passed to the program (see
# framework/run/demo/demo.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target veltrano_ui_demo

. scripts/lib/desktop.sh
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  start_desktop 1280x800
  echo "ui_demo: no X display; started a private one at $DISPLAY (screenshot: xwd -root -display $DISPLAY)"
fi
prepare_prefix "$root/build/win64/wineprefix-x11"

echo "ui_demo: starting veltrano_ui_demo.exe under wine64 on $DISPLAY"
"$wine" "$root/build/win64/bin/veltrano_ui_demo.exe" "$@"
