# shellcheck shell=bash
# Chooses Wine's loader for a Windows program by its word size: sourced, not
# run. use_wine_for EXE sets $wine and $wineserver; for a 32-bit program it
# also exports WINEARCH=win32, so that a prefix made for it is a 32-bit
# Windows (no 64-bit processes). It fails, saying why, where the program
# cannot run here: a 32-bit one on a machine that runs no 32-bit code or
# without Debian's wine32:i386.

# The machine field of a PE file's header: 14c i386, 8664 x86_64.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

# Whether this machine runs 32-bit x86 code: the 32-bit loader starts. Its
# reason on stdout when not.
wine32_usable() {
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "32-bit Wine (Debian's wine32:i386) is not installed; scripts/setup.sh installs it"
    return 1
  fi
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "this machine does not run 32-bit x86 code: /usr/lib/wine/wine (an i386 program) cannot start (the kernel refuses 32-bit programs: IA-32 emulation is off)"
    return 1
  fi
}

use_wine_for() {
  wineserver=/usr/lib/wine/wineserver
  case $(pe_machine "$1") in
    14c)
      local why
      if ! why=$(wine32_usable); then
        echo "wine: $(basename "$1") is a 32-bit program, and $why" >&2
        return 1
      fi
      wine=/usr/lib/wine/wine
      export WINEARCH=win32
      ;;
    8664) wine=/usr/lib/wine/wine64 ;;
    *)
      echo "wine: $1 is no Windows program of a known word size" >&2
      return 1
      ;;
  esac
}
