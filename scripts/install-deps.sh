#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing,
# so a second run costs a fraction of a second.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev libmodbus-dev
  xvfb iproute2 file
  python3-pytest python3-venv python3-setuptools python3-wheel
)
# tshark serves only the dissector test, which skips without it: installed on request.
if [[ "${KORVO_WITH_TSHARK:-}" == "1" ]]; then
  packages+=(tshark)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  # Capturing stays with root; the dissector test reads files and needs no capture rights.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | "${sudo_cmd[@]}" debconf-set-selections
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
