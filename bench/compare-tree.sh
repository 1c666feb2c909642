#!/usr/bin/env bash
# kelmarin-exif -r over a folder tree of 20,000 camera JPEGs against Exiv2 listing the same files
# the way scripts do it today (find ... | xargs exiv2 -pa), side by side in one hyperfine run, and
# kelmarin-exif --summary -r over the same tree (the folder columns' work from the command line).
#
# Usage: bench/compare-tree.sh [CORPUS_DIR]
#   CORPUS_DIR  folder of real camera JPEGs (default /work/shared/corpus/jpg); its JPEG files (with
#               those of its exif-org and gps folders) are hard-linked, cycled, into a temporary
#               tree of 100 folders (copied when the tree lies on another file system); the tree is
#               removed at the end. Nothing of it is kept in the source tree.
# Environment: BUILD_DIR (default build/release), COUNT (files, default 20000), RUNS (hyperfine runs
#              of each command, default 2), SKIP_BUILD=1 to use an existing build.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${1:-/work/shared/corpus/jpg}
count=${COUNT:-20000}
runs=${RUNS:-2}

source bench/lister-setup.sh tree

mapfile -t sources < <(find "$corpus" "$corpus/exif-org" "$corpus/gps" -maxdepth 1 -type f -iname '*.jpg' | sort)
[[ ${#sources[@]} -gt 0 ]] || { echo "no JPEG files in $corpus" >&2; exit 1; }
# One process makes the links: a fork per file would take longer than the measurement.
python3 - "$work/tree" "$count" "${sources[@]}" <<'PY'
import os, shutil, sys
tree, count, sources = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
for i in range(count):
    folder = os.path.join(tree, "d%02d" % (i % 100))
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "img%05d.jpg" % i)
    try:
        os.link(sources[i % len(sources)], target)
    except OSError:
        shutil.copyfile(sources[i % len(sources)], target)
PY
tree="$work/tree"
echo "tree: $count files ($(find "$tree" -type f | wc -l) found) in 100 folders of $tree, from ${#sources[@]} files of $corpus"
echo "kelmarin-exif: $lister"
echo "peer: $(exiv2 --version 2>/dev/null | head -1)"
echo "cores: $(nproc), load: $(cut -d' ' -f1-3 /proc/loadavg)"

# Both read the files once untimed first, so that both find them in the page cache.
hyperfine --runs "$runs" --warmup 1 --ignore-failure --export-csv "$work/times.csv" \
  -n "kelmarin-exif -r" "'$lister' -r '$tree' >/dev/null" \
  -n "find | xargs exiv2 -pa" "find '$tree' -type f -iname '*.jpg' -print0 | xargs -0 exiv2 -pa >/dev/null 2>&1" \
  -n "kelmarin-exif --summary -r" "'$lister' --summary -r '$tree' >/dev/null"
awk -F, 'NR == 2 { k = $2; kc = $5 + $6 } NR == 3 { e = $2; ec = $5 + $6 } NR == 4 { s = $2; sc = $5 + $6 }
         END { printf "mean wall time: kelmarin-exif -r %.2f s, exiv2 %.2f s: %.1fx faster\n", k, e, e / k;
               printf "processor time: kelmarin-exif -r %.2f s, exiv2 %.2f s: %.1fx less\n", kc, ec, ec / kc;
               printf "kelmarin-exif --summary -r: %.2f s wall, %.2f s processor\n", s, sc }' \
  "$work/times.csv"
