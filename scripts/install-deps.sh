#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Tovik needs.
# Idempotent: packages already present are left alone, and apt is asked only when one is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang lld libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev qt6-image-formats-plugins
  libqt6svg6 qt6-qpa-plugins
  libarchive-dev zlib1g-dev liblzma-dev libgtest-dev libgmock-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-noto-cjk fontconfig
  adwaita-icon-theme hicolor-icon-theme
  xvfb xauth x11-apps x11-utils imagemagick poppler-utils openbox xdotool
  libarchive-tools 7zip arj jlha-utils gcab lhasa zip unzip nkf uchardet hyperfine
  desktop-file-utils xdg-utils shared-mime-info man-db dpkg-dev debootstrap xdotool
  qt6-translations-l10n openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
