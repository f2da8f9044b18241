#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEEDS WORK SECONDS: runs a fuzz target for SECONDS over
# a fresh copy of its seed corpus in WORK, so the kept seeds are never
# written. Any crash, leak, timeout or undefined behaviour fails the run and
# leaves its input in WORK/artifacts.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/"
exec "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus"
