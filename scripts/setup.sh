#!/usr/bin/env bash
# Installs whatever the project needs and is missing (Debian 12). Quick when
# everything is present: it only asks dpkg.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n libfluidsynth-dev timgm6mb-soundfont
  librtmidi-dev libasound2-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic sox python3-mido imagemagick
  openttd-openmsx pulseaudio pulseaudio-utils python3-mutagen gstreamer1.0-tools fluidsynth
  gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-plugins-bad
  librsvg2-bin desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  man-db dpkg-dev
  libsndfile1-dev poppler-utils
  openbox xdotool
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq "${missing[@]}" >&2
fi
