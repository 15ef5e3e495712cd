#!/usr/bin/env bash
# Screenshots of the profile dialog and of the picker's overlay over a sample
# window, at 96 and 144 DPI, on a private virtual display (Xvfb):
#   build/screenshots/profile_dialog_<dpi>.png
#   build/screenshots/profile_pick_<dpi>.png
# The DPI is Wine's LogPixels; the program logs the DPI its dialog got.
set -euo pipefail
cd "$(dirname "$0")/../../.."
root=$PWD
cmake --build --preset win64 -j 4 --target profile_shot >/dev/null

out=$root/build/screenshots
mkdir -p "$out"
export WINEPREFIX=$root/build/win64/wineprefix-profile-shot
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
Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
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

log=$out/profile_shot.log
# The screen with the program's windows laid over it from their own dumps
# (the root's dump under Xvfb can miss what some windows drew), bottom
# first; the overlay (the window without a name) only inside the region the
# program logged, the rest of it belongs to the windows below.
shoot() {
  local dumps=() id n=0
  xwd -root -silent -display "$DISPLAY" -out "$out/$1.xwd"
  for id in $(xwininfo -root -tree -display "$DISPLAY" | awk '/"profile_shot.exe"/ && $0 !~ / 1x1\+/ {print $1 (/has no name/ ? ":shaped" : "")}' | tac); do
    n=$((n + 1))
    xwd -id "${id%:shaped}" -silent -display "$DISPLAY" -out "$out/$1-$n.xwd"
    dumps+=("$out/$1-$n.xwd${id#${id%:shaped}}")
  done
  python3 - "$out/$1.png" "$out/$1.xwd" "$log" "${dumps[@]}" <<'PY'
import sys
sys.path.insert(0, "scripts")
from xwd_to_png import read_xwd, write_png
out, root, log, dumps = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
width, height, _x, _y, screen = read_xwd(root)
region = [tuple(map(int, l.split()[1:])) for l in open(log) if l.startswith("region ")]
for dump in dumps:
    shaped = dump.endswith(":shaped")
    w, h, left, top, rows = read_xwd(dump[: -len(":shaped")] if shaped else dump)
    for y in range(max(0, -top), min(h, height - top)):
        for x in range(max(0, -left), min(w, width - left)):
            sx, sy = left + x, top + y
            if shaped and not any(l <= sx < r and t <= sy < b for l, t, r, b in region):
                continue
            screen[sy][sx * 3:sx * 3 + 3] = rows[y][x * 3:x * 3 + 3]
write_png(out, width, height, screen)
PY
  rm -f "$out/$1.xwd" "$out/$1"-*.xwd
}
for dpi in 96 144; do
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  "$wineserver" -k >/dev/null 2>&1 || true
  for mode in dialog pick; do
    rm -f "$log"
    "$wine" "$root/build/win64/bin/profile_shot.exe" "$mode" "Z:$(echo "$log" | tr / '\\')" </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 300); do grep -qx ready "$log" 2>/dev/null && break; sleep 0.1; done
    grep -qx ready "$log" || { echo "profile_shot never got ready" >&2; exit 1; }
    sleep 1.5  # the windows paint after they are shown
    name=profile_${mode}_$dpi
    [ "$mode" = dialog ] && name=profile_dialog_$dpi
    shoot "$name"
    echo "screenshot: $out/$name.png ($(grep '^dpi' "$log"))"
    kill "$pid" 2>/dev/null || true
    "$wineserver" -k >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
  done
done
