#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the fuzzers, the program and its Debian
# package (dpkg-shlibdeps finds its dependencies, desktop-file-validate checks its menu entry,
# shared-mime-info and gio check the file types it declares)
# need (alsa-utils and sound-icons only for the WAV files they install, which the tests decode).
# The LV2 plugin builds on lv2-dev; its tests host it with lilv, check its Turtle with
# sord_validate (sordi) against the LV2 vocabularies (lv2-dev), and play it in Ardour headless
# (ardour: ardour7-lua); jalv is there to try it by hand.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libsdl2-dev libxcb-xkb-dev qt6-translations-l10n libsndfile1-dev libsoxr-dev libzip-dev
  librtmidi-dev
  libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libfuzzer-14-dev libclang-rt-14-dev clang-format
  xvfb xauth x11-apps xdotool imagemagick sox
  alsa-utils sound-icons
  fonts-dejavu-core fontconfig
  dpkg-dev desktop-file-utils shared-mime-info libglib2.0-bin
  lv2-dev liblilv-dev lilv-utils sordi jalv ardour
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
