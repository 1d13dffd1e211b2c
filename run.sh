#!/usr/bin/env bash
# Sets up, builds in Release, installs the program folder, puts Tomaria in
# the applications menu and starts it.
#   ./run.sh [PROGRAM_FOLDER]      (default: ~/Tomaria)
# The program folder holds the user's archives, attachments and password
# file: a reinstall replaces the executables and the delivered documents but
# never an archive, an attachment or the password file.
set -euo pipefail
cd "$(dirname "$0")"

folder=${1:-$HOME/Tomaria}

TOMARIA_TESTS=0 tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMARIA_TESTS=OFF
cmake --build "$build" --parallel "$(nproc)"
cmake --install "$build" --prefix "$folder" >/dev/null
echo "Tomaria installed in $folder"
tools/install-launcher.sh "$folder"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display available: start $folder/tomaria from a desktop session." >&2
  exit 1
fi
cd "$folder"
exec ./tomaria
