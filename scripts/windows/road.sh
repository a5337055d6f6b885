#!/usr/bin/env bash
# The setup program on a fresh Wine prefix: silent install, the installed editor started on an X
# display with COM1 mapped to a pair of virtual boards, a picture of its window, silent uninstall;
# checks that the program's files went and the user's files stayed. Run by test.sh (or alone after
# build.sh). PICTURES (default build/windows/pictures) receives the picture.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/common.sh"

setup="$(ls "$BUILD"/package/tessavel-*-win64-setup.exe | head -n1)"
host_board="$BUILD/host/bin/virtual-board"
pictures="${PICTURES:-$BUILD/pictures}"
work="$(mktemp -d /tmp/tessavel-road.XXXXXX)"
export WINEPREFIX="$work/prefix"
board_pid=""
xvfb_pid=""
display=":77"

finish() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  if [ -n "$board_pid" ]; then kill "$board_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "road: $*" >&2
  exit 1
}

# A fresh prefix, Windows 10, and COM1 mapped to the boards' pseudo-terminal. No lasting server
# here: the steps below wait for the server to end after the installer and the uninstaller.
fresh_prefix() {
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine winecfg -v win10 >/dev/null 2>&1 || true
  wineserver -w
}
mkdir -p "$WINEPREFIX" "$pictures"
fresh_prefix
mkfifo "$work/board-in"
"$host_board" --boards 1,2 >"$work/board.out" 2>"$work/board.err" <"$work/board-in" &
board_pid=$!
exec 7>"$work/board-in" # keeps the board's input open
for _ in $(seq 100); do
  grep -q '^PORT ' "$work/board.out" && break
  sleep 0.1
done
pty="$(sed -n 's/^PORT //p' "$work/board.out")"
[ -n "$pty" ] || fail "virtual-board gave no port"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$pty" /f >/dev/null 2>&1
wineserver -k || true
wineserver -w || true

# Silent install (the installer relaunches itself: wait for the server to go quiet).
start=$(date +%s)
wine "$setup" /S >/dev/null 2>&1 || fail "the installer failed"
wineserver -w
program_dir="$WINEPREFIX/drive_c/Program Files/Tessavel"
for f in bin/vantrell.exe bin/pellory.exe bin/skerrow.exe bin/Qt6Core.dll bin/platforms/qwindows.dll \
         share/tessavel/demo/config; do
  [ -e "$program_dir/$f" ] || fail "not installed: $f"
done
menu="$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -name 'Vantrell.lnk' | head -n1)"
[ -n "$menu" ] || fail "no Start-menu entry for Vantrell"
echo "installed in $(( $(date +%s) - start )) s"

# The installed editor on an X display.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
DISPLAY="$display" wine "$program_dir/bin/vantrell.exe" >/dev/null 2>&1 &
user_dir=""
for _ in $(seq 300); do
  user_dir="$(find "$WINEPREFIX/drive_c/users" -ipath '*AppData/Roaming/tessavel/vantrell' -type d 2>/dev/null | head -n1)"
  [ -n "$user_dir" ] && [ -d "$user_dir/config" ] && break
  sleep 0.1
done
[ -n "$user_dir" ] && [ -d "$user_dir/config" ] || fail "the editor made no program folder under %APPDATA%"
sleep 5
DISPLAY="$display" import -window root "$pictures/vantrell-installed-wine.png" || true
echo "the installed editor runs; its program folder: ${user_dir#"$WINEPREFIX"/}"
echo "mine" >"$user_dir/data/users-own-file.bin"
wineserver -k || true
wineserver -w || true

# Silent uninstall: the program's files go, the user's stay.
wine "$program_dir/Uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
wineserver -w
sleep 1
[ ! -e "$program_dir/bin/vantrell.exe" ] || fail "the uninstaller left bin/vantrell.exe"
[ ! -e "$program_dir/share/tessavel/demo/config" ] || fail "the uninstaller left the demo files"
[ -f "$user_dir/data/users-own-file.bin" ] || fail "the uninstaller removed the user's file"
[ -d "$user_dir/config" ] || fail "the uninstaller removed the user's config folder"
echo "uninstalled: program files gone, the user's files kept"
