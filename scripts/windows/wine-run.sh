#!/usr/bin/env bash
# Runs a cross-built program under Wine with Qt's and the compiler's DLLs on its path (CMake's
# cross-compiling emulator: test discovery and ctest go through here).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
WINEPATH="$(wine_path)${WINEPATH:+;$WINEPATH}" exec wine "$@"
