#!/usr/bin/env bash
# The setup program on a fresh Wine prefix: silent install; the installed editor started on an X
# display with COM1 mapped to a pair of virtual boards and driven as a user would, by keyboard (and
# two clicks): scan, the options, online, upload, a cell changed with "+"; the same steps with the
# Linux editor; the frames both sent must be the same, byte for byte. Then a silent uninstall, and
# checks that the program's files went and the user's files stayed. Run by test.sh (or alone after
# build.sh). PICTURES (default build/windows/pictures) receives the pictures.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/common.sh"

setup="$(ls "$BUILD"/package/tessavel-*-win64-setup.exe | head -n1)"
host_board="$BUILD/host/bin/virtual-board"
host_editor="$BUILD/host/bin/vantrell"
pictures="${PICTURES:-$BUILD/pictures}"
work="$(mktemp -d /tmp/tessavel-road.XXXXXX)"
export WINEPREFIX="$work/prefix"
board_pid=""
xvfb_pid=""
linux_pid=""
display=":77"
export DISPLAY="$display"

finish() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  if [ -n "$linux_pid" ]; then kill "$linux_pid" 2>/dev/null || true; fi
  if [ -n "$board_pid" ]; then kill "$board_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "road: $*" >&2
  exit 1
}

# start_boards NAME [virtual-board options...]: a pair of boards logging every frame to
# $work/NAME.log; sets pty and board_pid.
start_boards() {
  local name="$1"
  shift
  if [ -n "$board_pid" ]; then kill "$board_pid" 2>/dev/null || true; wait "$board_pid" 2>/dev/null || true; fi
  rm -f "$work/$name-in"
  mkfifo "$work/$name-in"
  "$host_board" --boards 1,2 --log "$work/$name.log" "$@" >"$work/$name.out" 2>"$work/$name.err" \
    <"$work/$name-in" &
  board_pid=$!
  exec 7>"$work/$name-in" # keeps the boards' input open
  pty=""
  for _ in $(seq 100); do
    pty="$(sed -n 's/^PORT //p' "$work/$name.out")"
    [ -n "$pty" ] && break
    sleep 0.1
  done
  [ -n "$pty" ] || fail "virtual-board gave no port"
}

# settle NAME SECONDS: waits at least SECONDS, then until the boards' log has been still for 1.5 s
# (at most a minute): the editor has finished what the last keys asked.
settle() {
  local log="$work/$1.log" last=-1 now still=0
  sleep "$2"
  for _ in $(seq 600); do
    now="$(stat -c %s "$log" 2>/dev/null || echo 0)"
    if [ "$now" = "$last" ]; then
      still=$((still + 1))
      [ "$still" -ge 15 ] && return 0
    else
      still=0
      last="$now"
    fi
    sleep 0.1
  done
}

# drive NAME: the editor's window as a user drives it. It opens on the setup page with the keyboard
# in the port box ("1": COM1 on Windows, the ports.ini entry on Linux).
drive() {
  local name="$1" window
  window="$(timeout 60 xdotool search --sync --name '^Tessavel - ' | head -n1)" \
    || fail "$name: the editor's window did not appear"
  xdotool windowfocus --sync "$window"
  sleep 1
  xdotool key --delay 150 Tab Tab space # port list, "Scan for Emulators"
  settle "$name" 4
  # Straight ROM, 8 bit, and no contents check when going online (it would ask a question).
  xdotool key --delay 150 Tab space Tab space Tab Tab space
  xdotool key --delay 200 alt+f Right Right t # Emulator Functions, Toggle online
  settle "$name" 2
  xdotool key --delay 200 alt+f Right Right u # Emulator Functions, Upload
  settle "$name" 3
  # The "Fuel Main" tab, a click into its grid, the first cell, and "+".
  xdotool mousemove --window "$window" 40 38 click 1
  sleep 1
  xdotool mousemove --window "$window" 300 220 click 1
  sleep 0.5
  xdotool key ctrl+Home
  sleep 0.3
  xdotool key plus
  settle "$name" 1
  import -window root "$pictures/vantrell-road-$name.png" || true
}

# frames NAME: the frames the editor sent, one hex line each, without times.
frames() {
  grep -a ' RX ' "$work/$1.log" | cut -d' ' -f3-
}

# The frames a road must hold: both boards asked in the scan, 128 verified blocks to each in the
# upload, and the first cell of the main fuel map (0x7000) written to each.
check_road() {
  local name="$1" id
  for id in 01 02; do
    [ "$(frames "$name" | grep -c "^41${id}56")" -ge 1 ] || fail "$name: board $id was not asked for its version"
    [ "$(frames "$name" | grep -c "^41${id}58")" -ge 128 ] || fail "$name: the upload did not reach board $id"
    frames "$name" | grep -q "^41${id}77017000" || fail "$name: the cell did not reach board $id"
  done
}

mkdir -p "$WINEPREFIX" "$pictures"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!

# --- The Linux editor: the frames the Windows one must match -------------------------------------
linux_folder="$work/linux-folder"
mkdir -p "$linux_folder"
cp -r "$ROOT"/demo/config "$ROOT"/demo/data "$ROOT"/demo/maps "$ROOT"/demo/afm "$linux_folder"/
start_boards linux --program-folder "$linux_folder" --port-number 1
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" "$host_editor" --program-folder "$linux_folder" >"$work/linux-editor.out" 2>&1 &
linux_pid=$!
drive linux
kill "$linux_pid" 2>/dev/null || true
wait "$linux_pid" 2>/dev/null || true
linux_pid=""
check_road linux
echo "the Linux editor: $(frames linux | wc -l) frames"

# --- The installed Windows editor ------------------------------------------------------------------
# A fresh prefix (no lasting server here: the steps below wait for the server to end after the
# installer and the uninstaller) with COM1 mapped to the boards' pseudo-terminal.
new_prefix
start_boards windows
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

(QT_QPA_PLATFORM=windows wine "$program_dir/bin/vantrell.exe" >/dev/null 2>&1 &) # ended with the Wine server below
user_dir=""
for _ in $(seq 300); do
  user_dir="$(find "$WINEPREFIX/drive_c/users" -ipath '*AppData/Roaming/tessavel/vantrell' -type d 2>/dev/null | head -n1)"
  [ -n "$user_dir" ] && [ -d "$user_dir/config" ] && break
  sleep 0.1
done
[ -n "$user_dir" ] && [ -d "$user_dir/config" ] || fail "the editor made no program folder under %APPDATA%"
echo "the installed editor runs; its program folder: ${user_dir#"$WINEPREFIX"/}"
drive windows
check_road windows
echo "the Windows editor: $(frames windows | wc -l) frames"
if ! diff <(frames linux) <(frames windows) >"$work/frames.diff"; then
  head -n 20 "$work/frames.diff" >&2
  fail "the Windows editor sent other frames than the Linux one"
fi
echo "the same $(frames windows | wc -l) frames from both editors, byte for byte"
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
