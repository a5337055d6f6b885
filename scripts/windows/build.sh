#!/usr/bin/env bash
# Builds Tessavel for 64-bit Windows on Debian 12: installs the cross tools, builds Qt for mingw
# once (cached outside the tree), cross-builds the programs and their tests into build/windows and
# makes the installer and the portable zip in build/windows/package.
#
#   scripts/windows/build.sh [--no-package] [--no-tests]
#
# Environment: TESSAVEL_CACHE (default ~/.cache/tessavel) holds the Qt build and GoogleTest;
# JOBS (default: number of cores) is the build parallelism.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/common.sh"

package=1
tests=ON
for arg in "$@"; do
  case "$arg" in
    --no-package) package=0 ;;
    --no-tests) tests=OFF ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done

total_start=$(date +%s)

# --- 1. Packages --------------------------------------------------------------------------------
install_packages() {
  local packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 wine nsis xvfb
                  cmake make ccache dpkg-dev xz-utils zip qt6-base-dev qt6-base-dev-tools
                  libgtest-dev libgmock-dev x11-apps imagemagick xdotool qt6-qpa-plugins fonts-dejavu-core
                  qt6-serialport-dev)
  local missing=()
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
}
step "packages" install_packages

# --- 2. Qt for mingw (once) ---------------------------------------------------------------------
# Debian's source package of qt6-base is the same version as the host tools (moc, rcc, uic) that
# qt6-base-dev-tools installs, which a cross build of Qt needs.
fetch_qt_source() {
  local src="$CACHE/src"
  mkdir -p "$src"
  if ls "$src"/qt6-base_${QT_VERSION}*.orig.tar.xz >/dev/null 2>&1; then
    return
  fi
  # A deb-src entry for the machine's own Debian mirror and suites.
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    local list=/etc/apt/sources.list.d/tessavel-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        | $SUDO tee "$list" >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' \
        | $SUDO tee /etc/apt/sources.list.d/tessavel-src.list >/dev/null
    fi
    $SUDO apt-get update -qq
  fi
  (cd "$src" && apt-get source --download-only "qt6-base=${QT_VERSION}+dfsg-10" 2>/dev/null \
     || apt-get source --download-only qt6-base)
}

build_qt() {
  if [ -f "$QT_PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$QT_PREFIX/.tessavel-complete" ]; then
    echo "reusing $QT_PREFIX"
    return
  fi
  fetch_qt_source
  local work="$CACHE/qt-build"
  rm -rf "$work" "$QT_PREFIX"
  mkdir -p "$work"
  tar -xf "$CACHE"/src/qt6-base_${QT_VERSION}*.orig.tar.xz -C "$work"
  local srcdir
  srcdir="$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  # Qt 6.4 builds its DirectWrite font database only with Direct2D, which the Windows platform
  # plugin does not ask: without Direct2D the plugin would not link.
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$srcdir/src/plugins/platforms/windows/qwindowsintegration.cpp"
  mkdir -p "$work/build"
  # Core, Gui, Widgets and Test with the windows, offscreen and minimal platform plugins and the
  # Windows styles; the XML stream reader stays in (the editor reads XML definitions with it).
  # Debian's tarball lacks wintab.h, hence no tablet events.
  (cd "$work/build" && nice -n 10 "$srcdir/configure" -prefix "$QT_PREFIX" -release -shared \
     -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests \
     -no-dbus -no-feature-network -no-feature-sql -no-feature-printsupport \
     -no-feature-concurrent -no-opengl -no-feature-direct2d -no-feature-tabletevent \
     -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-harfbuzz -qt-freetype -no-icu -- \
     -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
     -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1) \
    || { tail -n 40 "$work/configure.log"; exit 1; }
  (cd "$work/build" && nice -n 10 cmake --build . --parallel "$JOBS" >"$work/build.log" 2>&1) \
    || { tail -n 40 "$work/build.log"; exit 1; }
  (cd "$work/build" && cmake --install . >"$work/install.log" 2>&1) \
    || { tail -n 40 "$work/install.log"; exit 1; }
  touch "$QT_PREFIX/.tessavel-complete"
  rm -rf "$work"
}
step "Qt ${QT_VERSION} for mingw" build_qt

# --- 3. GoogleTest for mingw (once) -------------------------------------------------------------
build_gtest() {
  if [ "$tests" = OFF ]; then return; fi
  if [ -f "$GTEST_PREFIX/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "reusing $GTEST_PREFIX"
    return
  fi
  local work="$CACHE/gtest-build"
  rm -rf "$work"
  cmake -S /usr/src/googletest -B "$work" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$GTEST_PREFIX" -Dgtest_disable_pthreads=OFF \
    >/dev/null
  nice -n 10 cmake --build "$work" --parallel "$JOBS" >/dev/null
  cmake --install "$work" >/dev/null
  rm -rf "$work"
}
step "GoogleTest for mingw" build_gtest

# --- 4. Tessavel ---------------------------------------------------------------------------------
configure_tessavel() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS="-D_USE_MATH_DEFINES" \
    -DTESSAVEL_WIN_PREFIXES="$QT_PREFIX;$GTEST_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DGTest_DIR="$GTEST_PREFIX/lib/cmake/GTest" \
    -DTESSAVEL_TESTS="$tests" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-run.sh" \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >"$CACHE/configure.log" 2>&1 \
    || { tail -n 40 "$CACHE/configure.log"; exit 1; }
  rm -f "$CACHE/configure.log"
}
step "configure build/windows" configure_tessavel

build_tessavel() {
  # Test discovery runs the test programs under Wine: give them a prefix and a lasting server.
  wine_prefix_ready
  # Keeps going past a failing file, so one report shows every failure.
  nice -n 5 cmake --build "$BUILD" --parallel "$JOBS" -- -k
}
step "build programs and tests" build_tessavel

# --- 5. virtual-board and the Linux editor for the tests -------------------------------------------
# The boards are a Linux program (a pseudo-terminal); the installer road compares the Windows
# editor's frames with the Linux editor's.
build_host_programs() {
  if [ "$tests" = OFF ]; then return; fi
  cmake -S "$ROOT" -B "$BUILD/host" -DCMAKE_BUILD_TYPE=Release -DTESSAVEL_TESTS=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  nice -n 5 cmake --build "$BUILD/host" --parallel "$JOBS" --target virtual-board vantrell >/dev/null
}
step "virtual-board and the editor for the tests (Linux)" build_host_programs

# --- 6. Installer and portable zip ----------------------------------------------------------------
make_packages() {
  if [ "$package" = 0 ]; then return; fi
  local version
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
  rm -rf "$BUILD/package"
  (cd "$BUILD" && cpack -G NSIS -B "$BUILD/package" >"$BUILD/cpack.log" 2>&1) \
    || { tail -n 40 "$BUILD/cpack.log"; exit 1; }
  rm -rf "$BUILD/package/_CPack_Packages"
  # The portable zip: the programs with their program folder (config, data, maps, afm) beside them.
  local stage="$BUILD/portable/tessavel-$version-win64"
  rm -rf "$BUILD/portable"
  cmake --install "$BUILD" --prefix "$BUILD/portable/tree" >/dev/null
  mkdir -p "$stage"
  cp -a "$BUILD/portable/tree/bin/." "$stage/"
  cp -a "$BUILD/portable/tree/share/tessavel/demo/." "$stage/"
  (cd "$BUILD/portable" && zip -qr "$BUILD/package/tessavel-$version-win64-portable.zip" \
     "tessavel-$version-win64")
  rm -rf "$BUILD/portable"
  ls -la "$BUILD/package"
}
step "installer and zip" make_packages

echo "build.sh: done in $(( $(date +%s) - total_start )) s"
