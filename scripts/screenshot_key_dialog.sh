#!/usr/bin/env bash
# Draws the hot-key field's key-combination dialog on a private virtual
# display (Xvfb) at 96 and at 144 DPI and saves a screenshot of each:
#   build/screenshots/key_dialog_96.png, build/screenshots/key_dialog_144.png
# The DPI is Wine's LogPixels (HKCU\Control Panel\Desktop, REG_DWORD), which
# the server reads when it starts; the probe logs the DPI it ran at.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target key_dialog_probe

out=$root/build/screenshots
mkdir -p "$out"

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

for dpi in 96 144; do
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  log=$out/key_dialog_$dpi.log
  rm -f "$log"
  "$wine" "$root/build/win64/bin/key_dialog_probe.exe" "$(windows_path "$log")" </dev/null >/dev/null 2>&1 &
  probe_pid=$!
  for _ in $(seq 300); do grep -qx shown "$log" 2>/dev/null && break; sleep 0.1; done
  if ! grep -qx shown "$log" 2>/dev/null; then
    echo "screenshot: the probe never showed the dialog at $dpi DPI" >&2
    exit 1
  fi
  sleep 1  # the dialog paints after it is shown
  ran_at=$(sed -n 's/^dpi //p' "$log")
  [ "$ran_at" = "$dpi" ] || { echo "screenshot: asked for $dpi DPI, the probe ran at $ran_at" >&2; exit 1; }
  name=key_dialog_$dpi
  windows=()
  n=0
  xwd -root -silent -display "$DISPLAY" -out "$out/$name.xwd"
  # Listed topmost first: laid over the screen in the reverse order.
  for id in $(xwininfo -root -tree -display "$DISPLAY" | awk '/"key_dialog_probe.exe"/ && $0 !~ / 1x1\+/ {print $1}' | tac); do
    n=$((n + 1))
    xwd -id "$id" -silent -display "$DISPLAY" -out "$out/$name-$n.xwd"
    windows+=("$out/$name-$n.xwd")
  done
  python3 scripts/xwd_to_png.py "$out/$name.png" "$out/$name.xwd" "${windows[@]}"
  rm -f "$out/$name.xwd" "${windows[@]}"
  echo "screenshot: $out/$name.png ($dpi DPI)"
  "$wineserver" -k >/dev/null 2>&1 || true
  wait "$probe_pid" 2>/dev/null || true
done
