#!/usr/bin/env bash
# Runs the Windows build's tests under Wine (after scripts/windows/build.sh), then installs the setup
# program into a fresh Wine prefix and drives the installed editor against virtual boards.
#
#   scripts/windows/test.sh [--no-road] [--no-timings] [ctest arguments...]
#
# After the tests it runs the link's timing program under Wine (the upload over the wire time, CPU
# over wall time while waiting, through the Win32 port), then the installer road.
#
# Tests that need boards reach virtual-board programs started here on the Linux side, through the
# board broker (board-broker.py): each board's pseudo-terminal is mapped to a COM port of the Wine
# prefix (COM10 and up).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/common.sh"

road=1
timings=1
ctest_args=()
for arg in "$@"; do
  case "$arg" in
    --no-road) road=0 ;;
    --no-timings) timings=0 ;;
    *) ctest_args+=("$arg") ;;
  esac
done

total_start=$(date +%s)
HOST_BOARD="$BUILD/host/bin/virtual-board"
LINKS="$CACHE/wine-ports"
FIRST_COM=10
COM_COUNT=20
broker_pid=""
xvfb_pid=""

cleanup() {
  if [ -n "$broker_pid" ]; then kill "$broker_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ ! -x "$HOST_BOARD" ] || [ ! -f "$BUILD/CTestTestfile.cmake" ]; then
  echo "Run scripts/windows/build.sh first." >&2
  exit 1
fi

# Tests that are built but cannot run under Wine (ctest regular expression and the reason).
declare -A not_under_wine=(
  ['KeysOfAGermanKeyboardAreReadByWhatIsPrintedOnThem']="reads X11 scan codes through xkbcommon; Windows names the keys by virtual key"
  ['FindsThePlusAndMinusKeysOfTheUsGermanSwedishAndFrenchLayouts']="reads X11 keyboard maps through xkbcommon; Windows names the keys by virtual key"
  ['LimitCellsStepWithThePlusKeyOfAGermanKeyboardAndNotWithShiftAndZero']="reads X11 scan codes through xkbcommon; Windows names the keys by virtual key"
  ['SkerrowFixedPitchFont.(MeasuresGlyphWidths|TakesTheFirstFamily)']="measure the glyphs of named font families; in the Wine test run Qt's font database lists no family (the fallback case still runs)"
)
# Tests that a Windows build does not have, and why.
not_built=(
  "boardsim_program_test: virtual-board itself (a pseudo-terminal) stays a Linux program"
  "benchmarks on Google Benchmark: it is not built for Windows (the link's timing program is, and runs below)"
  "QtSerialPort latency tests: Windows has WinSerialPort instead of Qt Serial Port"
)

# --- 1. Wine prefix with COM ports for the boards -----------------------------------------------
prepare_prefix() {
  wine_prefix_ready
  # Tests name files by their Linux paths (TESSAVEL_SOURCE_DIR, TESSAVEL_BINARY_DIR); under Wine "/x"
  # is "C:\x", so drive C gets a link to the tree's top folder.
  local top
  top="/$(echo "$ROOT" | cut -d/ -f2)"
  if [ ! -e "$WINEPREFIX/drive_c$top" ]; then
    ln -s "$top" "$WINEPREFIX/drive_c$top"
  fi
  mkdir -p "$LINKS"
  local n mapped=1
  for ((n = FIRST_COM; n < FIRST_COM + COM_COUNT; n++)); do
    if ! wine reg query 'HKLM\Software\Wine\Ports' /v "COM$n" 2>/dev/null | grep -q "$LINKS/com$n"; then
      mapped=0
      wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$LINKS/com$n" /f >/dev/null 2>&1
    fi
  done
  if [ "$mapped" = 0 ]; then
    # The Wine server maps the ports when it starts.
    wineserver -k || true
    wineserver -w || true
    wine_prefix_ready
  fi
}
step "Wine prefix and COM ports" prepare_prefix

start_broker() {
  local fifo="$CACHE/broker.out"
  rm -f "$fifo"
  python3 "$here/board-broker.py" "$HOST_BOARD" "$LINKS" "$FIRST_COM" "$COM_COUNT" >"$fifo" 2>&1 &
  broker_pid=$!
  local i
  for ((i = 0; i < 100; i++)); do
    if grep -q '^LISTENING' "$fifo" 2>/dev/null; then break; fi
    sleep 0.1
  done
  TESSAVEL_BOARD_BROKER="$(sed -n 's/^LISTENING //p' "$fifo")"
  if [ -z "$TESSAVEL_BOARD_BROKER" ]; then
    cat "$fifo" >&2
    exit 1
  fi
  export TESSAVEL_BOARD_BROKER
  echo "board broker on port $TESSAVEL_BOARD_BROKER, COM$FIRST_COM-COM$((FIRST_COM + COM_COUNT - 1))"
}
step "board broker" start_broker

# --- 2. The tests --------------------------------------------------------------------------------
run_tests() {
  local exclude=""
  local pattern
  echo "Not in the Windows build:"
  printf '  %s\n' "${not_built[@]}"
  if [ -s "$BUILD/not-built-tests.txt" ]; then sed 's/^/  /' "$BUILD/not-built-tests.txt"; fi
  echo "Not run under Wine:"
  for pattern in "${!not_under_wine[@]}"; do
    echo "  $pattern: ${not_under_wine[$pattern]}"
    exclude="${exclude:+$exclude|}$pattern"
  done
  local args=(--test-dir "$BUILD" --output-on-failure --timeout 300)
  if [ -n "$exclude" ]; then args+=(-E "$exclude"); fi
  # Starting a program under Wine costs more than most tests take, so the tests without boards run
  # $JOBS at a time; those against virtual boards and the real clock one at a time. The fault soak
  # runs only when asked for (-L soak), as on Linux.
  local status=0
  ctest "${args[@]}" -LE 'soak|integration' -j "$JOBS" "${ctest_args[@]}" || status=1
  ctest "${args[@]}" -L integration -LE soak "${ctest_args[@]}" || status=1
  return "$status"
}
# A failing test does not stop the steps after it (they say more about what works); the script
# still fails at the end.
failed=()
step "tests under Wine" run_tests || failed+=("tests under Wine")

# --- 3. The link's timings through the Win32 port -----------------------------------------------
run_timings() {
  local program
  program="$(find "$BUILD" -name vantrell_link_timings.exe | head -n1)"
  if [ -z "$program" ]; then
    echo "vantrell_link_timings.exe is not built"
    return 1
  fi
  (cd "$BUILD" && "$here/wine-run.sh" "$program")
}
if [ "$timings" = 1 ]; then
  step "link timings under Wine" run_timings || failed+=("link timings under Wine")
fi

# --- 4. The whole road: install, use, uninstall --------------------------------------------------
if [ "$road" = 1 ]; then
  step "installer road" "$here/road.sh" || failed+=("installer road")
fi

echo "test.sh: done in $(( $(date +%s) - total_start )) s"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'test.sh: failed: %s\n' "${failed[@]}" >&2
  exit 1
fi
