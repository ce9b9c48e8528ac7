#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Velmora needs that are not installed yet.
#   scripts/install-deps.sh build   what building and running the program needs
#   scripts/install-deps.sh test    that, plus what the tests need (Xvfb, a window
#                                   manager with a tray, a CJK font, xdotool)
# Uses sudo when not run as root. Does nothing when everything is there.
set -euo pipefail

profile=${1:-build}

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libx11-dev libxext-dev  # DPMS: the display-off request on X
  fonts-wqy-microhei
  fonts-arphic-uming  # a Song (Ming) face for the warning window's seconds
)
if [[ $profile == test ]]; then
  packages+=(
    libgtest-dev libicu-dev clang libclang-rt-dev
    xvfb xauth x11-utils xdotool jwm
    dbus dbus-x11 python3
    python3-dbusmock  # mock logind and session managers for the power tests
    x11-xserver-utils  # xset: the monitor's DPMS state in the end-to-end tests
  )
elif [[ $profile != build ]]; then
  echo "usage: $0 build|test" >&2
  exit 2
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
