#!/usr/bin/env bash
# Runs a cross-built program under Wine with Qt's and the compiler's DLLs on its path (CMake's
# cross-compiling emulator: test discovery and ctest go through here).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# A lasting Wine server makes each start cost tens of milliseconds instead of seconds. A test killed
# at its timeout can take the server down with it; the next one then brings a lasting one back.
if ! pgrep -u "$(id -u)" -f 'wineserver64 .*-p$' >/dev/null; then
  wineserver -p 2>/dev/null || { wineserver -w; wineserver -p 2>/dev/null || true; }
fi
WINEPATH="$(wine_path)${WINEPATH:+;$WINEPATH}" exec wine "$@"
