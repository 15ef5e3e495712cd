#!/usr/bin/env bash
# Compares the export tables of the 32-bit and the 64-bit hook library. The
# 32-bit hook procedures carry their standard-call decoration (_Name@bytes);
# with it removed, both libraries must export the same names. (Each build's
# exact set is a CTest test of that build: hooklib_exports.)
# objdump's tables are written to files and read from there.
set -euo pipefail
dll32=$1
dll64=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# exports OBJDUMP DLL OUT: the exported names, one a line, sorted.
exports() {
  "$1" -p "$2" >"$3.table"
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' "$3.table" >"$3.section"
  sed -nE 's/^\s*\[\s*[0-9]+\]\s+(\S+)$/\1/p' "$3.section" | sort >"$3"
}

exports i686-w64-mingw32-objdump "$dll32" "$work/32"
exports x86_64-w64-mingw32-objdump "$dll64" "$work/64"
sed -E 's/^_([A-Za-z]+)@[0-9]+$/\1/' "$work/32" | sort >"$work/32-undecorated"

if [ ! -s "$work/64" ]; then
  echo "check-exports: no exports found in $dll64"
  exit 1
fi
if ! diff "$work/32-undecorated" "$work/64" >"$work/diff"; then
  echo "check-exports: the 32-bit and 64-bit hook libraries export different procedures:"
  cat "$work/diff"
  exit 1
fi
echo "check-exports: $(wc -l <"$work/64") exports match"
