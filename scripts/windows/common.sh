# Shared settings of scripts/windows/build.sh and test.sh (sourced, not run).

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build/windows"
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
CACHE="${TESSAVEL_CACHE:-$HOME/.cache/tessavel}"
QT_VERSION=6.4.2
QT_PREFIX="$CACHE/qt-${QT_VERSION}-mingw"
GTEST_PREFIX="$CACHE/googletest-mingw"
JOBS="${JOBS:-$(nproc)}"
MINGW_DLLS="/usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib"

# The Wine prefix used by builds and tests; the installer check makes fresh ones of its own.
export WINEPREFIX="${TESSAVEL_WINEPREFIX:-$CACHE/wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# step NAME COMMAND...: runs a step, prints how long it took and returns its status.
step() {
  local name="$1"
  shift
  local start
  start=$(date +%s)
  echo "== $name"
  "$@"
  # Reached after a failure only when the caller tests the step (errexit is off there).
  local status=$?
  echo "== $name: $(( $(date +%s) - start )) s"
  return "$status"
}

# Windows programs ask for the dialog font "MS Shell Dlg", which Wine sends to Tahoma. Without Wine's
# own fonts Tahoma is missing, and Wine then picks the first family it has: here a math font whose
# line height puts the text of Qt's line edits outside them. The prefixes of the tests and pictures
# send the dialog font to DejaVu Sans (installed with the tests) instead. A Wine prefix matter only:
# Windows has its dialog font.
wine_dialog_font() {
  local name
  for name in "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$name" \
      /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
  done
}

# new_prefix: makes $WINEPREFIX, set to Windows 10 (Qt 6 wants it) with the dialog font above, and
# waits for its server to end.
new_prefix() {
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine winecfg -v win10 >/dev/null 2>&1 || true
  wine_dialog_font
  wineserver -w
}

# A Wine prefix set to Windows 10 (Qt 6 wants it) with a server that stays up, so each program
# started under Wine costs tens of milliseconds rather than seconds.
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    new_prefix
  fi
  if ! grep -q '^"MS Shell Dlg"="DejaVu Sans"' "$WINEPREFIX/system.reg"; then
    wine_dialog_font
    wineserver -k || true
    wineserver -w || true
  fi
  ensure_lasting_server
  wine cmd /c exit >/dev/null 2>&1 || true
}

# A Wine server started on demand (by any wine command) ends as soon as its last program ends; a
# program started just then waits for it forever. Tests therefore run under a lasting server
# (wineserver -p) of their own prefix, started once no other server of the prefix is left.
lasting_server_running() {
  local pid
  for pid in $(pgrep -u "$(id -u)" -f 'wineserver64 .*-p$'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      return 0
    fi
  done
  return 1
}
ensure_lasting_server() {
  lasting_server_running && return 0
  wineserver -w 2>/dev/null || true
  wineserver -p 2>/dev/null || true
}

# WINEPATH: where the programs find Qt's and the compiler's DLLs when run from the build folder.
wine_path() {
  local p="$QT_PREFIX/bin"
  local d
  for d in $MINGW_DLLS; do p="$p;$d"; done
  echo "$p"
}
