# What the lister benchmarks share: the peers installed, kelmarin-exif built (unless SKIP_BUILD=1)
# as $lister from BUILD_DIR (default build/release), and a scratch folder $work removed at the end.
# Sourced from the repository's top folder; $1 names the scratch folder.
build_dir=${BUILD_DIR:-build/release}
scripts/install-deps.sh --peers
if [[ "${SKIP_BUILD:-0}" != 1 ]]; then
  cmake --preset release -B "$build_dir" >/dev/null
  cmake --build "$build_dir" --target kelmarin-exif
fi
lister="$build_dir/src/app/kelmarin-exif"
[[ -x "$lister" ]] || { echo "kelmarin-exif not built: $lister" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kelmarin-$1.XXXXXX")
trap 'rm -rf "$work"' EXIT
