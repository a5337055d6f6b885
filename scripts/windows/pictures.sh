#!/usr/bin/env bash
# Pictures of the three programs of the Windows build running under Wine on an X display (Xvfb):
#   scripts/windows/pictures.sh [FOLDER]    (default build/windows/pictures)
# Each program runs on a copy of the demo program folder; its screen is grabbed to FOLDER/<program>-wine.png.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/common.sh"

out="$(mkdir -p "${1:-$BUILD/pictures}" && cd "${1:-$BUILD/pictures}" && pwd)"
display=":78"
work="$(mktemp -d /tmp/tessavel-pictures.XXXXXX)"
xvfb_pid=""
finish() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

wine_prefix_ready
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export WINEPATH
WINEPATH="$(wine_path)"
for program in vantrell pellory skerrow; do
  exe="$(find "$BUILD" -name "$program.exe" -not -path "*/package/*" | head -n1)"
  [ -n "$exe" ] || { echo "no $program.exe" >&2; exit 1; }
  folder="$work/$program"
  mkdir -p "$folder"
  cp -a "$ROOT/demo/." "$folder/"
  DISPLAY="$display" QT_QPA_PLATFORM=windows wine "$exe" --program-folder "$(winepath -w "$folder")" \
    >/dev/null 2>&1 &
  pid=$!
  sleep "${SETTLE_SECONDS:-12}"
  DISPLAY="$display" import -window root "$out/$program-wine.png"
  kill "$pid" 2>/dev/null || true
  sleep 2
  echo "$out/$program-wine.png"
done
