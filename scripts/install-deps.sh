#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need. Installs only what is
# missing, so a second run costs nothing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev            # the window (Qt 6 Widgets)
  libcurl4-openssl-dev    # HTTP client
  libpcre2-dev            # regular expressions (16-bit library)
  libgtest-dev libgmock-dev
  fonts-noto-cjk          # Chinese texts in the window
  python3 openssl curl    # local test servers and benchmark baselines
  xvfb xauth              # a display for screenshots of the window
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
