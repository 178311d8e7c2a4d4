#!/usr/bin/env bash
# Debian packages that building, testing and running Orvanne need, and a
# helper that installs the missing ones. Sourced by the other scripts:
#   . scripts/deps.sh && orv_install_packages "${ORV_BUILD_PACKAGES[@]}"
# or run directly: scripts/deps.sh run|test|package|fuzz

# Compiler, CMake, Qt 6 Widgets (with its Japanese and English texts), Qt's
# Linguist tools (the CMake package Qt6LinguistTools is in qt6-tools-dev,
# lrelease and lupdate in qt6-l10n-tools), xcb, zlib, libjpeg; the default
# configuration also builds the tests and benchmarks.
ORV_BUILD_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-translations-l10n qt6-tools-dev qt6-l10n-tools libgl-dev libxcb1-dev
  zlib1g-dev libjpeg62-turbo-dev
  libgtest-dev libbenchmark-dev
  libheif-dev libwebp-dev libjxl-dev
)

# Running the program on any display: the Japanese face for the texts.
ORV_RUN_PACKAGES=(fonts-ipafont-gothic)

# Running without a display (Xvfb), driving it and taking screenshots; xrandr
# and xrdb set up monitors and HiDPI for the tests.
ORV_HEADLESS_PACKAGES=(xvfb xdotool imagemagick x11-apps x11-xserver-utils)

# Building the .deb (cpack -G DEB): dpkg-shlibdeps turns the libraries into
# package dependencies, and CPack finds the executables with file(1).
ORV_PACKAGE_PACKAGES=(dpkg-dev file)
# The package check also validates the settings page and the .desktop files,
# and runs lintian over the .deb.
ORV_PACKAGE_CHECK_PACKAGES=(libxml2-utils desktop-file-utils lintian)

# Tests and benchmarks beyond the build: the referee and peer decoders (with
# the encoders and decoders of WebP, HEIF, AVIF and JPEG XL), a
# Latin-only font for the test that tells real text from empty boxes, and the
# two screen-saver hosts that run a staged install (mate-screensaver in its own
# D-Bus session: dbus-run-session), and a Wayland compositor with Qt's
# Wayland platform for the slideshow under Wayland.
ORV_TEST_PACKAGES=(libpng-dev libspng-dev libgif-dev libstb-dev libjpeg-turbo-progs fonts-dejavu-core
                   webp libheif-examples libavif-bin libjxl-tools
                   xscreensaver mate-screensaver dbus-daemon weston qt6-wayland
                   "${ORV_PACKAGE_PACKAGES[@]}" "${ORV_PACKAGE_CHECK_PACKAGES[@]}")

# The Windows build (scripts/build-windows.sh): mingw-w64 with the posix
# thread model (the win32 one has no std::mutex), its static zlib, nasm for
# libjpeg-turbo's SIMD, dpkg-dev for apt-get source, NSIS for the installer,
# and for the tests Wine on Xvfb, driven by xdotool and photographed by
# ImageMagick, with the locale sources that set Wine's language and code page.
ORV_WINDOWS_PACKAGES=(cmake make dpkg-dev nasm g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
                      googletest wine wine64 nsis xvfb xdotool imagemagick locales fonts-ipafont-gothic)

# Fuzzing: clang with libFuzzer and the sanitizer runtimes.
ORV_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Installs the packages that are not installed yet (apt-get update once,
# then one install), through sudo when not root.
orv_install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  packages=("${ORV_BUILD_PACKAGES[@]}" "${ORV_RUN_PACKAGES[@]}")
  case "${1:-run}" in
    run) [ -z "${DISPLAY:-}" ] && packages+=("${ORV_HEADLESS_PACKAGES[@]}") ;;
    test) packages+=("${ORV_HEADLESS_PACKAGES[@]}" "${ORV_TEST_PACKAGES[@]}") ;;
    package) packages+=("${ORV_PACKAGE_PACKAGES[@]}") ;;
    fuzz) packages+=("${ORV_TEST_PACKAGES[@]}" "${ORV_FUZZ_PACKAGES[@]}") ;;
    *) echo "usage: $0 run|test|package|fuzz" >&2; exit 2 ;;
  esac
  orv_install_packages "${packages[@]}"
fi
