#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS, default 30),
# starting from its seed corpus under fuzz/corpus/<target>. A crash fails the script and leaves the
# crashing input in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

mkdir -p build/fuzz/artifacts
status=0
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/corpus/$name
  echo "== $name: ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/artifacts/"$name"- "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
      >build/fuzz/"$name".log 2>&1; then
    echo "$name failed; see build/fuzz/$name.log"
    tail -40 build/fuzz/"$name".log
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' build/fuzz/"$name".log | tail -2 || true
  fi
done
exit $status
