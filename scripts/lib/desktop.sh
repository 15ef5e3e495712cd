# shellcheck shell=bash
# Shared by the scripts that run the Windows programs under Wine on an X
# display: sourced, not run. Sourcing sets $wine and $wineserver (wine64;
# use_wine_for EXE of wine_loader.sh, sourced with it, takes the loader of a
# 32-bit program instead), exports
# Wine's quiet defaults and installs a cleanup (on exit, also in a subshell
# that sources it) that ends the listed processes, the Wine server and the
# private display.
#   start_desktop WxH                 a private Xvfb display; exports DISPLAY
#   prepare_prefix FOLDER             exports WINEPREFIX; creates it once
#   set_dpi N                         Wine's LogPixels for the next programs
#   windows_path PATH                 PATH as Wine's Z: drive names it
#   write_install_record BIN DATA [32]
#                                     the installer's record: programs in the
#                                     folder BIN, data folder DATA (Windows);
#                                     with 32 into the registry's 32-bit view,
#                                     where a 32-bit program on a 64-bit
#                                     Windows reads it
#   shoot PATH EXE [REGION-LOG]       PATH.png: the screen with the windows
#                                     of EXE (lower case) over it
#   desktop_pids+=(PID)               a process to end at exit

desktop_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$desktop_lib/wine_loader.sh"

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

desktop_pids=()
xvfb_pid=""
desktop_cleanup() {
  local p
  for p in ${desktop_pids[@]+"${desktop_pids[@]}"}; do kill "$p" 2>/dev/null || true; done
  "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap desktop_cleanup EXIT
trap "exit 130" INT TERM

start_desktop() {
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    echo "desktop: Xvfb gave no display" >&2
    return 1
  fi
  export DISPLAY=":$(cat "$display_file")"
  rm -f "$display_file"
}

prepare_prefix() {
  export WINEPREFIX=$1
  [ -f "$WINEPREFIX/.veltrano-prepared" ] && return 0
  mkdir -p "$WINEPREFIX"
  # A persistent server left from an interrupted run would never let the
  # wait below return.
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
  # Without a window manager, hiding a top-level window would block for seconds.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  # A crash ends the program instead of waiting in a debugger nobody sees.
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /d 'no-crash-debugger %ld %ld' /f >/dev/null 2>&1 </dev/null
  "$wineserver" -w
  touch "$WINEPREFIX/.veltrano-prepared"
}

# A program takes LogPixels from the registry when it starts, so the next
# programs get N with no more than this value; the server is ended all the
# same so that Wine's own desktop processes, started at the old value, start
# anew at N. The programs log the DPI they ran at; the callers check it.
set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
}

windows_path() { echo "Z:$1" | tr / '\\'; }

write_install_record() {
  local record
  record=$(python3 - "$(windows_path "$1")" "$2" <<'PY'
import struct, sys
folder, data = (a.encode() for a in sys.argv[1:3])
if len(folder) >= 260 or len(data) >= 260:
    raise SystemExit("write_install_record: a folder name is longer than its field")
r = bytearray(1326)
struct.pack_into('<HH', r, 16, 1, 0)  # custom data folder, for all users
r[20:20 + len(folder)] = folder
r[280:280 + len(data)] = data
print(r.hex())
PY
  ) || return 1
  "$wine" reg add 'HKLM\Software\Brindlex' /v Veltrano /t REG_BINARY /d "$record" /f ${3:+/reg:$3} \
    >/dev/null 2>&1 </dev/null
}

# The root's dump under Xvfb can miss what a window holds (a box owned by
# another window comes out black): each of the program's windows is laid
# over it from its own dump, bottom first. With a region log, a window
# without a name (an overlay) is laid over only inside the "region L T R B"
# lines of the log; the rest of it belongs to the windows below.
shoot() {
  local name=$1 exe=$2 regions=${3:-} dumps=() id n=0
  xwd -root -silent -display "$DISPLAY" -out "$name.xwd"
  # xwininfo lists topmost first.
  for id in $(xwininfo -root -tree -display "$DISPLAY" |
              awk -v exe="\"$exe\"" -v clip="${regions:+1}" \
                'index(tolower($0), exe) && $0 !~ / 1x1\+/ {print $1 (clip && /has no name/ ? ":clip" : "")}' | tac); do
    n=$((n + 1))
    # A window that is not mapped cannot be dumped: it is not on the screen.
    xwd -id "${id%:clip}" -silent -display "$DISPLAY" -out "$name-$n.xwd" 2>/dev/null || continue
    dumps+=("$name-$n.xwd${id#"${id%:clip}"}")
  done
  python3 "$desktop_lib/../../tools/screenshots/xwd_to_png.py" ${regions:+--regions "$regions"} \
    "$name.png" "$name.xwd" ${dumps[@]+"${dumps[@]}"}
  rm -f "$name.xwd" "$name"-*.xwd
}
