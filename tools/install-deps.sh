#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need, when missing.
set -euo pipefail
PKGS=(cmake g++ ninja-build make clang-format git
      qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev qt6-qpa-plugins libgl1-mesa-dev
      libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc tdsodbc unixodbc unixodbc-dev
      postgresql python3 python3-xlrd python3-openpyxl libxlsxwriter-dev
      xvfb xauth imagemagick openbox xdotool fonts-dejavu-core
      poppler-utils)
# Readers of the client's attendance sheets (.xlsx, .xls) and an independent .xls maker for their tests.
PKGS+=(libzip-dev libfreexl-dev python3-xlwt)
# `make fuzz` alone needs clang (libFuzzer); `make test` does not.
[ "${1:-}" = fuzz ] && PKGS+=(clang)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
