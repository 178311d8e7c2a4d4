#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 on Debian 12:
#   build-win/orvanne.scr, build-win/picdump.exe and the Qt-free unit tests
#   (static, system DLLs only).
# libjpeg-turbo comes from Debian's own source package and GoogleTest from
# Debian's googletest sources, both built for mingw into build-win/deps.
# Usage: scripts/build-windows.sh [--tests]   (--tests also builds the test exes)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
orv_install_packages "${ORV_WINDOWS_PACKAGES[@]}"

with_tests=OFF
[ "${1:-}" = "--tests" ] && with_tests=ON
jobs=${ORV_JOBS:-2}
out=$PWD/build-win
deps=$out/deps
mkdir -p "$deps"
toolchain=$PWD/cmake/toolchain-mingw64.cmake

# Debian's source packages need a deb-src line; add one for the archive the
# machine already uses when there is none.
have_deb_src() { grep -rqs '^\(deb-src\|Types: *deb-src\)' /etc/apt/sources.list /etc/apt/sources.list.d/; }
if [ ! -f "$deps/lib/libjpeg.a" ]; then
  if ! have_deb_src; then
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
      "${sudo[@]}" tee /etc/apt/sources.list.d/orvanne-deb-src.sources >/dev/null
    "${sudo[@]}" apt-get update
  fi
  src=$out/src
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source --download-only libjpeg-turbo >/dev/null &&
     dpkg-source --no-check -x libjpeg-turbo_*.dsc jpeg >/dev/null)
  cmake -S "$src/jpeg" -B "$src/jpeg-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$src/jpeg-build" -j"$jobs" --target jpeg-static >/dev/null
  cmake --install "$src/jpeg-build" --component lib >/dev/null 2>&1 || true
  mkdir -p "$deps/lib" "$deps/include"
  cp "$src/jpeg-build/libjpeg.a" "$deps/lib/"
  cp "$src/jpeg-build/jconfig.h" "$src/jpeg/jpeglib.h" "$src/jpeg/jmorecfg.h" "$src/jpeg/jerror.h" "$deps/include/"
fi
if [ "$with_tests" = ON ] && [ ! -f "$deps/lib/libgtest.a" ]; then
  cmake -S /usr/src/googletest -B "$out/src/gtest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$out/src/gtest-build" -j"$jobs" >/dev/null
  cmake --install "$out/src/gtest-build" >/dev/null
fi

cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORV_WIN_DEPS="$deps" \
  -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_BUILD_TYPE=Release -DORV_QT_FREE_ONLY=ON \
  -DORV_BUILD_BENCH=OFF -DORV_BUILD_TESTS=$with_tests \
  -DORV_WITH_HEIF=OFF -DORV_WITH_WEBP=OFF -DORV_WITH_JXL=OFF >/dev/null  # no mingw builds of those libraries yet
targets=(orvanne_scr picdump)
[ "$with_tests" = ON ] && targets+=($(cat tests/windows/targets.txt))
cmake --build "$out" -j"$jobs" --target "${targets[@]}"
cp "$out/tools/picdump.exe" "$out/picdump.exe"
cp "$out/src/app/win32/orvanne.scr" "$out/orvanne.scr"
# The installer (64-bit NSIS): the .scr and the README.
version=$(sed -n 's/^project(Orvanne VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
makensis -V2 -DSCR="$out/orvanne.scr" -DREADME="$PWD/README.md" -DVERSION="$version" \
  -DOUTFILE="$out/orvanne-setup.exe" data/windows/orvanne.nsi
echo "Built $out/orvanne.scr, $out/orvanne-setup.exe and $out/picdump.exe"
