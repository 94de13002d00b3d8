#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Kavorel needs. Idempotent.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-pdf-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev libxkbcommon-dev
  libsqlite3-dev sqlite3 libkainjow-mustache-dev
  libpq-dev postgresql postgresql-contrib
  libxrandr-dev libx11-dev
  fonts-dejavu-core
  xvfb xauth xdotool imagemagick poppler-utils unzip desktop-file-utils libreoffice-calc-nogui
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
