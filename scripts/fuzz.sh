#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang, ASan + UBSan), replays
# each committed corpus, then fuzzes each target for a bounded time.
# FUZZ_SECONDS sets the time per target (default 20).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${FUZZ_SECONDS:-20}

targets=(
  "zip_reader_fuzz:zip/fuzz/corpus/reader"
  "config_text_lookup_fuzz:framework/store/fuzz/corpus/lookup"
  "tagged_field_fuzz:framework/store/fuzz/corpus/tagged"
  "http_head_fuzz:services/update/fuzz/corpus/head"
  "http_url_fuzz:services/update/fuzz/corpus/url"
  "update_version_fuzz:services/update/fuzz/corpus/version"
)

log_dir=$root/build/logs
mkdir -p "$log_dir"
if ! cmake --preset fuzz >"$log_dir/fuzz-configure.log" 2>&1; then
  tail -n 30 "$log_dir/fuzz-configure.log"
  echo "fuzz: configure failed"
  exit 1
fi
names=()
for t in "${targets[@]}"; do names+=("${t%%:*}"); done
if ! cmake --build --preset fuzz -j 8 --target "${names[@]}" >"$log_dir/fuzz-build.log" 2>&1; then
  grep -m 40 -E 'error' "$log_dir/fuzz-build.log"
  echo "fuzz: build failed"
  exit 1
fi

failed=0
for t in "${targets[@]}"; do
  name=${t%%:*}
  corpus=$root/${t#*:}
  bin=$root/build/fuzz/bin/$name
  # Replay: every committed input must run clean.
  if ! "$bin" -runs=0 "$corpus" >"$log_dir/$name-replay.log" 2>&1; then
    tail -n 30 "$log_dir/$name-replay.log"
    echo "$name: corpus replay FAILED"
    failed=$((failed + 1))
    continue
  fi
  # New inputs go to a scratch folder; the committed corpus stays as it is.
  work=$(mktemp -d)
  if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$log_dir/$name-" "$work" "$corpus" >"$log_dir/$name-run.log" 2>&1; then
    echo "$name: ok ($(grep -E '^stat::number_of_executed_units' "$log_dir/$name-run.log" | awk '{print $2}') runs in ${seconds}s)"
  else
    tail -n 40 "$log_dir/$name-run.log"
    echo "$name: FAILED (artifacts in $log_dir)"
    failed=$((failed + 1))
  fi
  rm -rf "$work"
done
[ "$failed" -eq 0 ]
