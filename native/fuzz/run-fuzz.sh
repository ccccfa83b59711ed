#!/usr/bin/env bash
# run-fuzz.sh TARGET CORPUS SECONDS SEED_DIR...: runs one fuzz target for
# SECONDS on a scratch corpus started from the seed folders, and prints the
# run's executions and coverage.
set -euo pipefail
target=$1 corpus=$2 seconds=$3
shift 3
mkdir -p "$corpus"
"$target" -max_total_time="$seconds" -max_len=8192 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" "$@" 2>&1 | grep -E '^(#|stat::|==|SUMMARY|invariant|INFO: seed)' | tail -20
exit "${PIPESTATUS[0]}"
