#!/usr/bin/env bash
# Sets up Kelvane on a Debian 12 machine (as root): installs the missing packages, builds,
# then either starts the game (play) or runs the whole test suite (test).
set -euo pipefail

mode=${1:-play}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

packages=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libgtest-dev
          libbenchmark-dev fonts-liberation2 fontconfig xvfb xauth xdotool imagemagick
          x11-utils)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
build() { # build DIR [cmake options...]
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

case "$mode" in
  play)
    build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cd "$root/build/bin"
    exec ./kelvane
    ;;
  test)
    # The plain build and its tests, then everything again under AddressSanitizer and
    # UBSan with clang, which also runs the fuzz targets for a few seconds each.
    build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
    build "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
    ;;
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
