#!/usr/bin/env bash
# Screenshots of the settings dialog of the real program at 96 and 144 DPI,
# on a private virtual display (Xvfb), saved as PNG files:
#   build/screenshots/settings_<dpi>_page<N>.png   the dialog on each page (0 to 2)
#   build/screenshots/settings_<dpi>_keys.png      the key-combination dialog over it, when it appears
#   build/screenshots/settings_<dpi>_profile.png   the profile dialog ("New..."), when it appears
# The program is started minimised as an installed program would be (see
# scripts/run.sh), then started a second time, which opens the dialog
# through the running program. settings_driver switches the pages and
# presses the buttons. The two further dialogs belong to other parts of the
# program: the script says so when one does not appear; that is no error.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target veltrano settings_driver

bin=$root/build/win64/bin
out=$root/build/screenshots
mkdir -p "$out"
rm -f "$out"/settings_*.png

export WINEPREFIX=$root/build/win64/wineprefix-settings-shots
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
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
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

# The installation record, as scripts/run.sh writes it.
install_folder="Z:${bin//\//\\}"
record=$(python3 - "$install_folder" <<'PY'
import struct, sys
r = bytearray(1326)
struct.pack_into('<HH', r, 16, 1, 0)
folder = sys.argv[1].encode()
r[20:20 + len(folder)] = folder
data = b'C:\\VeltranoData'
r[280:280 + len(data)] = data
print(r.hex())
PY
)
"$wine" reg add 'HKLM\Software\Brindlex' /v Veltrano /t REG_BINARY /d "$record" /f >/dev/null 2>&1 </dev/null

driver() { "$wine" "$bin/settings_driver.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# The screen with the program's windows laid over it from their own dumps
# (the root's dump under Xvfb can miss what a window holds).
shoot() {
  local windows=() id n=0
  xwd -root -silent -display "$DISPLAY" -out "$out/$1.xwd"
  for id in $(xwininfo -root -tree -display "$DISPLAY" | awk 'tolower($0) ~ /"veltrano.exe"/ && $0 !~ / 1x1\+/ {print $1}' | tac); do
    n=$((n + 1))
    # A window that is not mapped cannot be dumped: it is not on the screen.
    xwd -id "$id" -silent -display "$DISPLAY" -out "$out/$1-$n.xwd" 2>/dev/null || continue
    windows+=("$out/$1-$n.xwd")
  done
  python3 scripts/xwd_to_png.py "$out/$1.png" "$out/$1.xwd" ${windows[@]+"${windows[@]}"}
  rm -f "$out/$1.xwd" "$out/$1"-*.xwd
  echo "screenshot: $out/$1.png"
}

for dpi in 96 144; do
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  "$wineserver" -w >/dev/null 2>&1 || true

  "$wine" "$bin/Veltrano.exe" -MINIMIZE </dev/null >/dev/null 2>&1 &
  first=$!
  sleep 3
  # The second start hands over to the running program, which opens the dialog.
  "$wine" "$bin/Veltrano.exe" </dev/null >/dev/null 2>&1 || true
  placed=$(driver wait) || { echo "screenshot: the settings dialog did not open at $dpi DPI" >&2; exit 1; }
  echo "screenshot: $dpi DPI: $placed"
  case "$placed" in
    *"screen DPI $dpi") ;;
    *) echo "screenshot: the display did not take $dpi DPI" >&2; exit 1 ;;
  esac
  sleep 1
  for page in 0 1 2; do
    driver tab "$page"
    sleep 1
    shoot "settings_${dpi}_page${page}"
  done
  driver tab 0

  if driver plus >/dev/null; then
    if caption=$(driver other); then
      sleep 1
      shoot "settings_${dpi}_keys"
      echo "screenshot: key-combination dialog \"$caption\""
      driver cancel-other >/dev/null || true
      sleep 0.5
    else
      echo "screenshot: the \"+\" of the hot-key field opened no dialog at $dpi DPI (not built yet)"
    fi
  else
    echo "screenshot: the hot-key field has no \"+\" button yet at $dpi DPI"
  fi

  driver click 1000 >/dev/null
  if caption=$(driver other); then
    sleep 1
    shoot "settings_${dpi}_profile"
    echo "screenshot: profile dialog \"$caption\""
    driver cancel-other >/dev/null || true
    sleep 0.5
  else
    echo "screenshot: \"New...\" opened no profile dialog at $dpi DPI (not built yet)"
  fi

  "$wine" "$bin/Veltrano.exe" -QUIT </dev/null >/dev/null 2>&1 || true
  for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
done
