#!/usr/bin/env bash
# kelmarin-exif against the command-line listers of Exiv2 and ExifTool, measured in one run on the
# same files:
#   - 1,000 real camera JPEGs listed by one process of each program, and kelmarin-exif and Exiv2
#     again in alternating rounds (PAIRED of them, default 10), so that both meet the same load;
#   - one file, one process (start-up, for kelmarin-exif including the definition file), median of
#     ONE_RUNS runs (the first run of kelmarin-exif, untimed, leaves the stamp of the definition file);
#   - each RAW, HEIF and AVIF file of RAW_DIR, one process each, and kelmarin-exif's peak memory on it;
#   - peak resident memory of kelmarin-exif over 100 and over 10,000 files (it must stay flat).
#
# Usage: bench/compare-peers.sh [CORPUS_DIR [RAW_DIR]]
#   CORPUS_DIR  folder of real camera JPEGs (default /work/shared/corpus/jpg); its top-level files and
#               those of its exif-org and gps folders are copied, cycled, into a temporary folder
#               that is removed at the end. Nothing of it is kept in the tree.
#   RAW_DIR     folder of camera RAW and HEIF files (default /work/shared/corpus/modern/other), read
#               where they are.
# Environment: BUILD_DIR (default build/release), RUNS (runs of the 1,000-file measurements, default 3),
#              BASELINE (another kelmarin-exif, e.g. an earlier commit's release build: measured on the
#              same 1,000 files in the same run, and the listing judged to stay within 5 % of it),
#              ONE_RUNS (runs of the one-file measurements, default 9), PAIRED (alternating rounds,
#              default 10), SKIP_BUILD=1 to use an existing build.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${1:-/work/shared/corpus/jpg}
raw_dir=${2:-/work/shared/corpus/modern/other}
runs=${RUNS:-3}
one_runs=${ONE_RUNS:-9}
count=1000

source bench/lister-setup.sh peers

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
# The copies are written out before anything is timed: the system writing them back while the first
# program runs would count against that program alone.
sync
one="${files[0]}"
echo "corpus: ${#sources[@]} files from $corpus, cycled to $count copies in $work"
echo "kelmarin-exif: $lister"
echo "peers: $(exiv2 --version 2>/dev/null | head -1), exiftool $(exiftool -ver)"
echo

# "mean median cpu" seconds of a command (hyperfine, CSV export; cpu: mean user + system time);
# $1 runs, $2 warm-up runs, rest the command. On a busy machine the median is the steadier figure
# of the wall times, and the processor time steadier still; all are shown.
timing() {
  local n=$1 warmup=$2
  shift 2
  hyperfine -N --style none --runs "$n" --warmup "$warmup" -i --export-csv "$work/h.csv" "$*" >/dev/null 2>&1
  awk -F, 'NR == 2 { print $2, $4, $5 + $6 }' "$work/h.csv"
}

all="${files[*]}"
read -r k_all k_all_med k_all_cpu < <(timing "$runs" 1 "$lister $all")
read -r e_all e_all_med e_all_cpu < <(timing "$runs" 1 "exiv2 -pa $all")
read -r x_all x_all_med x_all_cpu < <(timing "$runs" 1 "exiftool $all")
if [[ -n "${BASELINE:-}" ]]; then
  "$BASELINE" "$one" >/dev/null
  read -r b_all b_all_med b_all_cpu < <(timing "$runs" 1 "$BASELINE $all")
fi
# The same two side by side in time: rounds of three runs of each, one program after the other, so
# that both meet the same load of a shared machine. Each round gives the ratio of its two medians.
paired=()
for ((r = 0; r < ${PAIRED:-10}; r++)); do
  read -r _ k_round _ < <(timing 3 0 "$lister $all")
  read -r _ e_round _ < <(timing 3 0 "exiv2 -pa $all")
  paired+=("$(awk -v a="$e_round" -v b="$k_round" 'BEGIN { print a / b }')")
done
read -r paired_low paired_median paired_high < <(printf '%s\n' "${paired[@]}" | sort -g | awk '
  { v[NR] = $1 } END { print v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[NR] }')
"$lister" "$one" >/dev/null
read -r k_one k_one_med k_one_cpu < <(timing "$one_runs" 3 "$lister $one")
read -r e_one e_one_med e_one_cpu < <(timing "$one_runs" 3 "exiv2 -pa $one")
read -r x_one x_one_med x_one_cpu < <(timing 10 2 "exiftool $one")

# Peak resident set size in KiB of kelmarin-exif over n files (the list cycled).
peak_rss() {
  local n=$1 args=()
  for ((i = 0; i < n; i++)); do args+=("${files[i % count]}"); done
  /usr/bin/time -v "$lister" "${args[@]}" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}
rss_100=$(peak_rss 100)
rss_10000=$(peak_rss 10000)

ms() { awk -v s="$1" 'BEGIN { printf "%9.2f ms", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%7.1fx", a / b }'; }
per() { awk -v s="$1" -v n="$count" 'BEGIN { print s / n }'; }
row() { # label mean median reference-mean reference-median [per-file]
  printf '%-34s %12s %12s %13s %9s %9s\n' "$1" "$(ms "$2")" "$(ms "$3")" "${6:-}" "$(ratio "$2" "$4")" "$(ratio "$3" "$5")"
}

printf '%-34s %12s %12s %13s %9s %9s\n' "measurement" "mean" "median" "mean per file" "vs mean" "vs median"
row "kelmarin-exif, $count files" "$k_all" "$k_all_med" "$k_all" "$k_all_med" "$(ms "$(per "$k_all")")"
row "exiv2 -pa, $count files" "$e_all" "$e_all_med" "$k_all" "$k_all_med" "$(ms "$(per "$e_all")")"
row "exiftool, $count files" "$x_all" "$x_all_med" "$k_all" "$k_all_med" "$(ms "$(per "$x_all")")"
[[ -n "${BASELINE:-}" ]] &&
  row "baseline, $count files" "$b_all" "$b_all_med" "$k_all" "$k_all_med" "$(ms "$(per "$b_all")")"
row "kelmarin-exif, 1 file (start-up)" "$k_one" "$k_one_med" "$k_one" "$k_one_med"
row "exiv2 -pa, 1 file" "$e_one" "$e_one_med" "$k_one" "$k_one_med"
row "exiftool, 1 file" "$x_one" "$x_one_med" "$k_one" "$k_one_med"
echo
printf 'processor time (user + system): exiv2 -pa / kelmarin-exif %s over %d files, %s for one file\n' \
  "$(ratio "$e_all_cpu" "$k_all_cpu")" "$count" "$(ratio "$e_one_cpu" "$k_one_cpu")"
printf 'exiv2 -pa / kelmarin-exif side by side, %d rounds: median %.1fx (lowest %.1fx, highest %.1fx)\n' \
  "${#paired[@]}" "$paired_median" "$paired_low" "$paired_high"
echo "kelmarin-exif peak resident memory: $rss_100 KiB over 100 files, $rss_10000 KiB over 10000 files"
echo
# Each budget on its own line, judged on the means and on the medians.
verdict() { # label condition-on-means condition-on-medians
  awk -v ok1="$2" -v ok2="$3" -v label="$1" 'BEGIN {
    printf "%-52s %s\n", label, (ok1 && ok2) ? "met" : (ok1 || ok2) ? "met by " (ok1 ? "mean" : "median") " only" : "missed"
  }'
}
ge() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { print (a / b >= f) ? 1 : 0 }'; }
verdict "exiv2 -pa / kelmarin-exif >= 12 over $count files" "$(ge "$e_all" "$k_all" 12)" "$(ge "$e_all_med" "$k_all_med" 12)"
verdict "exiv2 -pa / kelmarin-exif >= 12, rounds side by side" "$(ge "$paired_median" 1 12)" "$(ge "$paired_median" 1 12)"
verdict "exiftool / kelmarin-exif >= 50 over $count files" "$(ge "$x_all" "$k_all" 50)" "$(ge "$x_all_med" "$k_all_med" 50)"
verdict "one file: kelmarin-exif not slower than exiv2 -pa" "$(ge "$e_one" "$k_one" 1)" "$(ge "$e_one_med" "$k_one_med" 1)"
if [[ -n "${BASELINE:-}" ]]; then
  le() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { print (a <= b * f) ? 1 : 0 }'; }
  printf 'processor time over %d files: kelmarin-exif %s, baseline %s\n' "$count" "$(ms "$k_all_cpu")" "$(ms "$b_all_cpu")"
  verdict "kelmarin-exif within 5 % of the baseline over $count files" "$(le "$k_all" "$b_all" 1.05)" \
    "$(le "$k_all_med" "$b_all_med" 1.05)"
fi
flat=$(awk -v a="$rss_100" -v b="$rss_10000" 'BEGIN { print (b <= a * 1.25 + 2048) ? 1 : 0 }')
verdict "memory over 10000 files close to 100 files" "$flat" "$flat"

# Each RAW, HEIF and AVIF file on its own: one process of each program, median of ONE_RUNS runs, and
# kelmarin-exif's peak memory on the file (it must not grow with the file's size).
mapfile -t raws < <(find "$raw_dir" -maxdepth 1 -type f -regextype posix-extended \
  -iregex '.*\.(cr2|cr3|crw|nef|nrw|dng|arw|sr2|srf|orf|rw2|raf|pef|heic|heif|hif|avif)' | sort)
if [[ ${#raws[@]} -gt 0 ]]; then
  echo
  printf '%-52s %10s %10s %9s %9s %10s %9s\n' "RAW/HEIF file" "kelmarin" "exiv2 -pa" "ratio" "cpu ratio" \
    "peak KiB" "size KiB"
  worst=""
  for raw in "${raws[@]}"; do
    read -r _ k_med k_cpu < <(timing "$one_runs" 2 "$lister $raw")
    read -r _ e_med e_cpu < <(timing "$one_runs" 2 "exiv2 -pa $raw")
    # A damaged file ends the lister with status 1: its peak memory counts all the same.
    rss=$({ /usr/bin/time -v "$lister" "$raw" 2>&1 >/dev/null || true; } |
      awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')
    printf '%-52s %10s %10s %9s %9s %10s %9s\n' "$(basename "$raw" | cut -c1-52)" "$(ms "$k_med")" "$(ms "$e_med")" \
      "$(ratio "$e_med" "$k_med")" "$(ratio "$e_cpu" "$k_cpu")" "$rss" "$(( $(stat -c %s "$raw") / 1024 ))"
    worst=$(awk -v w="$worst" -v r="$(awk -v a="$e_med" -v b="$k_med" 'BEGIN { print a / b }')" \
      'BEGIN { print (w == "" || r < w) ? r : w }')
  done
  echo
  verdict "every RAW/HEIF file: exiv2 -pa / kelmarin-exif >= 3 (worst $(printf '%.1f' "$worst"))" \
    "$(awk -v w="$worst" 'BEGIN { print (w >= 3) ? 1 : 0 }')" "$(awk -v w="$worst" 'BEGIN { print (w >= 3) ? 1 : 0 }')"
fi
