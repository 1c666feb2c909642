#!/usr/bin/env bash
# kelmarin-exif against the command-line listers of Exiv2 and ExifTool, measured in one run on the
# same files:
#   - 1,000 real camera JPEGs listed by one process of each program;
#   - one file, one process (start-up, for kelmarin-exif including the definition file);
#   - peak resident memory of kelmarin-exif over 100 and over 10,000 files (it must stay flat).
#
# Usage: bench/compare-peers.sh [CORPUS_DIR]
#   CORPUS_DIR  folder of real camera JPEGs (default /work/shared/corpus/jpg); its top-level files and
#               those of its exif-org and gps folders are copied, cycled, into a temporary folder
#               that is removed at the end. Nothing of it is kept in the tree.
# Environment: BUILD_DIR (default build/release), RUNS (runs of the 1,000-file measurements, default 3),
#              SKIP_BUILD=1 to use an existing build.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${1:-/work/shared/corpus/jpg}
build_dir=${BUILD_DIR:-build/release}
runs=${RUNS:-3}
count=1000

scripts/install-deps.sh --peers
if [[ "${SKIP_BUILD:-0}" != 1 ]]; then
  cmake --preset release -B "$build_dir" >/dev/null
  cmake --build "$build_dir" --target kelmarin-exif
fi
lister="$build_dir/src/app/kelmarin-exif"
[[ -x "$lister" ]] || { echo "kelmarin-exif not built: $lister" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kelmarin-peers.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The corpus, cycled to $count files with names free of spaces.
mapfile -t sources < <(find "$corpus" "$corpus/exif-org" "$corpus/gps" -maxdepth 1 -type f -iname '*.jpg' | sort)
[[ ${#sources[@]} -gt 0 ]] || { echo "no JPEG files in $corpus" >&2; exit 1; }
mkdir "$work/jpg"
files=()
for ((i = 0; i < count; i++)); do
  target=$(printf '%s/jpg/img%04d.jpg' "$work" "$i")
  cp "${sources[i % ${#sources[@]}]}" "$target"
  files+=("$target")
done
printf '%s\n' "${files[@]}" >"$work/list"
one="${files[0]}"
echo "corpus: ${#sources[@]} files from $corpus, cycled to $count copies in $work"
echo "kelmarin-exif: $lister"
echo "peers: $(exiv2 --version 2>/dev/null | head -1), exiftool $(exiftool -ver)"
echo

# mean seconds of a command (hyperfine, CSV export); $1 runs, $2 warm-up runs, rest the command
mean_seconds() {
  local n=$1 warmup=$2
  shift 2
  hyperfine -N --style none --runs "$n" --warmup "$warmup" -i --export-csv "$work/h.csv" "$*" >/dev/null 2>&1
  awk -F, 'NR == 2 { print $2 }' "$work/h.csv"
}

all="${files[*]}"
k_all=$(mean_seconds "$runs" 1 "$lister $all")
e_all=$(mean_seconds "$runs" 1 "exiv2 -pa $all")
x_all=$(mean_seconds "$runs" 1 "exiftool $all")
k_one=$(mean_seconds 40 5 "$lister $one")
e_one=$(mean_seconds 40 5 "exiv2 -pa $one")
x_one=$(mean_seconds 10 2 "exiftool $one")

# Peak resident set size in KiB of kelmarin-exif over n files (the list cycled).
peak_rss() {
  local n=$1 args=()
  for ((i = 0; i < n; i++)); do args+=("${files[i % count]}"); done
  /usr/bin/time -v "$lister" "${args[@]}" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
rss_100=$(peak_rss 100)
rss_10000=$(peak_rss 10000)

ms() { awk -v s="$1" 'BEGIN { printf "%10.1f ms", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%8.1fx", a / b }'; }

printf '%-34s %13s %13s %10s\n' "measurement" "time" "per file" "vs kelmarin"
printf '%-34s %13s %13s %10s\n' "kelmarin-exif, $count files" "$(ms "$k_all")" "$(ms "$(awk -v s="$k_all" -v n=$count 'BEGIN{print s/n}')")" "1.0x"
printf '%-34s %13s %13s %10s\n' "exiv2 -pa, $count files" "$(ms "$e_all")" "$(ms "$(awk -v s="$e_all" -v n=$count 'BEGIN{print s/n}')")" "$(ratio "$e_all" "$k_all")"
printf '%-34s %13s %13s %10s\n' "exiftool, $count files" "$(ms "$x_all")" "$(ms "$(awk -v s="$x_all" -v n=$count 'BEGIN{print s/n}')")" "$(ratio "$x_all" "$k_all")"
printf '%-34s %13s %13s %10s\n' "kelmarin-exif, 1 file (start-up)" "$(ms "$k_one")" "" "1.0x"
printf '%-34s %13s %13s %10s\n' "exiv2 -pa, 1 file" "$(ms "$e_one")" "" "$(ratio "$e_one" "$k_one")"
printf '%-34s %13s %13s %10s\n' "exiftool, 1 file" "$(ms "$x_one")" "" "$(ratio "$x_one" "$k_one")"
echo
echo "kelmarin-exif peak resident memory: $rss_100 KiB over 100 files, $rss_10000 KiB over 10000 files"
echo
echo "budgets: exiv2/kelmarin >= 5 over $count files, exiftool/kelmarin >= 50, one file not slower than exiv2,"
echo "         memory over 10000 files close to memory over 100 files"
awk -v k="$k_all" -v e="$e_all" -v x="$x_all" -v k1="$k_one" -v e1="$e_one" -v r1="$rss_100" -v r2="$rss_10000" 'BEGIN {
  ok = (e / k >= 5) && (x / k >= 50) && (k1 <= e1) && (r2 <= r1 * 1.25 + 2048)
  print ok ? "all budgets met" : "a budget is missed"
  exit ok ? 0 : 3
}'
