#!/usr/bin/env bash
# Screenshots of the program's windows, drawn under wine64 on private virtual
# displays (Xvfb) and saved as PNG files in build/screenshots:
#   scripts/screenshot.sh [all|frame|keys|settings|profile|filedlg|archive|about|update|demo]   (default all)
# frame     frame_window.png, message_box.png: the start-up tests' probe
#           product (framework/run/tests/start_probe) with its main window,
#           then with the framework's message box over it.
# keys      key_dialog_<dpi>.png: the hot-key field's key-combination dialog.
# settings  settings_<dpi>_page<N>.png (pages 0 to 2), settings_<dpi>_keys.png
#           and settings_<dpi>_profile.png (the key-combination and profile
#           dialogs over it, when they appear): the real program, started as
#           an installed program would be (see scripts/run.sh) and then a
#           second time, which opens the dialog through the running program;
#           settings_driver switches the pages and presses the buttons.
# profile   profile_dialog_<dpi>.png, profile_pick_<dpi>.png: the profile
#           dialog, and the picker's overlay over a sample window.
# filedlg   filedlg_save.png, filedlg_folder.png, filedlg_link.png: the save
#           dialog with the configuration filter and a proposed name, the
#           folder picker, and two link labels, the second with the focus
#           (file_dialog_probe).
# archive   archive_dialog_<dpi>.png: the archive dialog with its default
#           patterns and their expansions.
# about     about_dialog_<dpi>.png: the product information dialog
#           (about_shot).
# update    update_dialog_<dpi>.png: the update dialog after a check that
#           found a newer version.
# demo      demo_docked.png, demo_overflow.png, demo_menu.png,
#           demo_windowmenu.png: the bars and items demonstration
#           (framework/run/demo) with bars in all four bays and a floating
#           bar, then narrowed with the standard bar's overflow popup open,
#           with the File menu and its Recent submenu open, and with the
#           window menu open.
# <dpi> is 96 and 144, set as Wine's LogPixels; each program reports the DPI
# it ran at, and a part fails when it is not the one asked for. The programs
# and the converter of the dumps are in tools/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build/win64/bin
out=$root/build/screenshots

parts=(frame keys settings profile filedlg archive about update demo)
case "${1:-all}" in
  all) ;;
  frame | keys | settings | profile | filedlg | archive | about | update | demo) parts=("$1") ;;
  *) echo "usage: $0 [all|frame|keys|settings|profile|filedlg|archive|about|update|demo]" >&2; exit 2 ;;
esac

declare -A targets=([frame]=start_probe [keys]=key_dialog_probe [settings]="veltrano settings_driver"
                    [profile]=profile_shot [filedlg]=file_dialog_probe [archive]=archive_shot
                    [about]=about_shot [update]=update_shot
                    [demo]=veltrano_ui_demo)
build=()
for part in "${parts[@]}"; do read -ra t <<<"${targets[$part]}"; build+=("${t[@]}"); done
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target "${build[@]}"
mkdir -p "$out"

# Waits up to 30 s for the line $2 in the log $1.
wait_for() {
  for _ in $(seq 300); do grep -qx "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "screenshot: no \"$2\" in $1" >&2
  cat "$1" >&2 2>/dev/null || true
  return 1
}

part_frame() {
  local log=$out/probe.log probe_pid
  rm -f "$out"/frame_window.png "$out"/message_box.png "$log"
  start_desktop 1024x768
  prepare_prefix "$root/build/win64/wineprefix-screenshot"
  set_dpi 96
  VELTRANO_PROBE_APP=Veltrano VELTRANO_PROBE_MODE=show VELTRANO_PROBE_LOG=$(windows_path "$log") \
    VELTRANO_PROBE_INSTALL='C:\VeltranoScreenshot' \
    "$wine" "$bin/start_probe.exe" -MINIMIZE </dev/null >/dev/null 2>&1 &
  probe_pid=$!
  desktop_pids+=("$probe_pid")
  wait_for "$log" shown
  sleep 1  # the window paints after it is shown
  shoot "$out/frame_window" start_probe.exe
  echo "screenshot: $out/frame_window.png"
  wait_for "$log" "box shown"
  sleep "${SCREENSHOT_BOX_DELAY:-1.5}"
  shoot "$out/message_box" start_probe.exe
  echo "screenshot: $out/message_box.png"
  # Enter answers the box; the probe then ends its run.
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
  wait_for "$log" "exit 0"
}

# Starts a program of tools/screenshots that logs "dpi N" and a ready line to the
# file named by its last argument, waits until it is ready and has painted,
# checks that it ran at the DPI asked for, shoots its windows (an overlay
# only inside the regions it logged, when asked to) and ends it.
shoot_program() {  # name, DPI, exe, ready line, whole|clip, the exe's arguments
  local name=$1 dpi=$2 exe=$3 ready=$4 clip=$5 log=$out/$1.log pid ran_at
  shift 5
  rm -f "$log" "$out/$name.png"
  "$wine" "$bin/$exe" "$@" "$(windows_path "$log")" </dev/null >/dev/null 2>&1 &
  pid=$!
  desktop_pids+=("$pid")
  wait_for "$log" "$ready"
  sleep 1.5  # the windows paint after they are shown
  ran_at=$(sed -n 's/^dpi //p' "$log")
  [ "$ran_at" = "$dpi" ] || { echo "screenshot: asked for $dpi DPI, $exe ran at $ran_at" >&2; return 1; }
  if [ "$clip" = clip ]; then shoot "$out/$name" "$exe" "$log"; else shoot "$out/$name" "$exe"; fi
  echo "screenshot: $out/$name.png ($dpi DPI)"
  kill "$pid" 2>/dev/null || true
  "$wineserver" -k >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
}

part_keys() {
  local dpi
  start_desktop 1024x768
  prepare_prefix "$root/build/win64/wineprefix-screenshot"
  for dpi in 96 144; do
    set_dpi "$dpi"
    shoot_program "key_dialog_$dpi" "$dpi" key_dialog_probe.exe shown whole
  done
}

part_settings() {
  local dpi page first placed
  rm -f "$out"/settings_*.png
  start_desktop 1600x1200
  prepare_prefix "$root/build/win64/wineprefix-settings-shots"
  write_install_record "$bin" 'C:\VeltranoData'
  driver() { "$wine" "$bin/settings_driver.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
  # A dialog that another part of the program opens over the settings; it
  # may not be there yet, which is said and is no error.
  other_dialog() {  # name, what it is, what to say when it does not open
    local caption
    if ! caption=$(driver other); then
      echo "screenshot: $3 at $dpi DPI (not built yet)"
      return 0
    fi
    sleep 1
    shoot "$out/settings_${dpi}_$1" veltrano.exe
    echo "screenshot: $out/settings_${dpi}_$1.png: $2 \"$caption\""
    driver cancel-other >/dev/null || true
    sleep 0.5
  }
  for dpi in 96 144; do
    set_dpi "$dpi"
    "$wine" "$bin/Veltrano.exe" -MINIMIZE </dev/null >/dev/null 2>&1 &
    first=$!
    desktop_pids+=("$first")
    sleep 3
    # The second start hands over to the running program, which opens the dialog.
    "$wine" "$bin/Veltrano.exe" </dev/null >/dev/null 2>&1 || true
    placed=$(driver wait) || { echo "screenshot: the settings dialog did not open at $dpi DPI" >&2; return 1; }
    echo "screenshot: $dpi DPI: $placed"
    case "$placed" in
      *"screen DPI $dpi") ;;
      *) echo "screenshot: the display did not take $dpi DPI" >&2; return 1 ;;
    esac
    sleep 1
    for page in 0 1 2; do
      driver tab "$page"
      sleep 1
      shoot "$out/settings_${dpi}_page${page}" veltrano.exe
      echo "screenshot: $out/settings_${dpi}_page${page}.png"
    done
    driver tab 0
    if driver plus >/dev/null; then
      other_dialog keys "key-combination dialog" "the \"+\" of the hot-key field opened no dialog"
    else
      echo "screenshot: the hot-key field has no \"+\" button yet at $dpi DPI"
    fi
    driver click 1000 >/dev/null
    other_dialog profile "profile dialog" "\"New...\" opened no profile dialog"
    "$wine" "$bin/Veltrano.exe" -QUIT </dev/null >/dev/null 2>&1 || true
    for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
  done
}

part_profile() {
  local dpi mode
  start_desktop 1400x900
  prepare_prefix "$root/build/win64/wineprefix-profile-shot"
  for dpi in 96 144; do
    set_dpi "$dpi"
    for mode in dialog pick; do
      shoot_program "profile_${mode}_$dpi" "$dpi" profile_shot.exe ready clip "$mode"
    done
  done
}

part_filedlg() {
  local mode
  start_desktop 1024x768
  prepare_prefix "$root/build/win64/wineprefix-screenshot"
  set_dpi 96
  for mode in save folder link; do
    shoot_program "filedlg_$mode" 96 file_dialog_probe.exe shown whole "$mode"
  done
}

# A dialog program that logs "ready", shot whole at 96 and at 144 DPI as
# <name>_<dpi>.png.
shoot_dialog_at_both_dpis() {
  local name=$1 program=$2 dpi
  start_desktop 1024x768
  prepare_prefix "$root/build/win64/wineprefix-screenshot"
  for dpi in 96 144; do
    set_dpi "$dpi"
    shoot_program "${name}_$dpi" "$dpi" "$program" ready whole
  done
}

part_archive() { shoot_dialog_at_both_dpis archive_dialog archive_shot.exe; }

part_about() { shoot_dialog_at_both_dpis about_dialog about_shot.exe; }

part_update() { shoot_dialog_at_both_dpis update_dialog update_shot.exe; }

part_demo() {
  local mode
  start_desktop 1024x768
  prepare_prefix "$root/build/win64/wineprefix-screenshot"
  set_dpi 96
  for mode in docked overflow menu windowmenu; do
    shoot_program "demo_$mode" 96 veltrano_ui_demo.exe ready whole "$mode"
  done
}

# Each part on a display and a Wine server of its own, ended with its subshell.
for part in "${parts[@]}"; do
  (
    # shellcheck source=scripts/lib/desktop.sh
    . scripts/lib/desktop.sh
    "part_$part"
  )
done
