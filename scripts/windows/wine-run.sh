#!/usr/bin/env bash
# Runs a cross-built program under Wine with Qt's and the compiler's DLLs on its path (CMake's
# cross-compiling emulator: test discovery and ctest go through here).
#
# The program's output goes through files, not straight to the caller: Wine may start its own
# lasting processes (the desktop's explorer.exe, conhost) from the program, and they inherit its
# standard output. Given ctest's pipe, they would hold it open, and ctest would wait for its end
# until the test's timeout although the test had long finished.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# A lasting Wine server: each start costs tens of milliseconds instead of seconds, and no program
# starts just as a server started on demand ends (it would wait for that server forever).
ensure_lasting_server
out="$(mktemp)"
err="$(mktemp)"
WINEPATH="$(wine_path)${WINEPATH:+;$WINEPATH}" wine "$@" >"$out" 2>"$err" </dev/null &
program=$!
# ctest ends a test at its timeout with SIGTERM or SIGKILL to this script: the program goes too.
trap 'kill "$program" 2>/dev/null; cat "$out"; cat "$err" >&2; rm -f "$out" "$err"; exit 143' TERM INT
wait "$program"
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit "$status"
