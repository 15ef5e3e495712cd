#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free code natively under
# ASan/UBSan, the whole system for x86_64 under wine64, and the shipped i686
# build under 32-bit Wine with its static checks, beside the x86_64 host in a
# 64-bit prefix.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh || exit 1

passed=0
failed=0
log_dir=$root/build/logs
mkdir -p "$log_dir"

# Reads a preset's CTest log. A run counts only when CTest ended well and its
# summary says every test passed: no tests at all is a failure, and so is a
# skipped test (CTest counts it as passed, but it tested nothing).
count_ctest() {
  local preset=$1 log=$2 status=$3 line total bad skipped disabled
  if grep -q 'No tests were found' "$log"; then
    echo "$preset: FAILED: CTest found no tests"
    failed=$((failed + 1))
    return
  fi
  # "100% tests passed, 0 tests failed out of 12"
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "$preset: FAILED: CTest printed no summary (status $status)"
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  # "12/40 Test #7: name ....***Skipped" is counted as passed by CTest;
  # "***Not Run (Disabled)" is not counted at all.
  grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*\*\*\*(Skipped|Not Run \(Disabled\))' "$log" >"$log.skipped"
  skipped=$(grep -c '\*\*\*Skipped' "$log.skipped")
  disabled=$(grep -c 'Disabled' "$log.skipped")
  if [ "$((skipped + disabled))" -gt 0 ]; then
    echo "$preset: FAILED: $((skipped + disabled)) tests did not run (a skip is a failure here):"
    sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .*\*\*\*/  \1: /' "$log.skipped"
  elif [ "$bad" -eq 0 ] && grep -qE '\[  SKIPPED \]|did not run' "$log"; then
    echo "$preset: FAILED: the log reports a skipped test"
    disabled=1
  fi
  passed=$((passed + total - bad - skipped))
  failed=$((failed + bad + skipped + disabled))
  if [ "$((bad + skipped + disabled))" -eq 0 ] && [ "$status" -ne 0 ]; then
    echo "$preset: FAILED: CTest ended with status $status"
    failed=$((failed + 1))
  fi
}

# run_preset NAME [CTEST-ARGUMENTS...]
run_preset() {
  local preset=$1 status
  shift
  echo "== $preset =="
  if ! cmake --preset "$preset" >"$log_dir/$preset-configure.log" 2>&1; then
    tail -n 40 "$log_dir/$preset-configure.log"
    echo "$preset: configure failed"
    failed=$((failed + 1))
    return 1
  fi
  if ! cmake --build --preset "$preset" -j "$(nproc)" >"$log_dir/$preset-build.log" 2>&1; then
    grep -m 60 -E 'error|Error|warning' "$log_dir/$preset-build.log"
    echo "$preset: build failed"
    failed=$((failed + 1))
    return 1
  fi
  # The log is written in full first and read afterwards: no reader in a
  # pipe can end the run early.
  ctest --preset "$preset" "$@" >"$log_dir/$preset-ctest.log" 2>&1
  status=$?
  grep -vE '^\s+Start ' "$log_dir/$preset-ctest.log"
  count_ctest "$preset" "$log_dir/$preset-ctest.log" "$status"
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
# The shipped 32-bit programs run under 32-bit Wine. Where this machine runs
# no 32-bit code, only the static checks can run: the test programs are
# still built (a compile error fails), and those not run are counted apart
# and named with the reason, never as passed.
not_run=0
. scripts/lib/wine_loader.sh
if why32=$(wine32_usable); then
  run_preset win32
else
  echo "win32: $why32"
  run_preset win32 -LE wine
  listed=$(ctest --preset win32 -N -L wine 2>/dev/null || true)
  not_run=$(sed -nE 's/^Total Tests: ([0-9]+)$/\1/p' <<<"$listed")
  not_run=${not_run:-0}
  echo "win32: NOT RUN: $not_run tests of the 32-bit build, which need 32-bit Wine:"
  sed -nE 's/^ *Test +#[0-9]+: (.*)$/  \1/p' <<<"$listed"
fi

# The 32-bit and 64-bit hook libraries must export the same procedures.
echo "== hook library exports =="
if scripts/check-exports.sh build/win32/bin/Veltrano.dll build/win64/bin/Veltrano64.dll; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

# Stop the persistent wine servers of the test prefixes.
for prefix in build/win64/wineprefix build/win64/wineprefix-* build/win32/wineprefix build/win32/wineprefix-*; do
  [ -d "$prefix" ] && WINEPREFIX=$root/$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
done

echo
if [ "${not_run:-0}" -gt 0 ]; then
  echo "Not run: the win32 preset's ${not_run} tests that run its programs ($why32)"
  echo "Total: $passed passed, $failed failed, $not_run skipped"
else
  echo "Total: $passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
