#!/usr/bin/env bash
# Installs what tolvexqr needs on Debian, then exits: scripts/setup.sh [tool]. With "tool", only
# what building the tools takes; without, everything the tests, benchmarks and hardening checks
# need as well. Quick when everything is already there: apt-get runs only for missing packages.
set -euo pipefail

packages=(
  g++ cmake make pkg-config python3
  libxml2-dev libcairo2-dev liblzma-dev libpng-dev zlib1g-dev nlohmann-json3-dev iso-codes
  libzxing-dev libzbar-dev libpoppler-glib-dev libturbojpeg0-dev libseccomp-dev
  libcli11-dev scdoc librsvg2-dev libqpdf-dev
  libcpp-httplib-dev
  libtiff-dev libwebp-dev libheif-dev libjpeg62-turbo-dev
)
if [ "${1:-}" != tool ]; then
  packages+=(
    libgtest-dev libbenchmark-dev libqrencode-dev
    zbar-tools zxing-cpp-tools qrencode librsvg2-bin poppler-utils qpdf python3-segno
    locales
    clang libclang-rt-dev clang-tidy valgrind
    python3-pytest python3-pip python3-setuptools python3-jsonschema
    bash-completion man-db
    chromium chromium-driver python3-selenium wrk
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" != tool ] || exit 0

# A decimal-comma locale lets the tests prove that numbers never follow the caller's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
