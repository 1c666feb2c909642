#!/usr/bin/env bash
# Decoding speed of Kelmarin's load against libjpeg-turbo's djpeg on the same 24-megapixel JPEG, in
# one run, and the preview and memory figures beside it.
# The first decode of a process is compared as well: `kelmarin-exif --info` (process start, the image
# module, fresh pixel memory, the decode) against `djpeg -outfile /dev/null`, run in turns.
# Usage: bench/image/compare-djpeg.sh [BUILD_DIR]   (default build/release; configure with the
# release preset and build the targets image_bench, image_peak_memory and kelmarin-exif first)
set -euo pipefail

build=${1:-build/release}
bench="$build/bench/image/image_bench"
peak="$build/bench/image/image_peak_memory"
lister="$build/src/app/kelmarin-exif"
file=/tmp/kelmarin-bench-24mp.jpg
for program in "$bench" "$peak" "$lister"; do
  [[ -x "$program" ]] || { echo "missing $program (build the release preset first)" >&2; exit 1; }
done
command -v djpeg >/dev/null || { echo "djpeg missing (package libjpeg-turbo-progs)" >&2; exit 1; }

# The benchmark writes the test file on its first run.
json=$(mktemp)
# Medians of five repetitions: the figures of a shared machine scatter.
# The repetitions of the benchmarks are interleaved, so that load and its in-process reference see
# the same machine.
"$bench" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json \
  --benchmark_out="$json" --benchmark_out_format=json >/dev/null
value() {
  python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print([b['real_time'] for b in d['benchmarks'] if b['name'].startswith(sys.argv[2] + '/') and b.get('aggregate_name') == 'median'][0])" "$json" "$1"
}
load_ms=$(value BM_Load24MegapixelJpeg)
fresh_ms=$(value BM_Load24MegapixelJpegFreshMemory)
work_ms=$(value BM_DjpegWork24MegapixelJpeg)
show_ms=$(value BM_Show24MegapixelInto120Box)
rm -f "$json"

if command -v hyperfine >/dev/null; then
  hjson=$(mktemp)
  hyperfine --warmup 2 --runs 15 --export-json "$hjson" "djpeg -outfile /dev/null $file" >/dev/null
  djpeg_ms=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['median']*1000)" "$hjson")
  rm -f "$hjson"
else
  djpeg -outfile /dev/null "$file"
  times=()
  for _ in $(seq 15); do
    start=$(date +%s%N); djpeg -outfile /dev/null "$file"; end=$(date +%s%N)
    times+=($((end - start)))
  done
  djpeg_ms=$(python3 -c "import statistics,sys; print(statistics.median(map(int, sys.argv[1:])) / 1e6)" "${times[@]}")
fi

python3 - "$load_ms" "$djpeg_ms" "$show_ms" "$fresh_ms" "$work_ms" <<'PY'
import sys
load, djpeg, show, fresh, work = map(float, sys.argv[1:])
print(f"load (ZetImage::load)          {load:8.1f} ms")
print(f"load, fresh pixel memory       {fresh:8.1f} ms   (first image of a session)")
print(f"djpeg -outfile /dev/null       {djpeg:8.1f} ms   (median; djpeg includes process start)")
print(f"ratio load / djpeg             {load / djpeg:8.3f}   budget <= 1.15")
print(f"ratio fresh load / djpeg       {fresh / djpeg:8.3f}")
print(f"djpeg's work in process        {work:8.1f} ms   (libjpeg, same defaults, interleaved with load)")
print(f"ratio load / djpeg's work      {load / work:8.3f}   budget <= 1.15")
print(f"ratio fresh load / its work    {fresh / work:8.3f}")
print(f"show into 120 x 120            {show:8.2f} ms")
print(f"ratio show / load              {show / load:8.3f}   budget <= 0.10")
PY
"$peak" "$file"
echo "budget: growth <= 1.10 x buffer"

# Whole processes, in turns, 21 runs each: medians of the wall time and of the CPU time (user +
# system; on a busy machine the steadier of the two).
python3 - "$lister" "$file" <<'PY'
import os, statistics, subprocess, sys, time
lister, path = sys.argv[1:]
commands = {"kelmarin-exif --info": [lister, "--info", path], "djpeg": ["djpeg", "-outfile", "/dev/null", path]}
wall = {name: [] for name in commands}
cpu = {name: [] for name in commands}
for run in range(23):
    for name, argv in commands.items():
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        if status != 0:
            sys.exit(f"{name} failed")
        if run >= 2:  # two runs to warm the file cache
            wall[name].append((time.perf_counter() - start) * 1000)
            cpu[name].append((usage.ru_utime + usage.ru_stime) * 1000)
for name in commands:
    print(f"{name:22s} wall {statistics.median(wall[name]):8.1f} ms   cpu {statistics.median(cpu[name]):8.1f} ms")
k, d = "kelmarin-exif --info", "djpeg"
print(f"ratio first decode / djpeg   wall {statistics.median(wall[k]) / statistics.median(wall[d]):6.3f}"
      f"   cpu {statistics.median(cpu[k]) / statistics.median(cpu[d]):6.3f}   goal <= 1.05")
PY
