#!/usr/bin/env bash
# Draws a framework window and the framework's message box on a private
# virtual display (Xvfb) and saves screenshots of them as PNG files:
#   build/screenshots/frame_window.png   the probe product's main window
#   build/screenshots/message_box.png    the same with a message box over it
# The product is the start-up tests' probe (framework/app/tests/start_probe),
# started in a Wine prefix of its own with an installation record.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target start_probe

out=$root/build/screenshots
mkdir -p "$out"
rm -f "$out"/*.png "$out"/probe.log

export WINEPREFIX=$root/build/win64/wineprefix-screenshot
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

xvfb_pid=""
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap "exit 130" INT TERM

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$display_file")"
rm -f "$display_file"

if [ ! -f "$WINEPREFIX/.veltrano-ready" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
  # Without a window manager, hiding a top-level window would block for seconds.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  "$wineserver" -w
  touch "$WINEPREFIX/.veltrano-ready"
fi

windows_path() { echo "Z:$1" | tr / '\\'; }
log=$out/probe.log
wait_for() {
  for _ in $(seq 300); do grep -qx "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done
  echo "screenshot: the probe never logged \"$1\"" >&2
  cat "$log" >&2 2>/dev/null || true
  return 1
}
# The screen, with the probe's windows laid over it from their own dumps:
# the root's dump under Xvfb shows a box owned by another window as a black
# rectangle, though the box's own window holds it fully drawn.
shoot() {
  local windows=() id n=0
  xwd -root -silent -display "$DISPLAY" -out "$out/$1.xwd"
  # Listed topmost first: laid over the screen in the reverse order.
  for id in $(xwininfo -root -tree -display "$DISPLAY" | awk '/"start_probe.exe"/ && $0 !~ / 1x1\+/ {print $1}' | tac); do
    n=$((n + 1))
    xwd -id "$id" -silent -display "$DISPLAY" -out "$out/$1-$n.xwd"
    windows+=("$out/$1-$n.xwd")
  done
  python3 scripts/xwd_to_png.py "$out/$1.png" "$out/$1.xwd" "${windows[@]}"
  rm -f "$out/$1.xwd" "${windows[@]}"
  echo "screenshot: $out/$1.png"
}

VELTRANO_PROBE_APP=Veltrano VELTRANO_PROBE_MODE=show VELTRANO_PROBE_LOG=$(windows_path "$log") \
  VELTRANO_PROBE_INSTALL='C:\VeltranoScreenshot' \
  "$wine" "$root/build/win64/bin/start_probe.exe" -MINIMIZE </dev/null >/dev/null 2>&1 &
probe_pid=$!

wait_for shown
sleep 1  # the window paints after it is shown
shoot frame_window
wait_for "box shown"
sleep "${SCREENSHOT_BOX_DELAY:-1.5}"
shoot message_box
# Enter answers the box; the probe then ends its run.
xdotool key Return
for _ in $(seq 100); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
wait_for "exit 0"
