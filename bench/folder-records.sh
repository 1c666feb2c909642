#!/usr/bin/env bash
# The records of one folder of 20,000 camera JPEGs (the file list's columns), filled on two threads
# cold and from the record cache, and the memory they take (folder_records_bench).
#
# Usage: bench/folder-records.sh [CORPUS_DIR]
#   CORPUS_DIR  folder of real camera JPEGs (default /work/shared/corpus/jpg); its JPEG files (with
#               those of its exif-org and gps folders) are hard-linked, cycled, into one temporary
#               folder (copied when it lies on another file system), removed at the end.
# Environment: BUILD_DIR (default build/release), COUNT (files, default 20000), SKIP_BUILD=1 to use
#              an existing build.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${1:-/work/shared/corpus/jpg}
count=${COUNT:-20000}
build_dir=${BUILD_DIR:-build/release}
if [[ "${SKIP_BUILD:-0}" != 1 ]]; then
  cmake --preset release -B "$build_dir" >/dev/null
  cmake --build "$build_dir" --target folder_records_bench
fi
bench="$build_dir/bench/browser/folder_records_bench"
[[ -x "$bench" ]] || { echo "folder_records_bench not built: $bench" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kelmarin-folder.XXXXXX")
trap 'rm -rf "$work"' EXIT
mapfile -t sources < <(find "$corpus" "$corpus/exif-org" "$corpus/gps" -maxdepth 1 -type f -iname '*.jpg' | sort)
[[ ${#sources[@]} -gt 0 ]] || { echo "no JPEG files in $corpus" >&2; exit 1; }
python3 - "$work/folder" "$count" "${sources[@]}" <<'PY'
import os, shutil, sys
folder, count, sources = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
os.makedirs(folder, exist_ok=True)
for i in range(count):
    target = os.path.join(folder, "img%05d.jpg" % i)
    source = sources[i % len(sources)]
    try:
        os.link(source, target)
    except OSError:
        shutil.copyfile(source, target)
PY
echo "folder: $count files from ${#sources[@]} JPEGs of $corpus"
# The page cache warm: every file read once before the measurement.
cat "$work/folder"/* >/dev/null
KELMARIN_FOLDER_BENCH="$work/folder" "$bench" --benchmark_counters_tabular=true
