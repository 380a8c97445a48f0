#!/usr/bin/env bash
# Installs the Debian packages codeburg needs to build, test and run. Calls
# apt-get only when something is missing, so a second run is silent and quick.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    qt6-base-dev libqt6opengl6-dev qt6-tools-dev qt6-tools-dev-tools
    libjpeg62-turbo-dev libepoxy-dev libegl-dev libgl-dev libfreetype-dev libfontconfig-dev
    xvfb xauth fonts-liberation fonts-dejavu-core poppler-utils
    clang libclang-rt-14-dev clang-format-14
    chromium nodejs
)
# The report is opened in Chromium; the glTF model and the SARIF output are
# checked by validators from npm, which some nodejs builds bring along and
# Debian's does not.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
