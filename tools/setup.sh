#!/usr/bin/env bash
# Sets up Kelvane on a Debian 12 machine: installs the missing packages (as root), builds,
# then either starts the game (play) or runs the whole test suite (test).
# Started through sudo, it installs as root but builds and plays as the user who called it.
set -euo pipefail

mode=${1:-play}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# What building and playing need.
play_packages=(cmake ninja-build g++ qt6-base-dev fonts-liberation2 fontconfig pkg-config
  libxcb1-dev libxcb-randr0-dev libqt6sql6-sqlite qt6-charts-dev
  libqt6opengl6-dev)
# What the tests add: the sanitizer and fuzzer tree, the test frameworks, an X server to
# drive the real program, and the validators of the installed files and the package.
test_packages=(clang libclang-rt-14-dev libgtest-dev libbenchmark-dev qt6-svg-dev
               xvfb xdotool x11-utils imagemagick
               desktop-file-utils appstream lintian dpkg-dev man-db locales
               at-spi2-core python3-pyatspi dbus clang-format sqlite3)

case "$mode" in
  play) packages=("${play_packages[@]}") ;;
  test) packages=("${play_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run this as root (or through sudo)." >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Under sudo, the rest runs as the calling user: their build tree, their display and their
# settings, not root's.
as_user=()
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  as_user=(sudo -u "$SUDO_USER" -H env)
  for name in DISPLAY XAUTHORITY WAYLAND_DISPLAY; do
    [ -z "${!name:-}" ] || as_user+=("$name=${!name}")
  done
  runtime=/run/user/$(id -u "$SUDO_USER")
  [ ! -d "$runtime" ] || as_user+=("XDG_RUNTIME_DIR=$runtime")
  for dir in build build-asan; do
    [ ! -d "$root/$dir" ] || chown -R "$SUDO_USER:" "$root/$dir"
  done
fi
run() { "${as_user[@]}" "$@"; }

# The tests also run under a German and a French locale (comma decimals; point and narrow
# no-break space thousands), so those locales must exist.
make_test_locales() {
  local locale
  for locale in de_DE fr_FR; do
    if ! grep -qx "$locale.utf8" <<<"$(locale -a 2>/dev/null)"; then
      localedef -i "$locale" -c -f UTF-8 "$locale.UTF-8"
    fi
  done
}

jobs=$(nproc)
build() { # build DIR [cmake options...]
  local dir=$1
  shift
  run cmake -S "$root" -B "$dir" -G Ninja -DKELVANE_WERROR=ON "$@" >/dev/null
  run cmake --build "$dir" -j "$jobs"
}

case "$mode" in
  play)
    # Only what is shipped: the game, its engine, kelvane-solve and the help.
    build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    cd "$root/build/bin"
    exec "${as_user[@]}" ./kelvane
    ;;
  test)
    make_test_locales
    # The plain build and its tests, then everything again under AddressSanitizer and
    # UBSan with clang, which also runs the fuzz targets for a few seconds each.
    build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
    run ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
    build "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON -DBUILD_TESTING=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    run ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
    ;;
esac
