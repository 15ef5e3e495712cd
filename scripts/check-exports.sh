#!/usr/bin/env bash
# Compares the export tables of the 32-bit and the 64-bit hook library.
# The 32-bit hook procedures carry their standard-call decoration
# (_Name@bytes); with it removed, both libraries must export the same names,
# and the 32-bit one exactly the expected decorated set.
set -euo pipefail
dll32=$1
dll64=$2

exports() {
  "$1" -p "$2" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -nE 's/^\s*\[\s*[0-9]+\]\s+(\S+)$/\1/p' | sort
}

expected32=$'GetSharedMemory\nReleaseSharedMemory\n_CallWndProcHookProc@12\n_GetMessageHookProc@12\n_MouseHookProc@12\n_SubclassWndProc@16'
actual32=$(exports i686-w64-mingw32-objdump "$dll32")
actual64=$(exports x86_64-w64-mingw32-objdump "$dll64")

status=0
if [ "$actual32" != "$expected32" ]; then
  echo "check-exports: $dll32 exports differ from the expected set:"
  diff <(echo "$expected32") <(echo "$actual32") || true
  status=1
fi
undecorated32=$(sed -E 's/^_([A-Za-z]+)@[0-9]+$/\1/' <<<"$actual32" | sort)
if [ "$undecorated32" != "$actual64" ]; then
  echo "check-exports: the 32-bit and 64-bit hook libraries export different procedures:"
  diff <(echo "$undecorated32") <(echo "$actual64") || true
  status=1
fi
[ $status -eq 0 ] && echo "check-exports: $(wc -l <<<"$actual64") exports match"
exit $status
