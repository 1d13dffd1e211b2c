#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
  qt6-translations-l10n libgl-dev fonts-liberation fonts-dejavu-core poppler-utils libcsv-dev
  libzip-dev pkg-config unzip libzint-dev zbar-tools libxlsxwriter-dev libyaz-dev yaz idzebra-2.0 libxxhash-dev
  qt6-httpserver-dev qt6-websockets-dev)
# LibreOffice Calc, headless, for the tests that open and save the exported
# files as a librarian would, and clang-format for the format check; the
# program itself never needs them.
if [ "${TOMARIA_TESTS:-1}" = 1 ]; then
  packages+=(libreoffice-calc-nogui clang-format)
  # A real browser and an HTTP client for the web catalogue's tests.
  packages+=(chromium curl)
fi
if [ "${TOMARIA_BENCH:-0}" = 1 ]; then
  packages+=(libbenchmark-dev libsqlite3-dev sqlite3 wrk)
fi
if [ "${TOMARIA_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "Missing packages (${missing[*]}) and no root rights or sudo to install them." >&2
  exit 1
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
