#!/usr/bin/env bash
# Installs the Debian 12 packages deskcam needs to build, run and test.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
packages=(
  build-essential cmake ninja-build pkg-config ccache git
  qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libqt6multimedia6 qt6-l10n-tools
  libasio-dev libjpeg62-turbo-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  xvfb xauth imagemagick x11-utils pulseaudio pulseaudio-utils sox fonts-dejavu-core
  procps iproute2
)
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
