#!/usr/bin/env bash
# Starts or stops the throwaway Wine prefix the Windows tests run in.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
case "$action" in
  start)
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot -u </dev/null >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    # One server kept between test executables; without it each waits ~3 s.
    # It must not hold the test runner's output open, or the runner waits forever.
    /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    ;;
esac
