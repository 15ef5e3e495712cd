#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix (or in
# WINEPREFIX when set): a 64-bit one under wine64, a 32-bit one under 32-bit
# Wine in a 32-bit prefix (a 32-bit Windows, as the i686 build's prefixes are
# its own). The prefix uses Wine's null display driver, so tests need no X
# server. With VELTRANO_WINE_NEW_SERVER=1 the prefix's server
# and every program still running under it are stopped first: the program
# starts on a desktop that no earlier program has touched.
# Used as CMAKE_CROSSCOMPILING_EMULATOR and by the test scripts.
set -eu
exe=$1; shift
build_dir=${VELTRANO_WINE_BUILD_DIR:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
unset DISPLAY
. "$(dirname "$0")/../scripts/lib/wine_loader.sh"
use_wine_for "$exe" || exit 1

prepare_prefix() {
  [ -f "$WINEPREFIX/.veltrano-ready-2" ] && return 0
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&- || true
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 9>&-
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
  # A crashing test must end at once with a failure: Wine's own crash
  # debugger waits, until the test's time-out, for a display that the null
  # driver never gives it. A debugger that cannot be started ends the crashed
  # program straight away.
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d 'no-crash-debugger %ld %ld' /f >/dev/null 2>&1 9>&-
  "$wineserver" -w >/dev/null 2>&1 9>&- || true
  touch "$WINEPREFIX/.veltrano-ready-2"
}

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  prepare_prefix
  if [ "${VELTRANO_WINE_NEW_SERVER:-0}" = 1 ]; then
    "$wineserver" -k >/dev/null 2>&1 </dev/null 9>&- || true
  fi
  # A persistent server makes each test process start in ~0.1 s. The server
  # and the service processes that the first program starts must not inherit
  # the caller's pipes, or CTest waits for them for ever: start both here with
  # their output sent elsewhere.
  if "$wineserver" -p >/dev/null 2>&1 </dev/null 9>&-; then
    "$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

# A program that Wine could not start ends without a word under WINEDEBUG=-all:
# the status at least is reported.
status=0
"$wine" "$exe" "$@" || status=$?
[ "$status" -eq 0 ] || echo "wine-run: $(basename "$exe") ended with status $status" >&2
exit "$status"
