#!/usr/bin/env bash
# Builds the suite for release and makes its packages in build/package: a .deb (its dependencies
# found by dpkg-shlibdeps) and a .tar.gz. Prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build/package
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSAVEL_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack >/dev/null)
ls -1 "$PWD/$build"/tessavel*.deb "$PWD/$build"/tessavel*.tar.gz
