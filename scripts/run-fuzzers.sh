#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each.
# Usage: scripts/run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
# Seeds come from fuzz/<area>/corpus/<target>/ when present; findings are left as crash-* files.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
secs=${2:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz-work"
status=0
while read -r name; do
  [[ -n "$name" ]] || continue
  if [[ " ${FUZZ_SKIP:-} " == *" $name "* ]]; then echo "== skipping $name (FUZZ_SKIP)"; continue; fi
  bin=$(find "$build/fuzz" -type f -name "$name" -perm -u+x | head -n 1)
  if [[ -z "$bin" ]]; then
    echo "fuzz target $name not built" >&2; status=1; continue
  fi
  mkdir -p "$work/$name"
  seeds=()
  while IFS= read -r d; do seeds+=("$d"); done < <(find "$top/fuzz" -type d -path "*/corpus/$name" 2>/dev/null)
  dict=$(find "$top/fuzz" -type f -name "$name.dict" | head -n 1)
  extra=()
  [[ -n "$dict" ]] && extra+=("-dict=$dict")
  echo "== fuzzing $name for ${secs}s"
  if ! (cd "$work" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$bin" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${extra[@]}" \
        "$work/$name" "${seeds[@]}" 2>&1 | tail -n 25); then
    echo "fuzz target $name FAILED" >&2; status=1
  fi
  # tail hides the fuzzer's exit status; a finding leaves an artefact behind.
  if compgen -G "$work/crash-*" >/dev/null || compgen -G "$work/leak-*" >/dev/null || \
     compgen -G "$work/timeout-*" >/dev/null || compgen -G "$work/oom-*" >/dev/null; then
    echo "fuzz target $name found a fault:" >&2; ls "$work" | grep -E '^(crash|leak|timeout|oom)-' >&2; status=1
  fi
done < "$build/fuzzers.txt"
exit $status
