#!/usr/bin/env bash
# Decoding speed of Kelmarin's load against libjpeg-turbo's djpeg on the same 24-megapixel JPEG, in
# one run, and the preview and memory figures beside it.
# Usage: bench/image/compare-djpeg.sh [BUILD_DIR]   (default build/release; configure with the
# release preset and build the targets image_bench and image_peak_memory first)
set -euo pipefail

build=${1:-build/release}
bench="$build/bench/image/image_bench"
peak="$build/bench/image/image_peak_memory"
file=/tmp/kelmarin-bench-24mp.jpg
for program in "$bench" "$peak"; do
  [[ -x "$program" ]] || { echo "missing $program (build the release preset first)" >&2; exit 1; }
done
command -v djpeg >/dev/null || { echo "djpeg missing (package libjpeg-turbo-progs)" >&2; exit 1; }

# The benchmark writes the test file on its first run.
json=$(mktemp)
"$bench" --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
load_ms=$(python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print([b['real_time'] for b in d['benchmarks'] if b['name'].startswith('BM_Load')][0])" "$json")
show_ms=$(python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print([b['real_time'] for b in d['benchmarks'] if b['name'].startswith('BM_Show')][0])" "$json")
rm -f "$json"

if command -v hyperfine >/dev/null; then
  hjson=$(mktemp)
  hyperfine --warmup 2 --runs 15 --export-json "$hjson" "djpeg -outfile /dev/null $file" >/dev/null
  djpeg_ms=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['mean']*1000)" "$hjson")
  rm -f "$hjson"
else
  runs=15 total=0
  djpeg -outfile /dev/null "$file"
  for _ in $(seq $runs); do
    start=$(date +%s%N); djpeg -outfile /dev/null "$file"; end=$(date +%s%N)
    total=$((total + end - start))
  done
  djpeg_ms=$(python3 -c "print($total / $runs / 1e6)")
fi

python3 - "$load_ms" "$djpeg_ms" "$show_ms" <<'PY'
import sys
load, djpeg, show = map(float, sys.argv[1:])
print(f"load (ZetImage::load)          {load:8.1f} ms")
print(f"djpeg -outfile /dev/null       {djpeg:8.1f} ms   (djpeg includes process start)")
print(f"ratio load / djpeg             {load / djpeg:8.3f}   budget <= 1.15")
print(f"show into 120 x 120            {show:8.2f} ms")
print(f"ratio show / load              {show / load:8.3f}   budget <= 0.10")
PY
"$peak" "$file"
echo "budget: growth <= 1.10 x buffer"
