#!/usr/bin/env bash
# Veltrano.exe as a user runs it, under Wine on a private X display with
# input from xdotool (the programs of the folder given: the x86_64 build's
# under wine64, the shipped i686 build's under 32-bit Wine in a 32-bit
# prefix): installation record in the registry, factory options,
# "-MINIMIZE". A program of the test shows a scrollable window and logs what
# it receives. Checks: a right-button drag scrolls it and never reaches it as
# a press; right clicks without movement arrive as they would without the
# program in its window of a class that takes double clicks, in every order
# of quick, slow, straying and other buttons' clicks, and as clicks in one
# that does not; a drag right after a click scrolls; a drag released over
# the window's caption ends there; the tray
# icon's right click switches the program off and on, its left click opens
# the settings; with a first profile that sends the wheel to the window under the cursor, a
# wheel turn over it reaches it while another window has the focus; "-QUIT"
# ends the program with exit code 0 and the wheel-lines value is back; a
# change made in the settings dialog survives when only a temporary of
# the options file is left of it; OK into a read-only options file is told
# in a message box, and the file stays.
# Arguments: the folder of the built programs, a work folder; a third
# argument "bench" measures the hook round trip instead (roundtrip_bench).
set -euo pipefail
bin=$1
work=$2
mkdir -p "$work"
. "$(dirname "$0")/e2e_lib.sh"
use_wine_for "$bin/Veltrano.exe" || { echo "FAIL: Veltrano.exe cannot run here"; exit 1; }

start_desktop 1024x768
start_prefix "$work/wineprefix-e2e"
# The installation record, as the installer writes it: install folder = the
# build's programs, data folder in the prefix.
write_install_record "$bin" 'C:\VeltranoData'
rm -rf "$WINEPREFIX/drive_c/VeltranoData"
: >"$log"


if [ "${3:-}" = bench ]; then
  start_target 1
  start_program
  "$wine" "$bin/roundtrip_bench.exe" "${VELTRANO_BENCH_SENDS:-20000}" </dev/null || fail "the benchmark did not run"
  quit_program
  exit "$failures"
fi

quick_clicks() {  # how many, 150 ms from press to press, in one xdotool call
  local args=() i
  for i in $(seq "$1"); do args+=(mousedown 3 sleep 0.05 mouseup 3 sleep 0.1); done
  xdotool "${args[@]}"
}
# Right clicks without movement in orders that the system pairs in its own
# way, each in one xdotool call at the scrollable window, with the right
# clicks the window gets without the program.
sequences=(quick2 quick3 held_then_quick straying_release right_left_right)
declare -A expected=(
  [quick2]="rdown rup rdbl rup"
  [quick3]="rdown rup rdbl rup rdown rup"
  [held_then_quick]="rdown rup rdown rup"  # held 0.7 s without moving, then at once a quick click
  [straying_release]="rdown rup rdbl rup"  # the second release 3 px from its press
  [right_left_right]="rdown rup rdown rup"  # each press about 80 ms after the last
)
play() {
  case $1 in
    quick2) quick_clicks 2 ;;
    quick3) quick_clicks 3 ;;
    held_then_quick) xdotool mousedown 3 sleep 0.7 mouseup 3 sleep 0.08 mousedown 3 sleep 0.05 mouseup 3 ;;
    straying_release)
      xdotool mousedown 3 sleep 0.05 mouseup 3 sleep 0.1 mousedown 3 sleep 0.05 mousemove_relative 3 0 \
        sleep 0.05 mouseup 3 sleep 0.05 mousemove_relative -- -3 0 ;;
    right_left_right)
      xdotool mousedown 3 sleep 0.03 mouseup 3 sleep 0.05 mousedown 1 sleep 0.03 mouseup 1 sleep 0.05 \
        mousedown 3 sleep 0.03 mouseup 3 ;;
  esac
}
# Plays each sequence and checks what arrived: against what the window gets
# without the program, and without scrolling.
play_sequences() {  # "without" or "with" the program
  local s n
  for s in "${sequences[@]}"; do
    xdotool mousemove 320 220; sleep 1
    mark=$(($(lines_now) + 1))
    play "$s"
    n=$(wc -w <<<"${expected[$s]}")
    within 10 ups "$mark" $((n / 2)) || fail "$s $1 the program did not arrive"
    sleep 0.3
    clicks "$s $1 the program" "${expected[$s]}" "$mark"
  done
}

start_target 1
ready_lines=$(grep -m1 '^ready ' "$log" | cut -d' ' -f2)
play_sequences without
start_program

mark=$(($(lines_now) + 1))
drag
within 10 scrolled "$mark" || fail "the drag did not scroll"
[ "$(count "$mark" rdown)" -eq 0 ] || fail "the drag reached the window as a press"
# The profile over the window accelerates the wheel: the system's lines are
# held at 1, the windows are told, and the user's stored value stays.
"$wine" "$bin/scroll_target.exe" --lines "$winlog" </dev/null || true
[ "$(count "$mark" "now 1")" -eq 1 ] || fail "the wheel lines were not held at 1 over an accelerating window"
[ "$(count 1 lines)" -gt 0 ] || fail "the windows were not told of the wheel lines held at 1"
stored=$("$wine" reg query 'HKCU\Control Panel\Desktop' /v WheelScrollLines 2>/dev/null </dev/null | tr -d '\r' | awk '/WheelScrollLines/ {print $3}')
[ "$stored" != 1 ] || fail "the wheel lines 1 were written to the user's profile"

# Right clicks without movement reach the scrollable window (its class takes
# double clicks) as they would without the program, though the press of
# each was held back while a drag could begin: two clicks 2 s apart as two
# clicks, the sequences above as without the program, and a click (quick,
# or held long) before a drag leaves the drag scrolling and its press
# unseen. Then one click on the focus window, whose class takes none.
mark=$(($(lines_now) + 1))
xdotool mousemove 320 220; sleep 0.3
xdotool mousedown 3; sleep 0.05; xdotool mouseup 3
within 10 seen "$mark" rup || fail "the click did not arrive"
sleep 2
xdotool mousedown 3; sleep 0.05; xdotool mouseup 3
within 10 ups "$mark" 2 || fail "the second click did not arrive"
sleep 0.3
clicks "two clicks 2 s apart" "rdown rup rdown rup" "$mark"
play_sequences with
for held in 0.05 0.7; do
  xdotool mousemove 320 220; sleep 1
  mark=$(($(lines_now) + 1))
  xdotool mousedown 3 sleep "$held" mouseup 3 sleep 0.08
  drag_here
  within 10 scrolled "$mark" || fail "a drag right after a click held $held s did not scroll"
  sleep 0.3
  [ "$(presses "$mark")" = "rdown rup" ] || fail "a click held $held s and a drag arrived as \"$(presses "$mark")\""
done
xdotool mousemove 320 220; sleep 0.3
mark=$(($(lines_now) + 1))
xdotool mousemove 700 220; sleep 0.3
xdotool mousedown 3; sleep 0.05; xdotool mouseup 3
within 10 seen "$mark" focusrup || fail "the click on the focus window did not arrive"
sleep 0.3
[ "$(count "$mark" focusrdown)" -eq 1 ] || fail "the click on the focus window arrived as $(count "$mark" focusrdown) presses"

# A drag released over the caption, where the release reaches the window
# outside its client area: the drag ends there and the release is swallowed.
# The drag moves only down, the plain moves after it only sideways, so any
# sideways scrolling came from the plain moves, however late the drag's own
# scrolling is logged. The click after the moves is logged after them: it
# arrives, and by then no sideways scrolling came. Then a new drag scrolls.
read -r cap_x cap_y < <(grep -m1 '^caption ' "$log" | cut -d' ' -f2-) || true
[ -n "${cap_y:-}" ] || { fail "no point on the caption was found"; cap_x=300; cap_y=90; }
mark=$(($(lines_now) + 1))
xdotool mousemove "$cap_x" 200; sleep 0.3
xdotool mousedown 3; sleep 0.1
for _ in $(seq 6); do xdotool mousemove_relative -- 0 10; sleep 0.03; done
within 10 scrolled "$mark" || fail "the drag to the caption did not scroll"
xdotool mousemove "$cap_x" "$cap_y"; sleep 0.1
xdotool mouseup 3; sleep 0.1
moves=$(($(lines_now) + 1))
for i in $(seq 0 6); do xdotool mousemove $((cap_x + 10 * i)) 200; sleep 0.03; done
xdotool mousedown 3; sleep 0.05; xdotool mouseup 3
within 10 seen "$moves" rup || fail "a click after the drag released over the caption did not arrive"
sleep 0.3
[ "$(($(count "$mark" hscroll) + $(count "$mark" hwheel)))" -eq 0 ] ||
  fail "plain moves after the drag released over the caption scrolled"
[ "$(count "$mark" ncrup)" -eq 0 ] || fail "the release over the caption reached the window"
mark=$(($(lines_now) + 1))
drag
within 10 scrolled "$mark" || fail "a drag after the one released over the caption did not scroll"

# The tray icon with the factory options: switched off and on with the
# right button, then a left click opens the settings.
settings_open() { xdotool search --onlyvisible --name '^Veltrano$' >/dev/null 2>&1; }
if tray_switches_off_and_on; then
  settings_open && fail "the settings were open before the tray's left click"
  tray_click 1
  within 10 settings_open || fail "the tray's left click did not open the settings"
fi
quit_program

# The wheel to the window under the cursor, through an options file written
# by the program's own storage, with the focus in the other window.
kill "$target_pid" 2>/dev/null || true
wait "$target_pid" 2>/dev/null || true
"$wine" "$bin/options_writer.exe" 'C:\VeltranoData' </dev/null || fail "the options file was not written"
mark=$(($(lines_now) + 1))
start_target "$mark"
start_program
mark=$(($(lines_now) + 1))
xdotool mousemove 300 200; sleep 0.3
xdotool click 5
within 10 seen "$mark" wheel || fail "the wheel did not reach the window under the cursor"
[ "$(count "$mark" focuswheel)" -eq 0 ] || fail "the wheel reached the focus window"
quit_program
mark=$(($(lines_now) + 1))
"$wine" "$bin/scroll_target.exe" --lines "$winlog" </dev/null || true
final_lines=$(tail -n +"$mark" "$log" | grep -m1 '^now ' | cut -d' ' -f2)
[ "$final_lines" = "$ready_lines" ] || fail "wheel lines $final_lines after the end, $ready_lines before"

# The settings' controls and the framework's message box, as a user finds
# them on the screen (dialog_probe).
settings_ids="$(dirname "$0")/../../settings/res/settings_ids.h"
id_of() { awk -v n="$1" '$1 == "#define" && $2 == n {print $3}' "$settings_ids"; }
click_control() {  # dialog_probe's --point or --row arguments
  local word x y
  read -r word x y < <(probe "$@") || true
  [ "$word" = point ] && [ -n "${y:-}" ] || { fail "control $* of the settings was not found ($word)"; return 1; }
  click_at "$x" "$y"
}

# The only copy of the options: profile 3's "Scroll Navigation" box changed
# in the settings dialog (a second start opens it) and OK, the program quit,
# and then only the options file's temporary left in the data folder, as a
# replace that a power loss cut between its delete and its rename leaves it
# (its process gone). The next start puts it in place and runs on it: the
# options that it saves as it quits hold the change.
data_dir="$WINEPREFIX/drive_c/VeltranoData"
options_value() {  # key: its value in the options file, or "none" (with what was found)
  local value status try
  for try in 1 2; do
    status=0
    rm -f "$work/options.txt"
    "$wine" "$bin/options_writer.exe" --text "$(windows_path "$work/options.txt")" 'C:\VeltranoData' </dev/null || status=$?
    value=$(awk -F= -v k="$1" '$1 == k {v = $2} END {print (v == "" ? "none" : v)}' "$work/options.txt" 2>/dev/null) ||
      value=none
    [ "$value" = none ] || break
    echo "options_writer ended with $status; $(grep -c . "$work/options.txt" 2>/dev/null || echo no) lines, iNumPar $(grep -m1 'iNumPar' "$work/options.txt" 2>/dev/null)" >&2
    ls -l "$data_dir" >&2
    sleep 1  # once more: the read may have met a save of the program
  done
  echo "$value"
}
key='Par[2].bScrollEnable'
changed=x
start_program
"$wine" "$bin/Veltrano.exe" >/dev/null 2>&1 </dev/null || true
if within 10 settings_open; then
  # The settings have saved the options in force as they opened.
  before=$(options_value "$key")
  case "$before" in 0) changed=1 ;; 1) changed=0 ;; *) fail "the options file holds no $key" ;; esac
  # The profile list's third item, the box on its page, OK (IDOK).
  click_control --row "$(id_of IDC_SET_PROFILE_LIST)" 2 && click_control --point "$(id_of IDC_SCR_ENABLE)" &&
    click_control --point 1 || true
  within 10 eval '! settings_open' || fail "OK did not close the settings"
else
  fail "a second start did not open the settings"
fi
quit_program
[ "$(options_value "$key")" = "$changed" ] || fail "the change in the settings was not saved ($key $before)"
# The temporary written 20 minutes ago, and then one minute ago: a restart
# and a start at logon come soon after a power cut.
for age in '20 minutes ago' '1 minute ago'; do
  mv "$data_dir/Options.oqc" "$data_dir/Options.oqc_tmp999999"
  touch -d "$age" "$data_dir/Options.oqc_tmp999999"
  start_program
  quit_program
  [ -f "$data_dir/Options.oqc" ] || fail "the options file's only copy, written $age, was not put in place"
  [ ! -e "$data_dir/Options.oqc_tmp999999" ] || fail "the options file's only copy, written $age, was left as a temporary"
  [ "$(options_value "$key")" = "$changed" ] || fail "the start after a cut replace $age ran without the user's change"
done

# A save that does not land is told. The options file read-only (as a sync
# tool or a restored backup can leave it), a profile's check box on the
# settings' first page clicked and OK: the framework's message box names the
# file and the system's reason, and OK closes it and then the settings. The
# quit says nothing more, and after a restart the file holds what it held.
ended_within() {  # seconds: the program ended, killed when it did not
  within "$1" eval '! kill -0 "$program_pid" 2>/dev/null' && return 0
  kill "$program_pid" 2>/dev/null || true
  return 1
}
options_file=$data_dir/Options.oqc
start_program
"$wine" "$bin/Veltrano.exe" >/dev/null 2>&1 </dev/null || true  # a second start shows the settings
within 10 settings_open || fail "a second start did not open the settings"
cp "$options_file" "$work/options-before-readonly"
chmod a-w "$options_file"
[ "$(probe --box 0)" = nobox ] || fail "a message box was open before OK"
# The first page's switch of the selected profile, then OK (IDOK).
if click_control --point "$(id_of IDC_SCR_ENABLE)" && click_control --point 1; then
  box=$(probe --box 20)
  case "$box" in
    *"|Could not save the options!|C:\VeltranoData\Options.oqc|"*) ;;
    *) fail "OK into a read-only options file showed no message box naming it: ${box:-none}" ;;
  esac
  case "$box" in *"Options.oqc|Access denied"*) ;; *) fail "the message box gave not the system's reason: $box" ;; esac
  read -r _ box_x box_y _ <<<"$box" || true
  [ -n "${box_y:-}" ] && click_at "$box_x" "$box_y"
  within 10 eval '! settings_open' || fail "OK on the message box did not close it and the settings"
fi
"$wine" "$bin/Veltrano.exe" -QUIT >/dev/null 2>&1 </dev/null || true
ended_within 20 || fail "the quit waited: the program did not end"
wait "$program_pid" 2>/dev/null || true
start_program
cmp -s "$options_file" "$work/options-before-readonly" || fail "the read-only options file changed"
"$wine" "$bin/Veltrano.exe" -QUIT >/dev/null 2>&1 </dev/null || true
ended_within 20 || fail "the quit after the restart waited: the program did not end"
wait "$program_pid" 2>/dev/null || true
cmp -s "$options_file" "$work/options-before-readonly" || fail "the read-only options file changed at the quit"
chmod u+w "$options_file"

if [ "$failures" -ne 0 ]; then
  echo "--- target log"; cat "$log"
  exit 1
fi
echo "end-to-end: all checks passed"
