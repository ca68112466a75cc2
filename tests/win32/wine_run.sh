#!/usr/bin/env bash
# wine_run.sh WINE_DIR PROGRAM.exe [ARG...]: runs a Windows program in the
# test prefix and exits with its status.
set -euo pipefail
GROUP_G_WINE_DIR="$1"
shift
source "$(dirname "$0")/wine_env.sh"
exec wine "$@"
