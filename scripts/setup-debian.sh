#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need. Idempotent:
# does nothing when everything is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libplist-dev nlohmann-json3-dev libicu-dev
  # Each disk's stability history is an SQLite database.
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev ccache
  # The macOS checks (scripts/check-mac): LLVM's C++ library to build the
  # portable code against, GoogleTest's source to build with it (Debian's
  # GoogleTest libraries are built for libstdc++), Python for the scans.
  libc++-14-dev libc++abi-14-dev googletest python3
  # The window: Qt Quick (it draws its own controls), the SVG image plugin,
  # the emoji font its texts draw with (its icon font ships inside it), and a
  # virtual display with a tray host.
  qt6-base-dev qt6-declarative-dev libqt6svg6
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtqml-workerscript
  fonts-noto-color-emoji
  xvfb xauth trayer
  # scripts/measure hides the window with it.
  xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
