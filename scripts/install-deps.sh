#!/usr/bin/env bash
# Installs the Debian 12 packages Tavrin needs: "run" for building and running
# the program, "test" for that plus everything the tests start and measure.
set -euo pipefail
what=${1:-run}

run_pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
          libsdl2-dev libpulse-dev libqt6sql6-sqlite libmosquitto-dev libssl-dev mosquitto fonts-ipafont-gothic fonts-liberation2
          qt6-translations-l10n qt6-l10n-tools qt6-tools-dev xdg-utils xchm qt6-httpserver-dev qt6-websockets-dev libqrencode-dev libsodium-dev tzdata)
test_pkgs=(xvfb xauth pulseaudio pulseaudio-utils sox imagemagick xdotool x11-utils dbus qt6-base-private-dev
           clang libclang-rt-14-dev fp-utils-3.2.2 file dpkg-dev desktop-file-utils bc
           mosquitto-clients faketime nodejs chromium chromium-driver python3-selenium python3-paho-mqtt python3-cryptography
           at-spi2-core gir1.2-atspi-2.0 python3-pyatspi)

pkgs=("${run_pkgs[@]}")
[ "$what" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
