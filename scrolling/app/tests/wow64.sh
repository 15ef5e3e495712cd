#!/usr/bin/env bash
# The program as it is installed on 64-bit Windows, under Wine in a 64-bit
# prefix with WoW64, on a private X display with input from xdotool: the
# shipped 32-bit Veltrano.exe and Veltrano.dll in one folder with the 64-bit
# host Veltrano64.exe and Veltrano64.dll, the installation record in the
# registry's 32-bit view, as a 32-bit installer writes it. Checks: the
# program starts its host; a right-button drag scrolls a 64-bit program's
# window and a click without movement reaches it as a click; the tray icon's
# right click switches the program off (a drag reaches the window as a
# press) and on again (it scrolls); "-QUIT" ends the program with exit code
# 0 and the host with it. Without Veltrano64.exe the program shows "Could
# not start the 64 bit application!" at once and ends.
# Wine 8 ends a hook chain at a hook whose library it cannot load into the
# process: in such a prefix 32-bit programs never reach the program's 32-bit
# hooks while the host's 64-bit ones are installed. The window scrolled here
# is therefore a 64-bit one; the 32-bit hooks are tested in the 32-bit
# prefix of the win32 build's own tests.
# Arguments: the win32 build's programs, the win64 build's programs (the host
# pair and the test's own programs, 64-bit), a work folder.
set -euo pipefail
bin32=$1
bin64=$2
work=$3
mkdir -p "$work"
install=$work/install
bin=$install
helpers=$bin64
. "$(dirname "$0")/e2e_lib.sh"

why=$(wine32_usable) || { echo "FAIL: $why"; exit 1; }
for f in Veltrano64.exe Veltrano64.dll scroll_target.exe program_ready.exe dialog_probe.exe; do
  [ -f "$bin64/$f" ] || { echo "FAIL: $bin64/$f is missing: the win64 preset builds it"; exit 1; }
done
# The 64-bit loader starts the 32-bit programs of a WoW64 prefix too.
wine=/usr/lib/wine/wine64
unset WINEARCH

start_desktop 1024x768
start_prefix "$work/wineprefix-wow64"
rm -rf "$install"
mkdir -p "$install"
cp "$bin32/Veltrano.exe" "$bin32/Veltrano.dll" "$bin64/Veltrano64.exe" "$bin64/Veltrano64.dll" "$install/"
write_install_record "$install" 'C:\VeltranoData' 32
rm -rf "$WINEPREFIX/drive_c/VeltranoData"
: >"$log"

host_there() { [ "$(probe --host 0)" = host ]; }

start_target 1
start_program
host_there || fail "the program did not start its host"

mark=$(($(lines_now) + 1))
drag
within 10 scrolled "$mark" || fail "the drag did not scroll the 64-bit window"
[ "$(count "$mark" rdown)" -eq 0 ] || fail "the drag reached the 64-bit window as a press"
xdotool mousemove 320 220; sleep 1
mark=$(($(lines_now) + 1))
xdotool mousedown 3; sleep 0.05; xdotool mouseup 3
within 10 ups "$mark" 1 || fail "the click did not arrive"
sleep 0.3
clicks "a click without movement" "rdown rup" "$mark"

tray_switches_off_and_on || true
quit_program
within 10 eval '! host_there' || fail "the host did not end with the program"

# No host to start: the error at once, and the program ends with it.
rm "$install/Veltrano64.exe"
t0=$(date +%s%N)
"$wine" "$bin/Veltrano.exe" -MINIMIZE >/dev/null 2>&1 </dev/null &
program_pid=$!
desktop_pids+=($program_pid)
box=$(probe --box 30)
t1=$(date +%s%N)
case "$box" in
  *"|Could not start the 64 bit application!"*) ;;
  *) fail "without Veltrano64.exe no box told that the host could not start: ${box:-none}" ;;
esac
echo "start to the box without a host (including Wine's process start): $(((t1 - t0) / 1000000)) ms"
# The handshake would wait 10 s for a host that never started.
[ $(((t1 - t0) / 1000000)) -lt 8000 ] || fail "the box without a host came after $(((t1 - t0) / 1000000)) ms"
read -r _ box_x box_y _ <<<"$box" || true
[ -n "${box_y:-}" ] && click_at "$box_x" "$box_y"
status=0
if within 10 eval '! kill -0 "$program_pid" 2>/dev/null'; then
  wait "$program_pid" || status=$?
  # The error's text id is the exit code; a process's status keeps its low
  # byte.
  [ "$status" -eq $((5007 & 255)) ] || fail "without a host the program ended with status $status, not 5007's"
else
  fail "without a host the program did not end"
fi

if [ "$failures" -ne 0 ]; then
  echo "--- target log"; cat "$log"
  exit 1
fi
echo "wow64: all checks passed"
