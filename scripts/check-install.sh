#!/usr/bin/env bash
# scripts/check-install.sh BUILD_DIR: checks that the suite installs like a desktop application.
# Installs the build into a temporary root (DESTDIR), starts the installed vantrell offscreen for two
# seconds with a home of its own, and checks that its per-user program folder was made and filled
# from the installed demo; validates the desktop entries and the AppStream metadata (when the tools
# are there); makes the .deb and checks that its control file names the Qt libraries.
set -euo pipefail
build=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."

work=$(mktemp -d /tmp/tessavel-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$work/root/usr"
for program in vantrell pellory skerrow virtual-board; do
  [ -x "$usr/bin/$program" ] || fail "bin/$program is not installed"
done
[ -f "$usr/share/tessavel/demo/config/default" ] || fail "the demo program folder is not installed"

# First start of the installed editor: its folder beside the program is not its program folder.
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
status=0
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    timeout 2 "$usr/bin/vantrell" >"$work/vantrell.log" 2>&1 || status=$?
[ "$status" = 124 ] || { cat "$work/vantrell.log" >&2; fail "vantrell ended (status $status) before two seconds"; }
folder="$work/home/.local/share/tessavel/vantrell"
for file in config/default config/emulator.ini data/demo.bin; do
  [ -f "$folder/$file" ] || fail "the per-user program folder lacks $file"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$usr"/share/applications/*.desktop || fail "a desktop entry does not validate"
fi
if command -v appstreamcli >/dev/null; then
  for f in "$usr"/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$f" >/dev/null || fail "$(basename "$f") does not validate"
  done
fi

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack could not make the .deb"
deb=$(ls "$work"/package/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q 'libqt6core6' || fail "the .deb does not depend on the Qt libraries: $depends"
echo "$depends" | grep -q 'libqt6serialport6' || fail "the .deb does not depend on Qt Serial Port: $depends"
echo "check-install: installed, first start filled $folder, package depends on: $depends"
