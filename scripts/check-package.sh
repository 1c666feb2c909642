#!/usr/bin/env bash
# Builds the Debian package from the release build (installed under /usr) and checks it as a fresh
# machine would meet it: unpacked into a scratch root with dpkg -x, kelmarin-exif there prints its
# version and lists a sample, kelmarin there opens a folder (offscreen), the manual page shows,
# the AppStream file validates, and lintian reports no error (its warnings are shown).
# Usage: scripts/check-package.sh   Environment: BUILD_DIR (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/release}

cmake --preset release -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
rm -f "$build"/kelmarin_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/kelmarin_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends

root=$(mktemp -d "${TMPDIR:-/tmp}/kelmarin-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
version=$(dpkg-deb --field "$deb" Version)

# The lister from the scratch root: its own version, its own definition file and module.
"$root/usr/bin/kelmarin-exif" --version | tee "$root/version.txt"
head -1 "$root/version.txt" | grep -qx "kelmarin-exif ${version%-*}" || { echo "version differs from the package's" >&2; exit 1; }
grep -q "^Definitionsdatei: $root/usr/share/kelmarin/metadata.def (Version [0-9]*)$" "$root/version.txt" ||
  { echo "the definition file is not the package's" >&2; exit 1; }
grep -q '^libjpeg-turbo [0-9]' "$root/version.txt" || { echo "no library versions" >&2; exit 1; }
"$root/usr/bin/kelmarin-exif" "$build/samples/canon-eos-5d-mark-ii.jpg" >"$root/listing.txt"
grep -qP '^\tSektion Makernote\t' "$root/listing.txt" || { echo "the listing from the package has no makernote" >&2; exit 1; }

# The browser from the scratch root keeps running on a folder until it is stopped.
status=0
HOME="$root" QT_QPA_PLATFORM=offscreen timeout 10 "$root/usr/bin/kelmarin" "$build/samples" || status=$?
[[ $status -eq 124 ]] || { echo "kelmarin ended with status $status" >&2; exit 1; }

for page in kelmarin kelmarin-exif; do
  man -l "$root/usr/share/man/man1/$page.1.gz" >"$root/$page.txt" 2>/dev/null
  grep -q '^BEZEICHNUNG' "$root/$page.txt" || { echo "no manual page for $page" >&2; exit 1; }
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

lintian --tag-display-limit 0 "$deb" | tee "$root/lintian.txt" || true
echo "lintian: $(grep -c '^E:' "$root/lintian.txt" || true) errors, $(grep -c '^W:' "$root/lintian.txt" || true) warnings"
! grep -q '^E:' "$root/lintian.txt"
