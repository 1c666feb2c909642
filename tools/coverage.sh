#!/usr/bin/env bash
# Counts how many metadata items of a folder of images the definition file leaves unnamed.
#
# Runs kelmarin-exif --json over every JPEG and PNG below FOLDER and prints, for the main, thumbnail
# and GPS sections and for each maker number of the makernote section, the number of items, how many
# of them the listing labels "???", and the share that is named; then the unnamed tags with counts.
#
# Usage: tools/coverage.sh [--exif PROGRAM] [--definitions FILE] [--strict] FOLDER
#   --exif         the lister to run (default: $KELMARIN_EXIF, else the newest build/*/src/app/kelmarin-exif)
#   --definitions  definition file handed to the lister (default: data/metadata.def of this tree,
#                  not the copy a build tree keeps beside the lister)
#   --strict       exit with 1 unless main, thumbnail and GPS have no unnamed item and every maker
#                  with a makernote layout has at least 95 % of its items named
# Needs: bash, find, sort, xargs, awk, jq.
set -euo pipefail

usage() { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

exif="${KELMARIN_EXIF:-}"
definitions=""
strict=0
folder=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --exif) [[ $# -ge 2 ]] || usage; exif="$2"; shift 2 ;;
    --definitions) [[ $# -ge 2 ]] || usage; definitions="$2"; shift 2 ;;
    --strict) strict=1; shift ;;
    -h|--help) usage ;;
    -*) echo "Unbekannte Option: $1" >&2; usage ;;
    *) [[ -z "$folder" ]] || usage; folder="$1"; shift ;;
  esac
done
[[ -n "$folder" ]] || usage
[[ -d "$folder" ]] || { echo "Kein Ordner: $folder" >&2; exit 2; }
command -v jq >/dev/null || { echo "jq fehlt (Debian-Paket jq)" >&2; exit 2; }

root="$(cd "$(dirname "$0")/.." && pwd)"
if [[ -z "$exif" ]]; then
  exif="$(ls -t "$root"/build/*/src/app/kelmarin-exif 2>/dev/null | head -n 1 || true)"
fi
[[ -n "$exif" && -x "$exif" ]] || { echo "kelmarin-exif nicht gefunden (--exif PROGRAMM)" >&2; exit 2; }

# Maker numbers that have a makernote layout; the others (10) cannot be named by any definition.
layouts='[2,3,4,5,6,8,14,15,16,17,18,19,21,25,26,27,28,29,30,31,32,33,34,35,36,37,38]'

[[ -n "$definitions" ]] || definitions="$root/data/metadata.def"
args=(--json --definitions "$definitions")

# One JSON array per lister run (xargs may split the file list); a file the lister cannot read only
# costs its own rows, so the lister's exit status 1 is not fatal here.
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
set +e
find "$folder" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.jpe' -o -iname '*.png' \) -print0 |
  sort -z | xargs -0 -r "$exif" "${args[@]}" >"$json" 2>/dev/null
status=$?
set -e
if [[ $status -ne 0 && $status -ne 123 ]]; then
  echo "kelmarin-exif ist gescheitert (Status $status)" >&2
  exit 2
fi

jq -r -s --argjson strict "$strict" --argjson layouts "$layouts" '
  def hex: [recurse(if . >= 16 then (. / 16 | floor) else empty end) | . % 16]
           | reverse | map("0123456789ABCDEF"[.:.+1]) | join("") | ("0x" + ("000" + .)[-4:]);
  def pct(n; u): if n == 0 then "-" else ((n - u) * 1000 / n | round / 10 | tostring) + " %" end;
  def row(name; n; u): "\(name)\t\(n)\t\(u)\t\(pct(n; u))";
  [ .[][] as $f | ($f.sections // [])[] as $s | $s.items[]
    | { section: $s.section, maker: (if $s.section == 3 then ($f.maker // 0) else null end),
        tag: (.tag | tonumber), unnamed: (.label == "???") } ] as $items
  | ($items | map(select(.section != 3)) | group_by(.section)
     | map({ key: ({"1": "Main", "2": "Thumbnail", "4": "GPS"}[(.[0].section | tostring)] // "Sektion \(.[0].section)"),
             n: length, u: (map(select(.unnamed)) | length) })) as $sections
  | ($items | map(select(.section == 3)) | group_by(.maker)
     | map({ key: "Makernote \(.[0].maker)", maker: .[0].maker, n: length, u: (map(select(.unnamed)) | length) })) as $makers
  | ($items | map(select(.unnamed)) | group_by([.section, .maker, .tag])
     | map("\(if .[0].section == 3 then "Makernote \(.[0].maker)" else {"1": "Main", "2": "Thumbnail", "4": "GPS"}[(.[0].section | tostring)] end)\t\(.[0].tag | hex)\t\(.[0].tag)\t\(length)")) as $unnamed
  | (["Bereich\tEinträge\tunbenannt\tbenannt"]
     + ($sections | map(row(.key; .n; .u)))
     + ($makers | map(row(.key; .n; .u)))
     + ["", "Unbenannte Tags (Bereich, Tag hex, dezimal, Anzahl):"]
     + (if ($unnamed | length) == 0 then ["(keine)"] else $unnamed end)
     + (if $strict == 1 then
          (($sections | map(select(.u > 0)) | length) == 0
           and ($makers | map(select((.maker | IN($layouts[])) and .n > 0 and (.n - .u) * 100 < .n * 95)) | length) == 0) as $ok
          | ["", (if $ok then "Ziel erreicht" else "Ziel verfehlt" end)]
        else [] end))
  | .[]
' "$json" | awk -F '\t' 'NF <= 1 { print; next } { printf "%-14s %10s %10s %10s\n", $1, $2, $3, $4 }'

if [[ $strict -eq 1 ]]; then
  jq -e -s --argjson layouts "$layouts" '
    [ .[][] as $f | ($f.sections // [])[] as $s | $s.items[]
      | { section: $s.section, maker: ($f.maker // 0), unnamed: (.label == "???") } ] as $i
    | ([$i[] | select(.section != 3 and .unnamed)] | length) == 0
      and ([$i[] | select(.section == 3 and (.maker | IN($layouts[])))] | group_by(.maker)
           | map(select((map(select(.unnamed)) | length) * 100 > length * 5)) | length) == 0
  ' "$json" >/dev/null || exit 1
fi
