#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang-format
  libplist-dev libplist++-dev libplist-utils   # every property list, read and written
  nlohmann-json3-dev                           # simctl's JSON output
  libcli11-dev                                 # simctl's commands, options and help
  libcctz-dev tzdata                           # the device's time zone and daylight saving
  libgtest-dev libgmock-dev libbenchmark-dev   # tests and benchmarks
  clang-14 libclang-rt-14-dev                  # libFuzzer targets
  dpkg-dev fakeroot                            # building and installing the package
  qt6-base-dev qt6-tools-dev libqt6uitools6    # the control app's windows
  libqt6opengl6-dev libxkbcommon-dev libgl-dev # what Qt6UiTools' CMake package asks for
  procps psmisc
  xvfb xdotool                                 # the real-display test: an X server and its framebuffer file, real pointer events
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  echo "bootstrap: all ${#packages[@]} packages already installed"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
