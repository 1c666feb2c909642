#!/usr/bin/env bash
# Prints how many code lines tests/ holds for each code line of src/, tools/, bench/, fuzz/ and
# scripts/, as cloc counts them (blank and comment lines excluded). Usage: scripts/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."
code_lines() { cloc --quiet --csv "$@" | awk -F, '$2 == "SUM" { print $5 }'; }
tests=$(code_lines tests)
other=$(code_lines src tools bench fuzz scripts)
awk -v t="$tests" -v o="$other" 'BEGIN { printf "test ratio: %d test lines / %d code lines = %.2f\n", t, o, t / o }'
