# shellcheck shell=bash
# What the end-to-end scripts share: sourced, not run, after $bin (the folder
# of Veltrano.exe), $work (a work folder) and, where the test's own programs
# stand elsewhere, $helpers are set. It sources the Wine and display helpers.
# A program of the test shows a scrollable window (scroll_target.exe) and
# logs what it receives into $log; count, seen, scrolled and presses read
# that log from a line on. fail counts a failed check in $failures.
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/desktop.sh"
helpers=${helpers:-$bin}

# The prefix, made once, with a fresh persistent server of its own.
start_prefix() {
  prepare_prefix "$1"
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -p >/dev/null 2>&1 </dev/null
  "$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

log=$work/e2e-target.log
winlog="Z:${log//\//\\}"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
count() { local n; n=$(tail -n +"$1" "$log" | grep -c -E "^$2( |\$)" || true); echo "$n"; }
lines_now() { wc -l <"$log"; }
# Waits up to the seconds given for a command to become true.
within() {
  local tries=$(($1 * 10)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}
seen() { [ "$(count "$1" "$2")" -gt 0 ]; }
scrolled() { [ "$(($(count "$1" vscroll) + $(count "$1" wheel)))" -gt 0 ]; }
wait_for_line() {  # pattern, from line; up to 20 s
  for _ in $(seq 200); do
    [ "$(count "$2" "$1")" -gt 0 ] && return 0
    sleep 0.1
  done
  return 1
}

start_target() {
  "$wine" "$helpers/scroll_target.exe" "$winlog" >/dev/null 2>&1 </dev/null &
  desktop_pids+=($!)
  target_pid=$!
  wait_for_line ready "$1" || { echo "FAIL: the scrollable window did not come up"; exit 1; }
}

start_program() {
  local t0 t1
  t0=$(date +%s%N)
  "$wine" "$bin/Veltrano.exe" -MINIMIZE >/dev/null 2>&1 </dev/null &
  program_pid=$!
  desktop_pids+=($program_pid)
  "$wine" "$helpers/program_ready.exe" 30 </dev/null || { echo "FAIL: Veltrano.exe did not start"; exit 1; }
  t1=$(date +%s%N)
  echo "start to hooks in place (including Wine's process start): $(((t1 - t0) / 1000000)) ms"
}

quit_program() {
  local status=0
  "$wine" "$bin/Veltrano.exe" -QUIT >/dev/null 2>&1 </dev/null || true
  wait "$program_pid" || status=$?
  [ "$status" -eq 0 ] || fail "Veltrano.exe ended with exit code $status after -QUIT"
}

presses() {  # the right-button messages from line $1, in order
  tail -n +"$1" "$log" | grep -E '^(rdown|rup|rdbl)( |$)' | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//'
}
clicks() {  # what, expected messages, from line
  local got
  got=$(presses "$3")
  [ "$got" = "$2" ] || fail "$1 arrived as \"$got\", not \"$2\""
  [ "$(($(count "$3" vscroll) + $(count "$3" wheel)))" -eq 0 ] || fail "$1 scrolled"
}
ups() { [ "$(count "$1" rup)" -ge "$2" ]; }

# A right-button drag over the scrollable window.
drag_here() {  # from where the cursor is
  xdotool mousedown 3; sleep 0.1
  for _ in $(seq 12); do xdotool mousemove_relative -- 0 10; sleep 0.03; done
  xdotool mouseup 3
}
drag() {
  xdotool mousemove 300 200; sleep 0.3
  drag_here
}

# A click of button $1 on the tray icon, at $tray_x $tray_y.
tray_click() {
  xdotool mousemove "$tray_x" "$tray_y"; sleep 0.3
  xdotool mousedown "$1"; sleep 0.05; xdotool mouseup "$1"; sleep 0.5
}

# The probe answers in a file of its own: appends of two processes to one
# file are not atomic under Wine, and the scrollable window logs the wheel
# lines that the settings change at the very moment a control is clicked.
probe_out=$work/probe.txt
probe() {  # prints the probe's answer
  rm -f "$probe_out"
  "$wine" "$helpers/dialog_probe.exe" "$@" "$(windows_path "$probe_out")" </dev/null || true
  cat "$probe_out" 2>/dev/null || echo "no answer"
}
click_at() { xdotool mousemove "$1" "$2"; sleep 0.3; xdotool click 1; sleep 0.3; }

# The tray icon clicked where Wine's notification area shows it: a right
# click switches the program off (a drag then reaches the window as a press
# and scrolls nothing), another switches it on again (a drag scrolls). False
# when the icon was not found.
tray_switches_off_and_on() {
  local mark
  mark=$(($(lines_now) + 1))
  "$wine" "$helpers/scroll_target.exe" --tray "$winlog" </dev/null || true
  read -r tray_x tray_y < <(tail -n +"$mark" "$log" | grep -m1 '^tray ' | cut -d' ' -f2-) || true
  if [ -z "${tray_y:-}" ]; then
    fail "the tray icon was not found in the notification area"
    return 1
  fi
  tray_click 3
  mark=$(($(lines_now) + 1))
  drag
  within 10 seen "$mark" rup || fail "a drag after the tray's right click did not arrive"
  sleep 0.3
  [ "$(count "$mark" rdown)" -eq 1 ] && ! scrolled "$mark" || fail "the tray's right click did not switch the program off"
  tray_click 3
  mark=$(($(lines_now) + 1))
  drag
  within 10 scrolled "$mark" || fail "the tray's second right click did not switch the program on"
  [ "$(count "$mark" rdown)" -eq 0 ] || fail "a drag after the tray's second right click reached the window as a press"
}
