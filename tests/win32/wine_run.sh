#!/usr/bin/env bash
# wine_run.sh [--new-session] [--wait] WINE_DIR PROGRAM.exe [ARG...]: runs a
# Windows program in the test prefix, exiting with its status. --new-session ends
# what still runs there (Wine's desktop belongs to the display of the session's
# first program, maybe one now gone; the Wine tests run one at a time).
# --wait returns once every program of the prefix has ended (an uninstaller
# hands its work on).
set -euo pipefail
new_session=false
if [ "${1:-}" = --new-session ]; then
  new_session=true
  shift
fi
wait=false
[ "${1:-}" = --wait ] && wait=true && shift
GROUP_G_WINE_DIR="$1"
shift
source "$(dirname "$0")/wine_env.sh"
if $new_session; then
  wineserver --kill 2>/dev/null || true
  wineserver --wait 2>/dev/null || true
fi
$wait || exec wine "$@"
status=0
wine "$@" || status=$?
wineserver --wait
exit $status
