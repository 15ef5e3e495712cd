#!/usr/bin/env bash
# Builds the Windows x86_64 programs and starts Veltrano.exe under wine64, as
# an installed program: on the current X display, or on a private virtual
# display (Xvfb) when there is none. The prefix gets the installation record
# that the installer writes (install folder = the build's programs, data
# folder C:\VeltranoData in the prefix). Extra arguments are passed to the
# program ("-QUIT" ends a running one).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)"

bin=$root/build/win64/bin
program=$bin/Veltrano.exe

export WINEPREFIX=$root/build/win64/wineprefix-x11
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
wine=/usr/lib/wine/wine64

xvfb_pid=""
cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap "exit 130" INT TERM

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$display_file")"
  rm -f "$display_file"
  echo "run: no X display; started a private one at $DISPLAY (screenshot: xwd -root -display $DISPLAY)"
fi

if [ ! -f "$WINEPREFIX/.veltrano-ready" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  # Without a window manager, hiding a top-level window would block for seconds.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  touch "$WINEPREFIX/.veltrano-ready"
fi

install_folder="Z:${bin//\//\\}"
record=$(python3 - "$install_folder" <<'PY'
import struct, sys
r = bytearray(1326)
struct.pack_into('<HH', r, 16, 1, 0)  # custom data folder, for all users
folder = sys.argv[1].encode()
r[20:20 + len(folder)] = folder
data = b'C:\\VeltranoData'
r[280:280 + len(data)] = data
print(r.hex())
PY
)
"$wine" reg add 'HKLM\Software\Brindlex' /v Veltrano /t REG_BINARY /d "$record" /f >/dev/null 2>&1

echo "run: starting $(basename "$program") under wine64 on $DISPLAY"
"$wine" "$program" "$@"
