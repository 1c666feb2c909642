#!/usr/bin/env bash
# kelmarin-exif --summary against its plain listing over the same 1,000 camera JPEGs, side by side in
# one run: the summary is read from the listing, so it may cost at most 10 % more.
#
# Usage: bench/summary-lister.sh [CORPUS_DIR]
#   CORPUS_DIR  folder of real camera JPEGs (default /work/shared/corpus/jpg); its top-level files and
#               those of its exif-org and gps folders are copied, cycled, into a temporary folder
#               that is removed at the end.
# Environment: BUILD_DIR (default build/release), RUNS (default 10), SKIP_BUILD=1 to use an existing
#              build.
set -euo pipefail
cd "$(dirname "$0")/.."

corpus=${1:-/work/shared/corpus/jpg}
runs=${RUNS:-10}
count=1000

source bench/lister-setup.sh summary

mapfile -t sources < <(find "$corpus" "$corpus/exif-org" "$corpus/gps" -maxdepth 1 -type f -iname '*.jpg' | sort)
[[ ${#sources[@]} -gt 0 ]] || { echo "no JPEG files in $corpus" >&2; exit 1; }
mkdir "$work/jpg"
for ((i = 0; i < count; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$(printf '%s/jpg/img%04d.jpg' "$work" "$i")"
done
echo "corpus: ${#sources[@]} files from $corpus, cycled to $count copies; kelmarin-exif: $lister"
"$lister" "$work/jpg/img0000.jpg" >/dev/null  # leaves the definition file's stamp

hyperfine -N --style basic --runs "$runs" --warmup 2 -i --export-csv "$work/h.csv" \
  -n plain "$lister -r $work/jpg" \
  -n summary "$lister --summary -r $work/jpg" \
  -n "summary --json" "$lister --summary --json -r $work/jpg" \
  -n "plain --json" "$lister --json -r $work/jpg"
# command,mean,stddev,median,user,system,...
awk -F, 'NR > 1 { mean[$1] = $2; med[$1] = $4; cpu[$1] = $5 + $6 }
  END {
    printf "summary / plain: mean %.3f, median %.3f, cpu %.3f (budget 1.10)\n",
           mean["summary"] / mean["plain"], med["summary"] / med["plain"], cpu["summary"] / cpu["plain"]
    printf "summary --json / plain --json: mean %.3f, median %.3f, cpu %.3f\n",
           mean["summary --json"] / mean["plain --json"], med["summary --json"] / med["plain --json"],
           cpu["summary --json"] / cpu["plain --json"]
  }' "$work/h.csv"
