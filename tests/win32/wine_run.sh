#!/usr/bin/env bash
# wine_run.sh [--new-session] WINE_DIR PROGRAM.exe [ARG...]: runs a Windows
# program in the test prefix and exits with its status. With --new-session,
# whatever still runs in the prefix is ended first: Wine's desktop belongs
# to the display of the session's first program, and a session left over
# from a test on another (now gone) display would take the new program's
# windows there. The Wine tests run one at a time, so nothing else is cut.
# With --wait (after any --new-session), it returns only once every program
# of the prefix has ended, as an uninstaller that hands its work on needs.
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
