#!/usr/bin/env bash
# Compares the output of two kelmarin-exif builds byte for byte, as a guard for changes that must
# not change behaviour.
#
# Runs OLD and NEW over every file below CORPUS (default /work/shared/corpus): text, --json, --csv,
# and --info in text, JSON and CSV form, each under LC_ALL=C and LC_ALL=de_DE.UTF-8. Standard
# output, standard error and the exit status are compared; the load time of --info (a measurement,
# not a result) is masked. Each form runs once over all files; when the two builds differ, every
# file is run on its own in that form, and each differing file is reported with a diff excerpt.
# Each build keeps its own cache folder (XDG_CACHE_HOME), so neither sees the other's stamps.
#
# Usage: tools/compare-builds.sh [--lines N] OLD_LISTER NEW_LISTER [CORPUS]
#   --lines  lines of diff shown per differing file (default 20)
# Exit status: 0 all equal, 1 some output differs, 2 bad call.
# Needs: bash, find, sort, diff, sed, cmp.
set -uo pipefail

usage() { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

lines=20
args=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --lines) [[ $# -ge 2 ]] || usage; lines="$2"; shift 2 ;;
    -h|--help) usage ;;
    --) shift; args+=("$@"); break ;;
    -*) echo "Unbekannte Option: $1" >&2; usage ;;
    *) args+=("$1"); shift ;;
  esac
done
[[ ${#args[@]} -ge 2 && ${#args[@]} -le 3 ]] || usage
old="${args[0]}"
new="${args[1]}"
corpus="${args[2]:-/work/shared/corpus}"
for program in "$old" "$new"; do
  [[ -x "$program" ]] || { echo "Kein ausführbares Programm: $program" >&2; exit 2; }
done
[[ -d "$corpus" ]] || { echo "Kein Ordner: $corpus" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/cache-old" "$work/cache-new"

mapfile -d '' files < <(find "$corpus" -type f -print0 | LC_ALL=C sort -z)
[[ ${#files[@]} -gt 0 ]] || { echo "Keine Dateien unter $corpus" >&2; exit 2; }

# Runs one build: run SIDE LOCALE OUT OPTION... -- FILE...; OUT gets standard output, standard
# error and the exit status, the load time masked.
run() {
  local side="$1" locale="$2" out="$3"
  shift 3
  local program="$old"
  [[ "$side" == new ]] && program="$new"
  local status=0
  LC_ALL="$locale" XDG_CACHE_HOME="$work/cache-$side" "$program" "$@" >"$out.stdout" 2>"$out.stderr" ||
    status=$?
  {
    echo "== stdout"; cat "$out.stdout"
    echo "== stderr"; cat "$out.stderr"
    echo "== exit status $status"
  } | sed -E 's/(Ladezeit: )[0-9.,]+( Millisekunden)/\1N\2/g' >"$out"
  rm -f "$out.stdout" "$out.stderr"
}

# The first lines of the difference; a JSON document (one line) is cut into its objects first.
excerpt() {
  diff <(sed 's/},{/},\n{/g' "$1") <(sed 's/},{/},\n{/g' "$2") | head -n "$lines" | cut -c1-240 |
    sed 's/^/    /'
}

forms=("text:" "json:--json" "csv:--csv" "info:--info" "info-json:--info --json" "info-csv:--info --csv")
locales=("C" "de_DE.UTF-8")
compared=0
differing=0
for locale in "${locales[@]}"; do
  for form in "${forms[@]}"; do
    name="${form%%:*}"
    read -r -a options <<<"${form#*:}"
    compared=$((compared + 1))
    run old "$locale" "$work/all-old" "${options[@]}" -- "${files[@]}"
    run new "$locale" "$work/all-new" "${options[@]}" -- "${files[@]}"
    if cmp -s "$work/all-old" "$work/all-new"; then
      echo "gleich: $name ($locale, ${#files[@]} Dateien)"
      continue
    fi
    echo "VERSCHIEDEN: $name ($locale)"
    found=0
    for file in "${files[@]}"; do
      run old "$locale" "$work/one-old" "${options[@]}" -- "$file"
      run new "$locale" "$work/one-new" "${options[@]}" -- "$file"
      cmp -s "$work/one-old" "$work/one-new" && continue
      found=$((found + 1))
      echo "  --- $file ($name, $locale)"
      excerpt "$work/one-old" "$work/one-new"
    done
    # Equal one by one but not together: the difference lies in how the files are run together.
    if [[ $found -eq 0 ]]; then
      echo "  (jede Datei für sich gleich; Unterschied nur im Lauf über alle Dateien)"
      excerpt "$work/all-old" "$work/all-new"
    fi
    differing=$((differing + 1))
  done
done

if [[ $differing -eq 0 ]]; then
  echo "Alle $compared Vergleiche gleich (${#files[@]} Dateien, ${#locales[@]} Locales)."
  exit 0
fi
echo "$differing von $compared Vergleichen verschieden." >&2
exit 1
