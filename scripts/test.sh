#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free code natively under
# ASan/UBSan, the whole system for x86_64 under wine64, and the shipped i686
# deliverables with their static checks.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh || exit 1

passed=0
failed=0
log_dir=$root/build/logs
mkdir -p "$log_dir"

count_ctest() {
  # "100% tests passed, 0 tests failed out of 12"
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ] && grep -q 'No tests were found' "$1"; then
    return
  fi
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_preset() {
  local preset=$1
  echo "== $preset =="
  if ! cmake --preset "$preset" >"$log_dir/$preset-configure.log" 2>&1; then
    tail -n 40 "$log_dir/$preset-configure.log"
    echo "$preset: configure failed"
    failed=$((failed + 1))
    return 1
  fi
  if ! cmake --build --preset "$preset" -j "$(nproc)" >"$log_dir/$preset-build.log" 2>&1; then
    grep -E 'error|Error|warning' "$log_dir/$preset-build.log" | head -n 60
    echo "$preset: build failed"
    failed=$((failed + 1))
    return 1
  fi
  ctest --preset "$preset" 2>&1 | tee "$log_dir/$preset-ctest.log" | grep -vE '^\s+Start ' 
  count_ctest "$log_dir/$preset-ctest.log"
}

run_preset native

# The readers of untrusted input under libFuzzer: every committed corpus input is
# replayed, then each target runs for a bounded time.
echo "== fuzz =="
if scripts/fuzz.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
run_preset win64
run_preset win32

# The 32-bit and 64-bit hook libraries must export the same procedures.
echo "== hook library exports =="
if scripts/check-exports.sh build/win32/bin/Veltrano.dll build/win64/bin/Veltrano64.dll; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

# Stop the persistent wine servers of the test prefixes.
for prefix in build/win64/wineprefix; do
  [ -d "$prefix" ] && WINEPREFIX=$root/$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
done

echo
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
