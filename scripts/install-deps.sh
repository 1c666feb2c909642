#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Kelmarin needs.
# Only missing packages are installed. Usage: scripts/install-deps.sh [--peers]
#   --peers  also the command-line tools the peer benchmarks compare against.
set -euo pipefail

packages=(
  cmake g++ clang ninja-build pkgconf make
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev
  libjpeg62-turbo-dev libpng-dev libgif-dev libtiff-dev libraw-dev
  libheif-dev libwebp-dev libjxl-dev libjemalloc-dev liblcms2-dev libexpat1-dev libbrotli-dev
  libmagick++-dev libemf2svg-dev fonts-urw-base35
  libgtest-dev libbenchmark-dev libclang-rt-14-dev
  xvfb xauth imagemagick libjpeg-turbo-progs jq cloc locales python3
  scdoc dpkg-dev file lintian appstream man-db
)
if [[ "${1:-}" == "--peers" ]]; then
  packages+=(exiv2 libimage-exiftool-perl hyperfine time libheif-examples libraw-bin)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# The tests run in the German locale of Kelmarin's users as well as in C.
need_locale=0
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  need_locale=1
fi
if [[ ${#missing[@]} -eq 0 && $need_locale -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "Kelmarin needs these Debian packages: ${missing[*]}" >&2
  [[ $need_locale -eq 0 ]] || echo "and the locale de_DE.UTF-8 (locale-gen)." >&2
  echo "Run this script as root or install sudo, or install them by hand with apt-get." >&2
  exit 1
fi
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${run[@]}" apt-get update -q
  "${run[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [[ $need_locale -eq 1 ]]; then
  echo "Generating the locale de_DE.UTF-8"
  if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    "${run[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'de_DE.UTF-8 UTF-8' | "${run[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${run[@]}" locale-gen
fi
