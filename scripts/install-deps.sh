#!/usr/bin/env bash
# Installs the Debian 12 packages deskcam needs to build, run and test.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
packages=(
  build-essential cmake ninja-build pkg-config ccache git
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-qpa-plugins libqt6multimedia6 qt6-l10n-tools
  libasio-dev libjpeg62-turbo-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  xvfb xauth imagemagick x11-utils x11-xserver-utils pulseaudio pulseaudio-utils sox fonts-dejavu-core
  # Chinese texts and the alerts' full-width colon: 1.6 MB for GB 2312 and more (fonts-noto-cjk is 56 MB)
  fonts-wqy-microhei
  # Qt's own dialogs and buttons (the folder panel) in Chinese
  qt6-translations-l10n
  procps iproute2
  # scanning pages (src/scan): OpenCV's image processing only (libopencv-dev would bring every module),
  # Tesseract with the English and Simplified Chinese data, poppler's pdfinfo and pdftotext for the tests
  libopencv-imgproc-dev libtesseract-dev tesseract-ocr-eng tesseract-ocr-chi-sim poppler-utils
  # the library's thumbnails of saved scans (the DEB's libpoppler-qt6-3 follows from dpkg-shlibdeps)
  libpoppler-qt6-dev
  # manual pages, the package and its checks: help2man writes the pages, file and dpkg-shlibdeps serve
  # CPack, the rest validate the menu entry and metadata and render the pages
  help2man file dpkg-dev desktop-file-utils appstream man-db groff-base util-linux
)
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
